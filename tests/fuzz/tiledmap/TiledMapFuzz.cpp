// The Tiled map reader on any bytes. Beyond surviving them: a map it takes
// is one it can write, so writing what it read and reading that back gives
// the same stage.
#include "fuzz/FuzzCheck.h"
#include "storage/TiledMap.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const TTiledMapRead read = ReadTiledMap({reinterpret_cast<const char*>(data), size});
    if (!read)
        return 0;
    TTiledStage stage{};
    stage.Stage = read.Map.Stage;
    const TTiledMapRead again = ReadTiledMap(WriteTiledMap(stage));
    Require(bool(again), "a written map is read");
    Require(std::memcmp(&again.Map.Stage, &read.Map.Stage, sizeof(StageRecord)) == 0,
            "read, write, read gives the same stage");
    return 0;
}
