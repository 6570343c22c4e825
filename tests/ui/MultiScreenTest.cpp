// The editor on a desktop of three screens (the offscreen platform's screen
// layout): one left of and above the primary, the primary, and a larger one
// on its right. Frames reach the window on any screen, at negative
// coordinates and across two screens, and the display follows screens being
// added, removed and changed.

#include "editor/Main.h"
#include "engine/DXDraws.h"
#include "ui/DisplayWidget.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// The offscreen platform reads "screens" with name, x, y, width and height.
const char* const ScreenLayout = R"({
    "screens": [
        {"name": "Primary", "x": 0, "y": 0, "width": 1024, "height": 768},
        {"name": "Left", "x": -1280, "y": -200, "width": 1280, "height": 1024},
        {"name": "Right", "x": 1024, "y": 0, "width": 1920, "height": 1080}
    ]
})";

QScreen* ScreenNamed(const QString& name)
{
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == name)
            return screen;
    return nullptr;
}

QRect PrimaryOnDesktop(TMainWindow& window)
{
    TDDSurfaceDesc desc;
    window.Form().DXDraw->Primary()->ISurface()->GetSurfaceDesc(desc);
    return QRect(desc.Left, desc.Top, desc.Width, desc.Height);
}

}  // namespace

class MultiScreenTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> folder;
    QString oldFolder;
    std::unique_ptr<TMainWindow> window;

    TMainForm& form() { return window->Form(); }

    // One frame of the editor, drawn and presented as the timer would.
    void frame() { form().DXTimerTimer(16); }

    QColor shownAt(QPoint at) const { return window->Display()->Shown().pixelColor(at); }

    // A stage of one colour with one foreground block, drawn: the shown
    // image must hold both.
    void checkEditsAppear()
    {
        form().ClearLayers();
        form().PictureLoaded = false;
        form().BG_Color = 0x00102030;  // red 0x30, green 0x20, blue 0x10
        frame();
        QCOMPARE(shownAt({600, 20}), QColor(0x30, 0x20, 0x10));
        QCOMPARE(shownAt({19 * 16 + 8, 14 * 16 + 8}), QColor(0x30, 0x20, 0x10));
        form().FGLayer->SetCell(20, 15, 40);
        frame();
        QVERIFY(shownAt({19 * 16 + 8, 14 * 16 + 8}) != QColor(0x30, 0x20, 0x10));
        QCOMPARE(shownAt({5, 475}), QColor(0x30, 0x20, 0x10));
    }

    // Animated ground turns within 32 ticks; the shown cell follows.
    void checkAnimationAppears()
    {
        form().ClearLayers();
        form().BGLayer->SetCell(3, 3, 4);
        frame();
        const QImage before = window->Display()->Shown().copy(32, 32, 16, 16);
        form().DXTimerTimer(32 * 16);
        QCOMPARE(form().BGLayer->DrawnCell(3, 3), 5);
        QVERIFY(window->Display()->Shown().copy(32, 32, 16, 16) != before);
    }

    void showAt(QPoint where)
    {
        window->move(where);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
        QVERIFY(form().DXDraw->Initialized());
        // The window frame's margins shift the client area by a few pixels.
        const QPoint client = window->Display()->mapToGlobal(QPoint(0, 0));
        QVERIFY2((client - where).manhattanLength() < 16,
                 qPrintable(QStringLiteral("%1,%2").arg(client.x()).arg(client.y())));
    }

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::screens().size(), 3); }

    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        oldFolder = QDir::currentPath();
        QDir::setCurrent(folder->path());
        window = std::make_unique<TMainWindow>();
    }

    void cleanup()
    {
        // Loaded again, the stage has nothing to save: the close asks nothing.
        window->Form().LoadStage();
        window->close();
        window.reset();
        QDir::setCurrent(oldFolder);
        folder.reset();
    }

    void framesReachTheWindowOnTheSecondScreen()
    {
        showAt({1024 + 700, 300});
        QCOMPARE(PrimaryOnDesktop(*window), QRect(-1280, -200, 1024 + 1280 + 1920, 1080 + 200));
        checkEditsAppear();
        checkAnimationAppears();
    }

    void framesReachTheWindowAtNegativeCoordinates()
    {
        showAt({-1100, -150});
        checkEditsAppear();
        checkAnimationAppears();
    }

    void framesReachTheWindowAcrossTwoScreens()
    {
        showAt({700, 100});
        checkEditsAppear();
        QCOMPARE(shownAt({10, 240}), QColor(0x30, 0x20, 0x10));   // on the primary
        QCOMPARE(shownAt({630, 240}), QColor(0x30, 0x20, 0x10));  // on the right-hand screen
    }

    void theDisplayFollowsScreensAddedRemovedAndChanged()
    {
        QScreen* right = ScreenNamed(QStringLiteral("Right"));
        QVERIFY(right);
        showAt({1024 + 100, 100});
        IDirectDrawSurface4* primary = form().DXDraw->Primary()->ISurface();

        // Removed: the desktop shrinks to the two screens left, the surfaces
        // are lost and the next frame restores them there.
        emit qGuiApp->screenRemoved(right);
        QCOMPARE(primary->IsLost(), DDERR_SURFACELOST);
        form().ClearLayers();
        form().BG_Color = 0x00405060;
        frame();
        QCOMPARE(primary->IsLost(), DD_OK);
        QCOMPARE(PrimaryOnDesktop(*window), QRect(-1280, -200, 1280 + 1024, 1024));
        QVERIFY(shownAt({10, 10}) != QColor(0x60, 0x50, 0x40));  // the window is off the desktop now

        // Added again: frames reach the window there once more.
        emit qGuiApp->screenAdded(right);
        QCOMPARE(primary->IsLost(), DDERR_SURFACELOST);
        frame();
        QCOMPARE(PrimaryOnDesktop(*window), QRect(-1280, -200, 1024 + 1280 + 1920, 1080 + 200));
        QCOMPARE(shownAt({10, 10}), QColor(0x60, 0x50, 0x40));

        // A screen resized or moved: the same, with its new geometry.
        emit right->geometryChanged(right->geometry());
        QCOMPARE(primary->IsLost(), DDERR_SURFACELOST);
        form().BG_Color = 0x00010203;
        frame();
        QCOMPARE(primary->IsLost(), DD_OK);
        QCOMPARE(shownAt({10, 10}), QColor(0x03, 0x02, 0x01));
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir layoutFolder;
    const QString layout = layoutFolder.filePath(QStringLiteral("screens.json"));
    QFile file(layout);
    if (!file.open(QIODevice::WriteOnly) || file.write(ScreenLayout) < 0)
        return 1;
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(layout));
    QApplication application(argc, argv);
    MultiScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MultiScreenTest.moc"
