#include "check/FindingFormat.h"

#include <cstdio>

const char* SeverityName(TSeverity severity)
{
    switch (severity) {
    case TSeverity::Error: return "error";
    case TSeverity::Warning: return "warning";
    case TSeverity::Note: break;
    }
    return "note";
}

std::string FindingWhere(const TFinding& finding)
{
    if (!finding.IsCell())
        return finding.Field;
    return std::string(finding.Layer == TFindingLayer::BG ? "BG " : "FG ") + std::to_string(finding.Column) + ","
           + std::to_string(finding.Row);
}

std::string FindingLine(const TFinding& finding)
{
    char number[16];
    std::snprintf(number, sizeof number, "%02d ", finding.Stage);
    std::string message = finding.Message;
    for (char& ch : message) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 32 || byte == 127)
            ch = '?';
    }
    return number + std::string(SeverityName(finding.Severity)) + " " + FindingWhere(finding) + ": " + message;
}

std::string JsonString(std::string_view bytes)
{
    std::string out = "\"";
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out.push_back('\\');
            out.push_back(ch);
        } else if (ch == '\n') {
            out += "\\n";
        } else if (ch == '\r') {
            out += "\\r";
        } else if (ch == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(byte));
            out += escape;
        } else {
            out.push_back(ch);
        }
    }
    out.push_back('"');
    return out;
}

std::string FindingJson(const TFinding& finding)
{
    std::string out =
        "{\"stage\":" + std::to_string(finding.Stage) + ",\"severity\":\"" + SeverityName(finding.Severity) + "\",";
    if (finding.IsCell())
        out += std::string("\"layer\":\"") + (finding.Layer == TFindingLayer::BG ? "BG" : "FG")
               + "\",\"column\":" + std::to_string(finding.Column) + ",\"row\":" + std::to_string(finding.Row);
    else
        out += "\"field\":" + JsonString(finding.Field);
    out += ",\"message\":" + JsonString(finding.Message) + "}";
    return out;
}
