// Reading a TMX map as Tiled writes it after a designer's edits: elements in
// any order, layers found by name (inside groups too), every layer encoding,
// any firstgid. Whatever is not a stage's is ignored, with a note for the
// user where it might be a designer's work.
#include "storage/TiledLayerData.h"
#include "storage/TiledMap.h"
#include "storage/TiledProperties.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace {

constexpr std::size_t CellCount = static_cast<std::size_t>(FieldColumns) * FieldRows;
// Groups are read by recursion, so their depth is bound.
constexpr int MaxGroupDepth = 100;
// Tiled keeps flips and rotations in the top bits of a tile number.
constexpr std::uint32_t TileFlagBits = 0xF0000000u;

// Why a map is refused, thrown from anywhere in the reading.
struct TRefusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct TTilesetRef {
    std::uint32_t FirstGid = 0;
    std::string Label;  // its file, or its name when embedded
    bool Ours = false;
};

struct TTileLayer {
    bool Found = false;
    std::vector<std::uint32_t> Gids;
};

struct TPictureLayer {
    bool Found = false;
    std::string Source;
    bool RepeatX = false;
    bool RepeatY = false;
};

std::string Std(const QString& text)
{
    return text.toStdString();
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char ch) { return static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); });
    return text;
}

// The file name at the end of a path, whichever slashes it uses.
std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class TMapReader {
public:
    explicit TMapReader(std::string_view bytes) : Xml(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()))) {}

    TTiledMapRead Read()
    {
        EmptyStage(Result.Map.Stage);
        try {
            ReadMap();
            TakeCells("BG", BG, Result.Map.Stage.BG);
            TakeCells("FG", FG, Result.Map.Stage.FG);
            TakeProperties();
        } catch (const TRefusal& refusal) {
            Result.Error = refusal.what();
            Result.Notes.clear();
        }
        return std::move(Result);
    }

