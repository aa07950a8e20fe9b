#include "topology/network.h"

#include <algorithm>
#include <cstdlib>
#include <deque>

#include "analysis/analyser.h"
#include "analysis/model.h"
#include "topology/topology_texts.h"

namespace topology {
namespace {

using interlock::Side;

// The rules, one row each: which operations a rule governs, and its words. The functions
// that decide it are Network::Allows (on BDDs) and Breaks (on one state), one case per row.
bool GovernsRule1(Kind k, Side) { return k == Kind::Disconnector; }
bool GovernsRule2(Kind k, Side s) { return k == Kind::Earthing && s == Side::On; }
bool GovernsRule3(Kind k, Side s) { return (k == Kind::Breaker || k == Kind::Disconnector) && s == Side::On; }
const std::string& Words1() { return Texts().rule1; }
const std::string& Words2() { return Texts().rule2; }
const std::string& Words3() { return Texts().rule3; }

bdd TsReads1(const interlock::TsTableData& table, const TsRef& r) {
    const analysis::PairBit b = analysis::BitOf(table, r.ts);
    bdd bit = analysis::BddSession::Value(b.ts);
    return (b.flipped != r.inverted) ? !bit : bit;
}

}  // namespace

const std::vector<Rule>& Rules() {
    static const std::vector<Rule> rules = {
        {1, GovernsRule1, Words1},
        {2, GovernsRule2, Words2},
        {3, GovernsRule3, Words3},
    };
    return rules;
}

Network::Network(const Topology& topology, const interlock::Workspace& ws) : topology_(topology), ws_(ws) {
    unknownVars_ = bddtrue;
    int unknown = 0;
    for (size_t i = 0; i < topology_.elements.size(); ++i) {
        const Element& e = topology_.elements[i];
        bdd c = bddtrue;
        switch (e.binding) {
            case Binding::Block: {
                const int s = ws.Blocks[e.block].StateSignal;
                if (s != 0) {
                    c = analysis::GoverningState(ws.TsTable, s, Side::Off);  // the ON position
                } else if (unknown < interlock::kTsCount) {
                    // The flag variables never occur in a 0/1-domain model: free for positions.
                    c = analysis::BddSession::Other(++unknown);
                    unknownVars_ &= c;
                }
                break;
            }
            case Binding::Fixed:
                c = e.fixedClosed ? bddtrue : bddfalse;
                break;
            case Binding::Ts:
                c = TsReads1(ws.TsTable, e.ts);
                break;
            case Binding::None:
                break;
        }
        closed_.push_back(c);
    }
    for (const Source& s : topology_.sources) on_.push_back(s.when ? TsReads1(ws.TsTable, *s.when) : bddtrue);
    graph_ = BuildGraph(-1);
}

Network::~Network() = default;

bdd Network::Closed(int element) const { return closed_[static_cast<size_t>(element)]; }
bdd Network::On(int source) const { return on_[static_cast<size_t>(source)]; }

// A connection closed whatever the TS that also passes earthing: its two nodes are one point.
bool Network::Merged(int element, int without) const {
    const Element& e = topology_.elements[static_cast<size_t>(element)];
    return element != without && e.b >= 0 && e.kind != Kind::Transformer &&
           (e.binding == Binding::None || (e.binding == Binding::Fixed && e.fixedClosed));
}

Network::Graph Network::BuildGraph(int without) const {
    const size_t n = topology_.nodes.size();
    // Union-find over the nodes, by the merged connections.
    std::vector<int> parent(n);
    for (size_t i = 0; i < n; ++i) parent[i] = static_cast<int>(i);
    auto root = [&](int x) {
        while (parent[static_cast<size_t>(x)] != x) {
            parent[static_cast<size_t>(x)] = parent[static_cast<size_t>(parent[static_cast<size_t>(x)])];
            x = parent[static_cast<size_t>(x)];
        }
        return x;
    };
    for (size_t i = 0; i < topology_.elements.size(); ++i) {
        if (!Merged(static_cast<int>(i), without)) continue;
        const Element& e = topology_.elements[i];
        const int ra = root(e.a), rb = root(e.b);
        if (ra != rb) parent[static_cast<size_t>(std::max(ra, rb))] = std::min(ra, rb);
    }
    Graph g;
    g.point.assign(n, -1);
    int points = 0;
    for (size_t i = 0; i < n; ++i) {
        const int r = root(static_cast<int>(i));
        if (g.point[static_cast<size_t>(r)] < 0) g.point[static_cast<size_t>(r)] = points++;
        g.point[i] = g.point[static_cast<size_t>(r)];
    }
    // The arcs in compressed rows: count, place, fill.
    std::vector<int> kept;
    for (size_t i = 0; i < topology_.elements.size(); ++i) {
        const Element& e = topology_.elements[i];
        if (e.b < 0 || Merged(static_cast<int>(i), without) || closed_[i] == bddfalse) continue;
        if (g.point[static_cast<size_t>(e.a)] == g.point[static_cast<size_t>(e.b)] &&
            static_cast<int>(i) != without)
            continue;  // a loop on one point carries nothing
        kept.push_back(static_cast<int>(i));
    }
    g.first.assign(static_cast<size_t>(points) + 1, 0);
    for (int i : kept) {
        const Element& e = topology_.elements[static_cast<size_t>(i)];
        ++g.first[static_cast<size_t>(g.point[static_cast<size_t>(e.a)]) + 1];
        ++g.first[static_cast<size_t>(g.point[static_cast<size_t>(e.b)]) + 1];
    }
    for (size_t p = 1; p < g.first.size(); ++p) g.first[p] += g.first[p - 1];
    g.arcs.resize(static_cast<size_t>(g.first.back()));
    std::vector<int> next(g.first.begin(), g.first.end() - 1);
    for (int i : kept) {
        const Element& e = topology_.elements[static_cast<size_t>(i)];
        const int pa = g.point[static_cast<size_t>(e.a)], pb = g.point[static_cast<size_t>(e.b)];
        const bool t = e.kind == Kind::Transformer;
        g.arcs[static_cast<size_t>(next[static_cast<size_t>(pa)]++)] = {pb, i, t};
        g.arcs[static_cast<size_t>(next[static_cast<size_t>(pb)]++)] = {pa, i, t};
    }
    return g;
}

const Network::Graph& Network::GraphWithout(int without, Graph& scratch) const {
    if (without < 0 || !Merged(without, -1)) return graph_;
    scratch = BuildGraph(without);
    return scratch;
}

std::vector<bdd> Network::Spread(const Graph& g, std::vector<bdd> f, bool throughTransformers, int without) {
    // A work list of the points whose function grew, first in first out: each arc is looked at
    // again only when the point it leaves from has grown, so a long chain costs one pass
    // whatever the order of its lines.
    const size_t points = f.size();
    std::vector<char> queued(points, 0);
    std::deque<int> work;
    for (size_t p = 0; p < points; ++p) {
        if (f[p] == bddfalse) continue;
        queued[p] = 1;
        work.push_back(static_cast<int>(p));
    }
    while (!work.empty()) {
        const size_t p = static_cast<size_t>(work.front());
        work.pop_front();
        queued[p] = 0;
        const bdd from = f[p];
        for (int k = g.first[p]; k < g.first[p + 1]; ++k) {
            const Arc& arc = g.arcs[static_cast<size_t>(k)];
            if (arc.element == without || (arc.transformer && !throughTransformers)) continue;
            bdd& to = f[static_cast<size_t>(arc.to)];
            const bdd grown = to | (closed_[static_cast<size_t>(arc.element)] & from);
            if (grown == to) continue;
            to = grown;
            if (!queued[static_cast<size_t>(arc.to)]) {
                queued[static_cast<size_t>(arc.to)] = 1;
                work.push_back(arc.to);
            }
        }
    }
    return f;
}

std::vector<bdd> Network::LiveSpread(const Graph& g, int without) {
    std::vector<bdd> seed(g.first.size() - 1, bddfalse);
    for (size_t s = 0; s < topology_.sources.size(); ++s)
        seed[static_cast<size_t>(g.point[static_cast<size_t>(topology_.sources[s].node)])] |= on_[s];
    return Spread(g, std::move(seed), true, without);
}

std::vector<bdd> Network::EarthedSpread(const Graph& g, int without) {
    std::vector<bdd> seed(g.first.size() - 1, bddfalse);
    for (size_t i = 0; i < topology_.elements.size(); ++i) {
        const Element& e = topology_.elements[i];
        if (e.kind == Kind::Earthing && static_cast<int>(i) != without)
            seed[static_cast<size_t>(g.point[static_cast<size_t>(e.a)])] |= closed_[i];
    }
    return Spread(g, std::move(seed), false, without);
}

const std::vector<bdd>& Network::LiveAll() {
    if (!live_) live_ = LiveSpread(graph_, -1);
    return *live_;
}

const std::vector<bdd>& Network::EarthedAll() {
    if (!earthed_) earthed_ = EarthedSpread(graph_, -1);
    return *earthed_;
}

bdd Network::Live(int node, int without) {
    if (without < 0) return LiveAll()[static_cast<size_t>(graph_.point[static_cast<size_t>(node)])];
    Graph scratch;
    const Graph& g = GraphWithout(without, scratch);
    return LiveSpread(g, without)[static_cast<size_t>(g.point[static_cast<size_t>(node)])];
}

bdd Network::Earthed(int node, int without) {
    if (without < 0) return EarthedAll()[static_cast<size_t>(graph_.point[static_cast<size_t>(node)])];
    Graph scratch;
    const Graph& g = GraphWithout(without, scratch);
    return EarthedSpread(g, without)[static_cast<size_t>(g.point[static_cast<size_t>(node)])];
}

bdd Network::Allows(int rule, int element, Side side, bool quantify) {
    const Element& x = topology_.elements[static_cast<size_t>(element)];
    const Rule& row = Rules()[static_cast<size_t>(rule - 1)];
    if (!row.governs(x.kind, side)) return bddtrue;
    Graph scratch;
    const Graph& g = GraphWithout(element, scratch);
    const size_t a = static_cast<size_t>(g.point[static_cast<size_t>(x.a)]);
    const size_t b = x.b >= 0 ? static_cast<size_t>(g.point[static_cast<size_t>(x.b)]) : a;
    bdd allowed = bddtrue;
    switch (rule) {
        case 1: {
            // Current can flow only when both sides reach a source or a load, and the other
            // closed paths between the sides do not carry it instead. The same either way.
            if (auto it = rule1_.find(element); it != rule1_.end()) {
                allowed = it->second;
                break;
            }
            std::vector<bdd> seed(g.first.size() - 1, bddfalse);
            for (const Source& s : topology_.sources)
                seed[static_cast<size_t>(g.point[static_cast<size_t>(s.node)])] = bddtrue;
            for (const Load& l : topology_.loads)
                seed[static_cast<size_t>(g.point[static_cast<size_t>(l.node)])] = bddtrue;
            const std::vector<bdd> reach = Spread(g, std::move(seed), true, element);
            std::vector<bdd> from(g.first.size() - 1, bddfalse);
            from[a] = bddtrue;
            const bdd bridged = Spread(g, std::move(from), false, element)[b];
            allowed = bdd_imp(reach[a] & reach[b], bridged);
            rule1_.emplace(element, allowed);
            break;
        }
        case 2:
            allowed = !LiveAll()[a];
            break;
        case 3: {
            // Live on one side, and on the other an energised walk that ends at an earthed node.
            const std::vector<bdd> live = LiveSpread(g, element);
            const std::vector<bdd> toEarth = Spread(g, EarthedSpread(g, element), true, element);
            allowed = !((live[a] & toEarth[b]) | (live[b] & toEarth[a]));
            break;
        }
        default:
            break;
    }
    return quantify ? bdd_forall(allowed, unknownVars_) : allowed;
}

std::vector<Network::IndicatorFunction> Network::Indicators() {
    std::vector<IndicatorFunction> out;
    for (const Indicator& i : topology_.indicators) {
        const analysis::PairBit b = analysis::BitOf(ws_.TsTable, i.ts.ts);
        const bdd live = Live(i.node);
        out.push_back({b.ts, (b.flipped != i.ts.inverted) ? !live : live});
    }
    return out;
}

bdd Network::WithIndicators(const bdd& f) {
    const std::vector<IndicatorFunction> ind = Indicators();
    if (ind.empty()) return f;
    bddPair* pair = bdd_newpair();
    for (const IndicatorFunction& i : ind)
        bdd_setbddpair(pair, analysis::BddSession::ValueVar(i.bit), i.value);
    const bdd out = bdd_veccompose(f, pair);
    bdd_freepair(pair);
    return out;
}

bdd Network::EarthingOnLive() {
    bdd h = bddfalse;
    for (size_t i = 0; i < topology_.elements.size(); ++i) {
        const Element& e = topology_.elements[i];
        if (e.kind == Kind::Earthing) h |= closed_[i] & Live(e.a);
    }
    return bdd_exist(h, unknownVars_);
}

bdd Network::LiveEarthed() {
    bdd h = bddfalse;
    const std::vector<bdd>& live = LiveAll();
    const std::vector<bdd>& earthed = EarthedAll();
    for (size_t p = 0; p < live.size(); ++p) h |= live[p] & earthed[p];
    return bdd_exist(h, unknownVars_);
}

// ---- The plain twin: breadth-first search on one state. ----

bool ClosedIn(const Topology& t, const State& s, int element) {
    const Element& e = t.elements[static_cast<size_t>(element)];
    const auto& v = s.values->Value;
    switch (e.binding) {
        case Binding::Block: {
            const int ss = s.ws->Blocks[e.block].StateSignal;
            if (ss > 0) return v[ss] == 1;
            if (ss < 0) return v[-ss] == 0;
            return static_cast<size_t>(element) < s.unknownClosed.size() &&
                   s.unknownClosed[static_cast<size_t>(element)];
        }
        case Binding::Fixed:
            return e.fixedClosed;
        case Binding::Ts:
            return ((v[e.ts.ts] & 1) == 1) != e.ts.inverted;
        case Binding::None:
            return true;
    }
    return false;
}

namespace {

bool SourceOn(const Source& src, const State& s) {
    return !src.when || ((s.values->Value[src.when->ts] & 1) == 1) != src.when->inverted;
}

// Breadth-first search over (node, phase): phase 0 passes energisation (transformers too),
// phase 1 only what also passes earthing; a walk may go from phase 0 to 1 at any node when
// `twoPhase`. Returns the shortest path from one of `from` to a node where `goal` holds.
class Search {
public:
    // The closed connections of the state as adjacency rows, built once for every walk.
    Search(const Topology& t, const State& s, int without) : t_(t), s_(s), without_(without) {
        first_.assign(t_.nodes.size() + 1, 0);
        std::vector<int> kept;
        for (size_t i = 0; i < t_.elements.size(); ++i) {
            const Element& e = t_.elements[i];
            if (e.b < 0 || static_cast<int>(i) == without_ || !ClosedIn(t_, s_, static_cast<int>(i)))
                continue;
            kept.push_back(static_cast<int>(i));
            ++first_[static_cast<size_t>(e.a) + 1];
            ++first_[static_cast<size_t>(e.b) + 1];
        }
        for (size_t n = 1; n < first_.size(); ++n) first_[n] += first_[n - 1];
        arcs_.resize(static_cast<size_t>(first_.back()));
        std::vector<int> next(first_.begin(), first_.end() - 1);
        for (int i : kept) {
            const Element& e = t_.elements[static_cast<size_t>(i)];
            arcs_[static_cast<size_t>(next[static_cast<size_t>(e.a)]++)] = {e.b, i};
            arcs_[static_cast<size_t>(next[static_cast<size_t>(e.b)]++)] = {e.a, i};
        }
    }

