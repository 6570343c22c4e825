// stagetool tiled-export and tiled-import as designers run them, with Tiled
// itself as the outside judge: it must read every exported map as we meant
// it, and the maps it writes must import to the same records.
#include "cli/TiledSet.h"
#include "editor/StageRenderer.h"
#include "platform/PictureDecode.h"
#include "storage/TiledMap.h"
#include "storage/TiledProperties.h"
#include "support/EditorStages.h"
#include "support/StageFileKit.h"
#include "support/StageToolRun.h"
#include "support/TiledKit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <cstdlib>
#include <sstream>

namespace {

QJsonObject Json(const std::string& text)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

std::string MapName(std::size_t number)
{
    return (number < 10 ? "0" : "") + std::to_string(number) + ".tmx";
}

std::vector<std::uint32_t> Gids(const QJsonValue& data)
{
    std::vector<std::uint32_t> gids;
    for (const QJsonValue gid : data.toArray())
        gids.push_back(static_cast<std::uint32_t>(gid.toDouble()));
    return gids;
}

// Tiled's JSON of a map with every tile layer's data as base64 of the packed
// numbers, as Tiled writes it when the map is set to that compression.
std::string Repacked(const std::string& json, const std::string& compression)
{
    QJsonObject map = Json(json);
    QJsonArray layers = map["layers"].toArray();
    for (qsizetype i = 0; i < layers.size(); ++i) {
        QJsonObject layer = layers[i].toObject();
        if (layer["type"].toString() != "tilelayer")
            continue;
        layer["data"] = QString::fromStdString(Base64(Compressed(LittleEndian(Gids(layer["data"])), compression)));
        layer["encoding"] = "base64";
        if (!compression.empty())
            layer["compression"] = QString::fromStdString(compression);
        layers[i] = layer;
    }
    map["layers"] = layers;
    return QJsonDocument(map).toJson().toStdString();
}

class TiledToolTest : public StageToolTest {
protected:
    void SetUp() override
    {
        StageToolTest::SetUp();
        Stages = EditorMadeStages(3);
        Write("Stage.Dat", RecordBytes(Stages));
        fs::copy(ExampleStageFile().parent_path() / "Map", Dir / "Map");
    }
    // Tiled's command line, as the test suite installs it, on files of the
    // test's folder (given as absolute paths: Tiled writes paths relative to
    // its output only when that is absolute).
    TRun Tiled(const std::string& option, const std::string& in, const std::string& out) const
    {
        return RunScript("QT_QPA_PLATFORM=offscreen tiled " + option + " '" + (Dir / in).string() + "' '"
                         + (Dir / out).string() + "' 2>>tiled.log");
    }
    std::vector<StageRecord> Stages;
};

}  // namespace

// Every stage the editor makes comes back byte for byte, with nothing lost
// or noted.
TEST_F(TiledToolTest, ExportThenImportGivesTheFileBack)
{
    Stages = EditorMadeStages(20);
    Write("Stage.Dat", RecordBytes(Stages));
    ASSERT_EQ(Run("tiled-export out").Status, 0);
    EXPECT_EQ(Stderr(), "");
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir / "out"))
        names.insert(entry.path().filename().string());
    std::set<std::string> expected = {"tiles.png", "tiles.tsx", "flag.png", "stages.world"};
    for (std::size_t n = 0; n < Stages.size(); ++n) {
        expected.insert(MapName(n));
        expected.insert(MapName(n).substr(0, 2) + "-background.png");
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(Read("out/tiles.png").substr(0, 4), "\x89PNG");

    ASSERT_EQ(Run("tiled-import --file back.dat out").Status, 0);
    EXPECT_EQ(Stderr(), "");
    EXPECT_EQ(Read("back.dat"), Read("Stage.Dat"));

    // One map writes its own record only, as import does.
    std::vector<StageRecord> changed = Stages;
    changed[3] = LetterStages(".")[0];
    Write("one.dat", RecordBytes(changed));
    ASSERT_EQ(Run("tiled-import --file one.dat out/03.tmx").Status, 0);
    EXPECT_EQ(Read("one.dat"), Read("Stage.Dat"));
    // --stage puts it elsewhere; a new file gets empty records before it.
    ASSERT_EQ(Run("tiled-import --file new.dat --stage 2 out/05.tmx").Status, 0);
    EXPECT_EQ(Read("new.dat"), RecordBytes(LetterStages("..")) + RecordBytes(Stages[5]));
    // A folder of some maps replaces their records and keeps the others.
    fs::create_directories(Dir / "some");
    fs::copy(Dir / "out" / "01.tmx", Dir / "some" / "01.tmx");
    fs::copy(Dir / "out" / "06.tmx", Dir / "some" / "06.tmx");
    Write("some/readme.txt", "notes");
    Write("some.dat", RecordBytes(LetterStages("...")) + "piece");
    ASSERT_EQ(Run("tiled-import --file some.dat some").Status, 0);
    EXPECT_EQ(Read("some.dat"), RecordBytes({LetterStages(".")[0], Stages[1]}) + RecordBytes(LetterStages("...."))
                                    + RecordBytes(Stages[6]));
    EXPECT_NE(Stderr().find("ignoring some/readme.txt (not named NN.tmx)"), std::string::npos) << Stderr();
    EXPECT_NE(Stderr().find("some.dat ends inside stage 03 (5 of 6000 bytes). That piece is dropped."),
              std::string::npos);
}

