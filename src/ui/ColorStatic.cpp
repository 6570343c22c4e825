#include "ui/ColorStatic.h"

#include "platform/SystemColors.h"

#include <QFontMetrics>
#include <QMouseEvent>

QColor ToQColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return QColor(static_cast<int>(RedOf(rgb)), static_cast<int>(GreenOf(rgb)), static_cast<int>(BlueOf(rgb)));
}

TColorStatic::TColorStatic(QWidget* parent) : QLabel(parent)
{
    setText(QStringLiteral(" BG COLOR "));
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    // Font height 15 pixels: the line height, as the desktop measured it.
    // The largest size whose lines fit, whatever face stands in for the font.
    QFont font = this->font();
    for (int pixels = 15; pixels > 8; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= 15)
            break;
    }
    setFont(font);
    SetColor(0);
}

void TColorStatic::SetColor(TColor color)
{
    FColor = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(color));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
}

void TColorStatic::mousePressEvent(QMouseEvent* event)
{
    FPressed = event->button() == Qt::LeftButton;
}

void TColorStatic::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    FPressed = false;
    if (click && OnClick)
        OnClick();
}
