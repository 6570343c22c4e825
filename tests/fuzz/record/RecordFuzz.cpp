// A stage file's bytes through what the editor and stagetool do with its
// records: the first loaded into the editor and saved back (a second round
// changes nothing more), every one checked, and the findings printed as
// text (one line each) and as JSON (which always parses, one object per
// finding).
#include "cli/CheckReport.h"
#include "editor/WindowlessEditor.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Records beyond these add time, not paths.
constexpr std::size_t MaxRecords = 2;

// The record as the editor loads it and saves it back.
StageRecord LoadedAndSaved(TWindowlessEditor& editor, const StageRecord& record)
{
    editor.Form.ClearLayers();
    editor.Form.ApplyStage(record);
    StageRecord saved;
    editor.Form.CaptureStage(saved);
    return saved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<StageRecord> records(std::min(size / sizeof(StageRecord), MaxRecords));
    if (records.empty())
        return 0;
    std::memcpy(static_cast<void*>(records.data()), data, records.size() * sizeof(StageRecord));

    static TWindowlessEditor editor;
    const StageRecord saved = LoadedAndSaved(editor, records[0]);
    const StageRecord again = LoadedAndSaved(editor, saved);
    Require(std::memcmp(&saved, &again, sizeof saved) == 0, "a saved stage loads and saves unchanged");

    // No Map folder: every picture is missing, and no name reaches a file.
    const TCheckReport report = CheckRecords(records, "/nonexistent/stage-folder");
    const std::string json = CheckReportJson(report);
    TStrictJson reading(json);
    Require(reading.Valid(), "the JSON findings parse");
    Require(static_cast<std::size_t>(reading.TopElements()) == report.Findings.size(), "one JSON object per finding");
    const std::string text = CheckReportText(report);
    Require(std::none_of(text.begin(), text.end(),
                         [](char c) { return c != '\n' && static_cast<unsigned char>(c) < 0x20; }),
            "every finding stays on its line");
    return 0;
}
