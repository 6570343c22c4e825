#pragma once
// The editor: the live stage, its settings and every operation a designer's
// edit goes through. The windows only translate events into calls on this
// class and its document (what is open, and the operations that load, save
// and open stages); everything it needs from them goes through TEditorHost.
// Of its public state the windows touch the settings (the option dialog)
// and the tool state (the tool window); the rest is read by the command-line
// tool, the stage renderer and the tests.

#include "editor/Document.h"
#include "editor/EditorHost.h"
#include "editor/History.h"
#include "editor/Keys.h"
#include "editor/ToolMode.h"
#include "engine/DXSprite.h"
#include "platform/Types.h"
#include "stage/StageRecord.h"
#include "storage/FileLookup.h"
#include "storage/RecordDiff.h"
#include "storage/StageFile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class TApplicationHooks;
class TDXDraw;
class TDXImageList;
class TDXSpriteEngine;
class TDXTimer;
class TDirectDrawSurface;
struct TTextMap;

constexpr int DisplayWidth = 640;
constexpr int DisplayHeight = 480;
// The cursor readout's text is at most this long, with its terminating NUL.
constexpr std::size_t ReadoutSize = 128;
// The program's title (UTF-8), defined by the build (CMakeLists.txt).
extern const char* const TitleBase;

// Everything a frame's pixels depend on besides the display's own surfaces
// (which are redrawn after every initialisation and restore). Most frames of
// a stage nobody touches equal the one before: the tiles turn a few times a
// second, the flag three times. Such a frame is not drawn again.
struct TFrameState {
    std::uint32_t BGColor = 0;
    std::uint8_t HTile = 0;
    std::uint8_t VTile = 0;
    bool Picture = false;
    std::uint64_t BGCells = 0;  // layer revisions
    std::uint64_t ShadowCells = 0;
    std::uint64_t FGCells = 0;
    bool BGVisible = false;
    bool ShadowVisible = false;
    bool FGVisible = false;
    bool FlagVisible = false;
    double FlagX = 0;
    double FlagY = 0;
    double FlagPattern = 0;
    TToolMode ToolMode = TToolMode::Select;
    bool ShowGrid = false;
    TPoint DownPos{};
    TPoint MousePos{};
    TRect SelRect{};
    // The status lines' values; all 0 while they are hidden.
    bool ShowStatus = false;
    int FramesPerSecond = 0;
    int SpriteCount = 0;
    int DrawnCount = 0;
    bool TimeMode60 = false;
    // Our own overlays and the readout; empty while the readout is off.
    TRect CursorOutline{};
    std::array<char, ReadoutSize> Readout{};
    // Our own outlines: what they compare with and seek (revisions), the
    // stage compared, and the codes they were drawn from; all 0 while off.
    std::uint64_t CompareOutline = 0;
    int CompareStage = 0;
    std::uint64_t FindOutline = 0;
    std::uint64_t BGCodes = 0;
    std::uint64_t FGCodes = 0;

    friend bool operator==(const TFrameState&, const TFrameState&) = default;
};

struct TBrush {
    std::int16_t First = 0;  // S
    std::int16_t Count = 1;  // N, 1..4
    TBackgroundSprite* Layer = nullptr;
};

class TPictureCache;

// What a form is made for. The editor's own form runs its frame timer from
// the program's idle loop and seeds the program-wide random generator. An
// offscreen form (one that only draws stages, such as TStageRenderer) does
// neither: its frame timer idles on an application of its own and the
// generator keeps its state, so a running editor is not disturbed by it.
enum class TFormUse { Editor, Offscreen };

class TMainForm {
public:
    // FormCreate: builds the engine, the layers and the flag, seeds the
    // generator (the editor's form only). The host must outlive the form.
    explicit TMainForm(TEditorHost& host, TFormUse use = TFormUse::Editor);
    // FormDestroy.
    ~TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    TEditorHost& Host;
    // What the editor has open (the game folder, the stage file, the stage
    // number, the saved state) and the operations on it.
    TDocument Document;

