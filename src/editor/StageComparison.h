#pragma once
// A comparison of the stage file with another version of the stage set (a
// file the designer chose, or the last commit): which stages differ, paired
// as stagetool diff pairs them, and which stage the live one is compared
// with. Plain state: the document keeps it paired with the stage file, the
// windows show it. Comparing never writes anything.

#include "stage/StageRecord.h"
#include "storage/StagePairing.h"

#include <cstdint>
#include <string>
#include <vector>

class TStageComparison {
public:
    TStageComparison();

    bool On() const { return FOn; }
    // What is compared with, as the designer knows it ("Last Commit", "old.dat").
    const std::string& Source() const { return FSource; }
    // Compares with `compared` from now on; the stages pair at the next Pair.
    void Start(std::vector<StageRecord> compared, std::string source);
    void Stop();
    // The stage file holds `current` now.
    void Pair(const std::vector<StageRecord>& current);

    // How stage `number` of the stage file differs (Moved, Changed or
    // Added); null when it does not, or nothing is compared.
    const TStageChange* Change(int number) const;
    // The stages of a kind; Removed ones are in the compared version only.
    int Count(TStageChangeKind kind) const;
    // What stage `number` of the stage file is compared with: its partner,
    // or the empty stage when it has none.
    const StageRecord& Partner(int number) const;
    // Grows whenever Partner may answer otherwise.
    std::uint64_t Revision() const { return FRevision; }

private:
    bool FOn = false;
    std::string FSource;
    std::vector<StageRecord> FCompared;
    TStagePairing FPairing;
    std::vector<TStageChange> FChanges;
    std::vector<int> FChangeOf;  // for each stage of the file: its entry in FChanges, or -1
    StageRecord FEmpty{};
    std::uint64_t FRevision = 0;
};
