#include "analysis/diff.h"

#include <algorithm>
#include <set>

#include "analysis/analyser.h"
#include "analysis/analysis_texts.h"
#include "analysis/logic_reader.h"
#include "analysis/model.h"

namespace analysis {
namespace {

using interlock::Side;
using interlock::Workspace;

struct Built {
    bool empty = false;
    std::string error;  // a text error
    LogicModel model;
};

Built BuildOne(BddSession& session, const Workspace& ws, TextCheck& check, int n, Side side,
               const interlock::TsTableData& pairs, const std::set<int>& flipped) {
    Built b;
    const auto& text = ws.Blocks[n].Of(side).Logic;
    if (text.empty()) {
        b.empty = true;
        return b;
    }
    if (!check.Accepted(ws, n, side, &b.error)) return b;
    TsReading reading = [&](int ts) {
        const PairBit p = BitOf(pairs, ts);
        bdd bit = BddSession::Value(p.ts);
        if (p.flipped != (flipped.count(p.ts) > 0)) bit = !bit;
        return TsConditions{!bit, bit};
    };
    b.model = BuildModel(session, interlock::CompiledFormOf(text, n), reading);
    return b;
}

LogicDiff Compare(BddSession& session, const Built& a, const Built& b, const bdd& domain, bool sameText) {
    const AnalysisTexts& tx = Texts();
    LogicDiff d;
    if (a.empty && b.empty) return d;
    // The same text with the same error behaves the same: both stop at it.
    if (sameText && !a.error.empty() && a.error == b.error) return d;
    if (!a.error.empty() || !b.error.empty()) {
        d.status = LogicDiff::Status::NotCompared;
        d.reason = tx.reqLogicError + (a.error.empty() ? b.error : a.error);
        return d;
    }
    if (a.model.undetermined || b.model.undetermined) {
        d.status = LogicDiff::Status::NotCompared;
        d.reason = tx.budget;
        return d;
    }
    // An empty logic never allows its operation.
    const bdd fa = a.empty ? bddfalse : a.model.output;
    const bdd fb = b.empty ? bddfalse : b.model.output;
    const bdd more = bdd_restrict(fb & !fa, domain);
    const bdd less = bdd_restrict(fa & !fb, domain);
    if (session.Overflowed()) {
        d.status = LogicDiff::Status::NotCompared;
        d.reason = tx.budget;
        return d;
    }
    d.bAllowsMore = more != bddfalse;
    d.aAllowsMore = less != bddfalse;
    if (!d.bAllowsMore && !d.aAllowsMore) return d;
    d.status = LogicDiff::Status::Different;
    if (a.empty) d.reason = tx.reqEmptyLogic + " (A)";
    if (b.empty) d.reason = tx.reqEmptyLogic + " (B)";
    d.witness = SmallestCube(d.bAllowsMore ? more : less);
    if (session.Overflowed()) d.witness.reset();  // different, but no witness within the budget
    d.verdictA = d.bAllowsMore ? 0 : 1;
    d.verdictB = d.bAllowsMore ? 1 : 0;
    return d;
}

}  // namespace

DiffResult Diff(BddSession& session, const Workspace& a, const Workspace& b) {
    DiffResult result;
    // The pairs of both configurations, and the groups whose RTU bit B reads inverted.
    interlock::TsTableData pairs;
    for (int t = 0; t <= interlock::kTsCount + 1; ++t)
        pairs.TwoPosition[t] = a.TsTable.TwoPosition[t] | b.TsTable.TwoPosition[t];
    std::set<int> flipped;
    std::set<int> changed;
    for (int t = 1; t <= interlock::kTsCount; ++t) {
        const bool inv = a.TsTable.Inverted[t] != b.TsTable.Inverted[t];
        const bool two = a.TsTable.TwoPosition[t] != b.TsTable.TwoPosition[t];
        if (inv && BitOf(pairs, t).ts == t) flipped.insert(t);
        if (inv || two) changed.insert(t);
    }

    TextCheck checkA(a);
    TextCheck checkB(b);
    std::set<int> read;  // TS read by a logic or a state signal of either configuration
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        for (const Workspace* ws : {&a, &b}) {
            if (ws->Blocks[n].StateSignal) read.insert(std::abs(ws->Blocks[n].StateSignal));
            for (Side side : {Side::On, Side::Off}) {
                for (const LogicLine& line : ReadLogic(ws->Blocks[n].Of(side).Logic, n).lines)
                    for (const Operand& o : line.operands)
                        if (o.letter != 'M') read.insert(o.number);
            }
        }
        BlockDiff d;
        d.block = n;
        d.nameA = a.Blocks[n].Name;
        d.nameB = b.Blocks[n].Name;
        d.stateA = a.Blocks[n].StateSignal;
        d.stateB = b.Blocks[n].StateSignal;
        for (Side side : {Side::On, Side::Off}) {
            // The states in which this logic governs in both; all states when there are none.
            bdd domain = (d.stateA ? GoverningState(pairs, d.stateA, side) : bddtrue) &
                         (d.stateB ? GoverningState(pairs, d.stateB, side) : bddtrue);
            Cube state;
            if (domain == bddfalse) {
                domain = bddtrue;
            } else {
                for (int s : {d.stateA, d.stateB}) {
                    if (!s) continue;
                    const Literal l = GoverningLiteral(pairs, s, side);
                    if (std::find(state.begin(), state.end(), l) == state.end()) state.push_back(l);
                }
            }
            const Built ba = BuildOne(session, a, checkA, n, side, pairs, {});
            const Built bb = BuildOne(session, b, checkB, n, side, pairs, flipped);
            const bool sameText = a.Blocks[n].Of(side).Logic == b.Blocks[n].Of(side).Logic;
            d.textChanged = d.textChanged || !sameText;
            LogicDiff& x = side == Side::On ? d.on : d.off;
            x = Compare(session, ba, bb, domain, sameText);
            if (x.status == LogicDiff::Status::Different) x.state = state;
        }
        result.logicsDiffer = result.logicsDiffer || d.LogicChanged();
        if (d.NameChanged() || d.StateChanged() || d.LogicChanged() || d.textChanged)
            result.blocks.push_back(std::move(d));
    }
    result.flipped.assign(flipped.begin(), flipped.end());
    for (int t : changed) {
        if (!read.count(t) && !(t > 1 && read.count(t - 1) && pairs.TwoPosition[t - 1])) continue;
        result.attributes.push_back({t, a.TsTable.Inverted[t] != b.TsTable.Inverted[t],
                                     a.TsTable.TwoPosition[t] != b.TsTable.TwoPosition[t]});
    }
    return result;
}

}  // namespace analysis
