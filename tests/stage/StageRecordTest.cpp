// The record's byte layout, its short strings and the record operations.
#include "stage/StageRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

void SetLE(std::vector<unsigned char>& bytes, std::size_t at, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

std::vector<unsigned char> Bytes(const StageRecord& record)
{
    const auto* p = reinterpret_cast<const unsigned char*>(&record);
    return std::vector<unsigned char>(p, p + sizeof record);
}

}  // namespace

TEST(StageRecordLayout, EmptyStageByteForByte)
{
    std::vector<unsigned char> expected(6000, 0);
    const char caption[] = "Undefined Stage";
    expected[0] = 15;
    std::memcpy(&expected[1], caption, 15);
    SetLE(expected, 128, 1056808, 4);  // 28 20 10 00
    expected[132] = 1;
    expected[133] = 1;
    SetLE(expected, 208, 5, 2);
    for (std::size_t i = 1200; i < 6000; ++i)
        expected[i] = 0xFF;

    StageRecord record;
    std::memset(static_cast<void*>(&record), 0x5A, sizeof record);
    EmptyStage(record);
    EXPECT_EQ(Bytes(record), expected);
}

TEST(ShortString, CutsToSixtyThreeAndComparesOnlyTheLength)
{
    TShortString a;
    a.Assign(std::string(100, 'x'));
    EXPECT_EQ(a.Length, 63);
    EXPECT_EQ(a.Str(), std::string(63, 'x'));
    a.Assign(std::string("ab"));
    for (int i = 2; i < MaxShortString; ++i)
        EXPECT_EQ(a.Chars[i], 0);
    TShortString b;
    b.Assign(std::string("ab"));
    b.Chars[10] = 'q';
    EXPECT_TRUE(a == b);
    b.Assign(std::string("aB"));
    EXPECT_FALSE(a == b);
}

TEST(EnemyCounts, TheTotalCountsTheSixteenTypesOnly)
{
    struct Case {
        const char* What;
        std::uint16_t Fill;                                 // every slot
        std::vector<std::pair<int, std::uint16_t>> Counts;  // then these slots
        std::int32_t Total;
    };
    const Case cases[] = {
        {"none", 0, {}, 0},
        {"first and last type", 0, {{0, 2}, {15, 3}}, 5},
        {"slots past the types", 0, {{16, 1000}, {31, 7}}, 0},
        {"every slot full, no overflow", 65535, {}, 16 * 65535},
    };
    for (const auto& c : cases) {
        std::uint16_t counts[EnemySlotCount];
        std::fill(std::begin(counts), std::end(counts), c.Fill);
        for (const auto& [slot, count] : c.Counts)
            counts[slot] = count;
        EXPECT_EQ(SumEnemyCounts(counts), c.Total) << c.What;
    }
}

TEST(EnemyCounts, ARecordHeldBehindAByteIsSummedInPlace)
{
    // A record after a flag in a struct: its counts are read through a
    // reference, which the sanitizer build checks for alignment.
    struct Held {
        bool Present = true;
        StageRecord Record{};
    };
    Held held;
    EmptyStage(held.Record);
    held.Record.EnemyCount[0] = 4;
    held.Record.EnemyCount[15] = 5;
    EXPECT_EQ(SumEnemyCounts(held.Record.EnemyCount), 9);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(&held.Record.EnemyCount[0]) % alignof(std::uint16_t), 0u);
}
