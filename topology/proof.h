#pragma once

// Every hand-written logic proven against the rules derived from the topology: for each block
// bound to an apparatus and each of its two operations, over every state (positions, source
// TS and the other TS the logic reads; pairs valid; voltage indicators following the
// positions; the operated apparatus held where that operation governs).

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/cube.h"
#include "topology/network.h"

namespace topology {

enum class Verdict {
    Complies,     // the logic implies every rule of the operation
    Violates,     // some rule is broken: see violations
    NotChecked,   // empty logic, a logic with an error, no state signal: see reason
    Undetermined  // the node budget ran out
};

struct Violation {
    int rule = 0;
    bool everyState = false;       // the rule forbids the operation in every state
    analysis::CubeResult example;  // the TS that matter, minimal in number; every completion
                                   // has the logic allowing and the rule forbidding
    Path path;                     // the path that breaks the rule in that example
};

struct OperationResult {
    int element = 0;
    int block = 0;
    interlock::Side side = interlock::Side::On;
    std::vector<int> rules;  // the rules that govern this operation
    Verdict verdict = Verdict::NotChecked;
    std::string reason;      // why not checked, Windows-1251
    analysis::Literal held;  // the state TS of the apparatus as the proof holds it
    std::vector<Violation> violations;
    std::optional<analysis::CubeResult> stricter;  // a state the rules allow and the logic forbids
    int outputLine = 0;                            // the V line within the logic, from 1 (0: none)
};

// Proves every operation of every apparatus bound to a block, in file order (ON, then OFF).
// `analyser` must be up to date with `ws`.
std::vector<OperationResult> Prove(analysis::Analyser& analyser, const interlock::Workspace& ws,
                                   const Topology& topology);

// The proofs kept for a view that follows the configuration: proven again only when a logic
// text, a state signal, the pairs or the topology changed; a change of TS values alone costs a
// comparison. Call Invalidate after the topology itself changed.
class ProofCache {
public:
    // True when the results were proven again.
    bool Refresh(analysis::Analyser& analyser, const interlock::Workspace& ws, const Topology& topology);
    void Invalidate() { valid_ = false; }
    const std::vector<OperationResult>& Results() const { return results_; }

private:
    bool valid_ = false;
    const Topology* topology_ = nullptr;
    std::vector<interlock::LogicText> texts_;
    std::vector<int> states_;
    std::array<uint8_t, interlock::kTsCount + 2> pairs_{};
    std::vector<OperationResult> results_;
};

// One completion of an example as a state (unknown apparatus chosen so that the rule breaks):
// the values of `ws` with the cube's TS set, the rest chosen with apparatus open and TS 0.
// Also the voltage indicators set from the positions. `unknownClosed`: as in State.
interlock::TsTableData ExampleValues(const interlock::Workspace& ws, const Topology& t,
                                     const analysis::Cube& cube, const std::vector<char>& unknownClosed = {});

// Sets every voltage indicator of `values` from the positions, by path search.
void FollowIndicators(const interlock::Workspace& ws, const Topology& t, interlock::TsTableData& values,
                      const std::vector<char>& unknownClosed = {});

// "QS1 включен", "ТС15=1 (name)": one literal of an example in words, Windows-1251.
std::string LiteralText(const Topology& t, const interlock::Workspace& ws, const analysis::Literal& l);
// "Ввод - QS1 - A - Q1 - Ш1", Windows-1251.
std::string PathText(const Topology& t, const Path& path);

// The words of the reports, Windows-1251: "Q1 (блок 1), включение"; "QS1 включен, ТС14=1; Q1
// отключен" (the held position last); "соответствует" / "нарушает правило 3" / "не проверено:
// reason"; "нарушает правило 3; контрпример: ...; путь: ...". Line breaks of the engine's
// messages become blanks.
std::string OperationName(const Topology& t, const OperationResult& o);
std::string ExampleText(const Topology& t, const interlock::Workspace& ws, const analysis::Cube& cube,
                        const analysis::Literal& held);
std::string VerdictText(const OperationResult& o);
std::string ViolationText(const Topology& t, const interlock::Workspace& ws, const OperationResult& o,
                          const Violation& v);
std::string OneLine(const std::string& text);

}  // namespace topology
