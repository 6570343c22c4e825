#include "ui/OptionFm.h"

#include "editor/Main.h"
#include "ui/Art.h"
#include "ui/Fonts.h"
#include "ui/UpDown.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include <algorithm>
#include <climits>
#include <string>
#include <type_traits>

// ---------------------------------------------------------------------------
// Caption conversions

QString CaptionToText(const TShortString& caption)
{
    QString text;
    for (const char c : caption.Str()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= LineBreakMark)
            text += QStringLiteral("\r\n");
        else
            text += QChar(byte);
    }
    return text;
}

TShortString TextToCaption(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    std::string stored;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            stored += static_cast<char>(LineBreakMark);
            ++i;
        } else {
            stored += bytes[i];
        }
    }
    TShortString caption;
    caption.Assign(stored);
    return caption;
}

namespace {

QString FromShortString(const TShortString& s)
{
    const std::string text = s.Str();
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

TShortString ToShortString(const QString& text)
{
    TShortString s;
    s.Assign(text.toLatin1().toStdString());
    return s;
}

// A tiling switch after OK: the stored byte while the box still shows it
// (a byte such as 2 shows as ticked and must survive), else 0 or 1.
std::uint8_t TileByte(std::uint8_t stored, bool checked)
{
    if (checked == (stored != 0))
        return stored;
    return checked ? 1 : 0;
}

// The OK and Cancel glyphs: a green tick and a red cross.
QIcon MakeGlyph(bool ok)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    if (ok) {
        painter.setPen(QPen(QColor(0, 128, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        path.moveTo(2.5, 8.5);
        path.lineTo(6.5, 12.5);
        path.lineTo(13.5, 3.5);
    } else {
        painter.setPen(QPen(QColor(192, 0, 0), 2.6, Qt::SolidLine, Qt::RoundCap));
        path.moveTo(3.5, 3.5);
        path.lineTo(12.5, 12.5);
        path.moveTo(12.5, 3.5);
        path.lineTo(3.5, 12.5);
    }
    painter.drawPath(path);
    painter.end();
    return QIcon(pixmap);
}

}  // namespace

// ---------------------------------------------------------------------------
// TfmOption

namespace {

enum class TControlKind { Label, Memo, Edit, Grid, UpDown, Swatch, CheckBox, Bevel, OkButton, CancelButton };

// Stores a made control in its member of the dialog.
using TBindControl = void (*)(TfmOption& dialog, QWidget* control);

template <auto Member>
void Bind(TfmOption& dialog, QWidget* control)
{
    dialog.*Member = static_cast<std::remove_reference_t<decltype(dialog.*Member)>>(control);
}

struct TGeometry {
    int Left, Top, Width, Height;
};

// One control of the dialog. The rows are in creation order, which is also
// the order of painting and, among the controls that take the focus, of Tab.
struct TControlRow {
    const char* Name;
    TControlKind Kind;
    const char* Text;     // caption; an edit's first text; an up-down's first position
    TGeometry Geometry;   // a label sizes itself to its caption: Width and Height unused
    int MaxLength;        // an edit's limit in characters
    const char* Partner;  // the control a label's access key focuses, or an up-down's edit
    TBindControl BindTo;  // null for a control nothing refers to
};

using enum TControlKind;

constexpr TControlRow Controls[] = {
    {"lbCaption", Label, "Stage &Caption:  (English Only)", {8, 8, 0, 0}, 0, "mmCaption", &Bind<&TfmOption::lbCaption>},
    {"mmCaption", Memo, nullptr, {8, 24, 341, 41}, 0, nullptr, &Bind<&TfmOption::mmCaption>},
    {"lbSI_Bitmap",
     Label,
     "Stage &In PIC: ( Must be 640*480, and placed in folder 'Map\\' )",
     {8, 74, 0, 0},
     0,
     "edSI_Bitmap",
     &Bind<&TfmOption::lbSI_Bitmap>},
    {"edSI_Bitmap", Edit, nullptr, {8, 90, 341, 21}, MaxShortString, nullptr, &Bind<&TfmOption::edSI_Bitmap>},
    {"lbCount", Label, "&Enemy Count: (By Type)", {8, 120, 0, 0}, 0, "sgCount", &Bind<&TfmOption::lbCount>},
    {"sgCount", Grid, nullptr, {8, 136, 341, 121}, 0, nullptr, &Bind<&TfmOption::sgCount>},
    {"Edit1", Edit, "0", {48, 173, 21, 20}, 2, nullptr, &Bind<&TfmOption::Edit1>},
    {"UpDown1", UpDown, "0", {69, 173, 12, 20}, 0, "Edit1", &Bind<&TfmOption::UpDown1>},
    {"lbMaxCount", Label, "Enemy appear &Max Count:", {8, 265, 0, 0}, 0, "edMaxCount", &Bind<&TfmOption::lbMaxCount>},
    {"edMaxCount", Edit, "5", {144, 261, 33, 21}, 2, nullptr, &Bind<&TfmOption::edMaxCount>},
    {"udMaxCount", UpDown, "5", {177, 261, 16, 21}, 0, "edMaxCount", &Bind<&TfmOption::udMaxCount>},
    {"lbBG_Bitmap",
     Label,
     "&BG PIC: (Must be placed in folder 'Map\\' )",
     {8, 298, 0, 0},
     0,
     "edBG_Bitmap",
     &Bind<&TfmOption::lbBG_Bitmap>},
    {"edBG_Bitmap", Edit, nullptr, {8, 314, 241, 21}, MaxShortString, nullptr, &Bind<&TfmOption::edBG_Bitmap>},
    {"stBG_Color", Swatch, nullptr, {270, 276, 78, 20}, 0, nullptr, &Bind<&TfmOption::stBG_Color>},
    {"cbBG_VTile", CheckBox, "BG &V Tile", {272, 300, 69, 17}, 0, nullptr, &Bind<&TfmOption::cbBG_VTile>},
    {"cbBG_HTile", CheckBox, "BG &H Tile", {272, 320, 69, 17}, 0, nullptr, &Bind<&TfmOption::cbBG_HTile>},
    {"Bevel1", Bevel, nullptr, {8, 336, 337, 2}, 0, nullptr, nullptr},
    {"BitBtn1", OkButton, "OK", {208, 356, 65, 25}, 0, nullptr, &Bind<&TfmOption::BitBtn1>},
    {"BitBtn2", CancelButton, "Cancel", {280, 356, 65, 25}, 0, nullptr, &Bind<&TfmOption::BitBtn2>},
};

// The control of one row with what its kind needs. A partner is made before
// the rows that name it.
QWidget* NewControl(QDialog& dialog, const TControlRow& row)
{
    const QString text = row.Text ? QString::fromLatin1(row.Text) : QString();
    switch (row.Kind) {
    case Label: return new QLabel(text, &dialog);
    case Memo: return new TCaptionMemo(&dialog);
    case Edit: {
        auto* edit = new QLineEdit(&dialog);
        edit->setMaxLength(row.MaxLength);
        if (row.Text)
            edit->setText(text);
        return edit;
    }
    case Grid: return new TCountGrid(&dialog);
    case UpDown: {
        // Both count from 0 to 99, the upper arrow lowering the number.
        auto* upDown = new TUpDown(dialog.findChild<QLineEdit*>(QLatin1String(row.Partner)), &dialog);
        upDown->setRange(0, 99);
        upDown->setIncrement(-1);
        upDown->setPosition(text.toInt());
        return upDown;
    }
    case Swatch: return new TColorStatic(&dialog);
    case CheckBox: return new QCheckBox(text, &dialog);
    case Bevel: {
        auto* bevel = new QFrame(&dialog);
        bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        return bevel;
    }
    case OkButton:
    case CancelButton: return new QPushButton(MakeGlyph(row.Kind == OkButton), text, &dialog);
    }
    return nullptr;
}

void AddControl(TfmOption& dialog, const TControlRow& row)
{
    QWidget* control = NewControl(dialog, row);
    control->setObjectName(QLatin1String(row.Name));
    const TGeometry& g = row.Geometry;
    if (row.Kind == Label) {
        control->move(g.Left, g.Top);
        control->adjustSize();
    } else {
        control->setGeometry(g.Left, g.Top, g.Width, g.Height);
    }
    if (row.BindTo)
        row.BindTo(dialog, control);
}

// The stand-in face runs wider than the original: condenses the label step by
// step (to 75% at most) until it ends before right rather than under the
// control there.
void CondenseLabel(QLabel& label, int right)
{
    for (int stretch = 100; stretch > 75 && label.x() + label.width() > right; stretch -= 5) {
        QFont condensed = label.font();
        condensed.setStretch(stretch - 5);
        label.setFont(condensed);
        label.adjustSize();
    }
}

// Tab visits the controls that take the focus in the order of the rows.
void ChainTabStops(TfmOption& dialog)
{
    QWidget* previous = nullptr;
    for (const TControlRow& row : Controls) {
        QWidget* control = dialog.findChild<QWidget*>(QLatin1String(row.Name));
        if (!(control->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

}  // namespace

TfmOption::TfmOption(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                         | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("fmOption"));
    setWindowTitle(QStringLiteral("Option"));
    setFont(FormFont());
    setFixedSize(357, 388);

    for (const TControlRow& row : Controls)
        AddControl(*this, row);
    // Before the labels get their buddies: a label without one measures its
    // "&" as well, and the layout was set by that width.
    CondenseLabel(*lbMaxCount, 140);
    for (const TControlRow& row : Controls)
        if (row.Kind == Label)
            findChild<QLabel*>(QLatin1String(row.Name))->setBuddy(findChild<QWidget*>(QLatin1String(row.Partner)));

    QFont memoFont(QStringLiteral("Fixedsys"));
    memoFont.setPixelSize(15);
    memoFont.setStyleHint(QFont::TypeWriter);
    mmCaption->setFont(memoFont);
    // The count cells' editor: only its arrows show, over the chosen cell.
    Edit1->setFrame(false);
    Edit1->setFocusPolicy(Qt::NoFocus);
    Edit1->hide();
    UpDown1->hide();
    stBG_Color->OnClick = [this] { stBG_ColorClick(); };
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);  // Esc rejects as well

    ChainTabStops(*this);
    mmCaption->setFocus();

    for (int i = 0; i < static_cast<int>(ImageList1.size()); ++i)
        ImageList1[static_cast<std::size_t>(i)] = OptionImage(i);

    sgCount->OnSelectCell = [this](int col, int row) { return sgCountSelectCell(col, row); };
    sgCount->OnDrawCell = [this](QPainter& painter, int col, int row, const QRect& rect) {
        DrawGrid1DrawCell(painter, col, row, rect);
    };
    sgCount->OnEnter = [this] { sgCountEnter(); };
    sgCount->OnExit = [this] { sgCountExit(); };
    connect(Edit1, &QLineEdit::textChanged, this, &TfmOption::Edit1Change);

    FormCreate();

    // Key preview. Installed last, so this filter runs before the up-downs'
    // own key handling in their buddies.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

unsigned TfmOption::ReadCount(const QString& text)
{
    unsigned value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        const unsigned digit = static_cast<unsigned>(c.unicode() - '0');
        if (value > (UINT_MAX - digit) / 10)
            break;  // the next digit would overflow 32 bits
        value = value * 10 + digit;
    }
    return value;
}

void TfmOption::FormCreate()
{
    for (int row = 0; row < TCountGrid::RowCount; ++row)
        sgCount->SetCells(0, row, row % 2 == 0 ? QStringLiteral("Type") : QStringLiteral("Count"));
    for (int type = 0; type < EnemyTypeCount; ++type) {
        const TPoint cell = CountCell(type);
        sgCount->SetCells(cell.X, cell.Y, QStringLiteral("0"));
    }
    sgCount->SetSelection({-1, -1, -1, -1});
}

void TfmOption::DrawGrid1DrawCell(QPainter& painter, int col, int row, const QRect& rect)
{
    if (col < 1 || col > 8 || (row != 0 && row != 2))
        return;
    const QPixmap& image = ImageList1[static_cast<std::size_t>(2 * (col - 1) + row / 2 + 4)];
    if (!image.isNull())
        painter.drawPixmap(rect.topLeft(), image);
}

bool TfmOption::sgCountSelectCell(int col, int row)
{
    if (row != 1 && row != 3)
        return false;
    const TRect r = sgCount->CellRect(col, row);
    // No selection while the position changes, so the change writes into no cell.
    sgCount->SetSelection({-1, -1, -1, -1});
    UpDown1->setPosition(static_cast<int>(std::min<unsigned>(ReadCount(sgCount->Cells(col, row)), INT_MAX)));
    UpDown1->setGeometry(sgCount->x() + r.Right - 12, sgCount->y() + r.Top + 1, 15, r.Height() + 2);
    return true;
}

void TfmOption::sgCountEnter()
{
    UpDown1->show();
    UpDown1->raise();
}

void TfmOption::sgCountExit()
{
    UpDown1->hide();
}

void TfmOption::Edit1Change()
{
    const TGridRect selection = sgCount->Selection();
    if (selection.Left == -1 && selection.Top == -1)
        return;
    for (int row = selection.Top; row <= selection.Bottom; ++row) {
        if (row != 1 && row != 3)
            continue;
        for (int col = selection.Left; col <= selection.Right; ++col)
            sgCount->SetCells(col, row, Edit1->text());
    }
    unsigned sum = 0;
    for (int type = 0; type < EnemyTypeCount; ++type) {
        const TPoint cell = CountCell(type);
        sum += ReadCount(sgCount->Cells(cell.X, cell.Y));
    }
    setWindowTitle(QString::asprintf("Option ( EC=%2.2d )", static_cast<int>(sum)));
}

void TfmOption::edMaxCountExit()
{
    edMaxCount->setText(QString::number(udMaxCount->position()));
}

bool TfmOption::FormKeyDown(int key)
{
    if (UpDown1->isHidden())
        return false;
    switch (key) {
    case Qt::Key_PageUp: UpDown1->setPosition(UpDown1->position() - 10); break;
    case Qt::Key_PageDown: UpDown1->setPosition(UpDown1->position() + 10); break;
    case Qt::Key_End: UpDown1->setPosition(99); break;
    case Qt::Key_Home: UpDown1->setPosition(0); break;
    case Qt::Key_Up: UpDown1->setPosition(UpDown1->position() - 1); break;
    case Qt::Key_Down: UpDown1->setPosition(UpDown1->position() + 1); break;
    default: return false;
    }
    return true;
}

void TfmOption::stBG_ColorClick()
{
    QColorDialog dialog(ToQColor(stBG_Color->Color()), this);
    dialog.setObjectName(QStringLiteral("ColorDialog1"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QColor chosen = dialog.selectedColor();
    stBG_Color->SetColor(RGBColor(static_cast<unsigned>(chosen.red()), static_cast<unsigned>(chosen.green()),
                                  static_cast<unsigned>(chosen.blue())));
}

bool TfmOption::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent*>(event)->key()))
        return true;
    if (watched == edMaxCount && event->type() == QEvent::FocusOut
        && IsControlFocusChange(static_cast<QFocusEvent*>(event)))
        edMaxCountExit();
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------

bool ExecuteOptionDialog(QWidget* owner, TMainForm& form)
{
    TfmOption dialog(owner);
    dialog.mmCaption->SetText(CaptionToText(form.Caption));
    dialog.udMaxCount->setPosition(form.MaxCount);
    dialog.stBG_Color->SetColor(form.BG_Color);
    dialog.edBG_Bitmap->setText(FromShortString(form.BG_Bitmap));
    dialog.edSI_Bitmap->setText(FromShortString(form.SI_Bitmap));
    dialog.cbBG_VTile->setChecked(form.BG_V_Tile != 0);
    dialog.cbBG_HTile->setChecked(form.BG_H_Tile != 0);
    for (int type = 0; type < EnemyTypeCount; ++type) {
        const TPoint cell = TfmOption::CountCell(type);
        dialog.sgCount->SetCells(cell.X, cell.Y, QString::asprintf("%2.2d", form.EnemyCount[type]));
    }

    if (dialog.exec() != QDialog::Accepted)
        return false;

    form.PushHistory();
    form.Caption = TextToCaption(dialog.mmCaption->Text());
    form.MaxCount = static_cast<std::uint16_t>(dialog.udMaxCount->position());
    for (int type = 0; type < EnemyTypeCount; ++type) {
        const TPoint cell = TfmOption::CountCell(type);
        const auto count = static_cast<std::uint16_t>(TfmOption::ReadCount(dialog.sgCount->Cells(cell.X, cell.Y)));
        form.EnemyCount[type] = count;
    }
    form.EnemyTotal = SumEnemyCounts(form.EnemyCount);
    form.BG_Color = dialog.stBG_Color->Color();
    form.SetBGBitmap(ToShortString(dialog.edBG_Bitmap->text()));
    form.SI_Bitmap = ToShortString(dialog.edSI_Bitmap->text());
    form.BG_V_Tile = TileByte(form.BG_V_Tile, dialog.cbBG_VTile->isChecked());
    form.BG_H_Tile = TileByte(form.BG_H_Tile, dialog.cbBG_HTile->isChecked());
    form.UpdateTitle();
    return true;
}
