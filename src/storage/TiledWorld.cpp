#include "storage/TiledWorld.h"

#include "stage/TileCodes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

std::string WriteTiledWorld(const std::vector<std::pair<int, std::string>>& maps)
{
    constexpr int Width = FieldColumns * 16;
    constexpr int Height = FieldRows * 16;
    QJsonArray list;
    for (const auto& [number, name] : maps)
        list.append(QJsonObject{
            {"fileName", QString::fromStdString(name)},
            {"x", (number % 10) * Width},
            {"y", (number / 10) * Height},
            {"width", Width},
            {"height", Height},
        });
    const QJsonObject world{{"maps", list}, {"onlyShowAdjacentMaps", false}, {"type", "world"}};
    return QJsonDocument(world).toJson(QJsonDocument::Indented).toStdString();
}