    // --- The current stage's settings (the option dialog reads and writes
    // them directly; the stage number is the document's).
    TShortString Caption;
    std::uint16_t MaxCount = 0;
    std::uint16_t EnemyCount[EnemySlotCount] = {};
    std::int32_t EnemyTotal = 0;
    std::uint32_t BG_Color = 0;
    // The tiling switches as the record stores them: any byte but 0 tiles,
    // and the byte is kept as it is so that a record comes back unchanged.
    std::uint8_t BG_H_Tile = 0;
    std::uint8_t BG_V_Tile = 0;
    TShortString BG_Bitmap;
    TShortString SI_Bitmap;

    // Where background pictures are decoded; none (the editor): each load
    // reads its file. Not owned.
    TPictureCache* Pictures = nullptr;

private:
    // The application an offscreen form's frame timer idles on; declared
    // before the timer, which unhooks from it when it goes.
    std::unique_ptr<TApplicationHooks> FOwnApplication;

public:
    // --- Engine parts (owned). DXDraw and the image list exist only where a
    // display is wanted; the sprite engine always exists.
    std::unique_ptr<TDXDraw> DXDraw;
    std::unique_ptr<TDXImageList> DXImageList;
    std::unique_ptr<TDXSpriteEngine> DXSpriteEngine;
    std::unique_ptr<TDXTimer> DXTimer;
    TSpriteEngine& Engine() const;

    // Sprites, owned by the sprite engine.
    TBackgroundSprite* BGLayer = nullptr;
    TBackgroundSprite* ShadowLayer = nullptr;
    TBackgroundSprite* FGLayer = nullptr;
    TImageSprite* FlagSprite = nullptr;

    bool PictureLoaded = false;

    THistory History;

    // --- Frame loop and view switches.
    bool ShowStatus = false;
    bool TimeMode60 = false;
    bool ShowGrid = false;
    // The cursor readout (F2): the strip below the display and the outline
    // of the cell the next click paints. Never in a render or a record.
    bool ShowReadout = false;
    // F11: the live stage's cells that differ from the stage compared with
    // are outlined while a comparison is on.
    bool ShowCompareOutline = false;
    std::int32_t LagTime = 0;
    std::int32_t FrameTick = 0;

    // --- Editing state. The tool window's buttons set the tool, the brush
    // and "All layer" here and show what is set; F7 and the tools that paint
    // FG press "All layer" from here (TEditorHost::SetAllLayerDown).
    TToolMode ToolMode = TToolMode::Select;
    std::int16_t CurTile = 0;  // palette index 0..19
    bool AllLayerDown = true;
    TPoint DownPos{-1, -1};
    TPoint MousePos{0, 0};
    TRect SelRect{0, 0, DisplayWidth, DisplayHeight};
    int ClipWidth = 0;
    int ClipHeight = 0;
    std::int16_t ClipBG[FieldColumns][FieldRows] = {};
    std::int16_t ClipFG[FieldColumns][FieldRows] = {};

    // --- Start-up and title.
    void FormShow();
    void ClearLayers();
    void UpdateTitle();
    // The window and option button captions UpdateTitle last wrote (UTF-8).
    const std::string& WindowCaption() const { return FWindowCaption; }
    const std::string& OptionCaption() const { return FOptionCaption; }

    // --- Stage record and live stage.
    void CaptureStage(StageRecord& record) const;
    void ApplyStage(const StageRecord& record);
    static void EmptyStage(StageRecord& record);
    void SetBGBitmap(const TShortString& name);

    // --- Shadows: the shadow cell under layer cell (x, y) from its FG
    // neighbourhood (the layers' change handlers keep them so).
    void ShadowCode(TBackgroundSprite* layer, int x, int y);

    // --- History.
    void PushHistory();
    void Undo();
    void Redo();
    // Another game folder: no step is left, and the buttons say so.
    void ClearHistory();

    // --- Random stage.
    void GenerateRandomStage();
    void FillBlock(TBackgroundSprite* layer, int x, int y, int w, int h, int code);

