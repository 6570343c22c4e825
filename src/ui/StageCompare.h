#pragma once
// What the Stages window compares the stage file with: a stage file the
// designer chose, or the stage file as the last commit holds it (read
// through git). Either is read again when it changes (the file on disk, the
// repository's commit) and handed to the document (TDocument::CompareWith),
// which keeps it paired with the stage file. Nothing is ever written.

#include "stage/StageRecord.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <vector>

class TDiskWatch;
class TMainForm;

class TStageCompare : public QObject {
    Q_OBJECT
public:
    explicit TStageCompare(QObject* parent = nullptr);

    void SetMainForm(TMainForm* form) { FForm = form; }

    // Each starts comparing, or says why it cannot (nothing changes then).
    bool CompareWithFile(const std::filesystem::path& file, QString& why);
    bool CompareWithLastCommit(QString& why);
    void Stop();

    // The game folder lies inside a git working tree.
    static bool InWorkingTree(const std::filesystem::path& folder);
    // What is watched for the comparison in use.
    TDiskWatch& Watch() const { return *FWatch; }

signals:
    // The comparison could not be read again; it stays as it was.
    void ReadAgainFailed(const QString& why);

private:
    enum class TSource { None, File, LastCommit };
    // The records of the source, or why not.
    bool Read(TSource source, std::vector<StageRecord>& records, QString& why) const;
    bool Start(TSource source, const std::filesystem::path& file, QString& why);
    void ReadAgain();

    TMainForm* FForm = nullptr;
    TDiskWatch* FWatch = nullptr;
    TSource FSource = TSource::None;
    std::filesystem::path FFile;
    QStringList FWatched;
    std::vector<StageRecord> FRecords;  // what the document compares with
};
