// Writing a stage as a TMX map, in the layout Tiled itself writes.
#include "storage/TiledLayerData.h"
#include "storage/TiledMap.h"
#include "storage/TiledProperties.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A cell's tile on a map whose only tileset starts at 1: code c is tile c.
std::uint32_t Gid(int code)
{
    return code >= 0 && code <= 63 ? static_cast<std::uint32_t>(code) + 1 : 0;
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
                    const std::int16_t (&cells)[FieldColumns][FieldRows], bool locked)
{
    std::vector<std::uint32_t> gids;
    gids.reserve(FieldColumns * FieldRows);
    for (int y = 0; y < FieldRows; ++y)
        for (int x = 0; x < FieldColumns; ++x)
            gids.push_back(Gid(cells[x][y]));
    xml.writeStartElement("layer");
    xml.writeAttribute("id", QString::number(id));
    xml.writeAttribute("name", name);
    xml.writeAttribute("width", QString::number(FieldColumns));
    xml.writeAttribute("height", QString::number(FieldRows));
    if (locked)
        xml.writeAttribute("locked", "1");
    xml.writeStartElement("data");
    xml.writeAttribute("encoding", "csv");
    xml.writeCharacters("\n" + Text(EncodeTiledCsv(gids, FieldColumns)) + "\n");
    xml.writeEndElement();
    xml.writeEndElement();
}

void WritePictureLayer(QXmlStreamWriter& xml, const TTiledStage& stage)
{
    xml.writeStartElement("imagelayer");
    xml.writeAttribute("id", "1");
    xml.writeAttribute("name", "Picture");
    if (!stage.PictureShown)
        xml.writeAttribute("visible", "0");
    if (stage.Stage.BG_H_Tile)
        xml.writeAttribute("repeatx", "1");
    if (stage.Stage.BG_V_Tile)
        xml.writeAttribute("repeaty", "1");
    xml.writeEmptyElement("image");
    xml.writeAttribute("source", Text(stage.Picture));
    xml.writeEndElement();
}

}  // namespace

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
    xml.writeAttribute("nextlayerid", "5");
    xml.writeAttribute("nextobjectid", "1");
    WriteProperties(xml, stage.Stage);
    xml.writeEmptyElement("tileset");
    xml.writeAttribute("firstgid", "1");
    xml.writeAttribute("source", Text(TiledTilesetFile));
    // Drawn from the back: the picture, BG, the shadows, FG.
    if (!stage.Picture.empty())
        WritePictureLayer(xml, stage);
    WriteTileLayer(xml, 2, "BG", stage.Stage.BG, false);
    WriteTileLayer(xml, 3, "Shadows", stage.Shadows, true);
    WriteTileLayer(xml, 4, "FG", stage.Stage.FG, false);
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes.toStdString();
}
