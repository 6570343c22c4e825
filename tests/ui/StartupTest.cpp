// The editor's start-up as a whole: splash, main window, tool window, the
// first stage and the title, then closing ends the message loop.

#include "app/EditorApplication.h"
#include "editor/Main.h"
#include "engine/DXDraws.h"
#include "platform/SystemColors.h"
#include "ui/MainWindow.h"
#include "ui/ToolBarFm.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <functional>

namespace {

QWidget* TopLevel(const QString& name)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == name)
            return widget;
    return nullptr;
}

// Checks the running editor once its main window is up, then closes it.
void WhenShown(const std::function<void(TMainWindow*)>& check)
{
    QTimer::singleShot(0, [check] {
        auto* main = qobject_cast<TMainWindow*>(TopLevel(QStringLiteral("MainForm")));
        if (main && main->isVisible() && main->Form().DXDraw && main->Form().DXDraw->Initialized()) {
            check(main);
            main->close();
        } else {
            WhenShown(check);
        }
    });
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TEditorApplication application(argc, argv);
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());

    int failures = 0;
    auto expect = [&failures](bool ok, const char* what) {
        if (!ok) {
            std::fprintf(stderr, "FAIL: %s\n", what);
            ++failures;
        }
    };
    bool checked = false;
    WhenShown([&](TMainWindow* main) {
        checked = true;
        expect(TopLevel(QStringLiteral("fmSplash")) == nullptr, "the splash is gone once the main window shows");
        expect(main->ToolWindow() && main->ToolWindow()->isVisible(), "the tool window is shown with the main window");
        expect(main->windowTitle() == QString::fromUtf8("铁履纵横 地图编辑器 - Stage 00 (Random Stage)"),
               "the title names the random stage 0");
        expect(main->ToolWindow()->btOption->text().startsWith(QStringLiteral("&EC=")),
               "the option button shows the total");
        expect(main->size() == QSize(640, 480), "the main window's client area is 640 x 480");
        expect(!(main->windowFlags() & Qt::WindowMaximizeButtonHint), "no maximise button");
        expect(main->Form().PictureLoaded == false, "no picture without a Map folder");
        // System colours follow the desktop's palette, also when it changes.
        auto rgbOf = [](QPalette::ColorRole role) {
            const QColor c = QApplication::palette().color(role);
            return RGBColor(unsigned(c.red()), unsigned(c.green()), unsigned(c.blue()));
        };
        expect(ColorToRGB(clBtnFace) == rgbOf(QPalette::Button), "button face is the palette's button colour");
        expect(ColorToRGB(clHighlight) == rgbOf(QPalette::Highlight), "highlight is the palette's highlight");
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Button, QColor(1, 2, 3));
        QApplication::setPalette(palette);
        expect(ColorToRGB(clBtnFace) == RGBColor(1, 2, 3), "a changed palette changes button face");
    });
    const int code = RunEditor(application, {}, 0);
    expect(checked, "the main window was shown");
    expect(code == 0, "the message loop ends when the main window closes");
    std::printf("%d passed, %d failed\n", failures ? 0 : 1, failures ? 1 : 0);
    return failures ? 1 : 0;
}
