#pragma once

// What a change of the configuration changed in behaviour: for each block its name and state
// signal, and for each logic whether it gives the same verdict as before in every TS state of
// its apparatus state, with a witness state when it does not. Logics are compared as
// functions, so reordered operands, renamed M variables and split or merged lines come out
// equivalent.

#include <optional>
#include <string>
#include <vector>

#include "analysis/bdd_session.h"
#include "analysis/cube.h"
#include "interlock/workspace.h"

namespace analysis {

struct LogicDiff {
    enum class Status { Equivalent, Different, NotCompared } status = Status::Equivalent;
    std::string reason;                 // why not compared, or which logic is empty
    bool bAllowsMore = false;           // B allows in some state what A forbids
    bool aAllowsMore = false;           // and the reverse
    std::optional<CubeResult> witness;  // a state where they differ, besides `state`
    Cube state;                         // the state TS held where the logic governs
    int verdictA = 0, verdictB = 0;     // in the witness state
};

struct BlockDiff {
    int block = 0;
    std::string nameA, nameB;
    int stateA = 0, stateB = 0;
    LogicDiff on, off;
    bool textChanged = false;  // a logic's text differs (its behaviour may still be the same)

    bool NameChanged() const { return nameA != nameB; }
    bool StateChanged() const { return stateA != stateB; }
    bool LogicChanged() const {
        return on.status != LogicDiff::Status::Equivalent || off.status != LogicDiff::Status::Equivalent;
    }
};

// A TS whose attributes differ and that some logic or state signal reads.
struct AttributeChange {
    int ts = 0;
    bool inverted = false;     // Inverted differs
    bool twoPosition = false;  // TwoPosition differs
};

struct DiffResult {
    std::vector<BlockDiff> blocks;  // the blocks where anything or any text differs, in block order
    std::vector<AttributeChange> attributes;
    bool logicsDiffer = false;  // some logic is not equivalent (or could not be compared)
    // The TS (first of their group) that B reads inverted against A. Witnesses and states are
    // given in A's reading; such a TS holds the other value in B's.
    std::vector<int> flipped;
};

// Compares configuration B with configuration A. TS states are those valid in both: a pair in
// either is a pair. A TS whose Inverted flag differs reads the complement of its RTU bit in B,
// and is compared as such.
DiffResult Diff(BddSession& session, const interlock::Workspace& a, const interlock::Workspace& b);

}  // namespace analysis
