#include "editor/StageRecord.h"

#include <algorithm>
#include <cstring>

void TShortString::Assign(const std::string& text)
{
    Assign(text.data(), text.size());
}

void TShortString::Assign(const char* chars, std::size_t length)
{
    const std::size_t kept = std::min<std::size_t>(length, MaxShortString);
    // memmove: the source may be this string's own characters.
    if (kept > 0)
        std::memmove(Chars, chars, kept);
    std::memset(Chars + kept, 0, MaxShortString - kept);
    Length = static_cast<std::uint8_t>(kept);
}

bool operator==(const TShortString& a, const TShortString& b)
{
    const std::size_t lengthA = std::min<std::size_t>(a.Length, MaxShortString);
    const std::size_t lengthB = std::min<std::size_t>(b.Length, MaxShortString);
    return lengthA == lengthB && std::memcmp(a.Chars, b.Chars, lengthA) == 0;
}
