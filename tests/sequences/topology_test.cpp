// The switching checks with a topology against an explicit reference on generated substations:
// the voltage indicators set by path search on the graph after every move (never by the BDDs),
// every operation judged by the evaluator, the hazards judged by the plain twin of the rules and
// a plain search for "live" and "earthed". Reachable counts, shortest distances to each hazard,
// and every witness replayed.

#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "sequences/substation.h"
#include "tests/sequences/reference.h"
#include "topology/proof.h"

namespace sequences::test {
namespace {

using interlock::Side;
using topology::Kind;

struct Generated {
    int apparatus = 0;             // TS 1..apparatus, block n on TS n
    std::vector<int> field;        // free in the free mode
    std::vector<std::string> top;  // the topology file
};

Generated MakeSubstation(std::mt19937& r, interlock::Workspace& ws) {
    Generated g;
    const int nodes = 3 + static_cast<int>(r() % 3);
    g.apparatus = 2 + static_cast<int>(r() % 5);
    int ts = g.apparatus + 1;
    for (int i = static_cast<int>(r() % 3); i > 0; --i) g.field.push_back(ts++);
    auto node = [&](int n) { return "N" + std::to_string(n); };
    for (int n = 0; n < nodes; ++n) g.top.push_back("NODE " + node(n));
    std::string source = "SOURCE N0";
    if (!g.field.empty() && r() % 2) source += " WHEN S" + std::to_string(g.field[0]);
    g.top.push_back(source);
    g.top.push_back("LOAD " + node(nodes - 1));
    std::vector<std::pair<int, bool>> operands;
    for (int a = 1; a <= g.apparatus; ++a) {
        const int kind = static_cast<int>(r() % 3);
        const int x = static_cast<int>(r() % nodes);
        int y = static_cast<int>(r() % nodes);
        if (y == x) y = (x + 1) % nodes;
        const std::string label = "Q" + std::to_string(a);
        if (kind == 2) {
            g.top.push_back("EARTHING " + label + " " + node(x) + " BLOCK " + std::to_string(a));
        } else {
            g.top.push_back(std::string(kind ? "DISCONNECTOR " : "BREAKER ") + label + " " + node(x) + " " +
                            node(y) + " BLOCK " + std::to_string(a));
        }
        ws.TsTable.Value[a] = static_cast<int16_t>(r() % 2);
        operands.push_back({a, false});
    }
    if (r() % 3 == 0)
        g.top.push_back("CABLE " + node(static_cast<int>(r() % (nodes - 1))) + " " + node(nodes - 1));
    if (r() % 4 == 0)
        g.top.push_back("TRANSFORMER T1 " + node(0) + " " + node(1 + static_cast<int>(r() % (nodes - 1))));
    for (int f : g.field) {
        ws.TsTable.Value[f] = static_cast<int16_t>(r() % 2);
        operands.push_back({f, false});
    }
    for (int i = 1 + static_cast<int>(r() % 2); i > 0; --i, ++ts) {
        g.top.push_back(std::string("INDICATOR ") + (r() % 4 == 0 ? "~" : "") + "S" + std::to_string(ts) +
                        " " + node(static_cast<int>(r() % nodes)));
        ws.TsTable.Value[ts] = static_cast<int16_t>(r() % 2);  // overridden by the positions
        operands.push_back({ts, false});
        operands.push_back({ts, false});
    }
    for (int a = 1; a <= g.apparatus; ++a) {
        interlock::Block& b = ws.Blocks[a];
        b.Name = "Q" + std::to_string(a) + " apparatus";
        b.StateSignal = static_cast<int16_t>(r() % 5 == 0 ? -a : a);
        b.OnLogic = Logic(a, operands, r);
        b.OffLogic = Logic(a, operands, r);
        if (b.IsEmpty()) b.OnLogic = {"V" + std::to_string(a) + "=AND(" + Operand(operands, r) + ")"};
    }
    interlock::RecalculateAll(ws);
    return g;
}

// Live and earthed nodes of one state by plain breadth-first search.
struct Energy {
    std::vector<bool> live, earthed;
};
Energy Search(const topology::Topology& t, const topology::State& s) {
    auto spread = [&](std::vector<bool> seed, bool transformers) {
        std::deque<int> q;
        for (size_t n = 0; n < seed.size(); ++n)
            if (seed[n]) q.push_back(static_cast<int>(n));
        while (!q.empty()) {
            const int n = q.front();
            q.pop_front();
            for (size_t i = 0; i < t.elements.size(); ++i) {
                const topology::Element& e = t.elements[i];
                if (e.b < 0 || (e.kind == Kind::Transformer && !transformers)) continue;
                if (!topology::ClosedIn(t, s, static_cast<int>(i))) continue;
                for (auto [from, to] : {std::pair{e.a, e.b}, std::pair{e.b, e.a}}) {
                    if (from != n || seed[static_cast<size_t>(to)]) continue;
                    seed[static_cast<size_t>(to)] = true;
                    q.push_back(to);
                }
            }
        }
        return seed;
    };
    std::vector<bool> sources(t.nodes.size()), earths(t.nodes.size());
    for (const topology::Source& src : t.sources)
        if (!src.when || ((s.values->Value[src.when->ts] & 1) == 1) != src.when->inverted)
            sources[static_cast<size_t>(src.node)] = true;
    for (size_t i = 0; i < t.elements.size(); ++i)
        if (t.elements[i].kind == Kind::Earthing && topology::ClosedIn(t, s, static_cast<int>(i)))
            earths[static_cast<size_t>(t.elements[i].a)] = true;
    return {spread(sources, true), spread(earths, false)};
}

class Explicit {
public:
    Explicit(const interlock::Workspace& ws, const Generated& g, const topology::Topology& t, bool free)
        : ws_(ws), base_(ws), g_(g), t_(t), free_(free) {
        const int states = 1 << g.apparatus;
        allowed_.assign(static_cast<size_t>(states), std::vector<uint8_t>(2 * g.apparatus + 2));
        for (int s = 0; s < states; ++s)
            for (int fc = 0; fc < Combos(); ++fc) {
                Set(s, fc, {});
                for (int a = 1; a <= g.apparatus; ++a)
                    for (Side side : {Side::On, Side::Off})
                        if (Allows(a, side)) allowed_[static_cast<size_t>(s)][Index(a, side)] = 1;
            }
        for (int a = 1; a <= g.apparatus; ++a) start_ |= (base_.TsTable.Value[a] & 1) << (a - 1);
        dist_.assign(static_cast<size_t>(states), -1);
        dist_[static_cast<size_t>(start_)] = 0;
        std::vector<int> q{start_};
        for (size_t i = 0; i < q.size(); ++i) {
            for (int a = 1; a <= g.apparatus; ++a) {
                for (Side side : {Side::On, Side::Off}) {
                    if (!allowed_[static_cast<size_t>(q[i])][Index(a, side)]) continue;
                    const int next = q[i] ^ (1 << (a - 1));
                    if (dist_[static_cast<size_t>(next)] >= 0) continue;
                    dist_[static_cast<size_t>(next)] = dist_[static_cast<size_t>(q[i])] + 1;
                    q.push_back(next);
                }
            }
        }
    }

