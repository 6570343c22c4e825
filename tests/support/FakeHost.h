#pragma once
// A windowless editor for tests: the windowless host (whose stage number
// control clamps to 0..99 and calls back, as the real one does) and a form
// around it, started as the editor starts.

#include "editor/Main.h"
#include "editor/WindowlessEditor.h"

#include <cstring>
#include <string>
#include <vector>

class TFakeHost : public TWindowlessHost {
public:
    bool Seen = true;
    bool DisplaySeen() const override { return Seen; }
    bool StagesWindowShown = false;
    bool StagesWindowVisible() const override { return StagesWindowShown; }
    void SetStagesWindowVisible(bool visible) override { StagesWindowShown = visible; }
    bool ReadoutShown = false;
    std::string Readout;
    std::vector<TZoomStep> Zooms;  // every step asked for
    void SetReadoutVisible(bool visible) override { ReadoutShown = visible; }
    void SetReadoutText(std::string_view text) override { Readout = text; }
    void ZoomDisplay(TZoomStep step) override { Zooms.push_back(step); }
};

struct TEditorFixture {
    TFakeHost Host;
    TMainForm Form{Host};

    TEditorFixture()
    {
        Host.Form = &Form;
        Form.ClearLayers();
    }

    // Applies the empty stage, as loading an empty record does.
    void ApplyEmpty()
    {
        StageRecord record;
        TMainForm::EmptyStage(record);
        Form.ApplyStage(record);
    }

    StageRecord Capture() const
    {
        StageRecord record;
        Form.CaptureStage(record);
        return record;
    }

    // Field cells (column 0..39, row 0..29), through the notifying write.
    int BG(int column, int row) const { return Form.BGLayer->Cell(column + 1, row + 1); }
    int FG(int column, int row) const { return Form.FGLayer->Cell(column + 1, row + 1); }
    int Shadow(int column, int row) const { return Form.ShadowLayer->Cell(column, row); }
    void SetBG(int column, int row, int code) { Form.BGLayer->SetCell(column + 1, row + 1, code); }
    void SetFG(int column, int row, int code) { Form.FGLayer->SetCell(column + 1, row + 1, code); }

    // Mouse helpers in cell units: the pointer at the middle of a cell.
    static int Px(int cell) { return cell * 16 + 8; }
    void Press(int x, int y) { Form.DXDrawMouseDown(TMouseButton::mbLeft, 0, x, y); }
    void Move(int x, int y) { Form.DXDrawMouseMove(ssLeft, x, y); }
    void Release(int x, int y) { Form.DXDrawMouseUp(TMouseButton::mbLeft, 0, x, y); }
    void Key(std::uint16_t key, TShiftState shift = 0) { Form.FormKeyDown(key, shift); }
};

inline bool SameBytes(const StageRecord& a, const StageRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

inline std::vector<unsigned char> Bytes(const StageRecord& record)
{
    const auto* p = reinterpret_cast<const unsigned char*>(&record);
    return std::vector<unsigned char>(p, p + sizeof record);
}
