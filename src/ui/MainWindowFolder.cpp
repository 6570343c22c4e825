// The main window and the game folder: opening another one, Ctrl+O and
// Ctrl+S, and following what other programs change in it.
#include "ui/MainWindow.h"

#include "editor/Main.h"
#include "storage/FileLookup.h"
#include "ui/DiskWatch.h"
#include "ui/DisplayText.h"
#include "ui/ErrorReport.h"
#include "ui/StagesFm.h"

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
    connect(save, &QShortcut::activated, this, [this] { RunGuarded([this] { FForm->Document.Save(); }); });

    OpenFolderDialog = new QFileDialog(this, QStringLiteral("Open Folder"));
    OpenFolderDialog->setObjectName(QStringLiteral("OpenFolderDialog"));
    OpenFolderDialog->setOption(QFileDialog::DontUseNativeDialog);
    OpenFolderDialog->setOption(QFileDialog::ShowDirsOnly);
    OpenFolderDialog->setFileMode(QFileDialog::Directory);
    OpenFolderDialog->setAcceptMode(QFileDialog::AcceptOpen);
}

void TMainWindow::OpenFolderClick()
{
    OpenFolderDialog->setDirectory(PathText(FForm->Document.GameFolder()));
    if (OpenFolderDialog->exec() != QDialog::Accepted || OpenFolderDialog->selectedFiles().isEmpty())
        return;
    const std::filesystem::path folder(QFile::encodeName(OpenFolderDialog->selectedFiles().constFirst()).toStdString());
    RunGuarded([&] { FForm->Document.OpenFolder(folder); });
}

void TMainWindow::WatchGameFolder()
{
    if (!FDiskWatch || !isVisible())
        return;
    const TDocument& document = FForm->Document;
    QStringList paths{PathText(document.GameFolder()), PathText(document.StageFile())};
    std::error_code error;
    if (const auto map = FindPictureFile(document.PictureFolder(), "");
        map && std::filesystem::is_directory(*map, error))
        paths.append(PathText(*map));
    const TPictureLookup picture = LookUpPicture(document.PictureFolder(), FForm->BG_Bitmap.Str());
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
        if (FStages)
            FStages->FilesChangedOnDisk();
        FForm->Document.FollowDiskChanges();
    });
    FFollowing = false;
    // A folder or file that came or was replaced is watched anew.
    WatchGameFolder();
}
