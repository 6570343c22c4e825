#include "engine/DXDraws.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(const std::string& s)
{
    std::string out = s;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool SameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

// --- Collection

TPictureCollection::~TPictureCollection()
{
    Finalize();
}

int TPictureCollection::HashOf(const std::string& name)
{
    const std::string s = Lower(name);
    const auto length = static_cast<int>(s.size());
    if (length >= 2)
        return (length * 16 + static_cast<unsigned char>(s[0]) + static_cast<unsigned char>(s[length - 2])) % 256;
    return (length * 16) % 256;
}

void TPictureCollection::Link(TPictureCollectionItem* item)
{
    TPictureCollectionItem*& head = FBuckets[static_cast<std::size_t>(HashOf(item->FName))];
    item->FNextInBucket = head;
    head = item;
}

void TPictureCollection::Unlink(TPictureCollectionItem* item)
{
    TPictureCollectionItem** at = &FBuckets[static_cast<std::size_t>(HashOf(item->FName))];
    while (*at && *at != item)
        at = &(*at)->FNextInBucket;
    if (*at)
        *at = item->FNextInBucket;
    item->FNextInBucket = nullptr;
}

TPictureCollectionItem& TPictureCollection::Add()
{
    FItems.push_back(std::make_unique<TPictureCollectionItem>(this));
    TPictureCollectionItem& item = *FItems.back();
    item.FIndex = Count() - 1;
    Link(&item);
    return item;
}

void TPictureCollection::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    Unlink(FItems[static_cast<std::size_t>(index)].get());
    FItems.erase(FItems.begin() + index);
    for (int i = index; i < Count(); ++i)
        --FItems[static_cast<std::size_t>(i)]->FIndex;
}

TPictureCollectionItem& TPictureCollection::Find(const std::string& name) const
{
    for (TPictureCollectionItem* item = FBuckets[static_cast<std::size_t>(HashOf(name))]; item;
         item = item->FNextInBucket)
        if (SameText(item->FName, name))
            return *item;
    throw EPictureCollectionError("Image '" + name + "' not found");
}

void TPictureCollection::Initialize(TDXDraw* dxDraw)
{
    Finalize();
    FDXDraw = dxDraw;
    if (!Initialized())
        throw EPictureCollectionError("TPictureCollection cannot be initialized");
    for (const auto& item : FItems)
        item->Initialize();
}

void TPictureCollection::Finalize()
{
    struct TForget {
        TDXDraw*& Draw;
        ~TForget() { Draw = nullptr; }
    } forget{FDXDraw};
    for (const auto& item : FItems)
        item->Finalize();
}

void TPictureCollection::Restore()
{
    for (const auto& item : FItems)
        item->Restore();
}

void TPictureCollection::BuildColorTable()
{
    for (auto& entry : ColorTable)
        entry = {0, 0, 0, 0};
    std::array<bool, 256> used{};
    auto set = [&](int index, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        ColorTable[static_cast<std::size_t>(index)] = {b, g, r, 0};
        used[static_cast<std::size_t>(index)] = true;
    };
    set(0, 0, 0, 0);
    set(1, 128, 0, 0);
    set(2, 0, 128, 0);
    set(3, 128, 128, 0);
    set(4, 0, 0, 128);
    set(5, 128, 0, 128);
    set(6, 0, 128, 128);
    set(7, 192, 192, 192);
    set(248, 128, 128, 128);
    set(249, 255, 0, 0);
    set(250, 0, 255, 0);
    set(251, 255, 255, 0);
    set(252, 0, 0, 255);
    set(253, 255, 0, 255);
    set(254, 0, 255, 255);
    set(255, 255, 255, 255);
    auto full = [&] { return std::all_of(used.begin(), used.end(), [](bool u) { return u; }); };
    auto add = [&](std::uint32_t rgb) {
        const std::array<std::uint8_t, 4> entry{static_cast<std::uint8_t>(rgb & 0xFF),
                                                static_cast<std::uint8_t>((rgb >> 8) & 0xFF),
                                                static_cast<std::uint8_t>((rgb >> 16) & 0xFF), 0};
        for (std::size_t i = 0; i < 256; ++i)
            if (used[i] && ColorTable[i] == entry)
                return;
        for (std::size_t i = 0; i < 256; ++i)
            if (!used[i]) {
                ColorTable[i] = entry;
                used[i] = true;
                return;
            }
    };
    for (const auto& item : FItems) {
        if (full())
            break;
        const TGraphic* graphic = item->Picture.get();
        if (!graphic)
            continue;
        if (const auto* dib = dynamic_cast<const TDIB*>(graphic)) {
            if (dib->BitCount() > 8)
                continue;
            std::array<bool, 256> occurs{};
            for (int y = 0; y < dib->Height(); ++y)
                for (int x = 0; x < dib->Width(); ++x)
                    occurs[dib->Index(x, y)] = true;
            for (std::size_t i = 0; i < 256; ++i)
                if (occurs[i] && i < dib->Palette().size())
                    add(dib->Palette()[i]);
        } else {
            for (const std::uint32_t rgb : graphic->Palette())
                add(rgb);
        }
    }
}