    // --- Stage file: record Document.StageNum() of Document.StageFile().
    // A load and a successful save make the live stage what it counts as
    // saved against (TDocument::TakeAsSaved).
    void LoadStage();
    bool ReadStageFile();
    // `why`, when given, says why a write failed, with the file's name. The
    // stage file is never created, unless `create` says so.
    bool WriteStageFile(std::string* why = nullptr, TNewStageFile create = TNewStageFile::Never);

    // --- Text map.
    std::string ExportTextMap() const;
    bool ImportTextMap(const std::string& text);
    // Sets the live stage from a map as read (a text map's, or another
    // format's made the same shape), records nothing in the history.
    void ApplyTextMap(const TTextMap& map);

    // --- Tools and mouse.
    TBrush GetBrush();
    void ClearSelection();
    void CopySelection();
    void PasteSelection();
    void MoveSelection(int dx, int dy);
    void MirrorSelectionH();
    void MirrorSelectionV();
    void DXDrawMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void DXDrawMouseMove(TShiftState shift, int x, int y);
    void DXDrawMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // The pointer left the display (no button held): the readout says nothing.
    void DXDrawMouseLeave();
    // The tool window's tool buttons. Another tool forgets where the last
    // one painted, so a Shift+click draws no line from there.
    void SetToolMode(TToolMode tool);
    // What the readout shows now: the cell under the pointer ("12, 5"), its
    // BG and FG tiles, the shadow falling there and the selection's size in
    // cells; empty when the pointer is off the field.
    std::string ReadoutText() const;

    // --- Keys and tool window actions.
    void FormKeyDown(std::uint16_t& key, TShiftState shift);
    // The click action of "All layer": the FG and shadow layers show while
    // AllLayerDown (the BG layer always shows).
    void tbShowAllClick();
    void SetTimeMode60(bool on);

    // --- Frame loop.
    // One 16 ms simulation tick: LagTime - 16, FrameTick + 1, the tile
    // animation, sprite movement and the kill list. DXTimerTimer adds the lag
    // to LagTime and calls this while LagTime > 0.
    void RunTick();
    void DXTimerTimer(int lagCount);
    TFrameState FrameState() const;
    // Draws every frame, also one equal to the last, and so wakes at every
    // refresh: for measuring the frame loop under load.
    static inline bool DrawUnchangedFrames = false;

    // --- When the next frame is wanted (MainWake.cpp). Between frames the
    // frame timer sleeps until the stage's clock changes something the
    // display shows, unless this says frames must come at every refresh.
    bool WakesEveryRefresh() const;
    // Ticks from FrameTick to the first that changes what the display shows
    // (a tile it shows turning, the flag's pattern); none when no tick ever
    // will until something else changes the stage.
    std::optional<int> TicksToVisibleChange() const;
    // The lag, in milliseconds from now, with which DXTimerTimer runs that tick.
    std::optional<std::uint32_t> MillisecondsToVisibleChange() const;
    void DXTimerActivate();
    void DXTimerDeactivate();

    // --- Display handlers.
    void DXDrawInitialize();
    void DXDrawFinalize();
    void DXDrawRestoreSurface();
    // The background picture's file changed since the display last loaded
    // it (replaced, changed, come or gone); false while the display is down.
    bool PictureChangedOnDisk() const;

private:
    // The document reads the live stage's settings and sets the undo
    // buttons after another folder emptied the history.
    friend class TDocument;

    std::unique_ptr<TDirectDrawSurface> BackPicture;

