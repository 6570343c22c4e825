#include "ui/DisplayText.h"

#include "storage/StageSetEdits.h"

#include <QDir>
#include <QFile>

#include <system_error>

QString NumberText(int number)
{
    return QString::fromStdString(StageNumberText(number));
}

QString CaptionText(const TShortString& caption)
{
    return QString::fromLatin1(caption.Str());
}

QString FileNameText(const std::filesystem::path& file)
{
    return QFile::decodeName(file.filename().c_str());
}

QString PathText(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return QDir::toNativeSeparators(QFile::decodeName((error ? path : absolute).lexically_normal().c_str()));
}

QString Sentence(const QString& text)
{
    return text.endsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char('?')) || text.endsWith(QLatin1Char('!'))
               ? text
               : text + QLatin1Char('.');
}

QString Counted(int count, const QString& thing)
{
    return QStringLiteral("%1 %2%3").arg(count).arg(thing, count == 1 ? QString() : QStringLiteral("s"));
}
