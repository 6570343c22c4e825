#include "ui/OptionFm.h"

#include "editor/Main.h"
#include "platform/SystemColors.h"
#include "ui/Art.h"
#include "ui/Fonts.h"
#include "ui/UpDown.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include <algorithm>
#include <climits>
#include <string>

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

// A system colour shows as the desktop's colour of that name.
QColor ToQColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return QColor(static_cast<int>(RedOf(rgb)), static_cast<int>(GreenOf(rgb)), static_cast<int>(BlueOf(rgb)));
}

// Whether a focus change moves the focus to another control of the same window,
// rather than the whole window losing activation.
bool IsControlFocusChange(const QFocusEvent* event)
{
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
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
// TCountGrid

TCountGrid::TCountGrid(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
}

QString TCountGrid::Cells(int col, int row) const
{
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount)
        return {};
    return FCells[col][row];
}

void TCountGrid::SetCells(int col, int row, const QString& text)
{
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount || FCells[col][row] == text)
        return;
    FCells[col][row] = text;
    update();
}

TGridRect TCountGrid::Selection() const
{
    return {std::min(FCurrent.X, FAnchor.X), std::min(FCurrent.Y, FAnchor.Y), std::max(FCurrent.X, FAnchor.X),
            std::max(FCurrent.Y, FAnchor.Y)};
}

void TCountGrid::SetSelection(const TGridRect& selection)
{
    FAnchor = {selection.Left, selection.Top};
    FCurrent = {selection.Right, selection.Bottom};
    update();
}

TRect TCountGrid::CellRect(int col, int row) const
{
    int top = 0;
    for (int r = 0; r < row; ++r)
        top += RowHeights[static_cast<std::size_t>(r)] + GridLineWidth;
    const int left = col * (ColWidth + GridLineWidth);
    return Bounds(left, top, ColWidth, RowHeights[static_cast<std::size_t>(row)]);
}

bool TCountGrid::CellAt(const QPoint& point, TPoint& cell) const
{
    // A grid line belongs to the cell before it.
    const QPoint p = point - ClientOrigin();
    if (p.x() < 0 || p.y() < 0 || !contentsRect().contains(point))
        return false;
    const int col = p.x() / (ColWidth + GridLineWidth);
    if (col >= ColCount)
        return false;
    int bottom = 0;
    for (int row = 0; row < RowCount; ++row) {
        bottom += RowHeights[static_cast<std::size_t>(row)] + GridLineWidth;
        if (p.y() < bottom) {
            cell = {col, row};
            return true;
        }
    }
    return false;
}

void TCountGrid::MoveCurrent(int col, int row)
{
    if (OnSelectCell && !OnSelectCell(col, row))
        return;
    FCurrent = {col, row};
    FAnchor = FCurrent;
    update();
}

void TCountGrid::MoveAnchor(const TPoint& anchor)
{
    FAnchor = anchor;
    update();
}

void TCountGrid::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect client = contentsRect();
    painter.setClipRect(client);
    painter.translate(client.topLeft());
    const QPalette& pal = palette();
    painter.fillRect(QRect(QPoint(0, 0), client.size()), pal.color(QPalette::Base));

    const TRect last = CellRect(ColCount - 1, RowCount - 1);
    painter.fillRect(QRect(0, 0, last.Right + GridLineWidth, last.Bottom + GridLineWidth), QColor(192, 192, 192));

    const TGridRect selection = Selection();
    for (int row = 0; row < RowCount; ++row) {
        for (int col = 0; col < ColCount; ++col) {
            const TRect r = CellRect(col, row);
            const QRect rect(r.Left, r.Top, r.Width(), r.Height());
            const bool fixed = col < FixedCols;
            const bool focused = !fixed && hasFocus() && col == FCurrent.X && row == FCurrent.Y;
            const bool selected = !fixed && col >= selection.Left && col <= selection.Right &&
                                  row >= selection.Top && row <= selection.Bottom;
            QColor textColor = pal.color(QPalette::Text);
            if (fixed) {
                painter.fillRect(rect, pal.color(QPalette::Button));
                painter.setPen(pal.color(QPalette::Light));
                painter.drawLine(rect.topLeft(), rect.topRight());
                painter.drawLine(rect.topLeft(), rect.bottomLeft());
                painter.setPen(pal.color(QPalette::Dark));
                painter.drawLine(rect.bottomLeft(), rect.bottomRight());
                painter.drawLine(rect.topRight(), rect.bottomRight());
                textColor = pal.color(QPalette::ButtonText);
            } else if (selected && !focused) {
                painter.fillRect(rect, pal.color(QPalette::Highlight));
                textColor = pal.color(QPalette::HighlightedText);
            } else {
                painter.fillRect(rect, pal.color(QPalette::Base));
            }
            painter.save();
            painter.setClipRect(rect, Qt::IntersectClip);
            painter.setPen(textColor);
            painter.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             FCells[col][row]);
            if (OnDrawCell)
                OnDrawCell(painter, col, row, rect);
            painter.restore();
            if (focused) {
                painter.setPen(QPen(pal.color(QPalette::Text), 1, Qt::DotLine));
                painter.drawRect(rect.adjusted(0, 0, -1, -1));
            }
        }
    }
}

