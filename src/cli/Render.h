#pragma once
// stagetool render: a stage drawn as the editor shows it, written as a PNG.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Loads record `number` of `stageFile` as a freshly started editor does, with
// pictures from the stage file's folder ("Map" inside it), draws one frame
// without overlay or status text and writes it to `output` as PNG through the
// safe write. No simulation tick runs, so animated tiles show as stored. A
// background picture that cannot be read is reported on `err` and the
// stage's colour shows instead. Raises std::runtime_error, with nothing
// written, when the record cannot be read (no random stage here) or the PNG
// cannot be written whole.
void RenderStagePreview(int number, const std::filesystem::path& stageFile, const std::filesystem::path& output,
                        std::ostream& err);

// Encodes width x height pixels (0x00RRGGBB, top row first) as PNG whole in
// memory, then writes it through the safe write, so a full disk or a failing
// device never leaves a cut picture. `compression` as EncodePng's. Raises
// std::runtime_error naming `what` or the file, with nothing written.
void WritePngFile(const std::filesystem::path& output, const std::vector<std::uint32_t>& pixels, int width, int height,
                  const std::string& what, int compression = -1);

// Background pictures that could not be shown, gathered over many stages
// for one line each: "name: why (stages 03, 07)".
class TPictureProblems {
public:
    // Stage `number` named `picture`, which could not be shown for `why`
    // (nothing when `why` is empty).
    void Add(const std::string& picture, const std::string& why, int number);
    std::vector<std::string> Lines() const;

private:
    std::map<std::pair<std::string, std::string>, std::string> FStages;  // (name, why) -> stages
};
