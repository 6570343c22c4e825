#pragma once
// The editor's main and tool windows in a scratch folder of their own, as a
// designer starts the editor in a game folder, with a scratch state folder
// for its recovery copies: the base of the window tests.

#include "editor/Main.h"
#include "editor/Recovery.h"
#include "ui/DiskWatch.h"
#include "ui/MainWindow.h"
#include "ui/ToolBarFm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Answers the editor's questions as they open: a box whose objectName has an
// answer gets the button of that caption pressed, or Escape for "Escape".
// Every box answered is recorded as "objectName: text".
class TQuestionAnswers : public QObject {
public:
    TQuestionAnswers() { qApp->installEventFilter(this); }
    ~TQuestionAnswers() override { qApp->removeEventFilter(this); }
    TQuestionAnswers(const TQuestionAnswers&) = delete;
    TQuestionAnswers& operator=(const TQuestionAnswers&) = delete;

    void Answer(const QString& box, const QString& button) { FAnswers.insert(box, button); }
    QStringList Asked;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (!box || event->type() != QEvent::Show || !FAnswers.contains(box->objectName()))
            return false;
        Asked.append(box->objectName() + QStringLiteral(": ") + box->text());
        const QString answer = FAnswers.value(box->objectName());
        QTimer::singleShot(0, box, [box, answer] {
            if (answer == QStringLiteral("Escape")) {
                QTest::keyClick(box, Qt::Key_Escape);
                return;
            }
            for (QAbstractButton* button : box->buttons())
                if (button->text() == answer)
                    button->click();
        });
        return false;
    }

private:
    QHash<QString, QString> FAnswers;
};

class TEditorWindowTest : public QObject {
protected:
    static constexpr int NeverSettles = 24 * 3600 * 1000;  // milliseconds

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<QTemporaryDir> stateFolder;
    QString oldFolder;
    QByteArray oldState;
    std::unique_ptr<TMainWindow> window;
    std::unique_ptr<TfmTool> tool;

    TMainForm& form() { return window->Form(); }

    // Runs the events queued, and those they queue in turn.
    static void drain()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }
    // A stage named `caption` with animated tiles, showing `picture`.
    static StageRecord stageNamed(const char* caption, const char* picture = "")
    {
        StageRecord record;
        EmptyStage(record);
        record.Caption.Assign(caption);
        record.BG_Bitmap.Assign(picture);
        record.BG[2][2] = 1;
        record.FG[30][5] = 61;
        return record;
    }
    std::filesystem::path recoveryFolder() const
    {
        return std::filesystem::path(QFile::encodeName(stateFolder->path()).toStdString()) / RecoveryProgramName;
    }

    // A new empty folder becomes the current one, and a new empty state
    // folder XDG_STATE_HOME; leaveFolder goes back.
    void enterFolder()
    {
        folder = std::make_unique<QTemporaryDir>();
        stateFolder = std::make_unique<QTemporaryDir>();
        oldFolder = QDir::currentPath();
        oldState = qgetenv("XDG_STATE_HOME");
        QDir::setCurrent(folder->path());
        qputenv("XDG_STATE_HOME", QFile::encodeName(stateFolder->path()));
    }
    void leaveFolder()
    {
        QDir::setCurrent(oldFolder);
        if (oldState.isNull())
            qunsetenv("XDG_STATE_HOME");
        else
            qputenv("XDG_STATE_HOME", oldState);
        folder.reset();
        stateFolder.reset();
    }

    // The main window and its tool window, as the editor starts them. The
    // folder watch never settles on its own (a test's own writes would
    // otherwise raise questions at a moment that depends on the machine's
    // speed); a test of it settles it itself.
    void openWindows()
    {
        window = std::make_unique<TMainWindow>();
        window->DiskWatch().SetSettleTime(NeverSettles);
        tool = std::make_unique<TfmTool>(window.get());
        window->SetToolWindow(tool.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
    }
    // Closes them as the designer does; unsaved changes are discarded, and an
    // error report still waiting is acknowledged rather than left open.
    void closeWindows()
    {
        if (window) {
            TQuestionAnswers answers;
            answers.Answer(QStringLiteral("UnsavedQuestion"), QStringLiteral("Discard"));
            answers.Answer(QStringLiteral("ErrorReport"), QStringLiteral("OK"));
            window->close();
        }
        tool.reset();
        window.reset();
    }
};
