#pragma once
// A recovery copy: the record an editor would have saved, kept while its
// stage was unsaved so that a crash, a kill or a power cut loses nothing,
// and what a Save after a restore needs to ask what it would have asked had
// the editor never stopped. On disk: a few text lines naming what it is
// for, the base record when there is one, then the 6000 bytes of the record.
//
//     stage-editor recovery 2
//     stage 3
//     origin 3
//     base record
//     time 1700000000
//     file 27
//     /home/designer/game/Stage.Dat
//     <the base record>
//     <the record>
//
// "origin" is -1 for none; "base" is "record" (its 6000 bytes follow the
// path), "none" (the stage file held no record at the origin) or "unknown".
// "file" gives the length in bytes of the path on the next line, so any
// path (a line break in a folder's name, say) reads back as it was written.
// Copies of the first format ("stage-editor recovery 1") have neither
// "origin" nor "base" lines and still read, with no origin and no base.

#include "stage/StageRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TRecoveryCopy {
    StageRecord Record{};
    std::string StageFile;  // absolute path of the stage file it belongs to
    int StageNumber = 0;    // 0..99: where Save would write it
    std::int64_t Time = 0;  // when it was taken, seconds since 1970 (UTC)
    // The stage number the live stage was last loaded from or saved to;
    // -1 when none is known.
    int Origin = -1;
    // What the stage file held at Origin when the live stage was last loaded
    // from or saved to it: a record, or an empty optional when it held none
    // there. Not known (no value) in a copy of the first format.
    std::optional<std::optional<StageRecord>> Base;
};

// The longest stage file path a copy holds (Linux's PATH_MAX).
constexpr std::size_t MaxRecoveryPath = 4096;

std::string EncodeRecoveryCopy(const TRecoveryCopy& copy);

// Reads a copy; none unless the bytes are exactly one copy as encoded (right
// header, stage numbers in 0..99, an absolute path of at most
// MaxRecoveryPath bytes without NUL, the whole records and nothing after).
std::optional<TRecoveryCopy> DecodeRecoveryCopy(std::string_view bytes);
