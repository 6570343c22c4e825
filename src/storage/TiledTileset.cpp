#include "storage/TiledTileset.h"

#include "stage/TileAnimation.h"
#include "storage/TiledMap.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>

namespace {

constexpr int TileCount = 64;
constexpr int TileColumns = 16;
// Where the animations start in the editor's tick count: right after a burst
// of the ground tiles and before any other turn, so every animation begins
// with the tile itself, as a stage loaded between bursts shows it.
constexpr std::int32_t AnimationStartTick = 4;

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::vector<TTiledFrame> TiledAnimation(int code)
{
    const TTileSchedule schedule = ScheduleOfTile(code);
    std::vector<TTiledFrame> frames;
    if (schedule == TTileSchedule::None)
        return frames;
    // The schedules look at the low byte of the tick only and turn every
    // tile a whole number of rounds a period, so one period loops seamlessly.
    int shown = code;
    for (std::int32_t tick = AnimationStartTick; tick < AnimationStartTick + AnimationPeriodTicks; ++tick) {
        if (TurnsOn(schedule, tick))
            shown = AdvancedCode(shown);
        if (!frames.empty() && frames.back().TileId == shown)
            frames.back().Duration += TickMilliseconds;
        else
            frames.push_back({shown, TickMilliseconds});
    }
    return frames;
}

std::string WriteTiledTileset()
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement("tileset");
    xml.writeAttribute("version", "1.8");
    xml.writeAttribute("name", Text(TiledTilesetName));
    xml.writeAttribute("tilewidth", "16");
    xml.writeAttribute("tileheight", "16");
    xml.writeAttribute("tilecount", QString::number(TileCount));
    xml.writeAttribute("columns", QString::number(TileColumns));
    xml.writeEmptyElement("image");
    xml.writeAttribute("source", Text(TiledTileImageFile));
    xml.writeAttribute("trans", "f800f8");
    xml.writeAttribute("width", QString::number(16 * TileColumns));
    xml.writeAttribute("height", QString::number(16 * TileCount / TileColumns));
    for (int code = 0; code < TileCount; ++code) {
        const std::vector<TTiledFrame> frames = TiledAnimation(code);
        if (frames.empty())
            continue;
        xml.writeStartElement("tile");
        xml.writeAttribute("id", QString::number(code));
        xml.writeStartElement("animation");
        for (const TTiledFrame& frame : frames) {
            xml.writeEmptyElement("frame");
            xml.writeAttribute("tileid", QString::number(frame.TileId));
            xml.writeAttribute("duration", QString::number(frame.Duration));
        }
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes.toStdString();
}
