#pragma once

// A configuration as a transition system. The state is the position of every apparatus: one
// BDD variable per state signal (the value bit of its first TS; a two-position pair is one
// variable, blocks with the same state TS share it). An operation is block n ON or OFF; it is
// allowed where its governing logic gives 1 with the state TS as they are before it, and it
// sets the state signal to the new position. The other TS are held at their values or free
// (any 0/1 values between operations); TS that follow the positions (voltage indicators of a
// topology) are functions of the state. Unreliability plays no part.
//
// Every answer over the reachable states comes from image computation on the analysis
// engine's BDD session; an answer that outgrows the node budget or the time limit is
// "undetermined", never a hang.

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/cube.h"
#include "analysis/requirements.h"
#include "interlock/workspace.h"

namespace sequences {

enum class FieldMode { Held, Free };

// How the TS that are not apparatus positions behave during a run.
struct FieldSpec {
    FieldMode mode = FieldMode::Held;
    std::map<int, int16_t> held;  // TS fixed to these values instead of the present ones
};

// A TS that follows the positions, e.g. a voltage indicator: `value` over the state variables.
struct FollowingTs {
    int ts = 0;
    bdd value;
};
// A named dangerous set of positions checked for reachability without being written. With an
// operation (block not 0) the hazard is that operation allowed where `positions` holds: the
// witness ends with it.
struct Hazard {
    std::string name;  // Windows-1251
    bdd positions;
    std::string kind;  // a stable identifier for machine-read reports
    int block = 0;
    interlock::Side side = interlock::Side::On;
};
// What a topology adds to the system.
struct TopologyInputs {
    std::vector<FollowingTs> indicators;
    std::vector<Hazard> hazards;
    bdd unknown = bddtrue;  // variables of positions nobody knows: any value, in every mode
    bool present = false;   // a topology was given (possibly without indicators or hazards)
};

struct Limits {
    std::chrono::milliseconds time{20'000};  // per answer
};

struct Apparatus {
    int ts = 0;               // the first TS of the state signal's group: the variable
    std::vector<int> blocks;  // the blocks that operate it, ascending
    std::string label;        // the first word of the first block's name, or "ТСn"
};

struct Operation {
    int block = 0;
    interlock::Side side = interlock::Side::On;  // On: switch ON

    bool operator==(const Operation&) const = default;
};

// Positions by apparatus index: 1 = the state TS bit is 1 (not "apparatus ON": see IsOn).
using State = std::vector<uint8_t>;

struct Step {
    Operation op;
    std::vector<analysis::Literal> field;  // free TS values the step assumes (free mode)
    State after;
};

enum class Answer { Yes, No, Undetermined };

struct ReachInfo {
    Answer answer = Answer::Yes;  // Undetermined when the fixpoint was not reached
    std::string reason;           // why undetermined
    double states = 0;            // reachable apparatus states
};

// A shortest sequence to a condition.
struct Witness {
    Answer answer = Answer::No;  // Yes: reachable; No: unreachable
    std::string reason;
    State start;
    std::vector<Step> steps;
    std::vector<analysis::Literal> endField;  // free TS values with which the end satisfies it
};

// An operation allowed in no reachable state, with its fewest changes at the reachable state
// nearest to a state that allows it.
struct NeverAllowed {
    Operation op;
    bool possible = false;  // false: no state allows it at all (empty logic, error, constant 0)
    State at;
    std::vector<analysis::Literal> changes;  // TS and the values they take; apparatus by group TS
};

struct Plan {
    Witness witness;
    std::vector<NeverAllowed> neverAllowed;  // only when no program exists
};

enum class StepVerdict { Allowed, Forbidden, Already, NotOperated, Undetermined };

struct StepCheck {
    StepVerdict verdict = StepVerdict::Allowed;
    std::vector<analysis::Literal> field;  // free mode, allowed: the values it assumes
    analysis::MinChanges changes;          // forbidden: the fewest changes that allow it
    State after;
};

class System {
public:
    // Builds the system from the models of `analyser` (brought up to date with `ws`).
    System(analysis::Analyser& analyser, const interlock::Workspace& ws, FieldSpec field,
           TopologyInputs topology = {}, Limits limits = {});
    ~System();
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    const std::vector<Apparatus>& Apparatuses() const { return apparatus_; }
    // The apparatus index operated by block n, or -1 when the block is not part of the state.
    int ApparatusOf(int block) const { return blockApparatus_[block]; }
    bool IsOn(int block, const State& s) const;
    const State& Present() const { return present_; }
    // The value a TS has in this run where no state or free value replaces it.
    int16_t HeldValue(int ts) const { return values_[ts]; }
    FieldMode Mode() const { return field_.mode; }
    // True when some guard outgrew the node budget while the system was built.
    bool Undetermined() const { return undetermined_; }

