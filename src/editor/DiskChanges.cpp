#include "editor/DiskChanges.h"

#include "editor/Main.h"
#include "storage/FileLookup.h"
#include "storage/StageFile.h"

TDiskChange TDiskChanges::Look()
{
    TDiskChange change;
    change.PictureChanged = FForm.PictureChangedOnDisk();
    const int number = FForm.Saved.Origin;
    const std::optional<StageRecord>* remembered = number >= 0 ? FForm.Saved.Remembered(number) : nullptr;
    StageRecord now;
    // A record that is gone has nothing to load: the Stages window shows it
    // gone, and a save puts it back.
    if (!remembered || !ReadStageRecord(FindStageFile(FForm.StageFileName), number, now))
        return change;
    if (remembered->has_value() && RecordsEqual(**remembered, now)) {
        FTold.reset();
        return change;
    }
    // Told once per content, also when the editor's own set operations moved
    // the record to another number meanwhile.
    if (FTold && RecordsEqual(*FTold, now))
        return change;
    FTold = now;
    change.StageChanged = true;
    change.Number = number;
    change.Unsaved = FForm.StageUnsaved();
    return change;
}
