#pragma once
// A recovery copy: the record an editor would have saved, kept while its
// stage was unsaved so that a crash, a kill or a power cut loses nothing.
// On disk: a few text lines naming what it is for, then the 6000 bytes of
// the record.
//
//     stage-editor recovery 1
//     stage 3
//     time 1700000000
//     file 27
//     /home/designer/game/Stage.Dat
//     <the record>
//
// "file" gives the length in bytes of the path on the next line, so any
// path (a line break in a folder's name, say) reads back as it was written.

#include "stage/StageRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TRecoveryCopy {
    StageRecord Record{};
    std::string StageFile;  // absolute path of the stage file it belongs to
    int StageNumber = 0;    // 0..99
    std::int64_t Time = 0;  // when it was taken, seconds since 1970 (UTC)
};

// The longest stage file path a copy holds (Linux's PATH_MAX).
constexpr std::size_t MaxRecoveryPath = 4096;

std::string EncodeRecoveryCopy(const TRecoveryCopy& copy);

// Reads a copy; none unless the bytes are exactly one copy as encoded (right
// header, a stage number in 0..99, an absolute path of at most
// MaxRecoveryPath bytes without NUL, the whole record and nothing after).
std::optional<TRecoveryCopy> DecodeRecoveryCopy(std::string_view bytes);