    // The states reachable from the present state, or from every state satisfying `from`.
    ReachInfo Reach(const analysis::Condition* from = nullptr);
    // A shortest sequence to a state satisfying `target` (with some values of the free TS).
    Witness Find(const analysis::Condition& target, const analysis::Condition* from = nullptr);
    // A shortest sequence to a state where `positions` holds (a BDD over the state variables).
    Witness FindPositions(const bdd& positions, const analysis::Condition* from = nullptr);
    // A shortest program to `target`, or the operations never allowed when none exists.
    Plan MakePlan(const analysis::Condition& target);

    // NEVER REACHABLE c holds when Find(c) says No; ALWAYS c when Find(~c) says No.
    Witness Violation(const analysis::Requirement& invariant);

    // One step of a program from state s (forbidden and other steps leave it as it is).
    StepCheck CheckStep(const State& s, const Operation& op);

    // Whether op is allowed in s under the values given (held values for TS not listed).
    bool Allows(const Operation& op, const State& s, const std::vector<analysis::Literal>& field) const;

    // The TS values of state s: the held values, then the state signals (both TS of a pair).
    void Apply(const State& s, interlock::TsTableData& table) const;

    // Each hazard of the topology with a shortest sequence to it, or its unreachability.
    std::vector<std::pair<std::string, Witness>> Hazards();
    const std::vector<Hazard>& HazardList() const { return topology_.hazards; }
    bool HasTopology() const { return topology_.present; }

private:
    struct Guard {
        Operation op;
        int apparatus = -1;
        bdd pre;    // the apparatus in the position in which this logic governs
        bdd post;   // the position after the operation
        bdd full;   // the logic over state and free TS (guard of the held TS applied)
        bdd guard;  // pre & full with the free TS quantified
    };

    bdd Cube(const State& s) const;
    State Pick(const bdd& f) const;
    bool Holds(const bdd& f, const State& s) const;
    bdd ConditionModel(const analysis::Condition& c) const;
    // f with every TS that is neither a position nor free read at its held value.
    bdd HeldIn(const bdd& f) const;
    bdd Initial(const analysis::Condition* from) const;
    // Every state reachable from init, the moves applied in turn until nothing changes (faster
    // than breadth-first layers; no distances); false when undetermined (reason set).
    bool Saturate(const bdd& init, bdd& reached, std::string& reason);
    // The states one move after (forward) or before (backward) the frontier, less `seen`.
    bdd Image(const bdd& frontier, const bdd& seen, bool forward) const;
    // Layers of exact distance from init and to the target until two meet: forward[i] and
    // backward[j] (i, j npos when none does); false when undetermined (reason set).
    struct Meeting {
        std::vector<bdd> forward, backward;
        size_t i = 0, j = 0;
    };
    bool Meet(const bdd& init, const bdd& target, Meeting& m, std::string& reason);
    Witness Trace(const std::vector<bdd>& layers, const bdd& target) const;
    std::vector<analysis::Literal> FieldValues(const bdd& f, const State& s) const;
    std::optional<NeverAllowed> Nearest(const Guard& g, const bdd& reached);
    const Guard* GuardOf(const Operation& op) const;
    analysis::TsReading Reading(bool constantsAsBits, bool allVariables) const;
    bool Expired() const;
    bool Overflowed(std::string& reason);

    analysis::Analyser& analyser_;
    const interlock::Workspace& ws_;
    FieldSpec field_;
    TopologyInputs topology_;
    Limits limits_;
    std::array<int16_t, interlock::kTsCount + 2> values_{};  // present values with the held ones
    std::vector<Apparatus> apparatus_;
    std::array<int, interlock::kBlockCount + 1> blockApparatus_{};
    std::map<int, int> groupApparatus_;  // first TS of a group -> apparatus index
    std::set<int> fixed_;                // groups of unusable state signals: held even when free
    State present_;
    std::vector<Guard> guards_;
    struct Move {
        bdd var;    // the apparatus variable, as a set
        bdd guard;  // the guards of its blocks towards `post`, joined
        bdd post;
    };
    std::vector<Move> moves_;
    std::optional<bdd> reachedFromPresent_;  // kept for the next question from the present state
    std::vector<bdd> presentLayers_;         // breadth-first layers from the present state so far
    bdd presentReached_;                     // their union
    bool presentDone_ = false;               // the layers reached the fixpoint
    bdd stateVars_;                          // the set of state variables
    bdd freeVars_;                           // the set of free TS variables (free mode)
    std::set<int> freeTs_;                   // the TS of those variables
    bool undetermined_ = false;
    std::chrono::steady_clock::time_point deadline_;
    std::unique_ptr<interlock::Workspace> scratch_;  // for the engine's change sets
};

}  // namespace sequences