    int Combos() const { return free_ ? 1 << g_.field.size() : 1; }
    static size_t Index(int block, Side side) { return 2 * static_cast<size_t>(block) + (side == Side::Off); }

    // The values of positions s, field combination fc (free mode) or the literals given, and the
    // indicators following.
    void Set(int s, int fc, const std::vector<analysis::Literal>& field) {
        ws_.TsTable.Value = base_.TsTable.Value;
        for (int a = 1; a <= g_.apparatus; ++a)
            ws_.TsTable.Value[a] = static_cast<int16_t>((s >> (a - 1)) & 1);
        if (free_)
            for (size_t i = 0; i < g_.field.size(); ++i)
                ws_.TsTable.Value[g_.field[i]] = static_cast<int16_t>((fc >> i) & 1);
        for (const analysis::Literal& l : field) ws_.TsTable.Value[l.ts] = static_cast<int16_t>(l.value);
        topology::FollowIndicators(ws_, t_, ws_.TsTable);
    }
    bool Allows(int block, Side side) {
        interlock::Recalculate(ws_, block);
        const interlock::Block& b = ws_.Blocks[block];
        const bool on = interlock::ApparatusIsOn(ws_, b.StateSignal);
        return side == Side::On ? !on && b.OnResult == 1 && !b.OnError
                                : on && b.OffResult == 1 && !b.OffError;
    }
    // Whether the hazard holds in the values set now.
    bool Holds(const Hazard& h) {
        const topology::State st{&ws_, &ws_.TsTable, {}};
        if (h.kind == "live_earthed") {
            const Energy e = Search(t_, st);
            for (size_t n = 0; n < t_.nodes.size(); ++n)
                if (e.live[n] && e.earthed[n]) return true;
            return false;
        }
        if (h.kind == "earthing_on_live") {
            const int element = Element(h.name);
            return topology::ClosedIn(t_, st, element) &&
                   topology::Breaks(t_, st, 2, element, Side::On).has_value();
        }
        return Allows(h.block, h.side) && topology::Breaks(t_, st, 1, t_.ElementOfBlock(h.block), h.side);
    }
    // The element whose label ends the hazard's name.
    int Element(const std::string& name) const {
        for (size_t i = 0; i < t_.elements.size(); ++i) {
            const std::string& l = t_.elements[i].label;
            if (name.size() >= l.size() && name.compare(name.size() - l.size(), l.size(), l) == 0 &&
                t_.elements[i].kind == Kind::Earthing)
                return static_cast<int>(i);
        }
        return -1;
    }
    // The fewest steps to the hazard (an operation hazard counts its operation), or -1.
    int Distance(const Hazard& h) {
        int best = -1;
        for (int s = 0; s < (1 << g_.apparatus); ++s) {
            const int d = dist_[static_cast<size_t>(s)];
            if (d < 0 || (best >= 0 && d + (h.block ? 1 : 0) >= best)) continue;
            for (int fc = 0; fc < Combos(); ++fc) {
                Set(s, fc, {});
                if (Holds(h)) {
                    best = d + (h.block ? 1 : 0);
                    break;
                }
            }
        }
        return best;
    }
    int Reached() const {
        int n = 0;
        for (int d : dist_) n += d >= 0;
        return n;
    }
    int Start() const { return start_; }

private:
    interlock::Workspace ws_;
    const interlock::Workspace base_;
    const Generated& g_;
    const topology::Topology& t_;
    bool free_;
    std::vector<std::vector<uint8_t>> allowed_;
    std::vector<int> dist_;
    int start_ = 0;
};

int Mask(const System& sys, const State& s) {
    int m = 0;
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i]) m |= 1 << (sys.Apparatuses()[i].ts - 1);
    return m;
}

