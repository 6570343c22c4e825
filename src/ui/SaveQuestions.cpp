#include "ui/SaveQuestions.h"

#include "ui/DisplayText.h"
#include "ui/ErrorReport.h"

#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>

#include <initializer_list>
#include <vector>

namespace {

struct TChoice {
    const char* Caption;
    QMessageBox::ButtonRole Role;
};

// Shows the question and returns the index of the choice pressed: `escape`
// when the box was closed by Escape or by the window. The captions are set
// here rather than taken from the platform's standard buttons, which a
// desktop theme may rename. A box with one choice only informs.
int Ask(QWidget* parent, const char* name, const QString& text, std::initializer_list<TChoice> choices, int preferred,
        int escape)
{
    const QMessageBox::Icon icon = choices.size() == 1 ? QMessageBox::Information : QMessageBox::Warning;
    QMessageBox box(icon, QApplication::applicationName(), text, QMessageBox::NoButton, parent);
    box.setObjectName(QString::fromLatin1(name));
    std::vector<QPushButton*> buttons;
    for (const TChoice& choice : choices)
        buttons.push_back(box.addButton(QString::fromLatin1(choice.Caption), choice.Role));
    box.setDefaultButton(buttons.at(static_cast<std::size_t>(preferred)));
    box.setEscapeButton(buttons.at(static_cast<std::size_t>(escape)));
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return static_cast<int>(i);
    return escape;
}

// Yes (the default) or No (also Escape); true for Yes.
bool AskYes(QWidget* parent, const char* name, const QString& text)
{
    return Ask(parent, name, text, {{"Yes", QMessageBox::YesRole}, {"No", QMessageBox::NoRole}}, 0, 1) == 0;
}

// `03 "Desert Fort", 05 "Caves"`, the first few of them and how many more.
QString StageList(const TStageCaptions& stages)
{
    constexpr std::size_t Named = 6;
    QStringList names;
    for (std::size_t i = 0; i < stages.size() && i < Named; ++i)
        names.append(QStringLiteral("%1 \"%2\"").arg(NumberText(stages[i].first), CaptionText(stages[i].second)));
    QString list = names.join(QStringLiteral(", "));
    if (stages.size() > Named)
        list += QStringLiteral(" and %1 more").arg(stages.size() - Named);
    return list;
}

}  // namespace

QWidget* TQuestionBoxes::Parent() const
{
    // The tool window is too small to stand a question over.
    QWidget* active = QApplication::activeWindow();
    return active && active->objectName() != QStringLiteral("fmTool") ? active : FMainWindow;
}

TUnsavedAnswer TQuestionBoxes::AskUnsavedChanges(int number, const TShortString& caption)
{
    const int answer = Ask(
        Parent(), "UnsavedQuestion",
        QStringLiteral("Stage %1 (%2) has changes that are not saved.").arg(NumberText(number), CaptionText(caption)),
        {{"Save", QMessageBox::AcceptRole},
         {"Discard", QMessageBox::DestructiveRole},
         {"Cancel", QMessageBox::RejectRole}},
        0, 2);
    return static_cast<TUnsavedAnswer>(answer);
}

bool TQuestionBoxes::AskReplaceStage(int number, const std::filesystem::path& file, const TShortString& fileCaption,
                                     const TShortString& liveCaption)
{
    return Ask(Parent(), "ReplaceQuestion",
               QStringLiteral("Stage %1 in %2 is \"%3\". Replace it with \"%4\"?")
                   .arg(NumberText(number), FileNameText(file), CaptionText(fileCaption), CaptionText(liveCaption)),
               {{"Replace", QMessageBox::AcceptRole}, {"Cancel", QMessageBox::RejectRole}}, 1, 1)
           == 0;
}

TRestoreAnswer TQuestionBoxes::AskRestoreCopy(int number, const std::filesystem::path& file, std::int64_t when)
{
    const QString time = QDateTime::fromSecsSinceEpoch(when).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const int answer = Ask(Parent(), "RestoreQuestion",
                           QStringLiteral("Stage %1 of %2 has unsaved changes from %3. Restore them?")
                               .arg(NumberText(number), FileNameText(file), time),
                           {{"Restore", QMessageBox::AcceptRole},
                            {"Discard", QMessageBox::DestructiveRole},
                            {"Later", QMessageBox::RejectRole}},
                           0, 2);
    return static_cast<TRestoreAnswer>(answer);
}