    std::optional<Path> Find(const std::vector<int>& from, int startPhase, bool twoPhase,
                             const std::function<bool(int node, int phase)>& goal) {
        const size_t n = t_.nodes.size();
        std::vector<int> prev(n * 2, -2), via(n * 2, -1);
        std::deque<int> queue;
        for (int f : from) {
            const int id = f * 2 + startPhase;
            if (prev[static_cast<size_t>(id)] != -2) continue;
            prev[static_cast<size_t>(id)] = -1;
            queue.push_back(id);
        }
        while (!queue.empty()) {
            const int id = queue.front();
            queue.pop_front();
            const int node = id / 2, phase = id % 2;
            if (goal(node, phase)) return Trace(id, prev, via);
            auto visit = [&](int next, int element) {
                if (prev[static_cast<size_t>(next)] != -2) return;
                prev[static_cast<size_t>(next)] = id;
                via[static_cast<size_t>(next)] = element;
                queue.push_back(next);
            };
            if (twoPhase && phase == 0) visit(node * 2 + 1, -1);
            for (int k = first_[static_cast<size_t>(node)]; k < first_[static_cast<size_t>(node) + 1]; ++k) {
                const auto [to, element] = arcs_[static_cast<size_t>(k)];
                if (phase == 1 && t_.elements[static_cast<size_t>(element)].kind == Kind::Transformer)
                    continue;
                visit(to * 2 + phase, element);
            }
        }
        return std::nullopt;
    }

private:
    static Path Trace(int id, const std::vector<int>& prev, const std::vector<int>& via) {
        Path back;
        while (true) {
            const int p = prev[static_cast<size_t>(id)];
            if (p == -1) break;
            if (via[static_cast<size_t>(id)] >= 0) {
                back.push_back({true, id / 2});
                back.push_back({false, via[static_cast<size_t>(id)]});
            }
            id = p;
        }
        back.push_back({true, id / 2});
        return Path(back.rbegin(), back.rend());
    }

