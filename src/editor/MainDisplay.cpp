// The display handlers: the back picture's life, loading it from "Map", and
// the creation of the display components.
#include "editor/MainDisplay.h"

#include "art/ArtData.h"
#include "editor/Main.h"
#include "editor/PictureCache.h"
#include "engine/DXClass.h"
#include "engine/DXDraws.h"
#include "storage/FileLookup.h"

namespace {

std::unique_ptr<TDIB> LoadArt(const TArtBlob& blob)
{
    auto dib = std::make_unique<TDIB>();
    dib->LoadFromPackedDIB(blob.Data, blob.Size);
    return dib;
}

}  // namespace

void CreateDisplayComponents(TMainForm& form, TApplicationHooks* application)
{
    using enum TDXDrawOption;
    form.DXDraw = std::make_unique<TDXDraw>();
    TDXDraw& draw = *form.DXDraw;
    draw.AutoInitialize = true;
    draw.AutoSize = false;
    draw.Display.BitCount = 16;
    draw.Display.FixedBitCount = true;
    draw.Display.FixedRatio = true;
    draw.Display.FixedSize = false;
    draw.SetOptions(TDXDrawOptions{doNoWindowChange, doWaitVBlank, doFlip, doHardware});
    draw.SurfaceWidth = DisplayWidth;
    draw.SurfaceHeight = DisplayHeight;
    draw.OnInitialize = [&form] { form.DXDrawInitialize(); };
    draw.OnFinalize = [&form] { form.DXDrawFinalize(); };
    draw.OnRestoreSurface = [&form] { form.DXDrawRestoreSurface(); };

    form.DXImageList = std::make_unique<TDXImageList>();
    TPictureCollection& items = form.DXImageList->Items;
    TPictureCollectionItem& flag = items.Add();
    flag.SetName("Flag");
    flag.Picture = LoadArt(ArtFlag);
    flag.PatternWidth = 32;
    flag.PatternHeight = 32;
    flag.TransparentColor = RGBColor(ArtFlagKey.Red, ArtFlagKey.Green, ArtFlagKey.Blue);
    TPictureCollectionItem& back = items.Add();
    back.SetName("Back");
    back.Picture = LoadArt(ArtBack);
    back.PatternWidth = 16;
    back.PatternHeight = 16;
    back.TransparentColor = RGBColor(ArtBackKey.Red, ArtBackKey.Green, ArtBackKey.Blue);  // 16253176
    for (TPictureCollectionItem* item : {&flag, &back}) {
        item->SystemMemory = false;
        item->Transparent = true;
    }
    form.DXImageList->SetDXDraw(&draw);
    if (form.DXSpriteEngine)
        form.DXSpriteEngine->SetDXDraw(&draw);

    form.DXTimer = std::make_unique<TDXTimer>(application);
    TDXTimer& timer = *form.DXTimer;
    timer.BeginLoading();
    timer.ActiveOnly = false;
    timer.SetEnabled(true);
    timer.SetInterval(0);
    timer.MaxLag = 100;
    timer.OnActivate = [&form](TDXTimer&) { form.DXTimerActivate(); };
    timer.OnDeactivate = [&form](TDXTimer&) { form.DXTimerDeactivate(); };
    timer.OnTimer = [&form](TDXTimer&, int lagCount) { form.DXTimerTimer(lagCount); };
    timer.Loaded();

    items.BuildColorTable();
    for (std::size_t i = 0; i < 256; ++i) {
        const auto& e = items.ColorTable[i];  // blue, green, red, 0
        draw.ColorTable[i] = TPaletteEntry{e[2], e[1], e[0], 0};
    }
    draw.DefColorTable = draw.ColorTable;
    draw.UpdatePalette();
}

void TMainForm::DXDrawInitialize()
{
    FDrawnFrame.reset();
    if (DXTimer)
        DXTimer->SetEnabled(true);
    BackPicture = std::make_unique<TDirectDrawSurface>(DXDraw->DDraw());
    BackPicture->SystemMemory = false;
}

void TMainForm::DXDrawFinalize()
{
    FDrawnFrame.reset();
    if (DXTimer)
        DXTimer->SetEnabled(false);
    BackPicture.reset();
    FPictureSeen.reset();
}

// Loads "Map\" + BG_Bitmap. A missing file or another extension leaves the
// stage's colour. A file that cannot be read (damaged, cut short, too large,
// another format under the name) leaves it too and is reported through the
// host, which shows it once the current handler is done: this runs in the
// middle of loading, undo, redo, imports and the display's own start-up, and
// each of those must run to its end. The graphic is freed either way.
void TMainForm::DXDrawRestoreSurface()
{
    // The surfaces were made anew or restored: their contents are gone.
    FDrawnFrame.reset();
    PictureLoaded = false;
    if (!BackPicture)
        return;
    try {
        PictureLoaded = LoadBackPicture();
    } catch (const std::exception& error) {
        Host.ReportError(error.what());
    } catch (...) {
        Host.ReportError("Unknown error");
    }
}

// What was found is kept also when decoding fails: a damaged picture that is
// then mended on disk counts as changed.
bool TMainForm::LoadBackPicture()
{
    FPictureSeen = PictureStateOf(Document.PictureFolder(), BG_Bitmap.Str());
    const TPictureLookup& found = FPictureSeen->Lookup;
    if (found.Outcome != TPictureLookup::TOutcome::Found)
        return false;
    const std::shared_ptr<const TGraphic> graphic =
        Pictures ? Pictures->Load(found.Path, found.Format) : LoadPicture(found.Path, found.Format);
    BackPicture->LoadGraphic(*graphic);
    BackPicture->SetKeyColor(0);
    return true;
}

bool TMainForm::PictureChangedOnDisk() const
{
    return BackPicture && FPictureSeen && *FPictureSeen != PictureStateOf(Document.PictureFolder(), BG_Bitmap.Str());
}
