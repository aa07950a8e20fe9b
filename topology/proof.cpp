#include "topology/proof.h"

#include <cstdlib>

#include "analysis/analysis_texts.h"
#include "analysis/logic_reader.h"
#include "analysis/model.h"
#include "interlock/engine_texts.h"
#include "interlock/one_line.h"
#include "topology/topology_texts.h"

namespace topology {
namespace {

using interlock::Side;

// The apparatus that the bit of TS group `bit` positions, and the bit value that reads it
// closed; -1 when none.
std::pair<int, int> ApparatusOfBit(const Topology& t, const interlock::Workspace* ws,
                                   const interlock::TsTableData& table, int bit) {
    for (size_t i = 0; i < t.elements.size(); ++i) {
        const Element& e = t.elements[i];
        if (e.binding == Binding::Block && ws) {
            const int s = ws->Blocks[e.block].StateSignal;
            if (s == 0) continue;
            const analysis::Literal on = analysis::GoverningLiteral(table, s, Side::Off);
            if (on.ts == bit) return {static_cast<int>(i), on.value};
        } else if (e.binding == Binding::Ts) {
            const analysis::PairBit b = analysis::BitOf(table, e.ts.ts);
            if (b.ts == bit) return {static_cast<int>(i), (b.flipped != e.ts.inverted) ? 0 : 1};
        }
    }
    return {-1, 0};
}

void SetBit(interlock::TsTableData& v, int bit, int value) {
    v.Value[bit] = static_cast<int16_t>(value);
    if (v.TwoPosition[bit] && bit < interlock::kTsCount) v.Value[bit + 1] = static_cast<int16_t>(value ^ 1);
}

// Sets the voltage indicators from the positions of the state, by path search.
void SetIndicators(const Topology& t, const interlock::Workspace& ws, interlock::TsTableData& v,
                   const std::vector<char>& unknownClosed) {
    State s{&ws, &v, unknownClosed};
    for (const Indicator& i : t.indicators) {
        // An indicator is a rule-2 question without the earthing switch: is the node live?
        bool live = false;
        for (const Source& src : t.sources) {
            const bool on = !src.when || ((v.Value[src.when->ts] & 1) == 1) != src.when->inverted;
            if (on && src.node == i.node) live = true;
        }
        if (!live) {
            // Reuse the rule-2 search through a stand-in earthing switch at the node.
            Topology probe = t;
            Element e;
            e.kind = Kind::Earthing;
            e.a = i.node;
            e.binding = Binding::Fixed;
            probe.elements.push_back(e);
            live = Breaks(probe, s, 2, static_cast<int>(probe.elements.size()) - 1, Side::On).has_value();
        }
        const analysis::PairBit b = analysis::BitOf(v, i.ts.ts);
        SetBit(v, b.ts, (live != i.ts.inverted) != b.flipped ? 1 : 0);
    }
}

interlock::TsTableData Completion(const interlock::Workspace& ws, const Topology& t,
                                  const analysis::Cube& cube, const std::vector<char>& unknownClosed) {
    interlock::TsTableData v = ws.TsTable;
    for (int n = 1; n <= interlock::kTsCount; ++n) v.Value[n] = 0;
    for (int n = 1; n <= interlock::kTsCount; ++n)
        if (v.TwoPosition[n] && n < interlock::kTsCount) v.Value[n + 1] = 1;
    for (int n = 1; n <= interlock::kTsCount; ++n) v.FromServer[n] = 0;
    // Apparatus open where the example does not say.
    for (int bit = 1; bit <= interlock::kTsCount; ++bit) {
        const auto [element, closedValue] = ApparatusOfBit(t, &ws, v, bit);
        if (element >= 0) SetBit(v, bit, closedValue ^ 1);
    }
    for (const analysis::Literal& l : cube) SetBit(v, l.ts, l.value);
    SetIndicators(t, ws, v, unknownClosed);
    return v;
}

}  // namespace

void FollowIndicators(const interlock::Workspace& ws, const Topology& t, interlock::TsTableData& values,
                      const std::vector<char>& unknownClosed) {
    SetIndicators(t, ws, values, unknownClosed);
}

interlock::TsTableData ExampleValues(const interlock::Workspace& ws, const Topology& t,
                                     const analysis::Cube& cube, const std::vector<char>& unknownClosed) {
    return Completion(ws, t, cube, unknownClosed);
}

std::string LiteralText(const Topology& t, const interlock::Workspace& ws, const analysis::Literal& l) {
    const interlock::EngineTexts& tx = interlock::Texts();
    const auto [element, closedValue] = ApparatusOfBit(t, &ws, ws.TsTable, l.ts);
    if (element >= 0)
        return t.elements[static_cast<size_t>(element)].label + " " +
               (l.value == closedValue ? tx.stateOn : tx.stateOff);
    std::string s = tx.ts + std::to_string(l.ts) + "=" + std::to_string(l.value);
    if (!ws.TsTable.Name[l.ts].empty()) s += " (" + ws.TsTable.Name[l.ts] + ")";
    return s;
}

std::string PathText(const Topology& t, const Path& path) {
    std::string s;
    for (const Step& step : path) {
        if (!s.empty()) s += " - ";
        s += step.isNode ? t.nodes[static_cast<size_t>(step.index)].name
                         : t.elements[static_cast<size_t>(step.index)].label;
    }
    return s;
}

std::string OneLine(const std::string& text) { return interlock::OneLine(text); }

std::string OperationName(const Topology& t, const OperationResult& o) {
    const TopologyTexts& tx = Texts();
    return t.elements[static_cast<size_t>(o.element)].label + " (" + tx.blockWord + " " +
           std::to_string(o.block) + "), " + (o.side == interlock::Side::On ? tx.on : tx.off);
}

std::string ExampleText(const Topology& t, const interlock::Workspace& ws, const analysis::Cube& cube,
                        const analysis::Literal& held) {
    std::string s;
    for (const analysis::Literal& l : cube) s += (s.empty() ? "" : ", ") + LiteralText(t, ws, l);
    return s + (s.empty() ? "" : "; ") + LiteralText(t, ws, held);
}

std::string VerdictText(const OperationResult& o) {
    const TopologyTexts& tx = Texts();
    switch (o.verdict) {
        case Verdict::Complies:
            return tx.complies;
        case Verdict::Violates: {
            std::string s;
            for (const Violation& v : o.violations)
                s += (s.empty() ? "" : ", ") + tx.violates + std::to_string(v.rule);
            return s;
        }
        case Verdict::NotChecked:
            return analysis::Texts().notChecked + ": " + OneLine(o.reason);
        case Verdict::Undetermined:
            return OneLine(o.reason);
    }
    return "";
}

std::string ViolationText(const Topology& t, const interlock::Workspace& ws, const OperationResult& o,
                          const Violation& v) {
    const TopologyTexts& tx = Texts();
    std::string s = tx.violates + std::to_string(v.rule);
    if (v.everyState) s += " (" + tx.everyState + ")";
    s += "; " + tx.example + ": " + ExampleText(t, ws, v.example.cube, o.held);
    if (!v.path.empty()) s += "; " + tx.pathWord + ": " + PathText(t, v.path);
    return s;
}

bool ProofCache::Refresh(analysis::Analyser& analyser, const interlock::Workspace& ws,
                         const Topology& topology) {
    bool same = valid_ && topology_ == &topology && pairs_ == ws.TsTable.TwoPosition;
    for (int n = 1; same && n <= interlock::kBlockCount; ++n) {
        const interlock::Block& b = ws.Blocks[n];
        const size_t i = static_cast<size_t>(n - 1) * 2;
        same = states_[static_cast<size_t>(n - 1)] == b.StateSignal && texts_[i] == b.OnLogic &&
               texts_[i + 1] == b.OffLogic;
    }
    if (same) return false;
    texts_.clear();
    states_.clear();
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        texts_.push_back(ws.Blocks[n].OnLogic);
        texts_.push_back(ws.Blocks[n].OffLogic);
        states_.push_back(ws.Blocks[n].StateSignal);
    }
    pairs_ = ws.TsTable.TwoPosition;
    topology_ = &topology;
    analyser.Update(ws);
    results_ = Prove(analyser, ws, topology);
    valid_ = true;
    return true;
}

