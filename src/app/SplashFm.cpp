#include "app/SplashFm.h"

#include "ui/Art.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>

TfmSplash::TfmSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), FPicture(SplashPicture())
{
    setWindowTitle(QStringLiteral("About ..."));
    setObjectName(QStringLiteral("fmSplash"));
    setFixedSize(400, 300);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TfmSplash::ShowAndPaint()
{
    show();
    // A window shows nothing until it is mapped and exposed; wait for that
    // (bounded, so a window system that never exposes it cannot hang us).
    QElapsedTimer waited;
    waited.start();
    while (!(windowHandle() && windowHandle()->isExposed()) && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfmSplash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (FPicture.isNull())
        painter.fillRect(rect(), QColor(40, 32, 16));
    else
        painter.drawPixmap(0, 0, FPicture);
}
