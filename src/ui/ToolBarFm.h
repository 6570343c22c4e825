#pragma once
// The tool window: the four tools, Undo and Redo, the twenty brushes, the
// layer and grid switches, the option button, the stage number and the stage
// file buttons. Its buttons set the editor's tool, brush and views and call
// the document's Load and Save; it shows the stage number, the option
// caption and the unsaved mark as the document tells them, and hands the
// keyboard focus back to the main window after each toolbar button.

#include <QWidget>

#include <array>

class QButtonGroup;
class QFileDialog;
class QFrame;
class QLineEdit;
class QPushButton;
class QToolButton;
class TMainForm;
class TUpDown;

class TfmTool : public QWidget {
    Q_OBJECT
public:
    explicit TfmTool(QWidget* parent = nullptr);

    // The editor the buttons act on and the window that gets the focus back.
    // Set once.
    void SetMainForm(TMainForm* form, QWidget* mainWindow);

    // Toolbar buttons, named as the stage designers know them.
    QToolButton* ToolButton23 = nullptr;  // select
    QToolButton* ToolButton26 = nullptr;  // fill
    QToolButton* ToolButton27 = nullptr;  // pencil
    QToolButton* ToolButton28 = nullptr;  // box
    QToolButton* tbUndo = nullptr;
    QToolButton* tbRedo = nullptr;
    std::array<QToolButton*, 20> PaletteButtons{};  // by image index (palette index)
    QToolButton* tbShowAll = nullptr;
    QToolButton* tbShowGird = nullptr;

    QPushButton* btOption = nullptr;
    QLineEdit* edStageNum = nullptr;
    TUpDown* udStageNum = nullptr;
    QPushButton* btLoad = nullptr;
    QPushButton* btSave = nullptr;
    QPushButton* btLoadFile = nullptr;
    QPushButton* btSaveFile = nullptr;

    QFileDialog* SaveDialog1 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;

    // Handlers.
    void ToolModeClick(QToolButton* sender);
    void ToolSelectClick(QToolButton* sender);
    void tbUndoClick();
    void tbRedoClick();
    void tbShowAllClick();
    void tbShowGirdClick();
    void edStageNumChange();
    void edStageNumExit();
    void btOptionClick();
    void btLoadClick();
    void btSaveClick();
    void btLoadFileClick();
    void btSaveFileClick();

    // The mark on the Save button that says the live stage is unsaved; the
    // button's caption and hint stay as they are.
    bool UnsavedMark() const;

    void FocusMainWindow();

    // What the document told (TDocumentChange); FollowDocument calls it.
    void DocumentChanged(unsigned changes);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* MakeButton(int imageIndex, const QString& caption, const QString& hint, bool checkable);
    QPushButton* MakePushButton(const QString& caption, const QString& hint, const char* name);
    // The column's parts, top to bottom (the constructor's order).
    void MakeToolButtons();
    void MakePaletteButtons();
    void MakeLayerButtons();
    void MakeStageControls();
    // Places a row of one or two tool buttons at FNextY and moves down past it.
    void PlaceRow(QToolButton* left, QToolButton* right);

    TMainForm* FForm = nullptr;
    QWidget* FMainWindow = nullptr;
    QFrame* FUnsavedMark = nullptr;  // over btSave's top right corner
    int FNextY = 0;                  // while the column is built: where the next control goes
    int FNextRow = 1;                // the next row of tool buttons, counted from 1
};
