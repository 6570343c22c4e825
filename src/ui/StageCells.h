#pragma once
// The stage browser's grid: one cell per stage 0..99 (a list model over
// TStageThumbnails) and the painter of a cell: the thumbnail, the two-digit
// number and the caption, the mark of the current stage, the badge of a
// stage with check errors, and the marks of a comparison and a find.

#include <QAbstractListModel>
#include <QImage>
#include <QStyledItemDelegate>

#include <map>
#include <memory>
#include <vector>

class TStageComparison;
class TStageThumbnails;
class TTileSearch;
struct TStageLook;

class TStageCellModel : public QAbstractListModel {
    Q_OBJECT
public:
    // Besides Qt::DisplayRole ("07 Caption", or "07 no record") and
    // Qt::ToolTipRole (the caption, the first check error, a failure).
    enum TRole {
        ThumbnailRole = Qt::UserRole + 1,  // QImage; null until made
        CaptionRole,                       // QString: the caption's bytes as the editor's title shows them
        PresentRole,                       // bool: the file holds the record
        StaleRole,                         // bool: its thumbnail is to be made (again)
        ErrorsRole,                        // int: check errors
        CurrentRole,                       // bool: the current stage (StageNum)
        UnsavedRole,                       // bool: the current stage, with unsaved changes
        FailedRole,                        // bool: it could not be drawn
        CompareRole,                       // QString: "changed", "moved", "added", or empty
        FoundRole,                         // QString: its count of cells found, "Aa" for a caption, or empty
    };

    // `stages` (not owned) must outlive the model.
    explicit TStageCellModel(const TStageThumbnails& stages, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Cells are selected, dragged and dropped on (the window does the rest).
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The thumbnails and records changed: every cell is read again.
    void Reload();
    // Stage `number`'s thumbnail was made.
    void StageMade(int number);
    void SetCurrentStage(int number);
    int CurrentStage() const { return FCurrent; }
    // The live stage (shown in the current stage's cell) is unsaved.
    void SetUnsaved(bool unsaved);
    // Where the marks come from (not owned; they must outlive the model),
    // and that what they say changed.
    void SetMarks(const TStageComparison* comparison, const TTileSearch* search);
    void MarksChanged();

private:
    void TakeImage(int number);
    QString CompareMark(int number) const;
    QString FoundMark(int number) const;
    // The lines the marks add to a cell's tooltip.
    QString MarksTip(int number) const;
    // The picture of a look, made from its pixels once while a cell shows it.
    QImage ImageOf(const std::shared_ptr<const TStageLook>& look);

    const TStageThumbnails& FStages;
    std::vector<QImage> FImages;
    // The look each cell's picture was taken from: a look moved to another
    // cell keeps its picture.
    std::vector<std::shared_ptr<const TStageLook>> FLooks;
    std::map<std::shared_ptr<const TStageLook>, QImage> FImageOf;
    int FCurrent = -1;
    bool FUnsaved = false;
    const TStageComparison* FComparison = nullptr;
    const TTileSearch* FSearch = nullptr;
};

// Paints a cell; its size is CellSize. A compact cell shows the thumbnail at
// half its size (80 x 60), for a window that shows more stages.
class TStageCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static QSize CellSize(bool compact = false);
    void SetCompact(bool compact) { FCompact = compact; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    bool FCompact = false;
};
