// Reading a TMX map as Tiled writes it after a designer's edits: elements in
// any order, layers found by name (inside groups too), every layer encoding,
// any firstgid. Whatever is not a stage's is ignored, with a note for the
// user where it might be a designer's work.
#include "storage/TiledLayerData.h"
#include "storage/TiledMap.h"
#include "storage/TiledProperties.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace {

constexpr std::size_t CellCount = static_cast<std::size_t>(FieldColumns) * FieldRows;
// Groups are read by recursion, so their depth is bound; so is the depth of
// all elements, whose every level the XML reader keeps while inside it.
constexpr int MaxGroupDepth = 100;
constexpr int MaxElementDepth = MaxGroupDepth + 20;
// What the reading keeps of each tileset, property and ignored layer is
// bound by the number of them; a stage's map has a few of each.
constexpr int MaxElementsKept = 1000;
// Tiled writes a dozen attributes at most on one element.
constexpr int MaxAttributes = 64;
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

// Appends `text` as UTF-8 a piece at a time, so that a long text is not
// copied whole on the way.
void AppendUtf8(std::string& out, QStringView text)
{
    constexpr qsizetype Piece = 1024;
    char buffer[3 * Piece];
    QStringEncoder encoder(QStringConverter::Utf8);
    for (qsizetype at = 0; at < text.size();) {
        qsizetype length = std::min(Piece, text.size() - at);
        if (at + length < text.size() && text[at + length - 1].isHighSurrogate())
            --length;  // the pair stays in one piece
        char* end = encoder.appendToBuffer(buffer, text.mid(at, length));
        out.append(buffer, static_cast<std::size_t>(end - buffer));
        at += length;
    }
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

// Entities a map uses but never defines (possible once it names an outside
// DTD): the reader leaves them out of the text, so their names are kept.
class TUndeclaredEntities : public QXmlStreamEntityResolver {
public:
    QString resolveUndeclaredEntity(const QString& name) override
    {
        Names.push_back(name.toStdString());
        return {};
    }
    std::vector<std::string> Names;
};

// Refuses, before the XML reader sees them, the bytes that would make its
// memory outgrow them: more than MaxTiledMapBytes, an element with more than
// MaxAttributes attributes (the reader keeps a hundred bytes and more for
// each), and a DTD of the map's own (its declarations add attributes and
// text that the bytes do not hold). Attributes are counted as the '=' signs
// of a tag outside its quoted values, never fewer than the reader finds;
// comments, CDATA sections and processing instructions are passed over.
std::string ShapeProblem(std::string_view bytes)
{
    if (bytes.size() > MaxTiledMapBytes)
        return "it is " + std::to_string(bytes.size())
               + " bytes, more than the 1 MB a map may hold (an exported map is about 9 KB)";
    const auto skipTo = [&bytes](std::size_t from, std::string_view end) {
        const std::size_t found = bytes.find(end, from);
        return found == std::string_view::npos ? bytes.size() : found + end.size();
    };
    for (std::size_t at = bytes.find('<'); at < bytes.size(); at = bytes.find('<', at)) {
        const std::string_view rest = bytes.substr(at);
        if (rest.starts_with("<!--")) {
            at = skipTo(at + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            at = skipTo(at, "]]>");
        } else if (rest.starts_with("<?")) {
            at = skipTo(at, "?>");
        } else if (rest.starts_with("<!")) {
            const std::size_t end = skipTo(at, ">");
            if (rest.starts_with("<!DOCTYPE") && bytes.substr(at, end - at).find('[') != std::string_view::npos)
                return "it declares a DTD of its own, which a Tiled map never holds";
            at = end;
        } else {
            int attributes = 0;
            char quote = 0;
            for (++at; at < bytes.size() && (quote || (bytes[at] != '>' && bytes[at] != '<')); ++at) {
                const char ch = bytes[at];
                if (quote)
                    quote = ch == quote ? 0 : quote;
                else if (ch == '"' || ch == '\'')
                    quote = ch;
                else
                    attributes += ch == '=';
            }
            if (attributes > MaxAttributes)
                return "an element holds more than " + std::to_string(MaxAttributes) + " attributes";
        }
    }
    return {};
}

class TMapReader {
public:
    // The bytes are read in the XML reader's own small pieces, not decoded
    // whole, so that its memory stays a small multiple of their size.
    explicit TMapReader(std::string_view bytes)
        : Data(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()))), Device(&Data)
    {
        Device.open(QIODevice::ReadOnly);
        Xml.setDevice(&Device);
        Xml.setEntityResolver(&Entities);
    }

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
    std::string Attribute(const char* name) const
    {
        std::string value;
        AppendUtf8(value, Xml.attributes().value(name));
        return value;
    }
    bool HasAttribute(const char* name) const { return Xml.attributes().hasAttribute(name); }
    long long Number(const char* name) const { return Xml.attributes().value(name).toLongLong(); }

    void CheckXml() const
    {
        if (Xml.hasError())
            throw TRefusal("it is not well-formed XML: " + Std(Xml.errorString()) + " (line "
                           + std::to_string(Xml.lineNumber()) + ", column " + std::to_string(Xml.columnNumber()) + ")");
    }

    // The next token, with the depth of elements kept.
    QXmlStreamReader::TokenType Next()
    {
        const QXmlStreamReader::TokenType token = Xml.readNext();
        if (token == QXmlStreamReader::StartElement && ++Depth > MaxElementDepth)
            throw TRefusal("its elements are nested more than " + std::to_string(MaxElementDepth) + " deep");
        if (token == QXmlStreamReader::EndElement)
            --Depth;
        return token;
    }

    // As QXmlStreamReader's own, through Next.
    bool ReadNextStartElement()
    {
        for (;;) {
            const QXmlStreamReader::TokenType token = Next();
            if (token == QXmlStreamReader::StartElement)
                return true;
            if (token == QXmlStreamReader::EndElement || token == QXmlStreamReader::Invalid
                || token == QXmlStreamReader::EndDocument)
                return false;
        }
    }

    void SkipCurrentElement()
    {
        for (const int depth = Depth; Depth >= depth;)
            if (Next() == QXmlStreamReader::Invalid)
                return;
    }

    // The current element's text, child elements left out; an entity that
    // the map never defines refuses it, naming `what` holds it.
    std::string ElementText(const std::string& what)
    {
        std::string text;
        for (QXmlStreamReader::TokenType token = Next(); token != QXmlStreamReader::EndElement; token = Next()) {
            if (token == QXmlStreamReader::Characters)
                AppendUtf8(text, Xml.text());
            else if (token == QXmlStreamReader::EntityReference)
                Entities.Names.push_back(Std(Xml.name().toString()));
            else if (token == QXmlStreamReader::StartElement)
                SkipCurrentElement();
            else if (token == QXmlStreamReader::Invalid)
                break;
            RefuseUndeclaredEntities(what);
        }
        return text;
    }

    void RefuseUndeclaredEntities(const std::string& what)
    {
        if (!Entities.Names.empty())
            throw TRefusal(what + " holds the entity &" + Entities.Names.front() + ";, which the map does not define");
    }

    // One more element of a kind whose count is bound.
    static void Keep(int& count, const char* what)
    {
        if (++count > MaxElementsKept)
            throw TRefusal("it holds more than " + std::to_string(MaxElementsKept) + " " + what
                           + "; a stage's map holds a few");
    }

    void ReadMap()
    {
        if (!ReadNextStartElement()) {
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
        while (ReadNextStartElement()) {
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
        for (Entities.Names.clear(); ReadNextStartElement(); Entities.Names.clear()) {
            if (Xml.name() != QLatin1String("property")) {
                SkipCurrentElement();
                continue;
            }
            Keep(PropertyCount, "map properties");
            TTiledProperty property{Attribute("name"), Attribute("type"), Attribute("value")};
            const std::string what = "the property " + property.Name;
            RefuseUndeclaredEntities(what);
            // A text with line breaks is the element's text instead.
            if (!HasAttribute("value"))
                property.Value = ElementText(what);
            else
                SkipCurrentElement();
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
        Keep(TilesetCount, "tilesets");
        Tilesets.push_back(std::move(tileset));
        SkipCurrentElement();
    }

    // A layer of any kind; groups are looked into.
    void ReadLayer(int depth)
    {
        const QString kind = Xml.name().toString();
        const std::string name = Attribute("name");
        if (kind == QLatin1String("group")) {
            if (depth == MaxGroupDepth)
                throw TRefusal("its layer groups are nested more than " + std::to_string(MaxGroupDepth) + " deep");
            while (ReadNextStartElement())
                ReadLayer(depth + 1);
            return;
        }
        const bool ours = name == "Shadows" || name == "Picture" || name == "Flag";
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
            SkipCurrentElement();
    }

    // Skips the current layer, with a note unless it is one of the map's own;
    // `counted` names the children to count in the note.
    void Ignore(bool silently, const std::string& what, const char* counted = nullptr)
    {
        int count = 0;
        while (ReadNextStartElement()) {
            count += counted && Xml.name() == QLatin1String(counted);
            SkipCurrentElement();
        }
        if (silently)
            return;
        Keep(IgnoredCount, "layers");
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
        while (ReadNextStartElement()) {
            if (Xml.name() == QLatin1String("data")) {
                layer.Gids = ReadData(name);
                hasData = true;
            } else {
                SkipCurrentElement();
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
        std::string text;
        std::vector<std::uint32_t> tiles;
        while (!Xml.atEnd()) {
            const QXmlStreamReader::TokenType token = Next();
            if (token == QXmlStreamReader::EndElement)
                break;
            if (token == QXmlStreamReader::Characters)
                AppendUtf8(text, Xml.text());
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
            SkipCurrentElement();
        }
        CheckXml();
        if (encoding.empty()) {
            if (tiles.size() != CellCount)
                throw TRefusal("layer " + name + " holds " + std::to_string(tiles.size())
                               + " cells, not the map's 1200");
            return tiles;
        }
        TTiledLayerData data = DecodeTiledLayerData(encoding, compression, text, CellCount);
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
        while (ReadNextStartElement()) {
            if (Xml.name() == QLatin1String("image"))
                Picture.Source = Attribute("source");
            SkipCurrentElement();
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
        if (InCodeRange(static_cast<int>(local), 16, 23))
            return "tile " + std::to_string(local) + " is a shadow pattern, which the editor draws from FG itself";
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

    // The Picture layer shows the background drawn at export; one that shows
    // anything else is not what the stage holds.
    void NotePicture(const StageRecord& stage)
    {
        if (!Picture.Found || (IsTiledBackgroundFile(Picture.Source) && !Picture.RepeatX && !Picture.RepeatY))
            return;
        Result.Notes.push_back(
            "the image layer Picture (" + (Picture.Source.empty() ? "no image" : Quoted(Picture.Source))
            + (Picture.RepeatX ? ", repeated across" : "") + (Picture.RepeatY ? ", repeated down" : "")
            + ") is not the stage's background; BG_Bitmap " + Quoted(TiledText(stage.BG_Bitmap)) + " with BG_H_Tile "
            + std::to_string(stage.BG_H_Tile) + " and BG_V_Tile " + std::to_string(stage.BG_V_Tile) + " are kept");
    }

    QByteArray Data;
    QBuffer Device;
    TUndeclaredEntities Entities;
    QXmlStreamReader Xml;
    int Depth = 0;
    int PropertyCount = 0;
    int TilesetCount = 0;
    int IgnoredCount = 0;
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
    if (std::string why = ShapeProblem(bytes); !why.empty()) {
        TTiledMapRead refused;
        refused.Error = std::move(why);
        return refused;
    }
    return TMapReader(bytes).Read();
}
