#include "ui/ToolBarFm.h"

#include "editor/Main.h"
#include "stage/Palette.h"
#include "storage/SafeWrite.h"
#include "storage/TextMap.h"
#include "storage/TextMapFile.h"
#include "ui/Art.h"
#include "ui/DisplayText.h"
#include "ui/DocumentFollower.h"
#include "ui/ErrorReport.h"
#include "ui/Fonts.h"
#include "ui/OptionFm.h"
#include "ui/UpDown.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <stdexcept>

namespace {

constexpr int ButtonWidth = 23;
constexpr int ButtonHeight = 23;
constexpr int SeparatorGap = 8;
constexpr int ColumnWidth = 47;
constexpr int ColumnHeight = 520;
// Below the toolbar: the gap above the option button, and the gap below it
// and each control after it, which bring the column to its 520 pixels.
constexpr int GapBelowToolBar = 4;
constexpr int GapBelowControl = 3;

// Toolbar rows after which a separator leaves a gap.
bool RowEndsWithSeparator(int row)
{
    return row == 2 || row == 3 || row == 6 || row == 10 || row == 13;
}

// Palette rows as they stand in the window: image index of the left and right button.
constexpr int PaletteRows[10][2] = {{1, 2},   {3, 4},   {0, 5},   {6, 7},   {8, 9},
                                    {10, 11}, {12, 13}, {14, 15}, {16, 17}, {18, 19}};

const QString TextMapFilter = QStringLiteral("Stage Text Map (*.txt);;All File (*.*)");

QFileDialog* MakeTextMapDialog(QWidget* parent, QFileDialog::AcceptMode mode)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(mode);
    dialog->setNameFilter(TextMapFilter);
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setSizeGripEnabled(true);
    return dialog;
}

}  // namespace

// A tool window with a title and no close button (F6 hides it), on top of
// every other window, not only of the main window.
TfmTool::TfmTool(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Tool"));
    setObjectName(QStringLiteral("fmTool"));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFont(FormFont());
    // The column is 47 pixels wide: captions such as "Load T..." need the
    // buttons' whole width.
    setStyleSheet(QStringLiteral("QPushButton { padding: 0px; }"));

    // The column from the top; each part places its controls at FNextY.
    MakeToolButtons();
    MakePaletteButtons();
    MakeLayerButtons();
    FNextY += GapBelowToolBar;
    MakeStageControls();

    SaveDialog1 = MakeTextMapDialog(this, QFileDialog::AcceptSave);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    OpenDialog1 = MakeTextMapDialog(this, QFileDialog::AcceptOpen);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));

    Q_ASSERT(FNextY == ColumnHeight);
    setFixedSize(ColumnWidth, ColumnHeight);
    move(13, 10);
}

void TfmTool::PlaceRow(QToolButton* left, QToolButton* right)
{
    left->setGeometry(0, FNextY, ButtonWidth, ButtonHeight);
    if (right)
        right->setGeometry(ButtonWidth, FNextY, ButtonWidth, ButtonHeight);
    FNextY += ButtonHeight + (RowEndsWithSeparator(FNextRow) ? SeparatorGap : 0);
    ++FNextRow;
}

// The four tools, then Undo and Redo.
void TfmTool::MakeToolButtons()
{
    auto* tools = new QButtonGroup(this);
    ToolButton23 = MakeButton(22, "Select Tool", "Select Tool ( work with Alt, Ctrl, Shift + Arrow )", true);
    ToolButton26 = MakeButton(23, "Fill Tool", "Fill Tool", true);
    ToolButton27 = MakeButton(24, "Pencil Tool", "Pencil Tool", true);
    ToolButton28 = MakeButton(25, "Box Tool", "Box Tool", true);
    int tag = 0;
    for (QToolButton* button : {ToolButton23, ToolButton26, ToolButton27, ToolButton28}) {
        button->setProperty("Tag", tag++);
        tools->addButton(button);
        connect(button, &QToolButton::clicked, this, [this, button] { ToolModeClick(button); });
    }
    ToolButton23->setChecked(true);
    PlaceRow(ToolButton23, ToolButton26);
    PlaceRow(ToolButton27, ToolButton28);

    tbUndo = MakeButton(26, "Undo", "Undo last action (Ctrl+Z)", false);
    tbRedo = MakeButton(27, "Redo", "Redo next action (Ctrl+Shift+Z)", false);
    tbUndo->setEnabled(false);
    tbRedo->setEnabled(false);
    connect(tbUndo, &QToolButton::clicked, this, [this] { RunGuarded([this] { tbUndoClick(); }); });
    connect(tbRedo, &QToolButton::clicked, this, [this] { RunGuarded([this] { tbRedoClick(); }); });
    PlaceRow(tbUndo, tbRedo);
}

