#pragma once
// Findings as text: one line for people, one JSON object for build scripts.

#include "check/StageCheck.h"

#include <string>
#include <string_view>

// "error", "warning" or "note".
const char* SeverityName(TSeverity severity);

// Where a finding is: its field, or "BG 12,5" (layer, column, row) for a cell.
std::string FindingWhere(const TFinding& finding);

// "07 error BG_Bitmap: message": the stage number in two digits at least.
// Control bytes in the message (a name or caption may hold any byte) show as
// '?', so the finding stays on its line; other bytes are kept as they are.
std::string FindingLine(const TFinding& finding);

// A JSON string of single-byte text: quotes, with '"' and '\' escaped,
// control bytes as \uXXXX (\n, \r and \t by their short escapes), and every
// byte of 0x80 or more as \u00XX (the byte read as Latin-1), so the result
// is plain ASCII and valid JSON whatever the bytes.
std::string JsonString(std::string_view bytes);

// {"stage":7,"severity":"error","field":"BG_Bitmap","message":"..."}, or
// with "layer","column","row" in place of "field" for a cell; one line.
std::string FindingJson(const TFinding& finding);
