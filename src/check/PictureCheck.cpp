#include "check/PictureCheck.h"

#include "platform/PictureDecode.h"

#include <new>

namespace {

// What decoding `file` as the display would meets, or empty. Of the pixels
// one is kept: only the decoding's outcome matters here.
std::string DecodeProblem(const std::filesystem::path& file, TPictureFormat format)
{
    try {
        const std::vector<std::uint8_t> data = ReadPictureFile(file);
        if (format == TPictureFormat::Jpeg)
            DecodeJpeg(data.data(), data.size(), 1, 1);
        else
            DecodeBmp(data.data(), data.size(), 1, 1);
        return {};
    } catch (const EInvalidGraphic& error) {
        return error.what();
    } catch (const std::bad_alloc&) {
        return "Out of memory";
    } catch (const std::exception& error) {
        return error.what();
    }
}

std::string Quoted(const std::string& name)
{
    return "\"" + name + "\"";
}

}  // namespace

std::string TPictureCheck::Problem(const std::string& name)
{
    const TPictureLookup found = LookUpPicture(FFolder, name);
    switch (found.Outcome) {
    case TPictureLookup::TOutcome::NotFound: return Quoted(name) + " is not in Map";
    case TPictureLookup::TOutcome::NotAFile: return Quoted(name) + " in Map is not a file";
    case TPictureLookup::TOutcome::OtherExtension:
        return Quoted(name) + " is not a picture the editor loads (.bmp, .jpg or .jpeg)";
    case TPictureLookup::TOutcome::Found: break;
    }
    const std::optional<TPictureStamp> stamp = StampPicture(found.Path, found.Format);
    std::string problem;
    bool known = false;
    if (stamp)
        for (const TDecoded& decoded : FDecoded)
            if (decoded.Stamp == *stamp) {
                problem = decoded.Error;
                known = true;
                break;
            }
    if (!known) {
        ++FDecodes;
        problem = DecodeProblem(found.Path, found.Format);
        if (stamp) {
            std::erase_if(FDecoded, [&](const TDecoded& decoded) { return decoded.Stamp.File == found.Path; });
            FDecoded.push_back(TDecoded{*stamp, problem});
        }
    }
    return problem.empty() ? problem : Quoted(name) + " cannot be read: " + problem;
}
