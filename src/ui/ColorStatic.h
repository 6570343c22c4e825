#pragma once
// The option dialog's bordered colour swatch "BG COLOR": shows the colour
// being edited and reports clicks.

#include "platform/Types.h"

#include <QColor>
#include <QLabel>

#include <functional>

class TColorStatic : public QLabel {
public:
    explicit TColorStatic(QWidget* parent = nullptr);
    // The full 32-bit value is kept as given; only its low 24 bits are shown.
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    std::function<void()> OnClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TColor FColor = 0;
    bool FPressed = false;
};

// A colour value as the desktop shows it: a system colour takes the desktop's
// colour of that name.
QColor ToQColor(TColor color);
