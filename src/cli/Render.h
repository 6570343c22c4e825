#pragma once
// stagetool render: a stage drawn as the editor shows it, written as a PNG.

#include <filesystem>

// Loads record `number` of `stageFile` as a freshly started editor does, with
// pictures from the stage file's folder ("Map" inside it), draws one frame
// without overlay or status text and writes it to `output` as PNG through the
// safe write. No simulation tick runs, so animated tiles show as stored. A
// background picture that cannot be read is reported on stderr and the
// stage's colour shows instead. Raises std::runtime_error, with nothing
// written, when the record cannot be read (no random stage here) or the PNG
// cannot be written whole.
void RenderStagePreview(int number, const std::filesystem::path& stageFile, const std::filesystem::path& output);