// --- Item

TPictureCollectionItem::TPictureCollectionItem(TPictureCollection* collection) : FCollection(collection) {}

TPictureCollectionItem::~TPictureCollectionItem()
{
    ClearSurfaces();
}

void TPictureCollectionItem::SetName(const std::string& name)
{
    if (FCollection)
        FCollection->Unlink(this);
    FName = name;
    if (FCollection)
        FCollection->Link(this);
}

int TPictureCollectionItem::Width() const
{
    return PatternWidth > 0 ? PatternWidth : (Picture ? Picture->Width() : 0);
}

int TPictureCollectionItem::Height() const
{
    return PatternHeight > 0 ? PatternHeight : (Picture ? Picture->Height() : 0);
}

int TPictureCollectionItem::PatternCount() const
{
    if (!FSurfaces.empty())
        return static_cast<int>(FPatterns.size());
    if (!Picture)
        return 0;
    // A pattern size of 0 means the whole picture; a step that is not positive gives no patterns.
    const std::int64_t stepX = static_cast<std::int64_t>(Width()) + SkipWidth;
    const std::int64_t stepY = static_cast<std::int64_t>(Height()) + SkipHeight;
    if (stepX <= 0 || stepY <= 0)
        return 0;
    return static_cast<int>((Picture->Width() / stepX) * (Picture->Height() / stepY));
}

TRect TPictureCollectionItem::PatternRect(int index) const
{
    if (index < 0 || index >= static_cast<int>(FPatterns.size()))
        return TRect{};
    return FPatterns[static_cast<std::size_t>(index)].Rect;
}

TDirectDrawSurface* TPictureCollectionItem::PatternSurface(int index) const
{
    if (index < 0 || index >= static_cast<int>(FPatterns.size()))
        return nullptr;
    return FPatterns[static_cast<std::size_t>(index)].Surface;
}

void TPictureCollectionItem::Draw(TDirectDrawSurface* dest, int x, int y, int patternIndex)
{
    if (!FInitialized || !dest || patternIndex < 0 || patternIndex >= static_cast<int>(FPatterns.size()))
        return;
    const TPictureCollectionItemPattern& pattern = FPatterns[static_cast<std::size_t>(patternIndex)];
    dest->Draw(x, y, pattern.Rect, pattern.Surface, Transparent);
}

bool TPictureCollectionItem::PatternOpaque(int index) const
{
    if (!FInitialized || index < 0 || index >= static_cast<int>(FPatterns.size()))
        return false;
    if (!Transparent)
        return true;
    FOpaque.resize(FPatterns.size(), -1);
    std::int8_t& opaque = FOpaque[static_cast<std::size_t>(index)];
    if (opaque < 0) {
        const TPictureCollectionItemPattern& pattern = FPatterns[static_cast<std::size_t>(index)];
        const std::uint32_t key = pattern.Surface->ColorToPixel(FSurfaceKey);
        opaque = 1;
        for (int y = pattern.Rect.Top; y < pattern.Rect.Bottom && opaque; ++y)
            for (int x = pattern.Rect.Left; x < pattern.Rect.Right && opaque; ++x)
                opaque = pattern.Surface->Pixel(x, y) != key;
    }
    return opaque != 0;
}

void TPictureCollectionItem::Initialize()
{
    Finalize();
    FInitialized = FCollection && FCollection->Initialized();
}

void TPictureCollectionItem::Finalize()
{
    if (!FInitialized)
        return;
    FInitialized = false;
    ClearSurfaces();
}

void TPictureCollectionItem::ClearSurfaces()
{
    FPatterns.clear();
    FSurfaces.clear();
    FOpaque.clear();
}