TEST_F(TiledToolTest, RefusedImportsLeaveTheStageFileAlone)
{
    ASSERT_EQ(Run("tiled-export out").Status, 0);
    struct Case {
        std::vector<std::array<std::string, 4>> Maps;  // each copied to [0] from out/[1].tmx, [2] replaced by [3]
        const char* Args;
        int Status;
        std::vector<std::string> Errors;  // each in stderr
    };
    const Case cases[] = {
        {{{"bad/01.tmx", "01"}, {"bad/02.tmx", "02", "name=\"FG\"", "name=\"Front\""}},
         "tiled-import bad",
         1,
         {"stagetool tiled-import: bad/02.tmx: the map has no tile layer named FG (the stage's FG cells)\n",
          "stagetool tiled-import: 1 of 2 maps could not be read; nothing written\n"}},
        {{{"04.tmx", "04", "orthogonal", "isometric"}},
         "tiled-import 04.tmx",
         1,
         {"stagetool tiled-import: 04.tmx: the map is isometric; a stage is an orthogonal map; nothing written\n"}},
        {{{"stage.tmx", "01"}},
         "tiled-import stage.tmx",
         2,
         {"cannot tell the stage of stage.tmx: name it NN.tmx (00..99) or give --stage N"}},
        {{}, "tiled-import --stage 3 out", 2, {"--stage takes one map file"}},
        {{{"again/01.tmx", "01"}}, "tiled-import out again", 1, {"stage 01 is given twice, by "}},
        {{{"none/notes.xml", "01"}}, "tiled-import none", 1, {"no NN.tmx maps found"}},
        {{}, "tiled-import 09.tmx", 1, {"09.tmx: No such file or directory; nothing written"}},
        {{{"big/01.tmx", "01", "</map>", "<!--" + std::string(1 << 20, 'c') + "--></map>"}},
         "tiled-import big/01.tmx",
         1,
         {"big/01.tmx: it is larger than 1 MB, far more than a Tiled map holds; nothing written"}},
    };
    const std::string before = Read("Stage.Dat");
    for (const Case& c : cases) {
        for (const auto& [to, from, text, by] : c.Maps) {
            fs::create_directories((Dir / to).parent_path());
            const std::string map = Read("out/" + from + ".tmx");
            Write(to, text.empty() ? map : Replaced(map, text, by));
        }
        EXPECT_EQ(Run(c.Args).Status, c.Status) << c.Args;
        for (const std::string& error : c.Errors)
            EXPECT_NE(Stderr().find(error), std::string::npos) << c.Args << "\n" << Stderr();
        EXPECT_EQ(Read("Stage.Dat"), before) << c.Args;
    }
}

