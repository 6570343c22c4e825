#pragma once
// A pair of arrow buttons that steps a number shown in a buddy edit box.
//
// The upper arrow adds the increment and the lower arrow subtracts it, so an
// increment of -1 makes the upper arrow lower the value. The position never
// leaves the range and never wraps. Up and Down pressed in the buddy act as
// the upper and lower arrow.
//
// The buddy's text is written whenever the position changes. Text typed into
// the buddy is taken over lazily: position() reads the buddy and, when its
// text is a whole decimal number within the range, that number becomes the
// position; otherwise the last valid position stays. An empty text is not a
// number. The control never takes the keyboard focus, so clicking its arrows
// leaves the focus where it was.

#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);
    // Attached to buddy from the start; writes the position into it.
    TUpDown(QLineEdit* buddy, QWidget* parent);

    // The edit box the control writes to and reads from (not owned).
    void setBuddy(QLineEdit* buddy);
    QLineEdit* buddy() const { return FBuddy; }

    // Sets the range (min <= max is expected; they are swapped otherwise) and
    // brings the position back into it.
    void setRange(int minimum, int maximum);
    int minimum() const { return FMinimum; }
    int maximum() const { return FMaximum; }

    // What the upper arrow adds; the lower arrow subtracts it.
    void setIncrement(int increment) { FIncrement = increment; }
    int increment() const { return FIncrement; }

    // Reads the buddy first (see above).
    int position() const;
    // Clamps to the range, rewrites the buddy's text when it differs, and
    // emits positionChanged when the position changed.
    void setPosition(int value);

    // What a click on the upper or lower arrow does.
    void stepUp();
    void stepDown();

    QToolButton* upButton() const { return FUpButton; }
    QToolButton* downButton() const { return FDownButton; }

signals:
    // Emitted when the control changes the position (arrows, keys,
    // setPosition); a number typed into the buddy is taken over silently.
    void positionChanged(int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Parses the buddy's text; true with the number when it is a valid position.
    bool ReadBuddy(int& value) const;
    void WriteBuddy();
    void Step(long long delta);

    QLineEdit* FBuddy = nullptr;
    QToolButton* FUpButton = nullptr;
    QToolButton* FDownButton = nullptr;
    int FMinimum = 0;
    int FMaximum = 100;
    int FIncrement = 1;
    mutable int FPosition = 0;
};
