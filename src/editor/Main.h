#pragma once
// The editor: the live stage, its settings and every operation a designer's
// edit goes through. The windows only translate events into calls on this
// class; everything it needs from them goes through TEditorHost.

#include "editor/EditorHost.h"
#include "editor/History.h"
#include "editor/Keys.h"
#include "editor/SaveState.h"
#include "editor/StageSetHistory.h"
#include "engine/DXSprite.h"
#include "platform/Types.h"
#include "stage/StageRecord.h"
#include "storage/FileLookup.h"
#include "storage/StageSetFile.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class TApplicationHooks;
class TRecovery;
class TDXDraw;
class TDXImageList;
class TDXSpriteEngine;
class TDXTimer;
class TDirectDrawSurface;
struct TTextMap;
struct TWriteResult;

constexpr int DisplayWidth = 640;
constexpr int DisplayHeight = 480;
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

    friend bool operator==(const TFrameState&, const TFrameState&) = default;
};

struct TBrush {
    std::int16_t First = 0;  // S
    std::int16_t Count = 1;  // N, 1..4
    TBackgroundSprite* Layer = nullptr;
};

// Save would replace another stage: the stage file's record Number holds
// a stage that differs from the live one, and that record is not where the
// live stage came from, or no longer what the editor last read or wrote
// there (another program changed it).
struct TReplaceQuestion {
    int Number = 0;
    TShortString FileCaption;  // the stage the file holds
    TShortString LiveCaption;  // the stage Save would write
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

    // --- The current stage's settings (the tool window and the option dialog
    // read and write them directly).
    std::uint16_t StageNum = 0;
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

    // Where "Stage.Dat" and "Map\" are looked up; the editor uses the current
    // folder, the command-line tool may point elsewhere.
    std::filesystem::path StageFileName = DefaultStageFileName;
    std::filesystem::path PictureFolder = "";  // "Map" is looked up inside it
    // The folder the stage file is in, absolute, without "." or "..".
    std::filesystem::path GameFolder() const;
    // Works in `folder` from now on: its "Stage.Dat" (found ignoring case) and
    // its "Map". The history is emptied, nothing of the old stage file is
    // remembered and the stage number is 0; nothing is loaded yet (FormShow
    // follows, as at start-up). The live stage's work must be saved or given
    // up first. The stage set history is emptied too.
    void EnterGameFolder(const std::filesystem::path& folder);
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
    std::unique_ptr<TDirectDrawSurface> BackPicture;

    THistory History;
    // Baseline, origin and what the file held (MainSaved.cpp).
    TSaveState Saved;
    // The recovery copy of the live stage; none in a form that keeps none
    // (the command-line tool, the stage renderer, most tests).
    std::unique_ptr<TRecovery> Recovery;

    // --- Frame loop and view switches.
    bool ShowStatus = false;
    bool TimeMode60 = false;
    bool ShowGrid = false;
    std::int32_t LagTime = 0;
    std::int32_t FrameTick = 0;

    // --- Editing state.
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

    // --- Layer change rules and shadows.
    void BGLayerChange(TBackgroundSprite* sender, int x, int y);
    void FGLayerChange(TBackgroundSprite* sender, int x, int y);
    void RefreshShadow(TBackgroundSprite* layer, int x, int y);
    void ShadowCode(TBackgroundSprite* layer, int x, int y);

    // --- History.
    void PushHistory();
    void Undo();
    void Redo();
    void UpdateUndoButtons();

    // --- Random stage.
    void GenerateRandomStage();
    void FillBlock(TBackgroundSprite* layer, int x, int y, int w, int h, int code);

    // --- Stage file.
    void LoadStage();
    bool ReadStageFile();
    // Also makes what it wrote the baseline and StageNum the origin.
    bool WriteStageFile();
    // The stage file does not exist: creates it with the safe write as
    // WriteStageFile would leave an empty one (empty records up to StageNum,
    // then the live stage), and takes that as saved. Fails, leaving nothing,
    // when anything is already at its name.
    TWriteResult WriteNewStageFile();