std::vector<OperationResult> Prove(analysis::Analyser& analyser, const interlock::Workspace& ws,
                                   const Topology& topology) {
    const analysis::AnalysisTexts& ax = analysis::Texts();
    analysis::BddSession& session = analyser.Session();
    Network net(topology, ws);
    std::vector<OperationResult> out;
    // Unknown positions, for the search of a path in an example: at most 2^10 tries.
    std::vector<int> unknown;
    for (size_t i = 0; i < topology.elements.size(); ++i) {
        const Element& e = topology.elements[i];
        if (e.binding == Binding::Block && ws.Blocks[e.block].StateSignal == 0)
            unknown.push_back(static_cast<int>(i));
    }
    const bdd u = net.UnknownVars();

    for (size_t i = 0; i < topology.elements.size(); ++i) {
        const Element& e = topology.elements[i];
        if (e.binding != Binding::Block) continue;
        for (Side side : {Side::On, Side::Off}) {
            OperationResult r;
            r.element = static_cast<int>(i);
            r.block = e.block;
            r.side = side;
            for (const Rule& row : Rules())
                if (row.governs(e.kind, side)) r.rules.push_back(row.number);
            const interlock::Block& b = ws.Blocks[e.block];
            const analysis::LogicModel* model = analyser.Model(e.block, side);
            const analysis::LogicStructure structure = analysis::ReadLogic(b.Of(side).Logic, e.block);
            if (structure.outputLine >= 0)
                r.outputLine = structure.lines[static_cast<size_t>(structure.outputLine)].index + 1;
            if (b.StateSignal == 0) {
                r.reason = ax.reqNoState;
            } else if (b.Of(side).Logic.empty()) {
                r.reason = ax.reqEmptyLogic;
            } else if (!model) {
                r.reason = ax.reqLogicError + analyser.LogicError(e.block, side);
            } else if (model->undetermined) {
                r.verdict = Verdict::Undetermined;
                r.reason = ax.undetermined;
            }
            if (!r.reason.empty()) {
                out.push_back(std::move(r));
                continue;
            }
            r.held = analysis::GoverningLiteral(ws.TsTable, b.StateSignal, side);
            const bdd held = analysis::GoverningState(ws.TsTable, b.StateSignal, side);
            const bdd logic = net.WithIndicators(model->output);
            bdd allAllowed = bddtrue;
            for (int rule : r.rules) {
                const bdd allowed = net.Allows(rule, r.element, side, false);
                allAllowed &= allowed;
                const bdd bad = bdd_restrict(bdd_exist(held & logic & !allowed, u), held);
                if (bad == bddfalse) continue;
                Violation v;
                v.rule = rule;
                v.everyState = bdd_restrict(bdd_forall(allowed, u), held) == bddfalse;
                v.example = *analysis::SmallestCube(bad);
                // The path: a completion of the example with the unknown positions that break it.
                const size_t tries = unknown.size() <= 10 ? (size_t{1} << unknown.size()) : 1;
                for (size_t k = 0; k < tries && v.path.empty(); ++k) {
                    std::vector<char> closed(topology.elements.size(), 0);
                    for (size_t j = 0; j < unknown.size() && j < 10; ++j)
                        closed[static_cast<size_t>(unknown[j])] = static_cast<char>((k >> j) & 1);
                    analysis::Cube full = v.example.cube;
                    full.push_back(r.held);
                    const interlock::TsTableData values = Completion(ws, topology, full, closed);
                    if (auto p = Breaks(topology, State{&ws, &values, closed}, rule, r.element, side))
                        v.path = *p;
                }
                r.violations.push_back(std::move(v));
            }
            const bdd stricter = bdd_restrict(bdd_exist(held & allAllowed & !logic, u), held);
            if (stricter != bddfalse) r.stricter = analysis::SmallestCube(stricter);
            if (session.Overflowed()) {
                r = OperationResult{r.element,       r.block, r.side, r.rules,      Verdict::Undetermined,
                                    ax.undetermined, r.held,  {},     std::nullopt, r.outputLine};
            } else {
                r.verdict = r.violations.empty() ? Verdict::Complies : Verdict::Violates;
            }
            out.push_back(std::move(r));
        }
    }
    return out;
}

}  // namespace topology
