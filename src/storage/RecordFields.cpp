#include "storage/RecordFields.h"

#include <cstring>
#include <string>

namespace {

std::vector<TRecordField> MakeFields()
{
    std::vector<TRecordField> fields = {
        {"Caption", offsetof(StageRecord, Caption), sizeof(TShortString), TFieldKind::Text},
        {"BG_Bitmap", offsetof(StageRecord, BG_Bitmap), sizeof(TShortString), TFieldKind::Text},
        {"BG_Color", offsetof(StageRecord, BG_Color), 4, TFieldKind::Color},
        {"BG_H_Tile", offsetof(StageRecord, BG_H_Tile), 1, TFieldKind::Number},
        {"BG_V_Tile", offsetof(StageRecord, BG_V_Tile), 1, TFieldKind::Number},
        {"Reserved1", offsetof(StageRecord, Reserved1), sizeof(StageRecord::Reserved1), TFieldKind::Block, true},
    };
    for (int slot = 0; slot < EnemySlotCount; ++slot)
        fields.push_back({"EnemyCount[" + std::to_string(slot) + "]",
                          offsetof(StageRecord, EnemyCount) + 2 * static_cast<std::size_t>(slot), 2, TFieldKind::Number,
                          slot >= EnemyTypeCount});
    fields.push_back({"MaxCount", offsetof(StageRecord, MaxCount), 2, TFieldKind::Number});
    fields.push_back(
        {"Reserved2", offsetof(StageRecord, Reserved2), sizeof(StageRecord::Reserved2), TFieldKind::Block, true});
    fields.push_back({"SI_Bitmap", offsetof(StageRecord, SI_Bitmap), sizeof(TShortString), TFieldKind::Text});
    fields.push_back(
        {"Reserved3", offsetof(StageRecord, Reserved3), sizeof(StageRecord::Reserved3), TFieldKind::Block, true});
    return fields;
}

}  // namespace

const std::vector<TRecordField>& RecordFields()
{
    static const std::vector<TRecordField> fields = MakeFields();
    return fields;
}

std::string_view FieldBytes(const StageRecord& record, const TRecordField& field)
{
    return std::string_view(reinterpret_cast<const char*>(&record) + field.Offset, field.Size);
}

unsigned FieldNumber(const StageRecord& record, const TRecordField& field)
{
    unsigned value = 0;
    const std::string_view bytes = FieldBytes(record, field);
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

const TShortString& FieldString(const StageRecord& record, const TRecordField& field)
{
    return *reinterpret_cast<const TShortString*>(reinterpret_cast<const char*>(&record) + field.Offset);
}
