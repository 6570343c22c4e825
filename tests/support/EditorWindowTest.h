#pragma once
// The editor's main and tool windows in a scratch folder of their own, as a
// designer starts the editor in a game folder: the base of the window tests.

#include "editor/Main.h"
#include "ui/MainWindow.h"
#include "ui/ToolBarFm.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TEditorWindowTest : public QObject {
protected:
    std::unique_ptr<QTemporaryDir> folder;
    QString oldFolder;
    std::unique_ptr<TMainWindow> window;
    std::unique_ptr<TfmTool> tool;

    TMainForm& form() { return window->Form(); }

    // A new empty folder becomes the current one; leaveFolder goes back.
    void enterFolder()
    {
        folder = std::make_unique<QTemporaryDir>();
        oldFolder = QDir::currentPath();
        QDir::setCurrent(folder->path());
    }
    void leaveFolder()
    {
        QDir::setCurrent(oldFolder);
        folder.reset();
    }

    // The main window and its tool window, as the editor starts them.
    void openWindows()
    {
        window = std::make_unique<TMainWindow>();
        tool = std::make_unique<TfmTool>(window.get());
        window->SetToolWindow(tool.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
    }
    void closeWindows()
    {
        if (window)
            window->close();
        tool.reset();
        window.reset();
    }
};
