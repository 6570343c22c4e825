#include "ui/StageCells.h"

#include "editor/StageComparison.h"
#include "editor/TileSearch.h"
#include "ui/DisplayText.h"
#include "ui/StageThumbnails.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

// Cell layout in pixels: the thumbnail inset by Pad, the label line below it.
constexpr int Pad = 4;
constexpr int LabelHeight = 18;
constexpr int MarkWidth = 3;  // the current stage's frame
// The marks grow with the thumbnail: the error badge's sides along its
// corner and the unsaved dot, as a share of its width.
constexpr int BadgeShare = 5;   // 32 pixels on a full thumbnail
constexpr int DotPerForty = 3;  // 12 pixels on a full thumbnail
constexpr int TagHeight = 14;   // the compare and find tags along the thumbnail's bottom
constexpr int TagInset = 3;

const QColor CurrentColour(255, 176, 0);  // amber: stands out on dark and light stages
const QColor ErrorColour(214, 40, 40);
const QColor PlaceholderColour(48, 48, 52);
// The compare tags take the compare outline's magenta for a changed stage;
// the find tag the find outline's cyan, darkened to carry white text.
const QColor ChangedColour(176, 32, 176);
const QColor MovedColour(40, 96, 208);
const QColor AddedColour(24, 136, 56);
const QColor FoundColour(0, 128, 150);

QString Caption(const TStageThumbnail& stage)
{
    return CaptionText(stage.Record.Caption);
}

QString ToolTip(int number, const TStageThumbnail& stage)
{
    if (!stage.Present)
        return QStringLiteral("Stage %1: no record in the stage file").arg(NumberText(number));
    QString tip = QStringLiteral("Stage %1: %2").arg(NumberText(number), Caption(stage));
    if (stage.Errors() > 0) {
        tip += QLatin1Char('\n') + QString::fromLatin1(stage.FirstError);
        if (stage.Errors() > 1)
            tip += QStringLiteral("\n(%1 errors in all)").arg(stage.Errors());
    }
    if (stage.Look && !stage.Look->Failure.empty())
        tip += QLatin1Char('\n') + QString::fromLatin1(stage.Look->Failure);
    return tip;
}

void DrawCentredText(QPainter& painter, const QRect& area, const QString& text, const QColor& colour)
{
    painter.setPen(colour);
    painter.drawText(area, Qt::AlignCenter, text);
}

}  // namespace

TStageCellModel::TStageCellModel(const TStageThumbnails& stages, QObject* parent)
    : QAbstractListModel(parent),
      FStages(stages),
      FImages(static_cast<std::size_t>(StageCount)),
      FLooks(static_cast<std::size_t>(StageCount))
{
    for (int number = 0; number < StageCount; ++number)
        TakeImage(number);
}

int TStageCellModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : StageCount;
}

QVariant TStageCellModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= StageCount)
        return {};
    const int number = index.row();
    const TStageThumbnail& stage = FStages.Stage(number);
    switch (role) {
    case Qt::DisplayRole:
        return NumberText(number) + QLatin1Char(' ') + (stage.Present ? Caption(stage) : QStringLiteral("no record"));
    case Qt::ToolTipRole:
        return ToolTip(number, stage)
               + (number == FCurrent && FUnsaved ? QStringLiteral("\nThe editor holds unsaved changes to it")
                                                 : QString())
               + MarksTip(number);
    case ThumbnailRole: return FImages[static_cast<std::size_t>(number)];
    case CaptionRole: return stage.Present ? Caption(stage) : QString();
    case PresentRole: return stage.Present;
    case StaleRole: return stage.Stale;
    case ErrorsRole: return stage.Errors();
    case CurrentRole: return number == FCurrent;
    case UnsavedRole: return number == FCurrent && FUnsaved;
    case FailedRole: return stage.Look && !stage.Look->Failure.empty();
    case CompareRole: return CompareMark(number);
    case FoundRole: return FoundMark(number);
    default: return {};
    }
}

QString TStageCellModel::CompareMark(int number) const
{
    const TStageChange* change = FComparison && FComparison->On() ? FComparison->Change(number) : nullptr;
    if (!change)
        return {};
    return QString::fromLatin1(StageChangeName(change->Kind));
}

QString TStageCellModel::FoundMark(int number) const
{
    const int found = FSearch && FSearch->On() ? FSearch->Found(number) : 0;
    if (found == 0)
        return {};
    return FSearch->Sought().Codes.empty() ? QStringLiteral("Aa") : QString::number(found);
}