bool TQuestionBoxes::AskCreateStageFile(const std::filesystem::path& file, const std::filesystem::path& folder)
{
    return AskYes(Parent(), "CreateQuestion",
                  QStringLiteral("%1 does not exist in %2. Create it?").arg(FileNameText(file), PathText(folder)));
}

bool TQuestionBoxes::AskLoadChangedStage(int number)
{
    return AskYes(Parent(), "ChangedQuestion",
                  QStringLiteral("Stage %1 changed on disk. Load it?").arg(NumberText(number)));
}

void TQuestionBoxes::TellStageChanged(int number, const std::filesystem::path& file)
{
    Ask(Parent(), "ChangedNote",
        QStringLiteral(
            "Stage %1 changed on disk. Your changes to it are kept; Save will ask before replacing it in %2.")
            .arg(NumberText(number), FileNameText(file)),
        {{"OK", QMessageBox::AcceptRole}}, 0, 0);
}

TUnsavedAnswer TQuestionBoxes::AskReplacesUnsaved(int number)
{
    const int answer =
        Ask(Parent(), "ReplacesUnsavedQuestion",
            QStringLiteral("Stage %1 has changes that are not saved; this replaces it.").arg(NumberText(number)),
            {{"Save first", QMessageBox::AcceptRole},
             {"Discard", QMessageBox::DestructiveRole},
             {"Cancel", QMessageBox::RejectRole}},
            0, 2);
    return static_cast<TUnsavedAnswer>(answer);
}

bool TQuestionBoxes::AskReplaceStages(const TStageCaptions& stages)
{
    const QString text =
        stages.size() == 1
            ? QStringLiteral("This replaces stage %1, which is not empty. Replace it?")
            : QStringLiteral("This replaces %1 stages that are not empty: %2. Replace them?").arg(stages.size());
    return Ask(Parent(), "ReplaceStagesQuestion", text.arg(StageList(stages)),
               {{"Replace", QMessageBox::AcceptRole}, {"Cancel", QMessageBox::RejectRole}}, 1, 1)
           == 0;
}

void TQuestionBoxes::TellSaveFailed(const std::string& why)
{
    ShowFailureMessage(Parent(), QStringLiteral("Saving Stage"), QStringLiteral("Cannot Save to File \"Stage.Dat\"!"),
                       QString::fromLocal8Bit(why));
}

void TQuestionBoxes::TellDamagedFile(const std::string& piece)
{
    Ask(Parent(), "DamagedNote",
        QString::fromLocal8Bit(piece)
            + QStringLiteral(" The stages before it are whole; Save asks before it writes over the piece."),
        {{"OK", QMessageBox::AcceptRole}}, 0, 0);
}

bool TQuestionBoxes::AskSaveOverDamage(const std::string& piece, int number)
{
    return Ask(Parent(), "DamagedQuestion",
               QString::fromLocal8Bit(piece)
                   + QStringLiteral(" Saving stage %1 writes over that piece.").arg(NumberText(number)),
               {{"Save", QMessageBox::AcceptRole}, {"Cancel", QMessageBox::RejectRole}}, 1, 1)
           == 0;
}

bool AskClearStages(QWidget* parent, const TStageCaptions& stages, bool remove)
{
    const QString verb = remove ? QStringLiteral("Delete") : QStringLiteral("Clear");
    QString text = stages.size() == 1
                       ? QStringLiteral("%1 stage %2?").arg(verb, StageList(stages))
                       : QStringLiteral("%1 %2 stages: %3?").arg(verb).arg(stages.size()).arg(StageList(stages));
    if (remove)
        text += stages.size() == 1 ? QStringLiteral(" The stages after it move up.")
                                   : QStringLiteral(" The stages after them move up.");
    return Ask(parent, remove ? "DeleteQuestion" : "ClearQuestion", text,
               {{remove ? "Delete" : "Clear", QMessageBox::AcceptRole}, {"Cancel", QMessageBox::RejectRole}}, 1, 1)
           == 0;
}
