#pragma once
// The stage text map: a readable single-byte text of one stage (header, key
// lines, 60 cell rows, "[End]"), and the lenient number reading its import
// uses. TMainForm::ExportTextMap and ImportTextMap live in TextMap.cpp.

#include <cstdint>
#include <string>
#include <string_view>

struct TNumberRead {
    // The value read up to the stop (0 when no digit was read). Hexadecimal
    // numbers may use all 32 bits and come back as their bit pattern.
    std::int32_t Value = 0;
    // 1-based position of the character that stopped the reading, or 0 when
    // the whole text was read as a number.
    std::size_t Stop = 0;
};

// Leading spaces, then "+" or "-" and decimal digits, or a prefix "$", "x",
// "X", "0x", "0X" and hexadecimal digits, or decimal digits alone. Reading
// stops at the first character that does not belong to the number or before
// a digit that would overflow (decimal: 2^31 - 1, hexadecimal: 2^32 - 1). The
// sign applies only when the whole text was read. A text that ends before
// its first digit stops just past its end (the empty text stops at 1).
TNumberRead ReadNumber(std::string_view text);

// A file's bytes as the "Load T..." button reads them: lines split at CR, LF
// or CR LF, the first NUL byte ends the text, and every line joined again
// with CR LF after it.
std::string NormaliseTextLines(std::string_view bytes);
