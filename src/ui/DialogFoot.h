#pragma once
// The foot of our dialogs that check what was given before they act: a line
// that says why the dialog's button cannot act yet (red, wrapping, empty until
// then), the button, and Cancel.

#include <QString>

#include <functional>

class QBoxLayout;
class QDialog;
class QDialogButtonBox;
class QLabel;
class QPushButton;

struct TDialogFoot {
    QLabel* Problem = nullptr;
    QDialogButtonBox* Buttons = nullptr;
    QPushButton* Button = nullptr;  // the default button; it runs `act`, which accepts the dialog once it can
};

// Adds the foot to the end of `layout`, the dialog's.
TDialogFoot AddDialogFoot(QDialog& dialog, QBoxLayout& layout, const QString& caption, std::function<void()> act);