    const Topology& t_;
    const State& s_;
    int without_;
    std::vector<int> first_;                 // node -> its first arc; one more at the end
    std::vector<std::pair<int, int>> arcs_;  // (the other node, the element)
};

Path Reversed(Path p) { return Path(p.rbegin(), p.rend()); }

void Append(Path& p, const Path& tail) { p.insert(p.end(), tail.begin(), tail.end()); }

}  // namespace

std::vector<char> LiveNodes(const Topology& t, const State& s) {
    std::vector<char> live(t.nodes.size(), 0);
    std::vector<int> from;
    for (const Source& src : t.sources)
        if (SourceOn(src, s)) from.push_back(src.node);
    Search(t, s, -1).Find(from, 0, false, [&](int node, int) {
        live[static_cast<size_t>(node)] = 1;
        return false;
    });
    return live;
}

std::optional<Path> Breaks(const Topology& t, const State& s, int rule, int element, Side side) {
    const Element& x = t.elements[static_cast<size_t>(element)];
    if (!Rules()[static_cast<size_t>(rule - 1)].governs(x.kind, side)) return std::nullopt;
    Search search(t, s, element);
    std::vector<int> onSources;
    for (const Source& src : t.sources)
        if (SourceOn(src, s)) onSources.push_back(src.node);
    switch (rule) {
        case 1: {
            std::vector<bool> end(t.nodes.size(), false);
            for (const Source& src : t.sources) end[static_cast<size_t>(src.node)] = true;
            for (const Load& l : t.loads) end[static_cast<size_t>(l.node)] = true;
            auto isEnd = [&](int node, int) { return static_cast<bool>(end[static_cast<size_t>(node)]); };
            const auto fromA = search.Find({x.a}, 0, false, isEnd);
            const auto fromB = search.Find({x.b}, 0, false, isEnd);
            if (!fromA || !fromB) return std::nullopt;
            if (search.Find({x.a}, 1, false, [&](int node, int) { return node == x.b; })) return std::nullopt;
            Path p = Reversed(*fromA);
            p.push_back({false, element});
            Append(p, *fromB);
            return p;
        }
        case 2: {
            return search.Find(onSources, 0, false, [&](int node, int) { return node == x.a; });
        }
        case 3: {
            std::vector<bool> earthed(t.nodes.size(), false);
            std::vector<int> switchAt(t.nodes.size(), -1);
            for (size_t i = 0; i < t.elements.size(); ++i) {
                const Element& e = t.elements[i];
                if (e.kind == Kind::Earthing && ClosedIn(t, s, static_cast<int>(i))) {
                    earthed[static_cast<size_t>(e.a)] = true;
                    switchAt[static_cast<size_t>(e.a)] = static_cast<int>(i);
                }
            }
            // Either side may be the live one: the shorter path of the two is shown, since the
            // longer may come back through the apparatus' own far side (a node twice).
            std::optional<Path> best;
            for (auto [p, q] : {std::pair{x.a, x.b}, std::pair{x.b, x.a}}) {
                const auto toP = search.Find(onSources, 0, false, [&](int node, int) { return node == p; });
                if (!toP) continue;
                const auto toEarth = search.Find({q}, 0, true, [&](int node, int phase) {
                    return phase == 1 && earthed[static_cast<size_t>(node)];
                });
                if (!toEarth) continue;
                Path path = *toP;
                path.push_back({false, element});
                Append(path, *toEarth);
                path.push_back({false, switchAt[static_cast<size_t>(path.back().index)]});
                if (!best || path.size() < best->size()) best = std::move(path);
            }
            return best;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace topology
