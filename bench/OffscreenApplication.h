#pragma once
// The offscreen application the benchmarks of windows need, made once.

#include <QApplication>

inline QApplication& OffscreenApplication()
{
    static int argc = 1;
    static char name[] = "stage-bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
    return application;
}
