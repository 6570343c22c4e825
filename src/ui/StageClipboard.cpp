#include "ui/StageClipboard.h"

#include "stage/StageRules.h"
#include "stage/TextMapStage.h"
#include "storage/StageSetEdits.h"
#include "storage/TextMap.h"
#include "storage/TextMapFile.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QStringList>

#include <cstring>
#include <string>
#include <system_error>

namespace {

const QString RecordsType = QStringLiteral("application/x-stage-editor-records");
// "process id", "stage numbers, comma-separated", "the stage file's path".
const QString SourceType = QStringLiteral("application/x-stage-editor-source");

QByteArray FileKey(const std::filesystem::path& stageFile)
{
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(stageFile, error);
    return QByteArray::fromStdString((error ? stageFile : canonical).string());
}

// The record an import of `map` makes: onto an empty stage, through the
// stage's cell rules.
StageRecord ImportedRecord(const TTextMap& map)
{
    StageRecord empty;
    EmptyStage(empty);
    return ImportedStage(map, empty);
}

}  // namespace

QMimeData* StagesMimeData(const std::vector<TCopiedStage>& stages, const std::filesystem::path& stageFile)
{
    std::string text;
    QByteArray records;
    QStringList numbers;
    for (const TCopiedStage& stage : stages) {
        text += WriteTextMap(AppliedStage(stage.Record), stage.Number);  // as export writes it
        records.append(reinterpret_cast<const char*>(&stage.Record), sizeof stage.Record);
        numbers.append(QString::number(stage.Number));
    }
    auto* mime = new QMimeData;
    // Each byte one character, as the title shows a caption.
    mime->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    mime->setData(RecordsType, records);
    mime->setData(SourceType, QByteArray::number(QCoreApplication::applicationPid()) + '\n'
                                  + numbers.join(QLatin1Char(',')).toLatin1() + '\n' + FileKey(stageFile));
    return mime;
}

TStagesOnClipboard StagesFromMimeData(const QMimeData& mime, const std::filesystem::path& stageFile)
{
    TStagesOnClipboard stages;
    const QByteArray records = mime.data(RecordsType);
    if (!records.isEmpty() && records.size() % static_cast<qsizetype>(sizeof(StageRecord)) == 0) {
        stages.Records.resize(static_cast<std::size_t>(records.size()) / sizeof(StageRecord));
        std::memcpy(static_cast<void*>(stages.Records.data()), records.constData(),
                    static_cast<std::size_t>(records.size()));
        const QList<QByteArray> source = mime.data(SourceType).split('\n');
        if (source.size() == 3 && source[0] == QByteArray::number(QCoreApplication::applicationPid())
            && source[2] == FileKey(stageFile)) {
            for (const QByteArray& number : source[1].split(','))
                stages.Numbers.push_back(number.toInt());
            if (stages.Numbers.size() != stages.Records.size())
                stages.Numbers.clear();
        }
        return stages;
    }
    if (!mime.hasText())
        return stages;
    const QString text = mime.text();
    if (static_cast<std::size_t>(text.size()) > MaxTextMapBytes) {
        stages.Error = "its text is larger than " + std::to_string(MaxTextMapBytes >> 20) + " MB";
        return stages;
    }
    const std::string bytes = NormaliseTextLines(text.toLatin1().toStdString());
    const std::vector<std::string_view> maps = SplitTextMaps(bytes);
    if (maps.size() > static_cast<std::size_t>(StageCount)) {
        stages.Error = "it holds " + std::to_string(maps.size()) + " text maps, more than there are stages";
        return stages;
    }
    for (const std::string_view map : maps)
        if (const std::optional<TTextMap> read = ReadTextMap(map))
            stages.Records.push_back(ImportedRecord(*read));
    return stages;
}

bool MayHoldStages(const QMimeData* mime)
{
    return mime && (mime->hasFormat(RecordsType) || mime->hasText());
}
