#include "editor/DiskChanges.h"

#include "editor/Main.h"
#include "storage/StageFile.h"

TDiskChange TDiskChanges::Look()
{
    TDiskChange change;
    change.PictureChanged = FForm.PictureChangedOnDisk();
    const int number = FDocument.Saved().Origin;
    const std::optional<StageRecord>* remembered = number >= 0 ? FDocument.Saved().Remembered(number) : nullptr;
    StageRecord now;
    // A record that is gone has nothing to load: the Stages window shows it
    // gone, and a save puts it back.
    if (!remembered || !ReadStageRecord(FDocument.StageFile(), number, now))
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
    change.Unsaved = FDocument.Unsaved();
    return change;
}
