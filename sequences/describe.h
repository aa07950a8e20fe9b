#pragma once

// Sequences in words (Windows-1251), for the checker and the window: positions and operations
// by apparatus label, other TS by number and name.

#include <string>
#include <vector>

#include "analysis/analyser.h"
#include "sequences/transition_system.h"

namespace sequences {

class Describer {
public:
    Describer(const System& system, const interlock::Workspace& ws) : sys_(system), ws_(ws) {}

    // Whether apparatus a is ON with its state bit at `bit`.
    bool On(int apparatus, int bit) const;
    std::string Position(int apparatus, int bit) const;                      // "QS3 откл"
    std::string StateText(const State& s) const;                             // "Q1 вкл, QS1 откл, ..."
    std::string Op(const Operation& op) const;                               // "ОТКЛ Q2"
    std::string Values(const std::vector<analysis::Literal>& values) const;  // "QS3 откл, ТС15=0"
    // The change sets of a forbidden step at state s, "|" between sets.
    std::string Changes(const analysis::MinChanges& c, const State& s) const;
    // A change set as the values it gives.
    std::vector<analysis::Literal> ChangeValues(const std::vector<int>& set, const State& s) const;
    int ApparatusOfTs(int ts) const;

private:
    const System& sys_;
    const interlock::Workspace& ws_;
};

}  // namespace sequences
