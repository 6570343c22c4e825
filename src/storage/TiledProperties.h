#pragma once
// A stage's settings as the custom properties of a Tiled map, both ways. The
// properties are the truth of a map's settings: what Tiled shows besides them
// (the background colour, the picture) is drawn from them and never read back.

#include "stage/StageRecord.h"

#include <string>
#include <string_view>
#include <vector>

// One property as a map file holds it: the type as written ("" counts as
// "string") and the value as UTF-8.
struct TTiledProperty {
    std::string Name;
    std::string Type;
    std::string Value;
};

// Caption, BG_Bitmap, SI_Bitmap (strings); BG_Color (the stored 32 bits, as
// a signed int so that Tiled keeps every value); BG_H_Tile, BG_V_Tile (the
// stored bytes), MaxCount, Enemy00..Enemy15 (ints). Slots 16..31 have none.
std::vector<TTiledProperty> StageProperties(const StageRecord& record);

// A record string as text: bytes 0x20..0xFF are the Latin-1 characters they
// are read as everywhere else, the line break mark (128) is a line break, and
// the control bytes, which an XML file cannot hold, are left out.
std::string TiledText(const TShortString& text);
// Whether TiledText leaves bytes of `text` out.
bool HasControlBytes(const TShortString& text);

// What reading the properties found, for the user.
struct TStagePropertiesRead {
    std::string Error;               // empty unless refused: a wrong type, a value the record cannot hold
    std::vector<std::string> Notes;  // missing and unknown properties, cut texts
};

// Sets `record`'s settings from `properties`, taken in any order; a setting
// without a property keeps what `record` holds (the caller starts from the
// empty stage). Texts go back to the bytes TiledText made of them (a line
// break, CR LF too, is the mark; a character beyond Latin-1 or a control
// character is refused); a text longer than 63 characters is cut.
TStagePropertiesRead ReadStageProperties(const std::vector<TTiledProperty>& properties, StageRecord& record);

// The colour Tiled shows for BG_Color ("#rrggbb": the record holds red in its
// low byte), or "" when the high byte is not 0 and the value is no colour.
std::string TiledColor(std::uint32_t bgColor);
