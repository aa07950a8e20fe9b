#pragma once

// The mimic's simulator: the operator switches an apparatus as at the panel, with the
// interlocks enforced. An operation is allowed exactly when the other apply actions are (the
// workbench's TS-edit rule for values applied at once); it sets the apparatus' state TS as the
// apparatus would, as an operator's edit, so every window follows. A two-position pair first
// goes to its travel value (both TS 0) for the travel time, then to the new position; a single
// TS switches at once. An operation its logic forbids is refused with the smallest sets of TS
// changes that would allow it; forcing it asks for a confirmation and is marked in the journal.
//
// The journal keeps every operation carried out; it saves as a switching program and a program
// read back replays step by step, each step an operation through the simulator.

#include <QObject>
#include <QTime>
#include <optional>
#include <string>
#include <vector>

#include "interlock/workspace.h"
#include "sequences/program.h"
#include "topology/topology.h"

class QTimer;

namespace ui {
class Workbench;
}

namespace mimic {

struct JournalEntry {
    QTime time;
    sequences::Operation op;
    std::string label;    // the apparatus, Windows-1251
    std::string verdict;  // "разрешено", "запрещено", "ошибка"
    bool forced = false;
};

enum class Outcome {
    Done,         // carried out (at once, or the travel has started)
    Refused,      // the logic forbids it and it was not forced
    NotPossible,  // no TS edits now, no state signal, already there, in travel
};

class Simulator : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTravelMs = 1000;

    Simulator(ui::Workbench& workbench, QObject* parent = nullptr);
    ~Simulator() override;

    // The topology the apparatus come from; the simulator keeps a reference.
    void SetTopology(const topology::Topology* topology) { topology_ = topology; }

    int TravelMs() const { return travelMs_; }
    void SetTravelMs(int ms) { travelMs_ = ms < 0 ? 0 : ms; }
    bool InTravel() const { return travel_.has_value(); }

    // Why no operation may be done now (empty: operations may be done). Windows-1251.
    std::string Refusal() const;

    // Operates apparatus `element` of the topology. Refusals and confirmations go through the
    // workbench's dialogs. `force`: offer forcing a forbidden operation (asks first).
    Outcome Operate(int element, interlock::Side side, bool force = false);
    // The same for block `block`'s apparatus.
    Outcome OperateBlock(int block, interlock::Side side, bool force = false);

    const std::vector<JournalEntry>& Journal() const { return journal_; }
    void ClearJournal();
    // The journal as a switching program (Windows-1251, CR LF); the time, verdict and forced
    // mark of each step in its comment.
    std::string JournalProgram() const;

    // Replay: the steps of a program read, done one at a time.
    void LoadProgram(const sequences::Program& program);
    int ReplayNext() const { return replayNext_; }
    int ReplaySize() const { return static_cast<int>(replay_.size()); }
    bool ReplayDone() const { return replayNext_ >= ReplaySize(); }
    // Runs the next step; a step refused stays the next one.
    Outcome Step();

signals:
    void JournalChanged();
    void TravelChanged();

private:
    void FinishTravel();
    std::string Label(int block) const;

    ui::Workbench& workbench_;
    const topology::Topology* topology_ = nullptr;
    int travelMs_ = kDefaultTravelMs;
    struct Travel {
        std::vector<std::pair<int, int>> values;  // the final position's TS values
    };
    std::optional<Travel> travel_;
    QTimer* timer_ = nullptr;
    std::vector<JournalEntry> journal_;
    std::vector<sequences::ProgramStep> replay_;
    int replayNext_ = 0;
};

}  // namespace mimic