    // --- Saved or not (MainSaved.cpp).
    // True when the record Save would write now differs from the baseline.
    // Cheap to call often: the cells are compared again only after a layer's
    // codes or the baseline changed, the settings every time.
    bool StageUnsaved();
    // What Save to StageNum would replace without asking; none when it
    // replaces nothing or the stage that is meant to be there.
    std::optional<TReplaceQuestion> ReplaceQuestion() const;
    // Applies a recovered record for stage `number` as a load does (stage
    // number, title, option caption, all layers shown); the stage file's
    // record at that number as found now becomes the baseline (none when the
    // file holds none), so the restored stage shows as unsaved.
    void RestoreStage(const StageRecord& record, int number);
    // Keeps Recovery in step: the copy written while the stage is unsaved
    // (at most once a second; `now` on the steady clock), removed once it is
    // saved; a copy that cannot be kept is reported once.
    void KeepRecoveryCopy(std::chrono::steady_clock::time_point now);

    // --- Stage set operations on the stage file (MainStageSet.cpp).
    // Their undo history; another game folder empties it.
    TStageSetHistory StageSetHistory;
    // What `edit` would do to the stage file now; nothing is written.
    TStageSetOutcome PreviewStageSet(const TStageSetEdit& edit, bool mayCreate = false) const;
    // True when `step` replaces or removes the record the live stage came
    // from (its origin), or puts one where there was none.
    bool ReplacesLiveStage(const TStageSetStep& step) const;
    // Does `edit` to the stage file as one transaction, then the live stage
    // follows its record: a moved record takes the stage number (when it
    // was the origin's) and the origin with it, unsaved changes staying as
    // they are; a replaced one is loaded again as Load does. While the live
    // stage is unsaved, an edit that would replace its record is refused,
    // nothing changed, unless `discardUnsaved`. A step that changed anything
    // goes on StageSetHistory as `label`. Failures change nothing and say why.
    TStageSetOutcome ChangeStageSet(const TStageSetEdit& edit, bool discardUnsaved, bool mayCreate = false,
                                    std::string label = {});
    // Takes back StageSetHistory's newest step, or makes the undone one
    // again, as ChangeStageSet does an edit; refused, nothing changed, when
    // the file no longer holds what that step left (another program or a
    // Save changed those records since).
    TStageSetOutcome UndoStageSet(bool discardUnsaved);
    TStageSetOutcome RedoStageSet(bool discardUnsaved);
    // The edits Undo and Redo would make now; none when there is no step.
    std::optional<TStageSetEdit> UndoStageSetEdit() const;
    std::optional<TStageSetEdit> RedoStageSetEdit() const;

    // --- Text map.
    std::string ExportTextMap() const;
    bool ImportTextMap(const std::string& text);
    // Sets the live stage from a map as read (a text map's, or another
    // format's made the same shape), records nothing in the history.
    void ApplyTextMap(const TTextMap& map);

    // --- Tools and mouse.
    TBrush GetBrush();
    void PaintCell(int x, int y);
    void PaintBlock();
    // Top-left pixel of the 2 x 2 cell block at MousePos that the box tool
    // paints and its cursor outlines.
    TPoint BoxTopLeft() const;
    void ClearSelection();
    void CopySelection();
    void PasteSelection();
    void MoveSelection(int dx, int dy);
    void MirrorSelectionH();
    void MirrorSelectionV();
    void DXDrawMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void DXDrawMouseMove(TShiftState shift, int x, int y);
    void DXDrawMouseUp(TMouseButton button, TShiftState shift, int x, int y);

    // --- Keys and tool window actions.
    void FormKeyDown(std::uint16_t& key, TShiftState shift);
    // Click actions of "All layer", "Gird" and the stage number control.
    void tbShowAllClick();
    void tbShowGirdClick();
    void edStageNumChange(int position);
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
    void InstallLayers();
    // The settings part of CaptureStage: every byte before the cells, into
    // a record whose bytes are all 0.
    void CaptureSettings(StageRecord& record) const;
    // The settings part of ApplyStage, without the title.
    void ApplySettings(const StageRecord& record);
    // The live stage as it stands is what the stage file holds at StageNum
    // (read as `found`, or none): the baseline, the origin and what is
    // remembered of that record follow.
    void TakeAsSaved(const StageRecord* found);
    // UndoStageSet (`undo`) or RedoStageSet.
    TStageSetOutcome StepStageSetHistory(bool undo, bool discardUnsaved);
    // The transaction of ChangeStageSet, UndoStageSet and RedoStageSet.
    TStageSetOutcome RunStageSetEdit(const TStageSetEdit& edit, bool discardUnsaved, bool mayCreate);
    // The live stage follows `step`, which the editor just made.
    void FollowStageSet(const TStageSetStep& step);
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
    void DrawOverlay(TDirectDrawSurface& surface);
    void DrawStatus(TDirectDrawSurface& surface);

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
};