// The twenty brushes, in their rows, each hinted with its name ("Brick").
void TfmTool::MakePaletteButtons()
{
    auto* palette = new QButtonGroup(this);
    for (int index = 0; index < PaletteButtonCount; ++index) {
        const std::string_view brush = BrushNames[static_cast<std::size_t>(index)];
        QString name = QString::fromLatin1(brush.data(), static_cast<qsizetype>(brush.size()));
        name[0] = name[0].toUpper();
        QToolButton* button = MakeButton(index, QString(), name, true);
        button->setObjectName(QStringLiteral("Palette%1").arg(index));
        PaletteButtons[static_cast<std::size_t>(index)] = button;
        palette->addButton(button);
        connect(button, &QToolButton::clicked, this, [this, button] { ToolSelectClick(button); });
    }
    PaletteButtons[0]->setChecked(true);
    for (const auto& pair : PaletteRows)
        PlaceRow(PaletteButtons[static_cast<std::size_t>(pair[0])], PaletteButtons[static_cast<std::size_t>(pair[1])]);
}

// "All layer" and the grid.
void TfmTool::MakeLayerButtons()
{
    tbShowAll = MakeButton(20, "All layer", "show All layer (F7)", true);
    tbShowGird = MakeButton(21, "Gird", "show Gird (F8)", true);
    tbShowAll->setChecked(true);
    connect(tbShowAll, &QToolButton::clicked, this, [this] { tbShowAllClick(); });
    connect(tbShowGird, &QToolButton::clicked, this, [this] { tbShowGirdClick(); });
    PlaceRow(tbShowAll, tbShowGird);
}

QPushButton* TfmTool::MakePushButton(const QString& caption, const QString& hint, const char* name)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setGeometry(0, FNextY, ColumnWidth, ButtonHeight);
    FNextY += ButtonHeight + GapBelowControl;
    return button;
}

// Option, the stage number, and the buttons that load and save the stage.
void TfmTool::MakeStageControls()
{
    btOption = MakePushButton("&Option", "Option for this stage", "btOption");
    connect(btOption, &QPushButton::clicked, this, [this] { RunGuarded([this] { btOptionClick(); }); });

    edStageNum = new QLineEdit(QStringLiteral("0"), this);
    edStageNum->setObjectName(QStringLiteral("edStageNum"));
    edStageNum->setMaxLength(2);
    edStageNum->setToolTip(QStringLiteral("StageNum"));
    edStageNum->setGeometry(0, FNextY, 33, 21);
    udStageNum = new TUpDown(edStageNum, this);
    udStageNum->setObjectName(QStringLiteral("udStageNum"));
    udStageNum->setToolTip(QStringLiteral("StageNum"));
    udStageNum->setRange(0, MaxStageNumber);
    udStageNum->setIncrement(-1);
    udStageNum->setPosition(0);
    udStageNum->setGeometry(33, FNextY, 14, 21);
    edStageNum->installEventFilter(this);
    connect(edStageNum, &QLineEdit::textChanged, this, [this] { RunGuarded([this] { edStageNumChange(); }); });
    FNextY += 21 + GapBelowControl;

    btLoad = MakePushButton("Load", "Load this stage from STAGE.DAT", "btLoad");
    btSave = MakePushButton("Save", "Save this stage to STAGE.DAT", "btSave");
    btLoadFile = MakePushButton("Load T...", "Load this stage form text file", "btLoadFile");
    btSaveFile = MakePushButton("Save T...", "Save this stage to text file", "btSaveFile");
    connect(btLoad, &QPushButton::clicked, this, [this] { RunGuarded([this] { btLoadClick(); }); });
    connect(btSave, &QPushButton::clicked, this, [this] { RunGuarded([this] { btSaveClick(); }); });
    connect(btLoadFile, &QPushButton::clicked, this, [this] { RunGuarded([this] { btLoadFileClick(); }); });
    connect(btSaveFile, &QPushButton::clicked, this, [this] { RunGuarded([this] { btSaveFileClick(); }); });

    // A small amber dot in the Save button's corner, clear of its caption.
    constexpr int MarkSize = 6;
    FUnsavedMark = new QFrame(btSave);
    FUnsavedMark->setObjectName(QStringLiteral("UnsavedMark"));
    FUnsavedMark->setGeometry(ColumnWidth - MarkSize - 3, 3, MarkSize, MarkSize);
    FUnsavedMark->setStyleSheet(
        QStringLiteral("background: rgb(240, 150, 0); border: 1px solid rgb(120, 60, 0);"
                       " border-radius: 3px;"));
    FUnsavedMark->setAttribute(Qt::WA_TransparentForMouseEvents);
    FUnsavedMark->hide();
}

void TfmTool::SetMainForm(TMainForm* form, QWidget* mainWindow)
{
    FForm = form;
    FMainWindow = mainWindow;
    if (!FForm)
        return;
    FollowDocument(FForm->Document, this);
    // The option button keeps "&Option" until the first title is written.
    DocumentChanged(FolderChanged | StageNumberChanged | UnsavedChanged);
}

