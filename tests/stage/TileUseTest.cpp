// Captions found by a designer's text: typed in UTF-8, stored in Latin-1,
// any letter case, the line break as a space.
#include "stage/TileUse.h"

#include <gtest/gtest.h>

TEST(TileUse, CaptionsHoldTextInAnyCase)
{
    const struct {
        const char* Caption;  // as stored
        const char* Typed;    // UTF-8
        bool Holds;
    } cases[] = {
        {"River Crossing", "river", true},
        {"River Crossing", "CROSS", true},
        {"Riv\xE8re\x80Nord", "\xC3\x88re nord", true},  // È typed, è stored; the line break a space
        {"Riv\xE8re\x80Nord", "renord", false},
        {"Fort \xD7 2", "fort \xC3\xB7", false},  // × is no letter
        {"A", "", true},
    };
    for (const auto& c : cases) {
        TShortString caption;
        caption.Assign(std::string(c.Caption));
        std::string latin1;
        ASSERT_TRUE(Latin1FromUtf8(c.Typed, latin1)) << c.Typed;
        EXPECT_EQ(CaptionHolds(caption, latin1), c.Holds) << c.Caption << " / " << c.Typed;
    }
    std::string latin1;
    for (const char* beyond : {"\xE2\x82\xAC", "\xC3", "\xFF", "\xC0\x80"})  // €, cut, no UTF-8, overlong
        EXPECT_FALSE(Latin1FromUtf8(beyond, latin1)) << beyond;
}
