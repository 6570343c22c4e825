#include "storage/TiledProperties.h"

#include <QString>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <limits>
#include <set>

namespace {

// A setting as a property: a text, or a number within Low..High.
struct TSetting {
    std::string Name;
    TShortString StageRecord::*Text = nullptr;
    std::int64_t Low = 0;
    std::int64_t High = 0;
    std::function<std::int64_t(const StageRecord&)> Get;
    std::function<void(StageRecord&, std::int64_t)> Set;
};

TSetting TextSetting(const char* name, TShortString StageRecord::*text)
{
    TSetting setting;
    setting.Name = name;
    setting.Text = text;
    return setting;
}

template <typename TField>
TSetting NumberSetting(std::string name, TField StageRecord::*field, std::int64_t low = 0)
{
    TSetting setting;
    setting.Name = std::move(name);
    setting.Low = low;
    setting.High = std::numeric_limits<TField>::max();
    setting.Get = [field](const StageRecord& record) { return static_cast<std::int64_t>(record.*field); };
    setting.Set = [field](StageRecord& record, std::int64_t value) { record.*field = static_cast<TField>(value); };
    return setting;
}

TSetting EnemySetting(int type)
{
    char name[8];
    std::snprintf(name, sizeof name, "Enemy%02d", type);
    TSetting setting;
    setting.Name = name;
    setting.High = std::numeric_limits<std::uint16_t>::max();
    setting.Get = [type](const StageRecord& record) { return static_cast<std::int64_t>(record.EnemyCount[type]); };
    setting.Set = [type](StageRecord& record, std::int64_t value) {
        record.EnemyCount[type] = static_cast<std::uint16_t>(value);
    };
    return setting;
}

// Every setting, in the order a designer reads them.
const std::vector<TSetting>& Settings()
{
    static const std::vector<TSetting> settings = [] {
        std::vector<TSetting> list = {
            TextSetting("Caption", &StageRecord::Caption),
            TextSetting("BG_Bitmap", &StageRecord::BG_Bitmap),
            TextSetting("SI_Bitmap", &StageRecord::SI_Bitmap),
            // Written as a signed int, since Tiled keeps ints in 32 signed
            // bits; read back from either form.
            NumberSetting("BG_Color", &StageRecord::BG_Color, std::numeric_limits<std::int32_t>::min()),
            NumberSetting("BG_H_Tile", &StageRecord::BG_H_Tile),
            NumberSetting("BG_V_Tile", &StageRecord::BG_V_Tile),
            NumberSetting("MaxCount", &StageRecord::MaxCount),
        };
        for (int type = 0; type < EnemyTypeCount; ++type)
            list.push_back(EnemySetting(type));
        return list;
    }();
    return settings;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string CodePoint(char32_t ch)
{
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(ch));
    return text;
}

// The code point that starts at text[at], stepping `at` past it. The text
// is UTF-8 as the XML reader gives it, so well-formed.
char32_t NextCodePoint(const std::string& text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at++]);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t ch = extra > 0 ? lead & (0x3Fu >> extra) : lead;
    for (int k = 0; k < extra && at < text.size(); ++k)
        ch = ch << 6 | (static_cast<unsigned char>(text[at++]) & 0x3Fu);
    return ch;
}

// The record bytes of a property's text (no more than one past the 63 a
// string holds), or an error.
std::string TextBytes(const TTiledProperty& property, std::string& bytes)
{
    const std::string& text = property.Value;
    for (std::size_t at = 0; at < text.size();) {
        const char32_t ch = NextCodePoint(text, at);
        if (ch == U'\r' || ch == U'\n') {
            // CR LF, a lone CR and a lone LF are each one line break.
            if (ch == U'\r' && at < text.size() && text[at] == '\n')
                ++at;
            if (bytes.size() <= MaxShortString)
                bytes.push_back(static_cast<char>(LineBreakMark));
        } else if (ch == LineBreakMark) {
            return property.Name + " holds the character " + CodePoint(ch)
                   + ", which a stage stores as its line break; type a line break instead";
        } else if (ch > 0xFF) {
            return property.Name + " holds \"" + QString::fromUcs4(&ch, 1).toStdString() + "\" (" + CodePoint(ch)
                   + "), which a stage cannot store: only Latin-1 characters";
        } else if (ch < 0x20) {
            return property.Name + " holds the control character " + CodePoint(ch) + ", which a stage cannot store";
        } else if (bytes.size() <= MaxShortString) {
            bytes.push_back(static_cast<char>(ch));  // one past the 63 tells that the text is cut
        }
    }
    return {};
}

