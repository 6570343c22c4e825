#pragma once
// The splash window: the editor's picture, borderless and centred, shown while
// the editor starts.

#include <QWidget>

class TfmSplash : public QWidget {
public:
    TfmSplash();
    // Shows the window and returns once the window system has mapped and
    // exposed it and it has painted its picture.
    void ShowAndPaint();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap FPicture;
};