QString TStageCellModel::MarksTip(int number) const
{
    QString tip;
    if (const QString mark = CompareMark(number); !mark.isEmpty()) {
        const QString source = QString::fromStdString(FComparison->Source());
        tip += QStringLiteral("\n%1 since %2").arg(mark.at(0).toUpper() + mark.mid(1), source);
        if (const TStageChange* change = FComparison->Change(number); change->Kind == TStageChangeKind::Moved)
            tip += QStringLiteral(": it was stage %1 there").arg(NumberText(change->A));
    }
    if (const QString found = FoundMark(number); !found.isEmpty()) {
        tip += QStringLiteral("\nFound %1").arg(QString::fromStdString(FSearch->Sought().Label));
        if (!FSearch->Sought().Codes.empty())
            tip += QStringLiteral(" in %1 cells").arg(found);
    }
    return tip;
}

Qt::ItemFlags TStageCellModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QImage TStageCellModel::ImageOf(const std::shared_ptr<const TStageLook>& look)
{
    if (!look || look->Pixels.size() != static_cast<std::size_t>(ThumbnailWidth) * ThumbnailHeight)
        return QImage();
    if (const auto made = FImageOf.find(look); made != FImageOf.end())
        return made->second;
    QImage image(ThumbnailWidth, ThumbnailHeight, QImage::Format_RGB32);
    for (int y = 0; y < ThumbnailHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::uint32_t* source = look->Pixels.data() + static_cast<std::size_t>(y) * ThumbnailWidth;
        for (int x = 0; x < ThumbnailWidth; ++x)
            line[x] = 0xFF000000u | source[x];
    }
    FImageOf.emplace(look, image);
    return image;
}

void TStageCellModel::TakeImage(int number)
{
    const auto index = static_cast<std::size_t>(number);
    FLooks[index] = FStages.Stage(number).Look;
    FImages[index] = ImageOf(FLooks[index]);
}

void TStageCellModel::Reload()
{
    for (int number = 0; number < StageCount; ++number)
        TakeImage(number);
    // Pictures of looks no cell shows any more go; those shown stay made.
    std::erase_if(FImageOf, [this](const auto& made) {
        return std::find(FLooks.begin(), FLooks.end(), made.first) == FLooks.end();
    });
    emit dataChanged(index(0), index(StageCount - 1));
}

void TStageCellModel::StageMade(int number)
{
    if (number < 0 || number >= StageCount)
        return;
    TakeImage(number);
    emit dataChanged(index(number), index(number));
}

void TStageCellModel::SetCurrentStage(int number)
{
    if (number == FCurrent)
        return;
    const int old = FCurrent;
    FCurrent = number;
    if (old >= 0 && old < StageCount)
        emit dataChanged(index(old), index(old), {CurrentRole, UnsavedRole});
    if (number >= 0 && number < StageCount)
        emit dataChanged(index(number), index(number), {CurrentRole, UnsavedRole});
}

void TStageCellModel::SetUnsaved(bool unsaved)
{
    if (unsaved == FUnsaved)
        return;
    FUnsaved = unsaved;
    if (FCurrent >= 0 && FCurrent < StageCount)
        emit dataChanged(index(FCurrent), index(FCurrent), {UnsavedRole, Qt::ToolTipRole});
}

void TStageCellModel::SetMarks(const TStageComparison* comparison, const TTileSearch* search)
{
    FComparison = comparison;
    FSearch = search;
    MarksChanged();
}

void TStageCellModel::MarksChanged()
{
    emit dataChanged(index(0), index(StageCount - 1), {CompareRole, FoundRole, Qt::ToolTipRole});
}

QSize TStageCellDelegate::CellSize(bool compact)
{
    const int divisor = compact ? 2 : 1;
    return {ThumbnailWidth / divisor + 2 * Pad, Pad + ThumbnailHeight / divisor + Pad + LabelHeight + Pad};
}

QSize TStageCellDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return CellSize(FCompact);
}