void TfmTool::DocumentChanged(unsigned changes)
{
    const TDocument& document = FForm->Document;
    // A number typed as "07" stays as typed until the edit is left.
    if ((changes & StageNumberChanged) && udStageNum->position() != document.StageNum()) {
        const QSignalBlocker quiet(edStageNum);
        udStageNum->setPosition(document.StageNum());
    }
    if (changes & TitleChanged)
        btOption->setText(QString::fromStdString(FForm->OptionCaption()));
    if (changes & UnsavedChanged)
        FUnsavedMark->setVisible(document.UnsavedTold());
    // The text map dialogs open in the game folder; within one folder they
    // stay where the designer last went.
    if (changes & FolderChanged) {
        OpenDialog1->setDirectory(PathText(document.GameFolder()));
        SaveDialog1->setDirectory(PathText(document.GameFolder()));
    }
}

QToolButton* TfmTool::MakeButton(int imageIndex, const QString& caption, const QString& hint, bool checkable)
{
    auto* button = new QToolButton(this);
    button->setAutoRaise(true);  // flat
    button->setCheckable(checkable);
    button->setIcon(QIcon(ToolButtonImage(imageIndex)));
    button->setIconSize(QSize(16, 16));
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    button->setProperty("ImageIndex", imageIndex);
    if (!caption.isEmpty())
        button->setObjectName(caption);
    return button;
}

void TfmTool::FocusMainWindow()
{
    if (FMainWindow) {
        FMainWindow->activateWindow();
        FMainWindow->setFocus(Qt::OtherFocusReason);
    }
}

void TfmTool::ToolModeClick(QToolButton* sender)
{
    if (sender && FForm)
        FForm->SetToolMode(static_cast<TToolMode>(sender->property("Tag").toInt()));
    FocusMainWindow();
}

void TfmTool::ToolSelectClick(QToolButton* sender)
{
    if (sender && FForm)
        FForm->CurTile = static_cast<std::int16_t>(sender->property("ImageIndex").toInt());
    FocusMainWindow();
}

void TfmTool::tbUndoClick()
{
    if (FForm)
        FForm->Undo();
    FocusMainWindow();
}

void TfmTool::tbRedoClick()
{
    if (FForm)
        FForm->Redo();
    FocusMainWindow();
}

void TfmTool::tbShowAllClick()
{
    if (FForm) {
        FForm->AllLayerDown = tbShowAll->isChecked();
        FForm->tbShowAllClick();
    }
    FocusMainWindow();
}

void TfmTool::tbShowGirdClick()
{
    if (FForm)
        FForm->ShowGrid = tbShowGird->isChecked();
    FocusMainWindow();
}

void TfmTool::edStageNumChange()
{
    if (FForm)
        FForm->Document.SetStageNum(udStageNum->position());
}

void TfmTool::edStageNumExit()
{
    const QSignalBlocker quiet(edStageNum);
    edStageNum->setText(QString::number(udStageNum->position()));
}

bool TfmTool::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edStageNum && event->type() == QEvent::FocusOut)
        edStageNumExit();
    return QWidget::eventFilter(watched, event);
}

void TfmTool::btOptionClick()
{
    if (FForm)
        ExecuteOptionDialog(this, *FForm);
}

void TfmTool::btLoadClick()
{
    if (FForm)
        FForm->Document.Load();
}

void TfmTool::btSaveClick()
{
    if (FForm)
        FForm->Document.Save();
}

bool TfmTool::UnsavedMark() const
{
    return !FUnsavedMark->isHidden();
}

void TfmTool::btLoadFileClick()
{
    if (!FForm || OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty())
        return;
    const QString name = OpenDialog1->selectedFiles().constFirst();
    const TTextMapRead read = ReadTextMapFile(QFile::encodeName(name).toStdString());
    if (!read)
        throw std::runtime_error(
            QStringLiteral("Cannot read file \"%1\": %2").arg(name, QString::fromStdString(read.Error)).toStdString());
    if (!FForm->ImportTextMap(NormaliseTextLines(read.Bytes)))
        ShowFailureMessage(this, QStringLiteral("loading Stage"), QStringLiteral("Cannot Load Text Map Data!"));
}

void TfmTool::btSaveFileClick()
{
    if (!FForm)
        return;
    // The name unpack and pack give the stage's map.
    SaveDialog1->selectFile(NumberText(FForm->Document.StageNum()) + QStringLiteral(".txt"));
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty())
        return;
    const QString name = SaveDialog1->selectedFiles().constFirst();
    const std::string text = FForm->ExportTextMap();
    // The one safe write: a failed save never destroys the existing file.
    const TWriteResult written = SafeWriteFile(QFile::encodeName(name).toStdString(), text);
    if (!written)
        throw std::runtime_error(QStringLiteral("Cannot write file \"%1\": %2")
                                     .arg(name, QString::fromStdString(written.Error))
                                     .toStdString());
}
