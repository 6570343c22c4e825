#include "ui/StageCompare.h"

#include "editor/Main.h"
#include "storage/StageFile.h"
#include "ui/DiskWatch.h"
#include "ui/DisplayText.h"

#include <QDir>
#include <QProcess>

#include <cstring>
#include <optional>
#include <system_error>

namespace {

constexpr int GitWait = 10000;  // milliseconds: git answers at once, or something is wrong
const QString LastCommit = QStringLiteral("Last Commit");

// Runs git in `folder`: its exit status, or -1 when it could not run or
// did not end (`why` says which, and what git said when it failed).
int RunGit(const std::filesystem::path& folder, const QStringList& args, QByteArray& output, QString& why)
{
    QProcess git;
    git.setProgram(QStringLiteral("git"));
    git.setArguments(QStringList{QStringLiteral("-C"), PathText(folder)} + args);
    git.start(QIODevice::ReadOnly);
    if (!git.waitForStarted(GitWait)) {
        why = QStringLiteral("git cannot be run; is it installed?");
        return -1;
    }
    if (!git.waitForFinished(GitWait)) {
        git.kill();
        git.waitForFinished(GitWait);
        why = QStringLiteral("git did not answer within %1 seconds").arg(GitWait / 1000);
        return -1;
    }
    if (git.exitStatus() != QProcess::NormalExit) {
        why = QStringLiteral("git ended abnormally");
        return -1;
    }
    output = git.readAllStandardOutput();
    if (git.exitCode() != 0)
        why = QStringLiteral("git says: %1").arg(QString::fromLocal8Bit(git.readAllStandardError()).trimmed());
    return git.exitCode();
}

}  // namespace

TStageCompare::TStageCompare(QObject* parent) : QObject(parent), FWatch(new TDiskWatch(this))
{
    connect(FWatch, &TDiskWatch::Settled, this, &TStageCompare::ReadAgain);
}

bool TStageCompare::InWorkingTree(const std::filesystem::path& folder)
{
    std::error_code error;
    for (std::filesystem::path at = folder; !at.empty(); at = at.parent_path()) {
        if (std::filesystem::exists(at / ".git", error))
            return true;
        if (at == at.parent_path())
            break;
    }
    return false;
}

bool TStageCompare::Read(TSource source, std::vector<StageRecord>& records, QString& why) const
{
    const std::filesystem::path stageFile = FForm->Document.StageFile();
    const std::filesystem::path folder = FForm->Document.GameFolder();
    // How messages name what is read: the file, or git's name of the version.
    const QString label = source == TSource::File ? PathText(FFile) : QStringLiteral("HEAD:") + FileNameText(stageFile);
    TStageRecords read;
    if (source == TSource::File) {
        read = ReadStageRecords(FFile, MaxStageFileRecords);
        if (!read.Read) {
            why = QStringLiteral("%1: %2").arg(label, QString::fromLocal8Bit(read.Error.c_str()));
            return false;
        }
    } else {
        // Its size first, so that no wrong file of any size is read.
        const QString object = QStringLiteral("HEAD:./") + FileNameText(stageFile);
        QByteArray size;
        QByteArray bytes;
        if (const int status = RunGit(folder, {QStringLiteral("cat-file"), QStringLiteral("-s"), object}, size, why);
            status != 0) {
            if (status > 0)
                why = QStringLiteral("%1 is not in the last commit; %2").arg(FileNameText(stageFile), why);
            return false;
        }
        read.TooMany = size.trimmed().toLongLong() > MaxStageFileRecords * static_cast<qlonglong>(StageRecordSize);
        if (!read.TooMany) {
            if (RunGit(folder, {QStringLiteral("show"), object}, bytes, why) != 0)
                return false;
            read = StageRecordsOfBytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                                       MaxStageFileRecords);
        }
    }
    if (read.TooMany) {
        why = QStringLiteral("%1 holds more than %2 records; it is no stage file").arg(label).arg(MaxStageFileRecords);
        return false;
    }
    if (const std::optional<TStageFilePiece> piece = StageFilePieceOf(read)) {
        const std::filesystem::path named =
            source == TSource::File ? FFile : std::filesystem::path(label.toStdString());
        why = QString::fromLocal8Bit(StageFilePieceText(named, *piece).c_str());
        return false;
    }
    records = std::move(read.Records);
    return true;
}

bool TStageCompare::Start(TSource source, const std::filesystem::path& file, QString& why)
{
    if (!FForm)
        return false;
    const std::filesystem::path oldFile = FFile;
    FFile = file;
    std::vector<StageRecord> records;
    if (!Read(source, records, why)) {
        FFile = oldFile;
        return false;
    }
    FSource = source;
    FRecords = records;
    FForm->Document.CompareWith(std::move(records),
                                source == TSource::File ? FileNameText(file).toStdString() : LastCommit.toStdString());
    // A file replaced by a rename is seen through its folder; a commit
    // appends to the repository's HEAD log, a checkout replaces HEAD. Not the
    // repository's folder: every git command that looks at the index (a
    // shell prompt's, an IDE's) changes it, and each reading runs git.
    QStringList watched;
    QByteArray gitDir;
    QString unwatched;
    if (source == TSource::File) {
        std::error_code error;
        watched = {PathText(file), PathText(std::filesystem::absolute(file, error).parent_path())};
    } else if (RunGit(FForm->Document.GameFolder(), {QStringLiteral("rev-parse"), QStringLiteral("--absolute-git-dir")},
                      gitDir, unwatched)
               == 0) {
        const QString dir = QString::fromLocal8Bit(gitDir).trimmed();
        watched = {dir + QStringLiteral("/HEAD"), dir + QStringLiteral("/logs/HEAD")};
    }
    FWatched = watched;
    FWatch->Watch(watched);
    return true;
}

bool TStageCompare::CompareWithFile(const std::filesystem::path& file, QString& why)
{
    return Start(TSource::File, file, why);
}

bool TStageCompare::CompareWithLastCommit(QString& why)
{
    return Start(TSource::LastCommit, {}, why);
}

void TStageCompare::Stop()
{
    FSource = TSource::None;
    FRecords.clear();
    FWatched.clear();
    FWatch->Watch({});
    if (FForm)
        FForm->Document.StopComparing();
}

void TStageCompare::ReadAgain()
{
    // Another folder ended the comparison meanwhile.
    if (FSource == TSource::None || !FForm || !FForm->Document.Comparison().On()) {
        FWatch->Watch({});
        return;
    }
    // What was replaced by a rename is watched anew.
    FWatch->Watch(FWatched);
    std::vector<StageRecord> records;
    QString why;
    if (!Read(FSource, records, why)) {
        emit ReadAgainFailed(why);
        return;
    }
    const bool same = records.size() == FRecords.size()
                      && std::memcmp(records.data(), FRecords.data(), records.size() * sizeof(StageRecord)) == 0;
    if (!same) {
        FRecords = records;
        FForm->Document.CompareWith(std::move(records), FForm->Document.Comparison().Source());
    }
}
