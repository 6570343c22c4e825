#include "app/EditorApplication.h"

#include "app/SplashFm.h"
#include "editor/Main.h"
#include "ui/Art.h"
#include "ui/DesktopColors.h"
#include "ui/ErrorReport.h"
#include "ui/Fonts.h"
#include "ui/MainWindow.h"
#include "ui/QtApplicationHooks.h"
#include "ui/StagesFm.h"
#include "ui/ToolBarFm.h"

#include <QIcon>
#include <QThread>

#include <exception>
#include <memory>
#include <string>
#include <vector>

TEditorApplication::TEditorApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The application's title. No display name is set: the window system
    // would append it to every window title, and each window's title must be
    // exactly its own ("Tool", "Option", a message box's title).
    setApplicationName(QString::fromUtf8(TitleBase));
    setWindowIcon(QIcon(AppIconPicture()));
    InstallFontSubstitutions();
    // Every window uses the forms' font; this also drops the per-class fonts a
    // desktop theme may bring, which would override it on labels and buttons.
    setFont(FormFont());
    InstallDesktopColors(palette());
}

bool TEditorApplication::event(QEvent* event)
{
    // The desktop's scheme changed: system colours follow it.
    if (event->type() == QEvent::ApplicationPaletteChange)
        InstallDesktopColors(palette());
    return QApplication::event(event);
}

bool TEditorApplication::notify(QObject* receiver, QEvent* event)
{
    // Last line of defence: handlers report their own errors, but anything
    // that still escapes is shown and the editor keeps running.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorReport(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowErrorReport(QStringLiteral("Unknown error"));
    }
    return false;
}

TGameFolder GameFolderOf(const TEditorApplication& application)
{
    std::vector<std::string> arguments;
    const QStringList all = application.arguments();
    for (qsizetype i = 1; i < all.size(); ++i)
        arguments.push_back(all[i].toLocal8Bit().toStdString());
    return GameFolderOf(arguments);
}

int RunEditor(TEditorApplication& application, const TGameFolder& game, int splashMilliseconds)
{
    // The frame timer finds the idle loop and activation through these.
    TQtApplicationHooks hooks;
    TMainWindow mainForm;
    mainForm.Form().Document.SetStageFileName(game.StageFile);
    mainForm.Form().Document.SetPictureFolder(game.PictureFolder);
    auto splash = std::make_unique<TfmSplash>();
    splash->ShowAndPaint();
    TfmTool fmTool(&mainForm);
    mainForm.SetToolWindow(&fmTool);
    TfmStages fmStages(&mainForm);  // hidden until F4
    mainForm.SetStagesWindow(&fmStages);
    if (splashMilliseconds > 0)
        QThread::msleep(static_cast<unsigned long>(splashMilliseconds));
    splash.reset();
    mainForm.show();
    if (!game.Error.empty())
        mainForm.ReportError(game.Error);
    return application.exec();
}
