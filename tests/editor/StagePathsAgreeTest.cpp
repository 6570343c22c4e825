// The stage layer's rules give exactly what the editor's live layers give:
// on many random records (damaged codes, exclusive pairs), random text maps
// and the examples, the pure path and the editor path give byte-identical
// records, text maps and shadow layers, whatever stage the editor held before.
#include "stage/StageRules.h"
#include "stage/TextMapStage.h"
#include "storage/TextMap.h"
#include "storage/TextMapFile.h"
#include "support/EditorStages.h"
#include "support/FakeHost.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <sstream>

namespace {

class StagePathsAgree : public ::testing::Test {
protected:
    std::mt19937 Random{16};

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(Random); }

    // A code from every kind the rules tell apart, now and then any 16 bits.
    std::int16_t AnyCode()
    {
        static constexpr std::int16_t kinds[] = {-1, -1, 0,  3,  4,  5,  7,  8,  12, 16, 23, 24, 27, 30,
                                                 31, 32, 33, 34, 35, 38, 39, 40, 55, 60, 63, 64, -2, 100};
        if (Pick(0, 19) == 0)
            return static_cast<std::int16_t>(Pick(-32768, 32767));
        return kinds[Pick(0, static_cast<int>(std::size(kinds)) - 1)];
    }

    // Every byte random, or the settings of one and cells of every kind.
    StageRecord RandomRecord()
    {
        StageRecord record;
        auto* bytes = reinterpret_cast<unsigned char*>(&record);
        for (std::size_t i = 0; i < sizeof record; ++i)
            bytes[i] = static_cast<unsigned char>(Pick(0, 255));
        if (Pick(0, 2) > 0)
            for (int x = 0; x < FieldColumns; ++x)
                for (int y = 0; y < FieldRows; ++y) {
                    record.BG[x][y] = AnyCode();
                    record.FG[x][y] = AnyCode();
                }
        return record;
    }

    // A text map as hand edits and damaged files leave it: a random stage's
    // map under any header number, with lines dropped, cut short, lowered
    // or given an odd character.
    std::string RandomTextMap()
    {
        std::istringstream lines(WriteTextMap(RandomRecord(), Pick(-70000, 70000)));
        std::string text;
        for (std::string line; std::getline(lines, line); text += line + "\n") {
            const auto anywhere = [&] { return static_cast<std::size_t>(Pick(0, static_cast<int>(line.size()))); };
            switch (Pick(0, 40)) {
            case 0: line.clear(); break;
            case 1: line.resize(anywhere()); break;
            case 2: line.insert(anywhere(), 1, " z$\x80"[Pick(0, 3)]); break;
            case 3:
                for (char& ch : line)
                    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                break;
            }
        }
        return text;
    }

    // The editor's stage, shadows and text map against the pure path's.
    void ExpectEditorHolds(const StageRecord& expected, const char* what)
    {
        ASSERT_TRUE(RecordsEqual(F.Capture(), expected)) << what;
        TShadowCells shadows;
        ComputeShadows(expected, shadows);
        for (int x = 0; x < FieldColumns; ++x)
            for (int y = 0; y < FieldRows; ++y)
                ASSERT_EQ(F.Shadow(x, y), shadows[x][y]) << what << " shadow " << x << "," << y;
        ASSERT_EQ(F.Form.ExportTextMap(), WriteTextMap(expected, F.Form.Document.StageNum())) << what;
    }

    void ExpectAppliedAlike(const StageRecord& record)
    {
        F.Form.ApplyStage(record);
        ExpectEditorHolds(AppliedStage(record), "applied");
    }

    void ExpectImportedAlike(const std::string& text)
    {
        const std::optional<TTextMap> map = ReadTextMap(text);
        if (!map)
            return;
        const StageRecord base = F.Capture();
        F.Form.ApplyTextMap(*map);
        ASSERT_EQ(F.Form.Document.StageNum(), ImportedStageNumber(map->StageNumber)) << text;
        ExpectEditorHolds(ImportedStage(*map, base), "imported");
    }

    TEditorFixture F;
};

}  // namespace

// Each round: a random record applied, random cell writes on it, and a
// random text map imported onto the result.
TEST_F(StagePathsAgree, OnRandomRecordsCellWritesAndTextMaps)
{
    for (int round = 0; round < 300; ++round) {
        ASSERT_NO_FATAL_FAILURE(ExpectAppliedAlike(RandomRecord())) << "round " << round;
        // The tools' writes: cell by cell through the notifying write.
        StageRecord written = F.Capture();
        for (int i = 0; i < 40; ++i) {
            const TStageLayer layer = Pick(0, 1) ? TStageLayer::FG : TStageLayer::BG;
            const int x = Pick(0, FieldColumns - 1);
            const int y = Pick(0, FieldRows - 1);
            const std::int16_t code = AnyCode();
            WriteCell(written, layer, x, y, code);
            (layer == TStageLayer::BG ? F.Form.BGLayer : F.Form.FGLayer)->SetCell(x + 1, y + 1, code);
        }
        ASSERT_NO_FATAL_FAILURE(ExpectEditorHolds(written, "written")) << "round " << round;
        ASSERT_NO_FATAL_FAILURE(ExpectImportedAlike(RandomTextMap())) << "round " << round;
    }
}

TEST_F(StagePathsAgree, OnTheExamples)
{
    const std::vector<StageRecord> examples = EditorMadeStages(0);
    ASSERT_FALSE(examples.empty());
    for (const StageRecord& record : examples)
        ASSERT_NO_FATAL_FAILURE(ExpectAppliedAlike(record));
    const auto maps = ExampleStageFile().parent_path() / "maps";
    for (const auto& entry : std::filesystem::directory_iterator(maps))
        if (entry.path().extension() == ".txt") {
            F.ApplyEmpty();
            ASSERT_NO_FATAL_FAILURE(ExpectImportedAlike(NormaliseTextLines(ReadTextMapFile(entry.path()).Bytes)))
                << entry.path();
        }
}