    void InstallLayers();
    // The settings part of CaptureStage: every byte before the cells, into
    // a record whose bytes are all 0.
    void CaptureSettings(StageRecord& record) const;
    // The layers' change handlers: the cell rules, then the shadows around
    // an FG cell.
    void BGLayerChange(TBackgroundSprite* sender, int x, int y);
    void FGLayerChange(TBackgroundSprite* sender, int x, int y);
    void RefreshShadow(TBackgroundSprite* layer, int x, int y);
    void UpdateUndoButtons();
    // Pencil and box writes at a field cell (column, row); the variant is
    // counted from the press cell (DownPos). A block's cell is its top left.
    void PaintCell(TPoint cell);
    void PaintBlock(TPoint cell);
    // Paints every cell of the straight line from `from` to `to` with the
    // tool of the stroke (the box a block at each), so a fast stroke has no
    // gaps. The last of them in the layers is where a Shift+click draws a
    // line from.
    void PaintLine(TPoint from, TPoint to);
    // Top-left pixel of the 2 x 2 cell block at MousePos that the box tool
    // paints and its cursor outlines.
    TPoint BoxTopLeft() const;
    // The cell the stroke's tool paints for the pointer at (x, y).
    TPoint StrokeCellAt(int x, int y) const;
    // The pointer is over the display, within the field's pixels.
    bool PointerOnField() const;
    // The readout's text into `out` (ReadoutSize bytes), without allocating.
    void FormatReadout(char* out) const;
    // The outline of the cell (or the box tool's block) under the pointer;
    // empty while the readout is off or the pointer is off the field.
    TRect CursorOutline() const;
    // The settings part of ApplyStage, without the title.
    void ApplySettings(const StageRecord& record);
    // Loads "Map\" + BG_Bitmap into BackPicture; false when there is no such
    // picture. Raises when the file cannot be read.
    bool LoadBackPicture();
    // Field cells of both layers; -1 outside the field.
    void ReadFieldPair(int column, int row, int& bg, int& fg) const;
    // Writes BG then FG of layer cell (column + 1, row + 1); ignored beyond
    // the ring.
    void WriteFieldPair(int column, int row, int bg, int fg);
    static void AdvanceCells(TBackgroundSprite* layer, int low, int high);
    // The steps of a frame, in the order DXTimerTimer draws them into the
    // back buffer (the sprite engine draws between background and overlay).
    void DrawBackground(TDirectDrawSurface& surface);
    // The runs of cells in a row whose BG tile leaves a pixel uncovered
    // (an empty cell, a tile with clear pixels), in display pixels; their
    // number, or -1 when there are more than fit or the layer cannot say.
    using TUncovered = std::array<TRect, 64>;
    int UncoveredRuns(TUncovered& runs) const;
    // The background in `area` of the display.
    void DrawBackgroundIn(TDirectDrawSurface& surface, const TRect& area);
    void DrawOverlay(TDirectDrawSurface& surface);
    // Overlays of our own, over the editing overlay (DrawOverlay): the cursor outline, the
    // compare outline, the find outline.
    void DrawOwnOverlays(TDirectDrawSurface& surface);
    void DrawStatus(TDirectDrawSurface& surface);
    bool CompareOutlineShown() const;

    std::string FWindowCaption;
    std::string FOptionCaption;
    // What the display's last picture load found; none while it is down.
    std::optional<TPictureState> FPictureSeen;
    // The state of the frame the back buffer holds; none after the display's
    // surfaces were made or restored.
    std::optional<TFrameState> FDrawnFrame;
    // Input since the last frame: the pointer moved over the display, a key went down.
    bool FPointerMoved = false;
    bool FKeyPressed = false;
    // The pointer as the last mouse event saw it (MousePos is the box tool's
    // clamped position), and whether it is over the display.
    TPoint FPointer{};
    bool FPointerOnDisplay = false;
    // The readout's text the host was last told.
    std::array<char, ReadoutSize> FReadoutTold{};
    // The pointer's cell when the stroke under way last painted (a block's
    // top-left cell); none outside a stroke.
    std::optional<TPoint> FStrokeCell;
    // Where a Shift+click draws a line from: the last cell a tool painted in
    // this stage; none after a load, an undo or redo, or a change of tool.
    struct TLineAnchor {
        TToolMode Tool;
        TPoint Cell;
    };
    std::optional<TLineAnchor> FLineAnchor;
    // The compare outline's cells, room for the whole field made once.
    std::vector<TCellChange> FChangedCells;
};