TDirectDrawSurface* TPictureCollectionItem::MakeSurface(const TRect& rect)
{
    FSurfaces.push_back(std::make_unique<TDirectDrawSurface>(FCollection->DXDraw()->DDraw()));
    TDirectDrawSurface* surface = FSurfaces.back().get();
    surface->SystemMemory = SystemMemory;
    surface->LoadGraphicRect(*Picture, rect);
    FSurfaceKey = TransparentColor;
    surface->SetKeyColor(surface->ColorToPixel(FSurfaceKey));
    return surface;
}

void TPictureCollectionItem::Restore()
{
    if (!FInitialized) {
        if (FCollection && FCollection->Initialized())
            Initialize();
        if (!FInitialized)
            return;
    }
    if (!Picture)
        return;
    ClearSurfaces();
    const std::int64_t w = Picture->Width(), h = Picture->Height();
    const std::int64_t sw = static_cast<std::int64_t>(Width()) + SkipWidth;
    const std::int64_t sh = static_cast<std::int64_t>(Height()) + SkipHeight;
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0)
        return;  // nothing to cut
    const std::int64_t nx = (w + SkipWidth) / sw, ny = (h + SkipHeight) / sh;
    if (Width() == w && Height() == h) {
        TDirectDrawSurface* surface = MakeSurface(TRect{0, 0, static_cast<int>(w), static_cast<int>(h)});
        FPatterns.push_back({TRect{0, 0, static_cast<int>(w), static_cast<int>(h)}, surface});
        return;
    }
    if (nx <= 0 || ny <= 0)
        return;
    if (SystemMemory) {
        TDirectDrawSurface* surface = MakeSurface(TRect{0, 0, static_cast<int>(w), static_cast<int>(h)});
        for (std::int64_t py = 0; py < ny; ++py)
            for (std::int64_t px = 0; px < nx; ++px)
                FPatterns.push_back(
                    {Bounds(static_cast<int>(px * sw), static_cast<int>(py * sh), Width(), Height()), surface});
        return;
    }
    // Blocks of about 512 pixels, whole pattern steps each, so no pattern straddles two.
    const std::int64_t bw = std::min(((512 + sw - 1) / sw) * sw, nx * sw);
    const std::int64_t bh = std::min(((512 + sh - 1) / sh) * sh, ny * sh);
    if (bw <= 0 || bh <= 0)
        return;
    const std::int64_t bx = (w + bw - 1) / bw, by = (h + bh - 1) / bh;
    for (std::int64_t r = 0; r < by; ++r)
        for (std::int64_t c = 0; c < bx; ++c) {
            std::int64_t cw = std::min(bw, std::max<std::int64_t>(w - c * bw, 0));
            std::int64_t ch = std::min(bh, std::max<std::int64_t>(h - r * bh, 0));
            if (cw == 0)
                cw = bw;
            if (ch == 0)
                ch = bh;
            MakeSurface(
                Bounds(static_cast<int>(c * bw), static_cast<int>(r * bh), static_cast<int>(cw), static_cast<int>(ch)));
        }
    for (std::int64_t py = 0; py < ny; ++py)
        for (std::int64_t px = 0; px < nx; ++px) {
            const std::int64_t x2 = px * sw, y2 = py * sh;
            const std::int64_t index = x2 / bw + (y2 / bh) * bx;
            FPatterns.push_back({Bounds(static_cast<int>(x2 - (x2 / bw) * bw), static_cast<int>(y2 - (y2 / bh) * bh),
                                        Width(), Height()),
                                 FSurfaces[static_cast<std::size_t>(index)].get()});
        }
}

// --- Image list component

TDXImageList::~TDXImageList()
{
    SetDXDraw(nullptr);
}

void TDXImageList::SetDXDraw(TDXDraw* dxDraw)
{
    if (dxDraw == FDXDraw)
        return;
    if (FDXDraw)
        FDXDraw->UnRegisterNotifyEvent(this);
    FDXDraw = dxDraw;
    if (FDXDraw)
        FDXDraw->RegisterNotifyEvent(this);
}

void TDXImageList::DXDrawNotify(TDXDraw& sender, TDXDrawNotifyType type)
{
    switch (type) {
    case TDXDrawNotifyType::dxntDestroying:
        Items.Finalize();
        FDXDraw = nullptr;
        break;
    case TDXDrawNotifyType::dxntInitialize: Items.Initialize(&sender); break;
    case TDXDrawNotifyType::dxntFinalize: Items.Finalize(); break;
    case TDXDrawNotifyType::dxntRestore: Items.Restore(); break;
    default: break;
    }
}
