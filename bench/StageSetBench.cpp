// Speed of stagetool's commands over a whole stage file of 100 stages (the
// examples, then random stages naming the example pictures): the sheet as a
// PNG written safely, and the checks with their report. BM_FloorCopyStageFile
// is the floor measured in the same run (the file's 600 000 bytes copied).
// BM_Sheet100OneLargePicture draws 100 stages that all name one picture
// larger than the picture cache holds whole (4160 x 4160, 8 bits a pixel),
// beside its floor BM_FloorCopyLargePicture (the picture file's bytes
// copied once).
#include "StageSet.h"
#include "cli/CheckReport.h"
#include "cli/Sheet.h"
#include "platform/PngEncode.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

// A folder whose "Stage.Dat" holds 100 empty stages that all name
// Map/large.bmp, a picture of 4160 x 4160 pixels (69 MB decoded).
struct TLargePictureSet {
    static constexpr int Side = 4160;
    fs::path Dir = fs::temp_directory_path() / ("large-picture-bench-" + std::to_string(::getpid()));
    fs::path File = Dir / "Stage.Dat";
    std::string Picture;

    TLargePictureSet()
    {
        fs::create_directories(Dir / "Map");
        const auto put32 = [this](std::size_t at, std::uint32_t value) {
            for (int i = 0; i < 4; ++i)
                Picture[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
        };
        const std::size_t header = 14 + 40 + 256 * 4;
        Picture.assign(header + std::size_t{Side} * Side, '\0');
        Picture[0] = 'B';
        Picture[1] = 'M';
        put32(2, static_cast<std::uint32_t>(Picture.size()));
        put32(10, static_cast<std::uint32_t>(header));
        put32(14, 40);
        put32(18, Side);
        put32(22, Side);
        put32(26, 1 | (8 << 16));  // 1 plane, 8 bits a pixel
        put32(46, 256);
        for (std::uint32_t i = 0; i < 256; ++i)
            put32(54 + 4 * i, i * 0x010101u);
        for (std::size_t i = header; i < Picture.size(); ++i)
            Picture[i] = static_cast<char>(i * 7 / Side);
        SafeWriteFile(Dir / "Map" / "large.bmp", Picture);
        StageRecord record;
        EmptyStage(record);
        record.BG_Bitmap.Assign(std::string("large.bmp"));
        std::string bytes;
        for (int n = 0; n < 100; ++n)
            bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
        SafeWriteFile(File, bytes);
    }
    ~TLargePictureSet() { fs::remove_all(Dir); }
};

// A floor: `bytes` copied once an iteration.
void CopyEachIteration(benchmark::State& state, const std::string& bytes)
{
    std::string copy(bytes.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), copy.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}

void BM_FloorCopyStageFile(benchmark::State& state)
{
    CopyEachIteration(state, TStageSet().Bytes);
}
BENCHMARK(BM_FloorCopyStageFile);

// stagetool sheet: read, draw 100 stages at the default scale, encode, write.
void BM_Sheet100(benchmark::State& state)
{
    const TStageSet set;
    for (auto _ : state) {
        const TStageRecords records = ReadStageRecords(set.File, 1000);
        const TSheet sheet = MakeSheet(records, set.Dir, TSheetOptions{});
        const auto png = EncodePng(sheet.Pixels, sheet.Layout.Width, sheet.Layout.Height, 1);
        if (!png || !SafeWriteFile(set.Dir / "sheet.png", *png))
            state.SkipWithError("the sheet was not written");
    }
}
BENCHMARK(BM_Sheet100)->Unit(benchmark::kMillisecond);

void BM_FloorCopyLargePicture(benchmark::State& state)
{
    CopyEachIteration(state, TLargePictureSet().Picture);
}
BENCHMARK(BM_FloorCopyLargePicture)->Unit(benchmark::kMillisecond);

// stagetool sheet of 100 stages naming one large picture: decoded once.
void BM_Sheet100OneLargePicture(benchmark::State& state)
{
    const TLargePictureSet set;
    for (auto _ : state) {
        const TStageRecords records = ReadStageRecords(set.File, 1000);
        benchmark::DoNotOptimize(MakeSheet(records, set.Dir, TSheetOptions{}).Pixels.data());
    }
}
BENCHMARK(BM_Sheet100OneLargePicture)->Unit(benchmark::kMillisecond);

// stagetool check: read, check 100 stages (each picture decoded once), report.
void BM_Check100(benchmark::State& state)
{
    const TStageSet set;
    for (auto _ : state) {
        const TStageRecords records = ReadStageRecords(set.File, 1000);
        benchmark::DoNotOptimize(CheckReportText(CheckRecords(records.Records, set.Dir)));
    }
}
BENCHMARK(BM_Check100)->Unit(benchmark::kMillisecond);

}  // namespace
