#include "platform/TextRenderer.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cmath>
#include <memory>
#include <string>

void EnsureGuiApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "stage";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

namespace {

int PixelSize(int pointSize)
{
    return std::max(1, static_cast<int>(std::lround(pointSize * 96.0 / 72.0)));
}

// Raster fonts of the old desktop are not installed here; their kind is.
QFont MakeFont(std::string_view fontName, int pointSize)
{
    EnsureGuiApplication();
    const QString family = QString::fromUtf8(fontName.data(), static_cast<qsizetype>(fontName.size()));
    QFont font(family);
    font.setPixelSize(PixelSize(pointSize));
    font.setStyleStrategy(QFont::NoAntialias);
    const QString lower = family.toLower();
    if (!QFontInfo(font).exactMatch()) {
        if (lower == "fixedsys" || lower == "terminal" || lower.startsWith("courier")) {
            QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            fixed.setPixelSize(PixelSize(pointSize));
            fixed.setStyleStrategy(QFont::NoAntialias);
            if (lower == "fixedsys")
                fixed.setBold(true);
            return fixed;
        }
        font.setStyleHint(QFont::SansSerif);
    }
    return font;
}

QImage::Format ImageFormat(TPixelFormat format)
{
    return format == TPixelFormat::XRGB8888 ? QImage::Format_RGB32 : QImage::Format_RGB16;
}

struct TCachedSet {
    std::string Name;
    int Size;
    std::unique_ptr<TGlyphSet> Glyphs;
};

std::unique_ptr<TGlyphSet> RenderGlyphs(std::string_view fontName, int pointSize)
{
    const QFont font = MakeFont(fontName, pointSize);
    const QFontMetrics metrics(font);
    auto set = std::make_unique<TGlyphSet>();
    set->Height = std::max(1, metrics.height());
    for (int i = 0; i < TGlyphSet::Count; ++i) {
        set->Advance[i] = metrics.horizontalAdvance(QChar(TGlyphSet::First + i));
        set->CellWidth = std::max(set->CellWidth, set->Advance[i]);
    }
    set->CellWidth = std::max(1, set->CellWidth);
    set->Masks.assign(static_cast<std::size_t>(TGlyphSet::Count) * set->Height * set->CellWidth, 0);
    QImage cell(set->CellWidth, set->Height, QImage::Format_RGB32);
    for (int i = 0; i < TGlyphSet::Count; ++i) {
        cell.fill(Qt::black);
        {
            QPainter painter(&cell);
            painter.setFont(font);
            painter.setPen(Qt::white);
            painter.drawText(0, metrics.ascent(), QString(QChar(TGlyphSet::First + i)));
        }
        std::uint8_t* mask = set->Masks.data() + static_cast<std::size_t>(i) * set->Height * set->CellWidth;
        for (int y = 0; y < set->Height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(cell.constScanLine(y));
            for (int x = 0; x < set->CellWidth; ++x)
                mask[y * set->CellWidth + x] = qGray(row[x]) >= 128 ? 1 : 0;
        }
    }
    return set;
}

}  // namespace

const TGlyphSet& GlyphSetFor(std::string_view fontName, int pointSize)
{
    static std::vector<TCachedSet> cache;
    for (const auto& entry : cache)
        if (entry.Size == pointSize && entry.Name == fontName)
            return *entry.Glyphs;
    cache.push_back(TCachedSet{std::string(fontName), pointSize, RenderGlyphs(fontName, pointSize)});
    return *cache.back().Glyphs;
}

void PaintTextWithQt(std::uint8_t* pixels, int width, int height, std::ptrdiff_t pitch, TPixelFormat format, int x,
                     int y, std::string_view text, std::string_view fontName, int pointSize, TColor color,
                     const TColor* background)
{
    if (width <= 0 || height <= 0)
        return;
    const QFont font = MakeFont(fontName, pointSize);
    QImage image(pixels, width, height, pitch, ImageFormat(format));
    QPainter painter(&image);
    painter.setFont(font);
    const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(font);
    if (background) {
        painter.fillRect(x, y, metrics.horizontalAdvance(string), metrics.height(),
                         QColor(static_cast<int>(RedOf(*background)), static_cast<int>(GreenOf(*background)),
                                static_cast<int>(BlueOf(*background))));
    }
    painter.setPen(
        QColor(static_cast<int>(RedOf(color)), static_cast<int>(GreenOf(color)), static_cast<int>(BlueOf(color))));
    painter.drawText(x, y + metrics.ascent(), string);
}

TPoint QtTextExtent(std::string_view text, std::string_view fontName, int pointSize)
{
    const QFontMetrics metrics(MakeFont(fontName, pointSize));
    const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return TPoint{metrics.horizontalAdvance(string), metrics.height()};
}