namespace {

// What a cell shows, read once from the model.
struct TCellView {
    QRect Cell;
    QRect Picture;
    QRect Label;
    bool Present = false;
    bool Current = false;
    bool Unsaved = false;
    int Errors = 0;
    QString Compare;  // the compare tag's text
    QString Found;    // the find tag's text
};

// The list's selection and the pointer's hover: a soft rounded fill.
void PaintHover(QPainter& painter, const QStyleOptionViewItem& option, const TCellView& view)
{
    const bool selected = option.state & QStyle::State_Selected;
    if (!selected && !(option.state & QStyle::State_MouseOver))
        return;
    QColor fill = option.palette.color(QPalette::Highlight);
    fill.setAlpha(selected ? 90 : 35);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(view.Cell).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
}

// The thumbnail, or what stands in for it.
void PaintPicture(QPainter& painter, const QPalette& palette, const QModelIndex& index, const TCellView& view)
{
    const QImage image = index.data(TStageCellModel::ThumbnailRole).value<QImage>();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (!image.isNull() && image.size() == view.Picture.size()) {
        painter.drawImage(view.Picture.topLeft(), image);
    } else if (!image.isNull()) {
        // Halved, each pixel the average of a 2 x 2 block, so thin walls stay visible.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(view.Picture, image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    } else if (view.Present) {
        painter.fillRect(view.Picture, PlaceholderColour);
        const bool failed = index.data(TStageCellModel::FailedRole).toBool();
        DrawCentredText(painter, view.Picture, failed ? QStringLiteral("cannot draw") : QStringLiteral("drawing\u2026"),
                        QColor(170, 170, 176));
    } else {
        painter.fillRect(view.Picture, palette.color(QPalette::Window).darker(108));
        painter.setPen(QPen(palette.color(QPalette::Mid), 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(view.Picture.adjusted(0, 0, -1, -1));
        DrawCentredText(painter, view.Picture, QStringLiteral("no record"), palette.color(QPalette::Mid).darker(130));
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
}

// Errors: a red fold over the thumbnail's top right corner with a "!".
void PaintErrorFold(QPainter& painter, const QFont& baseFont, const TCellView& view)
{
    if (!view.Present || view.Errors <= 0)
        return;
    const int badge = view.Picture.width() / BadgeShare;
    QPainterPath fold;
    const QPointF corner(view.Picture.right() + 1, view.Picture.top());
    fold.moveTo(corner);
    fold.lineTo(corner.x() - badge, corner.y());
    fold.lineTo(corner.x(), corner.y() + badge);
    fold.closeSubpath();
    painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
    painter.setBrush(ErrorColour);
    painter.drawPath(fold);
    QFont mark = baseFont;
    mark.setBold(true);
    mark.setPixelSize(badge / 2 - 1);
    painter.setFont(mark);
    painter.setPen(Qt::white);
    const qreal side = badge * 0.55;
    painter.drawText(QRectF(corner.x() - side, corner.y(), side, side), Qt::AlignCenter, QStringLiteral("!"));
}

// The current stage: an amber frame around the thumbnail.
void PaintCurrentFrame(QPainter& painter, const TCellView& view)
{
    if (!view.Current)
        return;
    painter.setPen(QPen(CurrentColour, MarkWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = -MarkWidth / 2.0;
    painter.drawRect(QRectF(view.Picture).adjusted(inset, inset, -inset, -inset));
}

// Unsaved changes to the current stage: an amber dot with a dark rim at the
// thumbnail's top left corner (the error fold keeps the right one).
void PaintUnsavedMark(QPainter& painter, const TCellView& view)
{
    if (!view.Unsaved)
        return;
    const int dot = view.Picture.width() * DotPerForty / 40;
    painter.setPen(QPen(QColor(60, 30, 0), 1.5));
    painter.setBrush(CurrentColour);
    painter.drawEllipse(QRectF(view.Picture.left() + dot / 2, view.Picture.top() + dot / 2, dot, dot));
}

QFont TagFont(const QFont& baseFont)
{
    QFont font = baseFont;
    font.setBold(true);
    font.setPixelSize(TagHeight - 4);
    return font;
}

int TagWidth(const QFont& font, const QString& text)
{
    return text.isEmpty() ? 0 : QFontMetrics(font).horizontalAdvance(text) + 8;
}

// A tag on the thumbnail's bottom edge, clear of the frame, the fold and the
// dot at the top: white bold text on `colour` with a white rim, so that it
// reads on any art at either thumbnail size. `right`: at the right corner.
void PaintTag(QPainter& painter, const QFont& baseFont, const TCellView& view, const QString& text,
              const QColor& colour, bool right)
{
    if (text.isEmpty())
        return;
    const QFont font = TagFont(baseFont);
    const int width = TagWidth(font, text);
    const int top = view.Picture.bottom() + 1 - TagInset - TagHeight;
    const int left = right ? view.Picture.right() + 1 - TagInset - width : view.Picture.left() + TagInset;
    const QRectF tag(left, top, width, TagHeight);
    painter.setPen(QPen(QColor(255, 255, 255, 220), 1));
    painter.setBrush(colour);
    painter.drawRoundedRect(tag.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(tag, Qt::AlignCenter, text);
}

// The compare tag at the left, the find tag at the right; on a thumbnail too
// narrow for both words the compare tag shows its initial (the tooltip says it whole).
void PaintTags(QPainter& painter, const QFont& baseFont, const TCellView& view)
{
    const QColor colour = view.Compare == QStringLiteral("moved")   ? MovedColour
                          : view.Compare == QStringLiteral("added") ? AddedColour
                                                                    : ChangedColour;
    const QFont font = TagFont(baseFont);
    const bool fits = TagWidth(font, view.Compare) + TagWidth(font, view.Found) + 3 * TagInset <= view.Picture.width();
    PaintTag(painter, baseFont, view, fits ? view.Compare : view.Compare.left(1).toUpper(), colour, false);
    PaintTag(painter, baseFont, view, view.Found, FoundColour, true);
}

// The label: the number in a pill (amber for the current stage, red for one
// with errors), then the caption, elided to the cell.
void PaintLabel(QPainter& painter, const QStyleOptionViewItem& option, const QModelIndex& index, const TCellView& view)
{
    const QPalette& palette = option.palette;
    QFont font = option.font;
    QFont bold = font;
    bold.setBold(true);
    const QString number = NumberText(index.row());
    const QFontMetrics boldMetrics(bold);
    const QRect pill(view.Label.left(), view.Label.top() + 1, boldMetrics.horizontalAdvance(number) + 10,
                     view.Label.height() - 2);
    const QColor pillColour = view.Current                      ? CurrentColour
                              : view.Errors > 0 && view.Present ? ErrorColour
                                                                : palette.color(QPalette::Mid);
    painter.setPen(Qt::NoPen);
    painter.setBrush(pillColour);
    painter.drawRoundedRect(QRectF(pill), pill.height() / 2.0, pill.height() / 2.0);
    painter.setFont(bold);
    painter.setPen(view.Current ? QColor(Qt::black) : QColor(Qt::white));
    painter.drawText(pill, Qt::AlignCenter, number);

    const QRect text = view.Label.adjusted(pill.width() + 5, 0, 0, 0);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    if (view.Present) {
        painter.setPen(palette.color(QPalette::Text));  // the selection's fill is light: plain text reads
        painter.drawText(
            text, Qt::AlignLeft | Qt::AlignVCenter,
            metrics.elidedText(index.data(TStageCellModel::CaptionRole).toString(), Qt::ElideRight, text.width()));
    } else {
        font.setItalic(true);
        painter.setFont(font);
        painter.setPen(palette.color(QPalette::Disabled, QPalette::Text));
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("no record"));
    }
}

}  // namespace

void TStageCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    TCellView view;
    view.Cell = QRect(option.rect.topLeft(), CellSize(FCompact));
    view.Picture = QRect(view.Cell.left() + Pad, view.Cell.top() + Pad, view.Cell.width() - 2 * Pad,
                         view.Cell.height() - 3 * Pad - LabelHeight);
    view.Label = QRect(view.Cell.left() + Pad, view.Picture.bottom() + 1 + Pad, view.Picture.width(), LabelHeight);
    view.Present = index.data(TStageCellModel::PresentRole).toBool();
    view.Current = index.data(TStageCellModel::CurrentRole).toBool();
    view.Unsaved = index.data(TStageCellModel::UnsavedRole).toBool();
    view.Errors = index.data(TStageCellModel::ErrorsRole).toInt();
    view.Compare = index.data(TStageCellModel::CompareRole).toString();
    view.Found = index.data(TStageCellModel::FoundRole).toString();

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    PaintHover(*painter, option, view);
    PaintPicture(*painter, option.palette, index, view);
    PaintErrorFold(*painter, option.font, view);
    PaintCurrentFrame(*painter, view);
    PaintUnsavedMark(*painter, view);
    PaintTags(*painter, option.font, view);
    PaintLabel(*painter, option, index, view);
    painter->restore();
}
