#include "cli/CheckReport.h"

#include "check/FindingFormat.h"
#include "check/PictureCheck.h"
#include "cli/ToolArgs.h"

#include <algorithm>
#include <map>

int TCheckReport::Count(TSeverity severity) const
{
    return static_cast<int>(std::count_if(Findings.begin(), Findings.end(),
                                          [severity](const TFinding& f) { return f.Severity == severity; }));
}

TCheckReport CheckRecords(const std::vector<StageRecord>& records, const std::filesystem::path& pictureFolder)
{
    TCheckReport report;
    TPictureCheck pictures(pictureFolder);
    for (const StageRecord& record : records) {
        const std::vector<TFinding> findings = CheckStage(report.Stages, record, pictures);
        report.Findings.insert(report.Findings.end(), findings.begin(), findings.end());
        ++report.Stages;
    }
    return report;
}

std::string CheckReportText(const TCheckReport& report)
{
    std::string out;
    const auto& findings = report.Findings;
    for (std::size_t begin = 0; begin < findings.size();) {
        // One stage's findings: [begin, end).
        std::size_t end = begin;
        while (end < findings.size() && findings[end].Stage == findings[begin].Stage)
            ++end;
        std::map<std::string, int> cells;  // message -> how many
        for (std::size_t i = begin; i < end; ++i)
            if (findings[i].IsCell())
                ++cells[findings[i].Message];
        for (std::size_t i = begin; i < end; ++i) {
            const TFinding& f = findings[i];
            // Names and captions quoted in a message read as the JSON output reads them.
            const std::string line = Utf8Text(FindingLine(f));
            if (!f.IsCell()) {
                out += line + "\n";
                continue;
            }
            int& count = cells[f.Message];  // -1 once a folded line was shown
            if (count >= 0 && count <= FoldedCells) {
                out += line + "\n";
            } else if (count > 0) {
                out += line + " (and " + Counted(count - 1, "more cell") + " like it)\n";
                count = -1;
            }
        }
        begin = end;
    }
    out += Counted(report.Stages, "stage") + " checked: " + Counted(report.Count(TSeverity::Error), "error") + ", "
           + Counted(report.Count(TSeverity::Warning), "warning") + ", "
           + Counted(report.Count(TSeverity::Note), "note") + "\n";
    return out;
}

std::string CheckReportJson(const TCheckReport& report)
{
    std::vector<std::string> objects;
    for (const TFinding& finding : report.Findings)
        objects.push_back(FindingJson(finding));
    return JsonArrayLines(objects);
}
