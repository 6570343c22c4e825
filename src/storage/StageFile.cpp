#include "storage/StageFile.h"

#include <cstdio>
#include <memory>

// The standard library has no write-only open that refuses to create, so the
// save opens the existing file for update ("r+b"): it is still never created.
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr Open(const std::filesystem::path& file, const char* mode)
{
    return FilePtr(std::fopen(file.c_str(), mode));
}

// Byte offset of a record; a negative number has none.
std::optional<long> RecordOffset(std::int64_t number)
{
    if (number < 0)
        return std::nullopt;
    return static_cast<long>(number * static_cast<std::int64_t>(StageRecordSize));
}

std::optional<std::int64_t> Length(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return std::nullopt;
    const long length = std::ftell(file);
    if (length < 0)
        return std::nullopt;
    return length;
}

bool WriteAt(std::FILE* file, std::int64_t number, const StageRecord& record)
{
    const auto offset = RecordOffset(number);
    return offset && std::fseek(file, *offset, SEEK_SET) == 0 &&
           std::fwrite(&record, 1, sizeof record, file) == sizeof record;
}

}  // namespace

bool ReadStageRecord(const std::filesystem::path& file, int number, StageRecord& record)
{
    const auto offset = RecordOffset(number);
    if (!offset)
        return false;
    FilePtr handle = Open(file, "rb");
    if (!handle)
        return false;
    StageRecord buffer;
    if (std::fseek(handle.get(), *offset, SEEK_SET) != 0 ||
        std::fread(&buffer, 1, sizeof buffer, handle.get()) != sizeof buffer)
        return false;
    record = buffer;
    return true;
}

bool WriteStageRecord(const std::filesystem::path& file, int number, const StageRecord& record,
                      const StageRecord& padding)
{
    if (number < 0)
        return false;
    FilePtr handle = Open(file, "r+b");
    if (!handle)
        return false;
    bool ok = true;
    const auto length = Length(handle.get());
    if (!length)
        ok = false;
    for (std::int64_t count = length ? *length / static_cast<std::int64_t>(StageRecordSize) : 0;
         ok && count < number; ++count)
        ok = WriteAt(handle.get(), count, padding);
    ok = ok && WriteAt(handle.get(), number, record);
    // Buffered bytes that cannot be flushed are a failed write too.
    ok = (std::fflush(handle.get()) == 0) && ok;
    return (std::fclose(handle.release()) == 0) && ok;
}

std::optional<std::int64_t> StageRecordCount(const std::filesystem::path& file)
{
    FilePtr handle = Open(file, "rb");
    if (!handle)
        return std::nullopt;
    const auto length = Length(handle.get());
    if (!length)
        return std::nullopt;
    return *length / static_cast<std::int64_t>(StageRecordSize);
}

bool CreateStageFile(const std::filesystem::path& file, int count, const StageRecord& record)
{
    if (count < 0)
        return false;
    // "x": exclusive creation, so an existing file is never overwritten.
    FilePtr handle = Open(file, "wbx");
    if (!handle)
        return false;
    bool ok = true;
    for (int i = 0; ok && i < count; ++i)
        ok = std::fwrite(&record, 1, sizeof record, handle.get()) == sizeof record;
    ok = (std::fflush(handle.get()) == 0) && ok;
    ok = (std::fclose(handle.release()) == 0) && ok;
    if (!ok) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);  // no half-made file is left behind
    }
    return ok;
}