TEST_F(TiledToolTest, LossesAndNotesGoToStderr)
{
    StageRecord odd = Stages[0];
    odd.Caption.Assign(std::string("Bell\x07"));
    odd.BG[4][4] = 70;
    Write("Stage.Dat", RecordBytes(odd));
    EXPECT_EQ(Run("tiled-export out").Status, 0);
    EXPECT_EQ(Stderr(),
              "stagetool tiled-export: stage 00 will not come back byte for byte: Caption holds control bytes, which "
              "a map cannot hold and leaves out; 1 cell holds codes outside -1..63, which have no tile and are "
              "written as empty cells\n");

    std::string map = Read("out/00.tmx");
    for (const std::string name : {"SI_Bitmap", "MaxCount"}) {
        const std::size_t line = map.rfind('\n', map.find("name=\"" + name + "\""));
        map.erase(line, map.find('\n', line + 1) - line);
    }
    Write("out/00.tmx", Replaced(map, "</map>", "<objectgroup name=\"Ideas\"><object/><object/></objectgroup></map>"));
    EXPECT_EQ(Run("tiled-import out/00.tmx").Status, 0);
    EXPECT_EQ(Stderr(),
              "stagetool tiled-import: out/00.tmx: ignoring the object layer \"Ideas\" (2 objects)\n"
              "stagetool tiled-import: out/00.tmx: missing properties take the empty stage's values: "
              "SI_Bitmap \"\", MaxCount 5\n");
    StageRecord back;
    ASSERT_TRUE(ReadStageRecord(Dir / "Stage.Dat", 0, back));
    EXPECT_EQ(back.MaxCount, 5);
    EXPECT_EQ(back.Caption.Str(), "Bell");
    EXPECT_EQ(back.BG[4][4], EmptyCode);
}