private:
    std::string Attribute(const char* name) const { return Std(Xml.attributes().value(name).toString()); }
    bool HasAttribute(const char* name) const { return Xml.attributes().hasAttribute(name); }
    long long Number(const char* name) const { return Xml.attributes().value(name).toLongLong(); }

    void CheckXml() const
    {
        if (Xml.hasError())
            throw TRefusal("it is not well-formed XML: " + Std(Xml.errorString()) + " (line "
                           + std::to_string(Xml.lineNumber()) + ", column " + std::to_string(Xml.columnNumber()) + ")");
    }

    void ReadMap()
    {
        if (!Xml.readNextStartElement()) {
            CheckXml();
            throw TRefusal("it holds no XML element");
        }
        if (Xml.name() != QLatin1String("map"))
            throw TRefusal("it is no Tiled map: its first element is <" + Std(Xml.name().toString()) + ">");
        const std::string orientation = Attribute("orientation");
        if (!orientation.empty() && orientation != "orthogonal")
            throw TRefusal("the map is " + orientation + "; a stage is an orthogonal map");
        if (Attribute("infinite") == "1")
            throw TRefusal("the map is infinite; a stage is a map of 40 x 30 tiles");
        if (Number("width") != FieldColumns || Number("height") != FieldRows)
            throw TRefusal("the map is " + Attribute("width") + " x " + Attribute("height")
                           + " tiles; a stage is 40 x 30");
        if (Number("tilewidth") != 16 || Number("tileheight") != 16)
            throw TRefusal("the map's tiles are " + Attribute("tilewidth") + " x " + Attribute("tileheight")
                           + " pixels; a stage's are 16 x 16");
        BackgroundColor = Attribute("backgroundcolor");
        while (Xml.readNextStartElement()) {
            if (Xml.name() == QLatin1String("properties"))
                ReadProperties();
            else if (Xml.name() == QLatin1String("tileset"))
                ReadTileset();
            else
                ReadLayer(0);
        }
        CheckXml();
    }

    void ReadProperties()
    {
        while (Xml.readNextStartElement()) {
            if (Xml.name() != QLatin1String("property")) {
                Xml.skipCurrentElement();
                continue;
            }
            TTiledProperty property{Attribute("name"), Attribute("type"), Attribute("value")};
            // A text with line breaks is the element's text instead.
            if (!HasAttribute("value"))
                property.Value = Std(Xml.readElementText(QXmlStreamReader::SkipChildElements));
            else
                Xml.skipCurrentElement();
            Properties.push_back(std::move(property));
        }
    }

    void ReadTileset()
    {
        TTilesetRef tileset;
        bool ok = false;
        tileset.FirstGid = Xml.attributes().value("firstgid").toUInt(&ok);
        if (!ok || tileset.FirstGid == 0)
            throw TRefusal("a tileset has no firstgid of 1 or more");
        if (HasAttribute("source")) {
            tileset.Label = Attribute("source");
            tileset.Ours = FileNameOf(tileset.Label) == TiledTilesetFile;
        } else {
            tileset.Label = Attribute("name");
            tileset.Ours = tileset.Label == TiledTilesetName;
        }
        Tilesets.push_back(std::move(tileset));
        Xml.skipCurrentElement();
    }

    // A layer of any kind; groups are looked into.
    void ReadLayer(int depth)
    {
        const QString kind = Xml.name().toString();
        const std::string name = Attribute("name");
        if (kind == QLatin1String("group")) {
            if (depth == MaxGroupDepth)
                throw TRefusal("its layer groups are nested more than " + std::to_string(MaxGroupDepth) + " deep");
            while (Xml.readNextStartElement())
                ReadLayer(depth + 1);
            return;
        }
        const bool ours = name == "Shadows" || name == "Picture";
        if (kind == QLatin1String("layer") && (name == "BG" || name == "FG"))
            ReadTileLayer(name, name == "BG" ? BG : FG);
        else if (kind == QLatin1String("imagelayer") && name == "Picture")
            ReadPictureLayer();
        else if (kind == QLatin1String("layer") || kind == QLatin1String("imagelayer"))
            Ignore(ours,
                   "the " + std::string(kind == QLatin1String("layer") ? "tile" : "image") + " layer " + Quoted(name));
        else if (kind == QLatin1String("objectgroup"))
            Ignore(ours, "the object layer " + Quoted(name), "object");
        else
            Xml.skipCurrentElement();
    }

    // Skips the current layer, with a note unless it is one of the map's own;
    // `counted` names the children to count in the note.
    void Ignore(bool silently, const std::string& what, const char* counted = nullptr)
    {
        int count = 0;
        while (Xml.readNextStartElement()) {
            count += counted && Xml.name() == QLatin1String(counted);
            Xml.skipCurrentElement();
        }
        if (silently)
            return;
        std::string note = "ignoring " + what;
        if (counted)
            note += " (" + std::to_string(count) + " " + counted + (count == 1 ? ")" : "s)");
        Result.Notes.push_back(note);
    }

    void ReadTileLayer(const std::string& name, TTileLayer& layer)
    {
        if (layer.Found)
            throw TRefusal("two tile layers are named " + name + "; rename the one that is not the stage's");
        layer.Found = true;
        if ((HasAttribute("width") && Number("width") != FieldColumns)
            || (HasAttribute("height") && Number("height") != FieldRows))
            throw TRefusal("layer " + name + " is " + Attribute("width") + " x " + Attribute("height")
                           + " tiles; the map is 40 x 30");
        bool hasData = false;
        while (Xml.readNextStartElement()) {
            if (Xml.name() == QLatin1String("data")) {
                layer.Gids = ReadData(name);
                hasData = true;
            } else {
                Xml.skipCurrentElement();
            }
        }
        CheckXml();
        if (!hasData)
            throw TRefusal("layer " + name + " holds no data");
    }

    std::vector<std::uint32_t> ReadData(const std::string& name)
    {
        const std::string encoding = Attribute("encoding");
        const std::string compression = Attribute("compression");
        QString text;
        std::vector<std::uint32_t> tiles;
        while (!Xml.atEnd()) {
            const QXmlStreamReader::TokenType token = Xml.readNext();
            if (token == QXmlStreamReader::EndElement)
                break;
            if (token == QXmlStreamReader::Characters)
                text += Xml.text();
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (Xml.name() == QLatin1String("chunk"))
                throw TRefusal("layer " + name + " is stored in chunks, as an infinite map's; a stage is 40 x 30");
            if (encoding.empty() && Xml.name() == QLatin1String("tile")) {
                if (tiles.size() == CellCount)
                    throw TRefusal("layer " + name + " holds more than the map's 1200 cells");
                bool ok = true;
                tiles.push_back(HasAttribute("gid") ? Xml.attributes().value("gid").toUInt(&ok) : 0);
                if (!ok)
                    throw TRefusal("layer " + name + ", cell " + std::to_string(tiles.size() - 1) + ": the tile number "
                                   + Quoted(Attribute("gid")) + " is no tile number");
            }
            Xml.skipCurrentElement();
        }
        CheckXml();
        if (encoding.empty()) {
            if (tiles.size() != CellCount)
                throw TRefusal("layer " + name + " holds " + std::to_string(tiles.size())
                               + " cells, not the map's 1200");
            return tiles;
        }
        const std::string utf8 = Std(text);
        TTiledLayerData data = DecodeTiledLayerData(encoding, compression, utf8, CellCount);
        if (!data)
            throw TRefusal("layer " + name + ": " + data.Error);
        return std::move(data.Gids);
    }

    void ReadPictureLayer()
    {
        if (Picture.Found)
            throw TRefusal("two image layers are named Picture");
        Picture.Found = true;
        Picture.RepeatX = Attribute("repeatx") == "1";
        Picture.RepeatY = Attribute("repeaty") == "1";
        while (Xml.readNextStartElement()) {
            if (Xml.name() == QLatin1String("image"))
                Picture.Source = Attribute("source");
            Xml.skipCurrentElement();
        }
    }

    // The cells of a tile layer as tile codes; the first cell at fault
    // refuses the map, with the number of such cells.
    void TakeCells(const char* name, const TTileLayer& layer, std::int16_t (&cells)[FieldColumns][FieldRows])
    {
        if (!layer.Found)
            throw TRefusal(std::string("the map has no tile layer named ") + name + " (the stage's " + name
                           + " cells)");
        std::sort(Tilesets.begin(), Tilesets.end(),
                  [](const TTilesetRef& a, const TTilesetRef& b) { return a.FirstGid < b.FirstGid; });
        std::string first;
        int faults = 0;
        for (std::size_t i = 0; i < CellCount; ++i) {
            const int x = static_cast<int>(i % FieldColumns);
            const int y = static_cast<int>(i / FieldColumns);
            const std::string fault = CellCode(layer.Gids[i], cells[x][y]);
            if (fault.empty())
                continue;
            if (faults++ == 0)
                first = "layer " + std::string(name) + ", column " + std::to_string(x) + ", row " + std::to_string(y)
                        + ": " + fault;
        }
        if (faults > 1)
            first += " (" + std::to_string(faults) + " cells in all)";
        if (faults > 0)
            throw TRefusal(first);
    }

    // The code of one cell's tile, or what is wrong with it.
    std::string CellCode(std::uint32_t gid, std::int16_t& code) const
    {
        code = EmptyCode;
        if (gid == 0)
            return {};
        if (gid & TileFlagBits)
            return "the tile is flipped or rotated, which the game cannot draw";
        const auto after = std::upper_bound(Tilesets.begin(), Tilesets.end(), gid,
                                            [](std::uint32_t g, const TTilesetRef& t) { return g < t.FirstGid; });
        if (after == Tilesets.begin())
            return "tile number " + std::to_string(gid) + " belongs to no tileset";
        const TTilesetRef& tileset = *(after - 1);
        if (!tileset.Ours)
            return "a tile from the tileset " + Quoted(tileset.Label) + "; only the stage's own tiles ("
                   + std::string(TiledTilesetFile) + ") can be stored";
        const std::uint32_t local = gid - tileset.FirstGid;
        if (local > 63)
            return "tile " + std::to_string(local) + " is beyond the stage's 64 tiles";
        code = static_cast<std::int16_t>(local);
        return {};
    }

    void TakeProperties()
    {
        StageRecord& stage = Result.Map.Stage;
        TStagePropertiesRead read = ReadStageProperties(Properties, stage);
        if (!read.Error.empty())
            throw TRefusal(read.Error);
        Result.Notes.insert(Result.Notes.end(), read.Notes.begin(), read.Notes.end());
        NoteColor(stage);
        NotePicture(stage);
    }

    void NoteColor(const StageRecord& stage)
    {
        std::string shown = Lower(BackgroundColor);
        if (!shown.empty() && shown[0] != '#')
            shown.insert(0, "#");
        if (shown.size() == 9)
            shown.erase(1, 2);  // the alpha
        const std::string color = TiledColor(stage.BG_Color);
        if (shown == color)
            return;
        const std::string kept =
            "BG_Color " + std::to_string(stage.BG_Color) + (color.empty() ? " (no colour)" : " (" + color + ")");
        Result.Notes.push_back(shown.empty() ? "the map has no background colour; " + kept + " is kept"
                                             : "the map's background colour " + shown + " differs from " + kept
                                                   + ", which is kept");
    }

    void NotePicture(const StageRecord& stage)
    {
        if (!Picture.Found)
            return;
        std::string wanted = stage.BG_Bitmap.Str();
        std::string source = Picture.Source;
        std::replace(wanted.begin(), wanted.end(), '\\', '/');
        std::replace(source.begin(), source.end(), '\\', '/');
        wanted = wanted.empty() ? "" : Lower("Map/" + wanted);
        const std::string lower = Lower(source);
        const bool sameFile =
            wanted.empty() ? source.empty()
                           : lower.size() >= wanted.size()
                                 && lower.compare(lower.size() - wanted.size(), wanted.size(), wanted) == 0
                                 && (lower.size() == wanted.size() || lower[lower.size() - wanted.size() - 1] == '/');
        if (sameFile && Picture.RepeatX == (stage.BG_H_Tile != 0) && Picture.RepeatY == (stage.BG_V_Tile != 0))
            return;
        Result.Notes.push_back("the image layer Picture (" + (source.empty() ? "no image" : Quoted(source))
                               + (Picture.RepeatX ? ", repeated across" : "")
                               + (Picture.RepeatY ? ", repeated down" : "") + ") differs from BG_Bitmap "
                               + Quoted(TiledText(stage.BG_Bitmap)) + " with BG_H_Tile "
                               + std::to_string(stage.BG_H_Tile) + " and BG_V_Tile " + std::to_string(stage.BG_V_Tile)
                               + ", which are kept");
    }

    QXmlStreamReader Xml;
    TTiledMapRead Result;
    std::vector<TTiledProperty> Properties;
    std::vector<TTilesetRef> Tilesets;
    TTileLayer BG;
    TTileLayer FG;
    TPictureLayer Picture;
    std::string BackgroundColor;
};

}  // namespace

TTiledMapRead ReadTiledMap(std::string_view bytes)
{
    return TMapReader(bytes).Read();
}
