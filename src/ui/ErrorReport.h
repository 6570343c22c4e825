#pragma once
// The application's default error report and the editor's message boxes.

#include <QString>

#include <functional>

class QWidget;

// Shows an error that escaped an event handler: a message box with its text.
// The editor keeps running with the stage intact.
void ShowErrorReport(const QString& text);

// The same report, shown once the current event handler has returned to the
// event loop: an operation that meets an error runs to its end before any
// message box (whose own event loop would run frames and other handlers on
// a half-done stage). A text already waiting is not queued a second time.
void QueueErrorReport(const QString& text);

// Runs an event handler and reports whatever error escapes it.
void RunGuarded(const std::function<void()>& handler);

// The failure messages the game's editor has always shown ("Saving Stage",
// "loading Stage"): a title, a one-line text, OK and Cancel, no icon. The
// answer is not used. A `detail` (why, when it is known) is shown below the
// text.
void ShowFailureMessage(QWidget* parent, const QString& title, const QString& text, const QString& detail = {});

// Our own boxes that only inform (an operation refused or failed, and why):
// the same, with an information icon and one OK button.
void ShowNotice(QWidget* parent, const QString& title, const QString& text, const QString& detail = {});
