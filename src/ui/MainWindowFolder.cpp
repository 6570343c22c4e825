// The main window and the game folder: opening another one, Ctrl+O and
// Ctrl+S, and following what other programs change in it.
#include "ui/MainWindow.h"

#include "editor/DiskChanges.h"
#include "editor/Main.h"
#include "storage/FileLookup.h"
#include "ui/DiskWatch.h"
#include "ui/ErrorReport.h"
#include "ui/SaveQuestions.h"
#include "ui/StagesFm.h"
#include "ui/ToolBarFm.h"
#include "ui/UpDown.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QShortcut>

#include <filesystem>
#include <system_error>

void TMainWindow::MakeShortcuts()
{
    // Wherever the keyboard focus is among the editor's windows; a modal
    // window blocks them.
    auto* open = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
    open->setContext(Qt::ApplicationShortcut);
    connect(open, &QShortcut::activated, this, &TMainWindow::OpenFolderClick);
    auto* save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    save->setContext(Qt::ApplicationShortcut);
    connect(save, &QShortcut::activated, this, [this] {
        if (FTool)
            RunGuarded([this] { FTool->btSaveClick(); });
    });

    OpenFolderDialog = new QFileDialog(this, QStringLiteral("Open Folder"));
    OpenFolderDialog->setObjectName(QStringLiteral("OpenFolderDialog"));
    OpenFolderDialog->setOption(QFileDialog::DontUseNativeDialog);
    OpenFolderDialog->setOption(QFileDialog::ShowDirsOnly);
    OpenFolderDialog->setFileMode(QFileDialog::Directory);
    OpenFolderDialog->setAcceptMode(QFileDialog::AcceptOpen);
}

void TMainWindow::OpenFolderClick()
{
    OpenFolderDialog->setDirectory(PathText(FForm->GameFolder()));
    if (OpenFolderDialog->exec() != QDialog::Accepted || OpenFolderDialog->selectedFiles().isEmpty())
        return;
    const QString folder = OpenFolderDialog->selectedFiles().constFirst();
    RunGuarded([&] { OpenGameFolder(folder); });
}

bool TMainWindow::OpenGameFolder(const QString& folder)
{
    if (FTool && !FTool->AskToSaveChanges(this))
        return false;
    FForm->EnterGameFolder(std::filesystem::path(QFile::encodeName(folder).toStdString()));
    StartWithStageFile();
    // The picture of the same name may be another one in this folder.
    RestoreDisplay();
    RefreshUnsaved();
    return true;
}

void TMainWindow::WatchGameFolder()
{
    if (!FDiskWatch || !isVisible())
        return;
    QStringList paths{PathText(FForm->GameFolder()), PathText(FindStageFile(FForm->StageFileName))};
    std::error_code error;
    if (const auto map = FindPictureFile(FForm->PictureFolder, ""); map && std::filesystem::is_directory(*map, error))
        paths.append(PathText(*map));
    const TPictureLookup picture = LookUpPicture(FForm->PictureFolder, FForm->BG_Bitmap.Str());
    if (picture.Outcome == TPictureLookup::TOutcome::Found)
        paths.append(PathText(picture.Path));
    FDiskWatch->Watch(paths);
}

void TMainWindow::FollowDiskChanges()
{
    if (!isVisible())
        return;
    // A question over a stroke in progress or over another question would
    // take the designer's input away from it.
    if (FFollowing || QApplication::activeModalWidget() || QApplication::mouseButtons() != Qt::NoButton) {
        FDiskWatch->Postpone();
        return;
    }
    FFollowing = true;
    RunGuarded([this] {
        const TDiskChange change = FDiskChanges->Look();
        if (FStages)
            FStages->FilesChangedOnDisk();
        if (change.PictureChanged)
            RestoreDisplay();
        if (!change.StageChanged)
            return;
        if (change.Unsaved) {
            TellStageChanged(this, change.Number, FileNameText(FindStageFile(FForm->StageFileName)));
        } else if (AskLoadChangedStage(this, change.Number) && FTool) {
            FTool->udStageNum->setPosition(change.Number);
            FTool->LoadStage();
        }
    });
    FFollowing = false;
    // A folder or file that came or was replaced is watched anew.
    WatchGameFolder();
}