void TCountGrid::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    TPoint cell;
    if (!CellAt(event->position().toPoint(), cell) || cell.X < FixedCols)
        return;
    if (event->modifiers() & Qt::ShiftModifier)
        MoveAnchor(cell);
    else
        MoveCurrent(cell.X, cell.Y);
    FSelecting = true;
}

void TCountGrid::mouseMoveEvent(QMouseEvent* event)
{
    TPoint cell;
    if (!FSelecting || !(event->buttons() & Qt::LeftButton) || !CellAt(event->position().toPoint(), cell))
        return;
    if (cell.X >= FixedCols && !(cell == FAnchor))
        MoveAnchor(cell);
}

void TCountGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        FSelecting = false;
}

void TCountGrid::keyPressEvent(QKeyEvent* event)
{
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    TPoint target = extend ? FAnchor : FCurrent;
    switch (event->key()) {
    case Qt::Key_Left: --target.X; break;
    case Qt::Key_Right: ++target.X; break;
    case Qt::Key_Up: --target.Y; break;
    case Qt::Key_Down: ++target.Y; break;
    case Qt::Key_Home: target.X = FixedCols; break;
    case Qt::Key_End: target.X = ColCount - 1; break;
    case Qt::Key_PageUp: target.Y = 0; break;
    case Qt::Key_PageDown: target.Y = RowCount - 1; break;
    default: QFrame::keyPressEvent(event); return;
    }
    // From "no current cell" this lands on the first cell, which may be refused.
    target.X = std::clamp(target.X, FixedCols, ColCount - 1);
    target.Y = std::clamp(target.Y, 0, RowCount - 1);
    if (extend) {
        if (!(target == FAnchor))
            MoveAnchor(target);
    } else if (!(target == FCurrent)) {
        MoveCurrent(target.X, target.Y);
    }
}

void TCountGrid::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    update();
    if (OnEnter)
        OnEnter();
}

void TCountGrid::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    FSelecting = false;
    update();
    if (IsControlFocusChange(event) && OnExit)
        OnExit();
}

// ---------------------------------------------------------------------------
// TColorStatic

TColorStatic::TColorStatic(QWidget* parent)
    : QLabel(parent)
{
    setText(QStringLiteral(" BG COLOR "));
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    // Font height 15 pixels: the line height, as the desktop measured it.
    // The largest size whose lines fit, whatever face stands in for the font.
    QFont font = this->font();
    for (int pixels = 15; pixels > 8; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= 15)
            break;
    }
    setFont(font);
    SetColor(0);
}

void TColorStatic::SetColor(TColor color)
{
    FColor = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(color));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
}

void TColorStatic::mousePressEvent(QMouseEvent* event)
{
    FPressed = event->button() == Qt::LeftButton;
}

void TColorStatic::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    FPressed = false;
    if (click && OnClick)
        OnClick();
}

// ---------------------------------------------------------------------------
// TCaptionMemo

namespace {

// Length as the memo counts it: a line break is CR LF, two characters.
int MemoLength(QString text)
{
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return static_cast<int>(text.size() + text.count(QLatin1Char('\n')));
}

}  // namespace