// The number a property holds, or an error.
std::string ReadNumber(const TTiledProperty& property, const TSetting& setting, std::int64_t& value)
{
    const std::string& text = property.Value;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end)
        return "the property " + property.Name + " holds " + Quoted(text) + ", which is no whole number";
    if (value < setting.Low || value > setting.High)
        return property.Name + " is " + text + "; it must be within " + std::to_string(setting.Low) + ".."
               + std::to_string(setting.High);
    return {};
}

// The value `record` holds for a setting, as the note on a missing one shows it.
std::string Shown(const TSetting& setting, const StageRecord& record)
{
    if (setting.Text)
        return Quoted(TiledText(record.*setting.Text));
    return std::to_string(setting.Get(record));
}

}  // namespace

std::string TiledText(const TShortString& text)
{
    std::string out;
    const std::string bytes = text.Str();
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == LineBreakMark)
            out.push_back('\n');
        else if (byte >= 0x20)
            AppendLatin1(out, &ch, 1);
    }
    return out;
}

bool HasControlBytes(const TShortString& text)
{
    for (const char ch : text.Str())
        if (static_cast<unsigned char>(ch) < 0x20)
            return true;
    return false;
}

std::vector<TTiledProperty> StageProperties(const StageRecord& record)
{
    std::vector<TTiledProperty> properties;
    for (const TSetting& setting : Settings()) {
        if (setting.Text) {
            properties.push_back({setting.Name, "string", TiledText(record.*setting.Text)});
        } else {
            std::int64_t value = setting.Get(record);
            if (setting.Low < 0)
                value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
            properties.push_back({setting.Name, "int", std::to_string(value)});
        }
    }
    return properties;
}

TStagePropertiesRead ReadStageProperties(const std::vector<TTiledProperty>& properties, StageRecord& record)
{
    TStagePropertiesRead read;
    std::set<std::string> seen;
    for (const TTiledProperty& property : properties) {
        const auto& settings = Settings();
        const auto setting = std::find_if(settings.begin(), settings.end(),
                                          [&property](const TSetting& s) { return s.Name == property.Name; });
        if (setting == settings.end()) {
            read.Notes.push_back("ignoring the map property " + Quoted(property.Name) + ", which is no stage setting");
            continue;
        }
        if (!seen.insert(property.Name).second) {
            read.Notes.push_back("the map property " + property.Name + " is given twice; the first is kept");
            continue;
        }
        const std::string type = property.Type.empty() ? "string" : property.Type;
        const std::string wanted = setting->Text ? "string" : "int";
        if (type != wanted) {
            read.Error = "the property " + property.Name + " is of type " + type + "; it must be " + wanted;
            return read;
        }
        if (setting->Text) {
            std::string bytes;
            read.Error = TextBytes(property, bytes);
            if (!read.Error.empty())
                return read;
            if (bytes.size() > MaxShortString)
                read.Notes.push_back(property.Name + " is cut to its first 63 characters");
            (record.*setting->Text).Assign(bytes);
        } else {
            std::int64_t value = 0;
            read.Error = ReadNumber(property, *setting, value);
            if (!read.Error.empty())
                return read;
            setting->Set(record, value);
        }
    }
    std::string missing;
    for (const TSetting& setting : Settings())
        if (!seen.count(setting.Name))
            missing += (missing.empty() ? "" : ", ") + setting.Name + " " + Shown(setting, record);
    if (!missing.empty())
        read.Notes.push_back("missing properties take the empty stage's values: " + missing);
    return read;
}

std::string TiledColor(std::uint32_t bgColor)
{
    if ((bgColor >> 24) != 0)
        return {};
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", bgColor & 0xFFu, (bgColor >> 8) & 0xFFu, (bgColor >> 16) & 0xFFu);
    return text;
}
