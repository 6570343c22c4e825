// Writing a stage as a TMX map, in the layout Tiled itself writes.
#include "storage/TiledLayerData.h"
#include "storage/TiledMap.h"
#include "storage/TiledProperties.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>

#include <cctype>
#include <string>

namespace {

// flag.png's transparent colour: the flag's key (ArtFlagKey).
constexpr const char* FlagKey = "ff00ff";
constexpr std::string_view BackgroundSuffix = "-background.png";

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A cell's tile on a map whose only tileset starts at 1: code c is tile c.
// The shadow patterns are tiles of the Shadows layer alone.
std::uint32_t Gid(int code, bool shadowLayer)
{
    if (!InCodeRange(code, 0, 63) || (!shadowLayer && InCodeRange(code, 16, 23)))
        return 0;
    return static_cast<std::uint32_t>(code) + 1;
}

void WriteProperties(QXmlStreamWriter& xml, const StageRecord& record)
{
    xml.writeStartElement("properties");
    for (const TTiledProperty& property : StageProperties(record)) {
        xml.writeStartElement("property");
        xml.writeAttribute("name", Text(property.Name));
        if (property.Type != "string")
            xml.writeAttribute("type", Text(property.Type));
        // As Tiled does: a text with line breaks goes into the element, where
        // they survive; an attribute's would be read back as spaces.
        if (property.Value.find('\n') != std::string::npos)
            xml.writeCharacters(Text(property.Value));
        else
            xml.writeAttribute("value", Text(property.Value));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void WriteTileLayer(QXmlStreamWriter& xml, int id, const char* name,
                    const std::int16_t (&cells)[FieldColumns][FieldRows], bool shadowLayer)
{
    std::vector<std::uint32_t> gids;
    gids.reserve(FieldColumns * FieldRows);
    for (int y = 0; y < FieldRows; ++y)
        for (int x = 0; x < FieldColumns; ++x)
            gids.push_back(Gid(cells[x][y], shadowLayer));
    xml.writeStartElement("layer");
    xml.writeAttribute("id", QString::number(id));
    xml.writeAttribute("name", name);
    xml.writeAttribute("width", QString::number(FieldColumns));
    xml.writeAttribute("height", QString::number(FieldRows));
    if (shadowLayer)
        xml.writeAttribute("locked", "1");
    xml.writeStartElement("data");
    xml.writeAttribute("encoding", "csv");
    xml.writeCharacters("\n" + Text(EncodeTiledCsv(gids, FieldColumns)) + "\n");
    xml.writeEndElement();
    xml.writeEndElement();
}

// A locked image layer of one picture the map's size, drawn once: `key`,
// when given, is its transparent colour ("ff00ff").
void WriteImageLayer(QXmlStreamWriter& xml, int id, const char* name, std::string_view source, const char* key)
{
    xml.writeStartElement("imagelayer");
    xml.writeAttribute("id", QString::number(id));
    xml.writeAttribute("name", name);
    xml.writeAttribute("locked", "1");
    xml.writeEmptyElement("image");
    xml.writeAttribute("source", Text(source));
    if (key)
        xml.writeAttribute("trans", key);
    xml.writeEndElement();
}

}  // namespace

std::string TiledBackgroundFile(int number)
{
    return (number >= 0 && number < 10 ? "0" : "") + std::to_string(number) + std::string(BackgroundSuffix);
}

bool IsTiledBackgroundFile(std::string_view name)
{
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    return name.size() == 2 + BackgroundSuffix.size() && std::isdigit(static_cast<unsigned char>(name[0]))
           && std::isdigit(static_cast<unsigned char>(name[1])) && name.substr(2) == BackgroundSuffix;
}

std::string WriteTiledMap(const TTiledStage& stage)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement("map");
    xml.writeAttribute("version", "1.8");
    xml.writeAttribute("orientation", "orthogonal");
    xml.writeAttribute("renderorder", "right-down");
    xml.writeAttribute("width", QString::number(FieldColumns));
    xml.writeAttribute("height", QString::number(FieldRows));
    xml.writeAttribute("tilewidth", "16");
    xml.writeAttribute("tileheight", "16");
    xml.writeAttribute("infinite", "0");
    if (const std::string color = TiledColor(stage.Stage.BG_Color); !color.empty())
        xml.writeAttribute("backgroundcolor", Text(color));
    xml.writeAttribute("nextlayerid", "6");
    xml.writeAttribute("nextobjectid", "1");
    WriteProperties(xml, stage.Stage);
    xml.writeEmptyElement("tileset");
    xml.writeAttribute("firstgid", "1");
    xml.writeAttribute("source", Text(TiledTilesetFile));
    // Drawn from the back, as the display draws them: the background, BG,
    // the shadows, FG, the flag.
    if (!stage.Background.empty())
        WriteImageLayer(xml, 1, "Picture", stage.Background, nullptr);
    WriteTileLayer(xml, 2, "BG", stage.Stage.BG, false);
    WriteTileLayer(xml, 3, "Shadows", stage.Shadows, true);
    WriteTileLayer(xml, 4, "FG", stage.Stage.FG, false);
    WriteImageLayer(xml, 5, "Flag", TiledFlagImageFile, FlagKey);
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes.toStdString();
}
