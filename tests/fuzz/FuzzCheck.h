#pragma once
// What the fuzz targets share: a property that must hold (a broken one ends
// the run as a crash, so libFuzzer keeps the input), and a strict reading
// of JSON.

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// Ends the process, naming the property, when it does not hold.
inline void Require(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

// JSON as RFC 8259 has it, nothing more: one value with only white space
// around it. Counts the elements of a top-level array.
class TStrictJson {
public:
    explicit TStrictJson(std::string_view text) : FText(text) {}

    bool Valid()
    {
        Space();
        const bool value = Value(0);
        Space();
        return value && FAt == FText.size();
    }
    int TopElements() const { return FTopElements; }

private:
    static constexpr int MaxDepth = 64;

    bool More() const { return FAt < FText.size(); }
    char Peek() const { return More() ? FText[FAt] : '\0'; }
    bool Take(char c)
    {
        if (Peek() != c)
            return false;
        ++FAt;
        return true;
    }
    bool Word(std::string_view word)
    {
        if (FText.substr(FAt, word.size()) != word)
            return false;
        FAt += word.size();
        return true;
    }
    void Space()
    {
        while (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')
            ++FAt;
    }
    bool Digits()
    {
        const std::size_t start = FAt;
        while (Peek() >= '0' && Peek() <= '9')
            ++FAt;
        return FAt > start;
    }
    static bool Hex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

    bool String()
    {
        if (!Take('"'))
            return false;
        while (More()) {
            const auto c = static_cast<unsigned char>(FText[FAt++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return false;
            if (c != '\\')
                continue;
            const char e = Peek();
            ++FAt;
            if (e == 'u') {
                for (int i = 0; i < 4; ++i, ++FAt)
                    if (!Hex(Peek()))
                        return false;
            } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
                return false;
            }
        }
        return false;
    }
    bool Number()
    {
        Take('-');
        if (!Take('0') && !Digits())
            return false;
        if (Take('.') && !Digits())
            return false;
        if (Take('e') || Take('E')) {
            if (!Take('+'))
                Take('-');
            return Digits();
        }
        return true;
    }
    bool Value(int depth)
    {
        if (depth > MaxDepth)
            return false;
        switch (Peek()) {
        case '{': return Container(depth, true);
        case '[': return Container(depth, false);
        case '"': return String();
        case 't': return Word("true");
        case 'f': return Word("false");
        case 'n': return Word("null");
        default: return Number();
        }
    }
    // An object's members or an array's elements, brackets and all.
    bool Container(int depth, bool object)
    {
        const char close = object ? '}' : ']';
        ++FAt;
        Space();
        if (Take(close))
            return true;
        do {
            Space();
            if (object) {
                if (!String())
                    return false;
                Space();
                if (!Take(':'))
                    return false;
                Space();
            }
            if (!Value(depth + 1))
                return false;
            if (!object && depth == 0)
                ++FTopElements;
            Space();
        } while (Take(','));
        return Take(close);
    }

    std::string_view FText;
    std::size_t FAt = 0;
    int FTopElements = 0;
};