TEST(SequencesTopology, HazardsAgreeWithPlainSearch) {
    analysis::Analyser analyser;
    std::mt19937 r(2312);
    int checked = 0, reached = 0;
    for (int i = 0; i < 300; ++i) {
        interlock::Workspace ws;
        const Generated g = MakeSubstation(r, ws);
        const std::unique_ptr<Substation> sub = ReadSubstation(g.top, ws);
        std::string why;
        for (const topology::Message& m : sub->layout.messages)
            why += std::to_string(m.line) + ": " + m.text + "\n";
        ASSERT_TRUE(sub->Usable()) << i << "\n" << why;
        for (FieldMode mode : {FieldMode::Held, FieldMode::Free}) {
            SCOPED_TRACE("substation " + std::to_string(i) + (mode == FieldMode::Free ? " free" : " held"));
            Explicit ref(ws, g, sub->layout, mode == FieldMode::Free);
            System sys(analyser, ws, {mode, {}}, sub->inputs);
            ASSERT_EQ(static_cast<int>(sys.Apparatuses().size()), g.apparatus);
            EXPECT_EQ(sys.Reach().states, ref.Reached());
            const std::vector<Hazard> list = sys.HazardList();
            const auto found = sys.Hazards();
            ASSERT_EQ(found.size(), list.size());
            for (size_t h = 0; h < list.size(); ++h) {
                SCOPED_TRACE(list[h].kind + " " + std::to_string(list[h].block));
                const Witness& w = found[h].second;
                const int d = ref.Distance(list[h]);
                ASSERT_EQ(w.answer, d >= 0 ? Answer::Yes : Answer::No);
                if (d < 0) continue;
                ++reached;
                ASSERT_EQ(static_cast<int>(w.steps.size()), d);
                // Replayed: every step allowed by the evaluator under the values it lists.
                int mask = Mask(sys, w.start);
                ASSERT_EQ(mask, ref.Start());
                for (size_t k = 0; k < w.steps.size(); ++k) {
                    const Step& s = w.steps[k];
                    ref.Set(mask, 0, s.field);
                    const bool last = k + 1 == w.steps.size();
                    if (last && list[h].block) {
                        EXPECT_EQ(s.op, (Operation{list[h].block, list[h].side}));
                        EXPECT_TRUE(ref.Holds(list[h]));
                    }
                    ASSERT_TRUE(ref.Allows(s.op.block, s.op.side)) << "step " << k + 1;
                    mask ^= 1 << (s.op.block - 1);
                    ASSERT_EQ(mask, Mask(sys, s.after));
                }
                if (!list[h].block) {
                    ref.Set(mask, 0, w.endField);
                    EXPECT_TRUE(ref.Holds(list[h]));
                }
            }
            ++checked;
        }
    }
    EXPECT_EQ(checked, 600);
    EXPECT_GT(reached, 100);  // the generator reaches hazards often enough to mean something
}

}  // namespace
}  // namespace sequences::test
