#pragma once

// A logic as a Boolean function of the TS values, built from its structure with BDDs. The
// fold rules of the evaluator hold for every operand: an AND gives 0 exactly when some
// operand reads 0, an OR gives 1 exactly when some operand reads 1, and an operand whose
// value is neither 0 nor 1 decides neither.

#include <functional>
#include <vector>

#include "analysis/bdd_session.h"
#include "analysis/logic_reader.h"
#include "interlock/compiled_logic.h"
#include "interlock/workspace.h"

namespace analysis {

// When an S/D operand on a TS reads 0 and when it reads 1 (both false: it reads neither), for
// the operand without "~".
struct TsConditions {
    bdd zero;
    bdd one;
};

using TsReading = std::function<TsConditions(int ts)>;

struct LogicModel {
    bool undetermined = false;  // the node budget or the time ran out: nothing below is meaningful
    bool timedOut = false;      // undetermined for the time
    bool hasOutput = false;
    bdd output;  // the value assigned to V
    // With a restriction asked for: for each line of the form, 0 or 1 when the value it
    // assigns is that constant wherever the restriction holds, -1 otherwise.
    std::vector<int8_t> constant;
};

// Builds the model line by line. Only the lines whose values the V line reads are built, and a
// diagram is kept only while a later built line reads it, so a long logic of a small function
// costs the lines and nodes of that function. With `constantUnder`, each line is judged constant
// or not where that function holds: a line of TS alone from its operands when `constantUnder`
// is a conjunction of literals, any other line from its diagram (built for that).
LogicModel BuildModel(BddSession& session, const interlock::CompiledLogic& form, const TsReading& reading,
                      const bdd* constantUnder = nullptr);

// The TS whose value bit stands for TS t in the 0/1 domain, and whether t reads its
// complement: the second TS of a two-position pair is the complement of the first.
struct PairBit {
    int ts = 0;
    bool flipped = false;
};
PairBit BitOf(const interlock::TsTableData& table, int ts);

// The 0/1 domain: every TS is 0 or 1 and every pair is valid.
TsReading DomainReading(const interlock::TsTableData& table);

// Any 16-bit values: TS t reads 0 when its Other flag is clear and its bit is 0, 1 when the
// flag is clear and the bit is 1, and neither when the flag is set. Pairs are not coupled.
TsReading GeneralReading();

// The class of a value as an operand reads it (lowest 8 bits): 0, 1 or -1 for neither.
int ValueClass(int16_t value);

// The value of f with every variable of TS t set from its value class (general encoding) or
// bit (domain encoding): a walk down the diagram.
bool EvaluateGeneral(const bdd& f, const std::array<int16_t, interlock::kTsCount + 2>& values);

}  // namespace analysis
