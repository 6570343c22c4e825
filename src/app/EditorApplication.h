#pragma once
// The application object: the editor's title, the default error report for
// errors that escape event handlers, and the start-up sequence.

#include <QApplication>

class TEditorApplication : public QApplication {
public:
    TEditorApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

protected:
    bool event(QEvent* event) override;
};

// Program start: title, main window, splash, tool window, the pause, the
// message loop. Returns the exit code of the loop.
int RunEditor(TEditorApplication& application, int splashMilliseconds = 1500);
