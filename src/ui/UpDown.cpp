#include "ui/UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>
#include <climits>
#include <utility>

TUpDown::TUpDown(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    auto makeArrow = [this](Qt::ArrowType arrow) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setAutoRaise(false);
        button->setIconSize(QSize(5, 5));
        return button;
    };
    FUpButton = makeArrow(Qt::UpArrow);
    FDownButton = makeArrow(Qt::DownArrow);
    connect(FUpButton, &QToolButton::clicked, this, &TUpDown::stepUp);
    connect(FDownButton, &QToolButton::clicked, this, &TUpDown::stepDown);
}

TUpDown::TUpDown(QLineEdit* buddy, QWidget* parent) : TUpDown(parent)
{
    setBuddy(buddy);
}

void TUpDown::setBuddy(QLineEdit* buddy)
{
    if (FBuddy == buddy)
        return;
    if (FBuddy)
        FBuddy->removeEventFilter(this);
    FBuddy = buddy;
    if (FBuddy) {
        FBuddy->installEventFilter(this);
        WriteBuddy();
    }
}

void TUpDown::setRange(int minimum, int maximum)
{
    if (minimum > maximum)
        std::swap(minimum, maximum);
    FMinimum = minimum;
    FMaximum = maximum;
    setPosition(FPosition);
}

bool TUpDown::ReadBuddy(int& value) const
{
    if (!FBuddy)
        return false;
    const QString text = FBuddy->text().trimmed();
    bool ok = false;
    const int number = text.toInt(&ok, 10);  // sign allowed, nothing after the digits
    if (!ok || number < FMinimum || number > FMaximum)
        return false;
    value = number;
    return true;
}

int TUpDown::position() const
{
    int typed = 0;
    if (ReadBuddy(typed))
        FPosition = typed;
    return FPosition;
}

void TUpDown::setPosition(int value)
{
    value = std::clamp(value, FMinimum, FMaximum);
    const bool changed = value != FPosition;
    FPosition = value;
    WriteBuddy();
    if (changed)
        emit positionChanged(FPosition);
}

void TUpDown::WriteBuddy()
{
    if (!FBuddy)
        return;
    const QString text = QString::number(FPosition);
    // Unchanged text is left alone so the buddy reports no change.
    if (FBuddy->text() != text)
        FBuddy->setText(text);
}

void TUpDown::Step(long long delta)
{
    // Step from what the buddy shows, as a typed number counts as the position.
    const long long target = position() + delta;
    setPosition(static_cast<int>(std::clamp<long long>(target, INT_MIN, INT_MAX)));
}

void TUpDown::stepUp()
{
    Step(FIncrement);
}

void TUpDown::stepDown()
{
    Step(-static_cast<long long>(FIncrement));
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FBuddy && event->type() == QEvent::KeyPress && isEnabled()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up) {
            stepUp();
            return true;
        }
        if (key->key() == Qt::Key_Down) {
            stepDown();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int upper = height() / 2;
    FUpButton->setGeometry(0, 0, width(), upper);
    FDownButton->setGeometry(0, upper, width(), height() - upper);
}