TCaptionMemo::TCaptionMemo(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

QString TCaptionMemo::Text() const
{
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void TCaptionMemo::SetText(const QString& text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(plain);
}

int TCaptionMemo::Room() const
{
    return MaxLength - MemoLength(toPlainText()) + MemoLength(textCursor().selectedText());
}

void TCaptionMemo::keyPressEvent(QKeyEvent* event)
{
    QString insert;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        insert = QStringLiteral("\n");
    else if (!(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && !event->text().isEmpty() &&
             event->text().at(0).isPrint())
        insert = event->text();
    if (!insert.isEmpty() && MemoLength(insert) > Room()) {
        QApplication::beep();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TCaptionMemo::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText())
        return;
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Pasted text is cut to what fits; a line break goes in whole or not at all.
    int room = Room();
    qsizetype keep = 0;
    while (keep < text.size()) {
        const int cost = text.at(keep) == QLatin1Char('\n') ? 2 : 1;
        if (cost > room)
            break;
        room -= cost;
        ++keep;
    }
    insertPlainText(text.left(keep));
}

// ---------------------------------------------------------------------------
// TfmOption

TfmOption::TfmOption(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("fmOption"));
    setWindowTitle(QStringLiteral("Option"));
    setFont(FormFont());
    setFixedSize(357, 388);

    auto makeLabel = [this](const QString& text, int left, int top, const char* name) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        label->move(left, top);
        label->adjustSize();
        return label;
    };
    auto makeEdit = [this](int left, int top, int width, int height, int maxLength, const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setGeometry(left, top, width, height);
        edit->setMaxLength(maxLength);
        return edit;
    };

    lbCaption = makeLabel(QStringLiteral("Stage &Caption:  (English Only)"), 8, 8, "lbCaption");
    mmCaption = new TCaptionMemo(this);
    mmCaption->setObjectName(QStringLiteral("mmCaption"));
    mmCaption->setGeometry(8, 24, 341, 41);
    QFont memoFont(QStringLiteral("Fixedsys"));
    memoFont.setPixelSize(15);
    memoFont.setStyleHint(QFont::TypeWriter);
    mmCaption->setFont(memoFont);
    lbCaption->setBuddy(mmCaption);

    lbSI_Bitmap = makeLabel(QStringLiteral("Stage &In PIC: ( Must be 640*480, and placed in folder 'Map\\' )"), 8, 74,
                            "lbSI_Bitmap");
    edSI_Bitmap = makeEdit(8, 90, 341, 21, MaxShortString, "edSI_Bitmap");
    lbSI_Bitmap->setBuddy(edSI_Bitmap);

    lbCount = makeLabel(QStringLiteral("&Enemy Count: (By Type)"), 8, 120, "lbCount");
    sgCount = new TCountGrid(this);
    sgCount->setObjectName(QStringLiteral("sgCount"));
    sgCount->setGeometry(8, 136, 341, 121);
    lbCount->setBuddy(sgCount);

    Edit1 = makeEdit(48, 173, 21, 20, 2, "Edit1");
    Edit1->setText(QStringLiteral("0"));
    Edit1->setFrame(false);
    Edit1->setFocusPolicy(Qt::NoFocus);
    Edit1->hide();
    UpDown1 = new TUpDown(Edit1, this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setRange(0, 99);
    UpDown1->setIncrement(-1);
    UpDown1->setPosition(0);
    UpDown1->setGeometry(69, 173, 12, 20);
    UpDown1->hide();

    lbMaxCount = makeLabel(QStringLiteral("Enemy appear &Max Count:"), 8, 265, "lbMaxCount");
    // The stand-in face runs wider than the original; condense this label so
    // it ends before its box rather than under it.
    for (int stretch = 100; stretch > 75 && lbMaxCount->x() + lbMaxCount->width() > 140; stretch -= 5) {
        QFont condensed = lbMaxCount->font();
        condensed.setStretch(stretch - 5);
        lbMaxCount->setFont(condensed);
        lbMaxCount->adjustSize();
    }
    edMaxCount = makeEdit(144, 261, 33, 21, 2, "edMaxCount");
    edMaxCount->setText(QStringLiteral("5"));
    udMaxCount = new TUpDown(edMaxCount, this);
    udMaxCount->setObjectName(QStringLiteral("udMaxCount"));
    udMaxCount->setRange(0, 99);
    udMaxCount->setIncrement(-1);
    udMaxCount->setPosition(5);
    udMaxCount->setGeometry(177, 261, 16, 21);
    lbMaxCount->setBuddy(edMaxCount);

    lbBG_Bitmap = makeLabel(QStringLiteral("&BG PIC: (Must be placed in folder 'Map\\' )"), 8, 298, "lbBG_Bitmap");
    edBG_Bitmap = makeEdit(8, 314, 241, 21, MaxShortString, "edBG_Bitmap");
    lbBG_Bitmap->setBuddy(edBG_Bitmap);

    stBG_Color = new TColorStatic(this);
    stBG_Color->setObjectName(QStringLiteral("stBG_Color"));
    stBG_Color->setGeometry(270, 276, 78, 20);
    stBG_Color->OnClick = [this] { stBG_ColorClick(); };

    cbBG_VTile = new QCheckBox(QStringLiteral("BG &V Tile"), this);
    cbBG_VTile->setObjectName(QStringLiteral("cbBG_VTile"));
    cbBG_VTile->setGeometry(272, 300, 69, 17);
    cbBG_HTile = new QCheckBox(QStringLiteral("BG &H Tile"), this);
    cbBG_HTile->setObjectName(QStringLiteral("cbBG_HTile"));
    cbBG_HTile->setGeometry(272, 320, 69, 17);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevel->setGeometry(8, 336, 337, 2);

    BitBtn1 = new QPushButton(MakeGlyph(true), QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(208, 356, 65, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    BitBtn2 = new QPushButton(MakeGlyph(false), QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(280, 356, 65, 25);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);  // Esc rejects as well

    setTabOrder(mmCaption, edSI_Bitmap);
    setTabOrder(edSI_Bitmap, sgCount);
    setTabOrder(sgCount, edMaxCount);
    setTabOrder(edMaxCount, edBG_Bitmap);
    setTabOrder(edBG_Bitmap, cbBG_VTile);
    setTabOrder(cbBG_VTile, cbBG_HTile);
    setTabOrder(cbBG_HTile, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
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
    if (watched == edMaxCount && event->type() == QEvent::FocusOut &&
        IsControlFocusChange(static_cast<QFocusEvent*>(event)))
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