// Tiled reads every exported map with our cells, properties and picture; the
// maps it writes back, in each layer compression and with the tileset
// embedded, import to the records we started from; the world names every map
// where it belongs.
TEST_F(TiledToolTest, TiledItselfReadsAndWritesTheSet)
{
    if (std::system("command -v tiled >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Tiled is not installed (scripts/deps.sh installs it)";
    ASSERT_EQ(Run("tiled-export out").Status, 0);
    fs::create_directories(Dir / "re");
    // How a designer's Tiled may save each map: a compression, and options.
    std::vector<std::pair<std::string, std::string>> saves = {
        {"zlib", ""}, {"gzip", ""}, {"", ""}, {"zlib", "--embed-tilesets "}};
    for (const std::string& compression : TiledCompressions())
        if (compression == "zstd")
            saves.push_back({compression, ""});
    for (std::size_t n = 0; n < Stages.size(); ++n) {
        const std::string name = MapName(n).substr(0, 2);
        ASSERT_EQ(Tiled("--export-map json", "out/" + name + ".tmx", "out/" + name + ".json").Status, 0)
            << Read("tiled.log");
        const std::string json = Read("out/" + name + ".json");
        const QJsonObject map = Json(json);
        EXPECT_EQ(map["tilesets"].toArray()[0].toObject()["source"].toString(), "tiles.tsx");
        EXPECT_EQ(map["backgroundcolor"].toString().toStdString(), TiledColor(Stages[n].BG_Color));

        std::map<std::string, std::string> properties;
        for (const QJsonValue property : map["properties"].toArray()) {
            const QJsonObject p = property.toObject();
            properties[p["name"].toString().toStdString()] =
                p["type"] == "int" ? std::to_string(p["value"].toInt()) : p["value"].toString().toStdString();
        }
        std::map<std::string, std::string> ours;
        for (const TTiledProperty& property : StageProperties(Stages[n]))
            ours[property.Name] = property.Value;
        EXPECT_EQ(properties, ours) << name;

        const TTiledStage stage = TiledStageOf(Stages[n], static_cast<int>(n));
        const std::map<std::string, std::vector<std::uint32_t>> cells = {
            {"BG", GidsOf(stage.Stage.BG)}, {"FG", GidsOf(stage.Stage.FG)}, {"Shadows", GidsOf(stage.Shadows)}};
        int layers = 0;
        for (const QJsonValue value : map["layers"].toArray()) {
            const QJsonObject layer = value.toObject();
            const std::string layerName = layer["name"].toString().toStdString();
            if (layer["type"] == "imagelayer") {
                EXPECT_EQ(layer["image"].toString().toStdString(),
                          layerName == "Picture" ? stage.Background : std::string(TiledFlagImageFile));
                EXPECT_FALSE(layer["repeatx"].toBool() || layer["repeaty"].toBool());
                continue;
            }
            EXPECT_EQ(Gids(layer["data"]), cells.at(layerName)) << name << " " << layerName;
            ++layers;
        }
        EXPECT_EQ(layers, 3);

        // Tiled writes it back as a designer's Tiled saves it.
        const auto& [compression, option] = saves[n % saves.size()];
        Write("out/" + name + ".re.json", Repacked(json, compression));
        ASSERT_EQ(Tiled("--export-map " + option + "tmx", "out/" + name + ".re.json", "re/" + name + ".tmx").Status, 0);
        EXPECT_NE(Read("re/" + name + ".tmx")
                      .find(compression.empty() ? "encoding=\"base64\">" : "compression=\"" + compression + "\""),
                  std::string::npos);
    }
    ASSERT_EQ(Run("tiled-import --file re.dat re").Status, 0) << Stderr();
    EXPECT_EQ(Stderr(), "");
    EXPECT_EQ(Read("re.dat"), Read("Stage.Dat"));

    const QJsonObject world = Json(Read("out/stages.world"));
    EXPECT_EQ(world["type"].toString(), "world");
    const QJsonArray maps = world["maps"].toArray();
    ASSERT_EQ(static_cast<std::size_t>(maps.size()), Stages.size());
    for (qsizetype i = 0; i < maps.size(); ++i) {
        const QJsonObject entry = maps[i].toObject();
        const std::string file = entry["fileName"].toString().toStdString();
        EXPECT_EQ(file, MapName(static_cast<std::size_t>(i)));
        const QJsonObject map = Json(Read("out/" + file.substr(0, 2) + ".json"));
        EXPECT_EQ(entry["width"].toInt(), map["width"].toInt() * map["tilewidth"].toInt());
        EXPECT_EQ(entry["height"].toInt(), map["height"].toInt() * map["tileheight"].toInt());
        EXPECT_EQ(entry["x"].toInt(), i % 10 * 640);
        EXPECT_EQ(entry["y"].toInt(), i / 10 * 480);
    }

    ASSERT_EQ(Tiled("--export-tileset json", "out/tiles.tsx", "out/tiles.json").Status, 0);
    const QJsonObject tileset = Json(Read("out/tiles.json"));
    EXPECT_EQ(tileset["tilecount"].toInt(), 64);
    EXPECT_EQ(tileset["imagewidth"].toInt(), 256);
    EXPECT_EQ(tileset["transparentcolor"].toString(), "#f800f8");
    int animated = 0;
    for (const QJsonValue tile : tileset["tiles"].toArray()) {
        int period = 0;
        for (const QJsonValue frame : tile.toObject()["animation"].toArray())
            period += frame.toObject()["duration"].toInt();
        EXPECT_EQ(period, 4096);
        ++animated;
    }
    EXPECT_EQ(animated, 12);
}

// Tiled's own rasterizer draws every exported map exactly as the editor
// draws the stage (stagetool render): the background as the display paints
// it (tiled one way, clipped, or the colour where the picture is missing),
// the tiles, the shadows and the flag, pixel for pixel.
TEST_F(TiledToolTest, TiledDrawsEachMapAsTheEditorDoes)
{
    if (std::system("command -v tmxrasterizer >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Tiled is not installed (scripts/deps.sh installs it)";
    Stages = EditorMadeStages(3);
    const std::size_t random = Stages.size() - 3;
    Stages[random].BG_Bitmap.Assign(std::string("SKY.bmp"));
    Stages[random].BG_V_Tile = 0;
    Stages[random + 1].BG_Bitmap.Assign(std::string("desert.jpg"));
    Stages[random + 1].BG_H_Tile = 0;
    Stages[random + 2].BG_Bitmap.Assign(std::string("none.bmp"));
    Write("Stage.Dat", RecordBytes(Stages));
    ASSERT_EQ(Run("tiled-export out").Status, 0);
    TStageRenderer renderer(Dir);
    for (std::size_t n = 0; n < Stages.size(); ++n) {
        const std::string name = MapName(n).substr(0, 2);
        ASSERT_EQ(
            RunScript("QT_QPA_PLATFORM=offscreen tmxrasterizer out/" + name + ".tmx " + name + ".bmp 2>>tiled.log")
                .Status,
            0)
            << Read("tiled.log");
        const std::vector<std::uint8_t> bmp = ReadPictureFile(Dir / (name + ".bmp"));
        EXPECT_TRUE(DecodeBmp(bmp.data(), bmp.size()).Pixels == renderer.Render(Stages[n]).Pixels) << name;
    }
}
