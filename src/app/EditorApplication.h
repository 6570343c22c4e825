#pragma once
// The application object: the editor's title, the default error report for
// errors that escape event handlers, and the start-up sequence.

#include "app/GameFolder.h"

#include <QApplication>

class TEditorApplication : public QApplication {
public:
    TEditorApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

protected:
    bool event(QEvent* event) override;
};

// The game folder named by the program's arguments (Qt's own options are
// already gone from them).
TGameFolder GameFolderOf(const TEditorApplication& application);

// Program start: title, main window in the game folder, splash, tool window,
// the pause, the message loop. Returns the exit code of the loop.
int RunEditor(TEditorApplication& application, const TGameFolder& game = {}, int splashMilliseconds = 1500);
