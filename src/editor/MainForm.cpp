// Construction, start-up, title and the tool window's view switches.
#include "editor/Main.h"

#include "editor/MainDisplay.h"
#include "editor/RandomGen.h"
#include "engine/DXClass.h"
#include "engine/DXDraws.h"
#include "platform/Application.h"
#include "stage/FieldAreas.h"

#include <cstdio>

namespace {

// Captions are built in place; this is more than the longest one needs, so
// UpdateTitle (and with it ApplyStage) never allocates after construction.
constexpr std::size_t CaptionCapacity = 256;

void FillLayer(TBackgroundSprite* layer)
{
    for (int y = 0; y < layer->Rows(); ++y)
        for (int x = 0; x < layer->Columns(); ++x) {
            layer->SetCell(x, y, EmptyCode);
            layer->SetHitFlag(x, y, false);
        }
}

}  // namespace

TMainForm::TMainForm(TEditorHost& host, TFormUse use) : Host(host), Document(*this)
{
    if (use == TFormUse::Offscreen)
        FOwnApplication = std::make_unique<TManualApplication>();
    FWindowCaption.reserve(CaptionCapacity);
    FOptionCaption.reserve(CaptionCapacity);
    FChangedCells.reserve(static_cast<std::size_t>(FieldColumns) * FieldRows);
    PictureLoaded = false;
    ClipWidth = 0;
    ClipHeight = 0;
    SelRect = TRect{0, 0, DisplayWidth, DisplayHeight};
    if (use == TFormUse::Editor)
        Randomize();

    DXSpriteEngine = std::make_unique<TDXSpriteEngine>();
    // Display, image list, frame timer, colour table and palette (MainDisplay.cpp).
    CreateDisplayComponents(*this, FOwnApplication.get());
    InstallLayers();
    ShowStatus = false;
    DownPos = TPoint{-1, -1};
}

// Out of line so that the engine's complete types are known here.
TMainForm::~TMainForm()
{
    // The display's finalisation calls back into the form (DXDrawFinalize):
    // it runs while every member still exists.
    if (DXDraw) {
        DXDraw->Finalize();
        DXDraw->OnInitialize = DXDraw->OnFinalize = DXDraw->OnRestoreSurface = nullptr;
    }
    if (DXTimer)
        DXTimer->OnTimer = nullptr;
    // The sprites die with the engine; no handler may reach back into a
    // half-destroyed form.
    if (BGLayer)
        BGLayer->OnCellChange = nullptr;
    if (FGLayer)
        FGLayer->OnCellChange = nullptr;
}

TSpriteEngine& TMainForm::Engine() const
{
    return DXSpriteEngine->Engine;
}

// The layers and the flag, owned by the sprite engine. The change handlers
// go on only after the layers have been filled, so filling raises nothing.
void TMainForm::InstallLayers()
{
    TSpriteEngine& engine = Engine();
    engine.X = -16.0;
    engine.Y = -16.0;

    FlagSprite = new TImageSprite(&engine);
    FlagSprite->SetSpriteImage(&DXImageList->Items.Find("flag"));
    FlagSprite->FrameCount = FlagSprite->FrameCount / 3;  // the animation runs over the first third
    // At its pixel on the display, which the engine's position shifts.
    FlagSprite->X = FlagPixelX - engine.X;
    FlagSprite->Y = FlagPixelY - engine.Y;
    FlagSprite->SetZ(10);
    FlagSprite->FrameSpeed = 0.003;
    FlagSprite->Looping = true;
    FlagSprite->Collidable = false;

    TPictureCollectionItem* tiles = &DXImageList->Items.Find("back");
    ShadowLayer = new TBackgroundSprite(&engine);
    ShadowLayer->TileImage = tiles;
    ShadowLayer->SetGridSize(FieldColumns, FieldRows);
    FillLayer(ShadowLayer);
    ShadowLayer->X = 16.0;
    ShadowLayer->Y = 16.0;
    ShadowLayer->SetZ(-1);
    ShadowLayer->Collidable = false;

    BGLayer = new TBackgroundSprite(&engine);
    BGLayer->SetGridSize(FieldColumns + 2, FieldRows + 2);
    BGLayer->TileImage = tiles;
    FillLayer(BGLayer);
    BGLayer->SetZ(-2);
    BGLayer->Collidable = false;
    BGLayer->OnCellChange = [this](TBackgroundSprite* sender, int x, int y) { BGLayerChange(sender, x, y); };

    FGLayer = new TBackgroundSprite(&engine);
    FGLayer->SetGridSize(FieldColumns + 2, FieldRows + 2);
    FGLayer->TileImage = tiles;
    FillLayer(FGLayer);
    FGLayer->SetZ(4);
    FGLayer->Collidable = false;
    FGLayer->OnCellChange = [this](TBackgroundSprite* sender, int x, int y) { FGLayerChange(sender, x, y); };
}

void TMainForm::FormShow()
{
    Host.SetToolWindowVisible(true);
    ClearLayers();
    LoadStage();
}

// Silent: neither the change rules nor the shadow refresh run, and an empty
// FG agrees with an empty shadow layer.
void TMainForm::ClearLayers()
{
    for (int y = 0; y < FieldRows + 2; ++y)
        for (int x = 0; x < FieldColumns + 2; ++x) {
            BGLayer->PutCell(x, y, EmptyCode);
            FGLayer->PutCell(x, y, EmptyCode);
            ShadowLayer->PutCell(x, y, EmptyCode);
        }
}

void TMainForm::UpdateTitle()
{
    char number[32];
    FWindowCaption.assign(TitleBase);
    std::snprintf(number, sizeof number, " - Stage %2.2d (", Document.StageNum());
    FWindowCaption.append(number);
    AppendLatin1(FWindowCaption, Caption.Chars, Caption.Length > MaxShortString ? MaxShortString : Caption.Length);
    FWindowCaption.push_back(')');

    std::snprintf(number, sizeof number, "&EC=%2.2d", static_cast<int>(EnemyTotal));
    FOptionCaption.assign(number);
    // The windows show the captions; the settings may have changed.
    Document.TitleWritten();
}

// The BG layer always stays visible.
void TMainForm::tbShowAllClick()
{
    FGLayer->Visible = AllLayerDown;
    ShadowLayer->Visible = AllLayerDown;
}
