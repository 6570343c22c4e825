#pragma once
// The tool window: the four tools, Undo and Redo, the twenty brushes, the
// layer and grid switches, the option button, the stage number and the stage
// file buttons. It keeps ToolMode and CurTile; everything else it routes to the
// editor, and it hands the keyboard focus back to the main window after each
// toolbar button.

#include "editor/ToolMode.h"

#include <QWidget>

#include <array>
#include <cstdint>

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
    void SetMainForm(TMainForm* form, QWidget* mainWindow);
    // The text map dialogs open in the game folder (at start and after
    // another folder was opened); within one folder they stay where the
    // designer last went.
    void SetGameFolder(const QString& folder);

    TToolMode ToolMode = TToolMode::Select;
    std::int16_t CurTile = 0;

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

    // Save as the Save button does: asks before replacing another stage
    // (Cancel: nothing is written) or, when there is no stage file, whether
    // to create it (No: nothing is made), writes, and shows the failure
    // message when the write fails. True when the stage was saved.
    bool SaveStage();
    // Load as the Load button does once the designer agreed.
    void LoadStage();
    // Before the live stage is replaced or the editor closes: when the stage
    // is unsaved, asks (with `parent` over the box) to save, discard or
    // cancel. True when the caller may go on: saved, discarded, or nothing to
    // lose; false after Cancel or a failed save.
    bool AskToSaveChanges(QWidget* parent);
    // The mark on the Save button that says the live stage is unsaved; the
    // button's caption and hint stay as they are.
    void SetUnsavedMark(bool unsaved);
    bool UnsavedMark() const;

    void FocusMainWindow();

signals:
    // Save wrote to the stage file (also when it failed part way: records
    // may have been appended before the failure).
    void StageFileWritten();

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
    // Save's write once the designer agreed: into the stage file, or into a
    // new one when there is none and the designer wants it. False when
    // nothing was saved (refused, or failed with the message shown).
    bool WriteStage();

    TMainForm* FForm = nullptr;
    QWidget* FMainWindow = nullptr;
    QFrame* FUnsavedMark = nullptr;  // over btSave's top right corner
    int FNextY = 0;                  // while the column is built: where the next control goes
    int FNextRow = 1;                // the next row of tool buttons, counted from 1
};
