#pragma once
// The option dialog's caption memo. Its limit of 63 characters counts a line
// break as two (CR LF), as the stored caption keeps each line break as one
// byte and the text therefore always fits. Text set by the program is not
// limited.

#include <QPlainTextEdit>

class TCaptionMemo : public QPlainTextEdit {
public:
    static constexpr int MaxLength = 63;
    explicit TCaptionMemo(QWidget* parent = nullptr);
    // The text with CR LF line breaks.
    QString Text() const;
    void SetText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Characters still free when the selection is replaced.
    int Room() const;
};
