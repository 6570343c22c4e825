#pragma once
// What another program changed on disk, as it concerns the live stage: the
// record the live stage came from and its background picture. The editor's
// own loads and saves never count: the record is compared with what the
// editor itself last read or wrote there (TSaveState), the picture with what
// the display last loaded.

#include "stage/StageRecord.h"

#include <optional>

class TDocument;
class TMainForm;

struct TDiskChange {
    // The record the live stage came from (number `Number`) now holds
    // another stage, told here once for each new content. Unsaved: the live
    // stage has changes of its own.
    bool StageChanged = false;
    int Number = -1;
    bool Unsaved = false;
    // The background picture's file changed: the display should reload it.
    bool PictureChanged = false;
};

class TDiskChanges {
public:
    // The changes that concern `document` and its live stage `form`, which
    // must outlive this.
    TDiskChanges(TDocument& document, TMainForm& form) : FDocument(document), FForm(form) {}

    // Looks at the disk now (once changes have settled).
    TDiskChange Look();
    // Another game folder: nothing told is remembered.
    void Forget() { FTold.reset(); }

private:
    TDocument& FDocument;
    TMainForm& FForm;
    // What the live stage's record held when that was last told.
    std::optional<StageRecord> FTold;
};
