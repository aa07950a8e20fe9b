#include "ui/mimic/mimic_look.h"

#include <deque>
#include <utility>

#include "analysis/analyser.h"
#include "analysis/analysis_texts.h"
#include "interlock/engine_texts.h"
#include "interlock/workspace.h"
#include "topology/topology.h"
#include "ui/mimic/mimic_window_texts.h"

namespace mimic {
namespace {

using interlock::Side;

// The state TS of group n (n and, for a pair not fed by the server, n + 1) is unreliable.
bool StateUnreliable(const interlock::TsTableData& t, int n) {
    return t.Unreliability[n] > 0 ||
           (t.TwoPosition[n] && t.FromServer[n + 1] == 0 && t.Unreliability[n + 1] > 0);
}

std::string TsName(const interlock::TsTableData& t, int ts) {
    std::string s = interlock::Texts().ts + std::to_string(ts);
    if (!t.Name[ts].empty()) s += " " + t.Name[ts];
    return s;
}

// Which side of a block would be operated next, if the position is known: the OFF logic while
// the apparatus is ON.
std::optional<Side> GoverningSide(const interlock::Workspace& ws, int block) {
    const int s = ws.Blocks[block].StateSignal;
    if (s == 0) return std::nullopt;
    const int n = s > 0 ? s : -s;
    if (interlock::PairInvalid(ws, n)) return std::nullopt;
    return interlock::ApparatusIsOn(ws, s) ? Side::Off : Side::On;
}

// One light: the verdict of the logic of `side` of block `block` as the main window words it.
void Judge(const interlock::Workspace& ws, int block, Side side, analysis::Analyser* analyser, Light& light,
           std::string& hint) {
    const interlock::EngineTexts& tx = interlock::Texts();
    const MimicTexts& mx = WindowTexts();
    const interlock::Block& b = ws.Blocks[block];
    const int s = b.StateSignal;
    const bool on = side == Side::On;
    if (s == 0) {
        light = Light::Error;
        hint = tx.error + "\n\r" + tx.unknownState;
        return;
    }
    const int n = s > 0 ? s : -s;
    if (interlock::PairInvalid(ws, n)) {
        light = Light::Error;
        hint = tx.error + "\n\r" + tx.badStatePair;
        return;
    }
    const interlock::Block::ConstSideFields f = b.Of(side);
    const bool governs = GoverningSide(ws, block) == side;
    const std::string already = governs ? std::string() : "\n\r(" + mx.alreadyThere + ")";
    if (f.Error) {
        light = Light::Error;
        hint = tx.error + "\n\r" + (on ? tx.inOnLogic : tx.inOffLogic) + f.ErrorMessage;
        return;
    }
    if (f.Empty) {
        light = Light::None;
        hint = tx.unknownVerdict + "\n\r" + (on ? tx.emptyOnLogic : tx.emptyOffLogic) + already;
        return;
    }
    if (f.Unreliability[0] == 2) {
        light = Light::Forbidden;
        hint = tx.forbiddenTwoStars + "\n\r" + tx.hardwareForbidden + already;
        return;
    }
    if (f.Result == 1) {
        light = Light::Allowed;
        hint = tx.allowed + "\n\r" + (on ? tx.onAllowed : tx.offAllowed) + already;
        return;
    }
    light = Light::Forbidden;
    hint = tx.forbidden + "\n\r" + (on ? tx.onForbidden : tx.offForbidden) + already;
    if (!governs || analyser == nullptr) return;
    const analysis::BlockAnalysis r = analyser->Analyse(ws, block);
    if (!r.minChanges) return;
    if (r.minChanges->exists && !r.minChanges->undetermined && r.minChanges->size == 1)
        light = Light::ForbiddenHint;
    hint += ChangeSetsText(*r.minChanges, ws);
}

// Breadth-first spread from the seeded nodes over the edges that pass.
std::vector<char> Spread(const topology::Topology& t, std::vector<char> reached,
                         const std::vector<char>& passes) {
    std::deque<int> queue;
    for (size_t i = 0; i < reached.size(); ++i)
        if (reached[i]) queue.push_back(static_cast<int>(i));
    while (!queue.empty()) {
        const int node = queue.front();
        queue.pop_front();
        for (size_t e = 0; e < t.elements.size(); ++e) {
            const topology::Element& el = t.elements[e];
            if (!passes[e] || el.b < 0) continue;
            const int other = el.a == node ? el.b : el.b == node ? el.a : -1;
            if (other < 0 || reached[static_cast<size_t>(other)]) continue;
            reached[static_cast<size_t>(other)] = 1;
            queue.push_back(other);
        }
    }
    return reached;
}

}  // namespace

Light JudgeOperation(const interlock::Workspace& ws, int block, interlock::Side side,
                     analysis::Analyser* analyser, std::string* hint) {
    Light light = Light::None;
    std::string text;
    Judge(ws, block, side, analyser, light, text);
    if (hint) *hint = std::move(text);
    return light;
}

std::string LightWord(Light light) {
    switch (light) {
        case Light::Allowed:
            return interlock::Texts().allowed;
        case Light::Forbidden:
        case Light::ForbiddenHint:
            return interlock::Texts().forbidden;
        case Light::Error:
            return analysis::Texts().error;
        case Light::None:
            break;
    }
    return interlock::Texts().unknownVerdict;
}

Position PositionOf(const topology::Topology& topology, const interlock::Workspace& ws, int element,
                    bool* unreliable) {
    const topology::Element& e = topology.elements[static_cast<size_t>(element)];
    const interlock::TsTableData& t = ws.TsTable;
    if (unreliable) *unreliable = false;
    auto mark = [&](bool u) {
        if (unreliable) *unreliable = u;
        return u;
    };
    switch (e.binding) {
        case topology::Binding::None:
            return Position::None;
        case topology::Binding::Fixed:
            return e.fixedClosed ? Position::Closed : Position::Open;
        case topology::Binding::Ts: {
            const int n = e.ts.ts;
            if (n < 1 || n > interlock::kTsCount) return Position::Unknown;
            if (mark(StateUnreliable(t, n))) return Position::Unknown;
            if (t.TwoPosition[n] && t.FromServer[n] == 0 && t.Value[n] == t.Value[n + 1])
                return t.Value[n] == 0 ? Position::Travel : Position::Unknown;
            return (t.Value[n] == 1) != e.ts.inverted ? Position::Closed : Position::Open;
        }
        case topology::Binding::Block: {
            if (e.block < 1 || e.block > interlock::kBlockCount) return Position::Unknown;
            const int s = ws.Blocks[e.block].StateSignal;
            if (s == 0) return Position::Unknown;
            const int n = s > 0 ? s : -s;
            if (mark(StateUnreliable(t, n))) return Position::Unknown;
            // A pair with both TS at 0 is between its positions; both at 1 it is invalid.
            if (interlock::PairInvalid(ws, n)) return t.Value[n] == 0 ? Position::Travel : Position::Unknown;
            return interlock::ApparatusIsOn(ws, s) ? Position::Closed : Position::Open;
        }
    }
    return Position::Unknown;
}

std::vector<Energy> NodeEnergy(const topology::Topology& topology, const std::vector<Position>& positions,
                               const std::vector<int>& sources) {
    const size_t nodes = topology.nodes.size();
    const size_t count = topology.elements.size();
    // The two extreme readings of the unknown positions: every unknown open (fewest paths) and
    // every unknown closed (most paths). Energy only grows with paths, so a node live in the
    // first is live in every reading, and one not live in the second is live in none.
    std::vector<char> passMin(count), passMax(count), passMinEarth(count), passMaxEarth(count);
    std::vector<char> earthMin(nodes), earthMax(nodes), liveMin(nodes), liveMax(nodes);
    for (size_t e = 0; e < count; ++e) {
        const topology::Element& el = topology.elements[e];
        const Position p = positions[e];
        const bool closed = p == Position::Closed || p == Position::None;
        const bool maybe = closed || p == Position::Unknown;
        if (el.kind == topology::Kind::Earthing) {
            if (el.a < 0) continue;
            if (closed) earthMin[static_cast<size_t>(el.a)] = 1;
            if (maybe) earthMax[static_cast<size_t>(el.a)] = 1;
            continue;
        }
        passMin[e] = closed;
        passMax[e] = maybe;
        const bool transformer = el.kind == topology::Kind::Transformer;
        passMinEarth[e] = closed && !transformer;
        passMaxEarth[e] = maybe && !transformer;
    }
    for (size_t s = 0; s < topology.sources.size(); ++s) {
        const int node = topology.sources[s].node;
        if (node < 0) continue;
        if (sources[s] == 1) liveMin[static_cast<size_t>(node)] = 1;
        if (sources[s] != 0) liveMax[static_cast<size_t>(node)] = 1;
    }
    liveMin = Spread(topology, std::move(liveMin), passMin);
    liveMax = Spread(topology, std::move(liveMax), passMax);
    earthMin = Spread(topology, std::move(earthMin), passMinEarth);
    earthMax = Spread(topology, std::move(earthMax), passMaxEarth);
    std::vector<Energy> out(nodes, Energy::Unknown);
    for (size_t n = 0; n < nodes; ++n) {
        if (earthMin[n]) {
            out[n] = Energy::Earthed;
        } else if (liveMin[n] && !earthMax[n]) {
            out[n] = Energy::Live;
        } else if (!liveMax[n] && !earthMax[n]) {
            out[n] = Energy::Dead;
        }
    }
    return out;
}

std::string ChangeSetsText(const analysis::MinChanges& changes, const interlock::Workspace& ws) {
    const MimicTexts& mx = WindowTexts();
    if (changes.undetermined) return mx.undetermined;
    if (!changes.exists) return mx.noChangeSet;
    const interlock::TsTableData& t = ws.TsTable;
    auto setText = [&](const std::vector<analysis::Change>& set) {
        std::string s;
        for (const analysis::Change& c : set) {
            for (const analysis::Literal& v : c.values) {
                if (!s.empty()) s += "; ";
                s +=
                    TsName(t, v.ts) + ": " + std::to_string(t.Value[v.ts]) + " -> " + std::to_string(v.value);
            }
        }
        return s;
    };
    if (changes.size == 1 && changes.changes.size() == 1) return mx.oneChange + setText(changes.changes[0]);
    std::string text = mx.changeSets;
    for (const std::vector<analysis::Change>& set : changes.changes) text += "\n\r" + setText(set);
    if (changes.truncated) text += "\n\r...";
    return text;
}

Look ComputeLook(const topology::Topology& topology, const interlock::Workspace& ws,
                 analysis::Analyser* analyser) {
    Look look;
    const interlock::TsTableData& t = ws.TsTable;
    std::vector<Position> positions;
    positions.reserve(topology.elements.size());
    for (size_t e = 0; e < topology.elements.size(); ++e) {
        ElementLook el;
        el.position = PositionOf(topology, ws, static_cast<int>(e), &el.unreliable);
        positions.push_back(el.position);
        const topology::Element& te = topology.elements[e];
        if (te.binding == topology::Binding::Block && te.block >= 1 && te.block <= interlock::kBlockCount) {
            Judge(ws, te.block, Side::On, analyser, el.on, el.onHint);
            Judge(ws, te.block, Side::Off, analyser, el.off, el.offHint);
        } else if (te.IsApparatus()) {
            el.onHint = el.offHint = WindowTexts().noBlock;
        }
        look.elements.push_back(std::move(el));
    }
    std::vector<int> sources;
    for (const topology::Source& s : topology.sources) {
        int state = 1;
        if (s.when) {
            const int n = s.when->ts;
            if (n < 1 || n > interlock::kTsCount || t.Unreliability[n] > 0) {
                state = 2;
            } else {
                state = (t.Value[n] == 1) != s.when->inverted ? 1 : 0;
            }
        }
        sources.push_back(state);
        look.sourcesOn.push_back(state == 1);
    }
    look.nodes = NodeEnergy(topology, positions, sources);
    return look;
}

}  // namespace mimic
