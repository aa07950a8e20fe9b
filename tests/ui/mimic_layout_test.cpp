// The mimic's layout on generated and hand-made topologies: nothing drawn over anything else,
// every element's ends reached by the wires of their nodes (checked on the geometry alone),
// hand places kept, and the usual schemes drawn as an engineer draws them.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>

#include "tests/topology/support.h"
#include "ui/mimic/mimic_layout.h"

namespace {

using mimic::Layout;
using mimic::Rect;
using mimic::SymbolKind;
using topology::Point;
using topology::Topology;

constexpr double kEps = 1e-6;

bool Overlap(const Rect& a, const Rect& b) {
    if (a.w <= 0 || a.h <= 0 || b.w <= 0 || b.h <= 0) return false;
    return a.x < b.x + b.w - kEps && b.x < a.x + a.w - kEps && a.y < b.y + b.h - kEps &&
           b.y < a.y + a.h - kEps;
}

bool Near(Point a, Point b) { return std::abs(a.x - b.x) < 1e-6 && std::abs(a.y - b.y) < 1e-6; }

struct Segment {
    Point a, b;
};

bool OnSegment(Point p, const Segment& s) {
    const double cross = (s.b.x - s.a.x) * (p.y - s.a.y) - (s.b.y - s.a.y) * (p.x - s.a.x);
    if (std::abs(cross) > 1e-6 * (1 + std::abs(s.b.x - s.a.x) + std::abs(s.b.y - s.a.y))) return false;
    return p.x >= std::min(s.a.x, s.b.x) - kEps && p.x <= std::max(s.a.x, s.b.x) + kEps &&
           p.y >= std::min(s.a.y, s.b.y) - kEps && p.y <= std::max(s.a.y, s.b.y) + kEps;
}

bool OnBoxEdge(Point p, const Rect& r) {
    const bool inside =
        p.x >= r.x - kEps && p.x <= r.x + r.w + kEps && p.y >= r.y - kEps && p.y <= r.y + r.h + kEps;
    return inside;
}

// The segment passes through the inside of the rectangle (touching its edge does not count).
bool Crosses(const Segment& s, const Rect& r) {
    const double x0 = r.x + 0.5, x1 = r.x + r.w - 0.5, y0 = r.y + 0.5, y1 = r.y + r.h - 0.5;
    if (x0 >= x1 || y0 >= y1) return false;
    // Clip the segment to the rectangle's inside, one pair of edges at a time.
    double t0 = 0, t1 = 1;
    const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
    for (const auto& [p, q] : {std::pair{-dx, s.a.x - x0}, std::pair{dx, x1 - s.a.x},
                               std::pair{-dy, s.a.y - y0}, std::pair{dy, y1 - s.a.y}}) {
        if (p == 0) {
            if (q < 0) return false;
            continue;
        }
        const double t = q / p;
        if (p < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    return true;
}

std::unique_ptr<interlock::Workspace> Blocks() {
    std::vector<topology::test::BlockSpec> blocks;
    for (int n = 1; n <= 32; ++n)
        blocks.push_back({n, "S" + std::to_string(n), {"V1=AND(S40)"}, {}, "Q" + std::to_string(n)});
    return topology::test::MakeWorkspace(blocks);
}

// Checks what every layout must hold; `hand` relaxes the overlap checks (hand places are kept
// as written, wherever they are).
void CheckLayout(const Topology& t, const Layout& l, bool hand, const std::string& what) {
    SCOPED_TRACE(what);
    // Every element with valid nodes, every source and load: one symbol.
    std::map<std::pair<int, int>, int> seen;  // (kind class, index) -> count
    for (const mimic::Symbol& s : l.symbols) {
        const int cls = s.kind == SymbolKind::Source ? 1 : s.kind == SymbolKind::Load ? 2 : 0;
        ++seen[{cls, s.index}];
        if (cls == 0) {
            EXPECT_EQ(static_cast<int>(s.kind), static_cast<int>(t.elements[s.index].kind));
        }
    }
    for (size_t i = 0; i < t.elements.size(); ++i)
        EXPECT_EQ((seen[{0, static_cast<int>(i)}]), 1) << "element " << i;
    for (size_t i = 0; i < t.sources.size(); ++i)
        EXPECT_EQ((seen[{1, static_cast<int>(i)}]), 1) << "source " << i;
    for (size_t i = 0; i < t.loads.size(); ++i)
        EXPECT_EQ((seen[{2, static_cast<int>(i)}]), 1) << "load " << i;

    if (!hand) {
        for (size_t i = 0; i < l.symbols.size(); ++i) {
            const mimic::Symbol& s = l.symbols[i];
            for (size_t j = 0; j < l.symbols.size(); ++j) {
                const mimic::Symbol& o = l.symbols[j];
                if (i != j) {
                    EXPECT_FALSE(Overlap(s.box, o.box)) << s.label << " over " << o.label;
                }
                EXPECT_FALSE(Overlap(s.labelBox, o.box)) << "label " << s.label << " over " << o.label;
                EXPECT_FALSE(Overlap(s.onLight, o.box)) << "light of " << s.label << " over " << o.label;
                EXPECT_FALSE(Overlap(s.offLight, o.box)) << "light of " << s.label << " over " << o.label;
            }
            for (const mimic::Bus& b : l.buses) {
                EXPECT_FALSE(Overlap(s.box, b.bar)) << s.label << " over bar " << b.label;
                EXPECT_FALSE(Overlap(b.labelBox, s.box)) << "bar label " << b.label << " over " << s.label;
                EXPECT_FALSE(Overlap(s.labelBox, b.bar)) << "label " << s.label << " over bar " << b.label;
            }
        }
    }

    // No wire runs across a symbol: across one its node does not reach it would read as
    // joined to it, across one it does reach as bridging it.
    if (!hand) {
        for (const mimic::Wire& w : l.wires)
            for (const mimic::Symbol& s : l.symbols)
                for (size_t i = 1; i < w.points.size(); ++i)
                    EXPECT_FALSE(Crosses({w.points[i - 1], w.points[i]}, s.box))
                        << "a wire of " << t.nodes[w.node].name << " crosses " << s.label << " at "
                        << w.points[i - 1].x << "," << w.points[i - 1].y;
        // Nor along the bar of another node.
        for (const mimic::Wire& w : l.wires)
            for (const mimic::Bus& b : l.buses)
                for (size_t i = 1; i < w.points.size() && b.node != w.node; ++i) {
                    const Point p = w.points[i - 1], q = w.points[i];
                    const double y = b.bar.y + b.bar.h / 2;
                    EXPECT_FALSE(std::abs(p.y - y) < kEps && std::abs(q.y - y) < kEps &&
                                 std::max(p.x, q.x) > b.bar.x + kEps &&
                                 std::min(p.x, q.x) < b.bar.x + b.bar.w - kEps)
                        << "a wire of " << t.nodes[w.node].name << " runs along the bar " << b.label;
                }
    }

    // The wires, read as plain geometry: for each node the segments of its wires and its bar
    // must form one connected drawing that touches every pin the topology gives that node.
    std::map<int, std::vector<Segment>> drawn;
    for (const mimic::Wire& w : l.wires)
        for (size_t i = 1; i < w.points.size(); ++i) drawn[w.node].push_back({w.points[i - 1], w.points[i]});
    for (const mimic::Bus& b : l.buses) {
        const double y = b.bar.y + b.bar.h / 2;
        drawn[b.node].push_back({{b.bar.x, y}, {b.bar.x + b.bar.w, y}});
    }
    std::map<int, std::vector<Point>> pins;
    for (const mimic::Symbol& s : l.symbols) {
        EXPECT_TRUE(OnBoxEdge(s.pinA, s.box)) << s.label;
        switch (s.kind) {
            case SymbolKind::Source:
                pins[t.sources[s.index].node].push_back(s.pinA);
                break;
            case SymbolKind::Load:
                pins[t.loads[s.index].node].push_back(s.pinA);
                break;
            default: {
                const topology::Element& e = t.elements[s.index];
                pins[e.a].push_back(s.pinA);
                if (e.kind != topology::Kind::Earthing) {
                    EXPECT_TRUE(OnBoxEdge(s.pinB, s.box)) << s.label;
                    pins[e.b].push_back(s.pinB);
                }
            }
        }
    }
    for (const auto& [node, list] : pins) {
        const std::vector<Segment>& segs = drawn[node];
        for (const Point& p : list) {
            bool touched = false;
            for (const Segment& s : segs) touched = touched || OnSegment(p, s);
            EXPECT_TRUE(touched) << "node " << t.nodes[node].name << ": a pin at " << p.x << "," << p.y
                                 << " has no wire";
        }
        // Connected: segments joined where an end of one lies on another.
        std::vector<int> comp(segs.size(), -1);
        int parts = 0;
        for (size_t s = 0; s < segs.size(); ++s) {
            if (comp[s] >= 0) continue;
            ++parts;
            std::vector<size_t> stack{s};
            comp[s] = parts;
            while (!stack.empty()) {
                const Segment cur = segs[stack.back()];
                stack.pop_back();
                for (size_t o = 0; o < segs.size(); ++o) {
                    if (comp[o] >= 0) continue;
                    if (OnSegment(cur.a, segs[o]) || OnSegment(cur.b, segs[o]) || OnSegment(segs[o].a, cur) ||
                        OnSegment(segs[o].b, cur)) {
                        comp[o] = parts;
                        stack.push_back(o);
                    }
                }
            }
        }
        EXPECT_LE(parts, 1) << "node " << t.nodes[node].name << " drawn in " << parts << " pieces";
    }
    // Everything inside the bounds.
    auto inside = [&](const Rect& r) {
        return r.w <= 0 ||
               (r.x >= l.bounds.x - kEps && r.y >= l.bounds.y - kEps &&
                r.x + r.w <= l.bounds.x + l.bounds.w + kEps && r.y + r.h <= l.bounds.y + l.bounds.h + kEps);
    };
    for (const mimic::Symbol& s : l.symbols)
        EXPECT_TRUE(inside(s.box) && inside(s.labelBox) && inside(s.onLight) && inside(s.offLight))
            << s.label;
}

// A usual scheme: `sections` busbar sections in a row joined by couplers (a breaker between two
// disconnectors, or a bare breaker), or with `doubleBus` two busbars that every bay reaches by a
// disconnector each; bays of lines, transformers and incoming feeders.
std::vector<std::string> Scheme(std::mt19937& rng, int sections, bool doubleBus, int budget) {
    std::vector<std::string> lines;
    int block = 0, name = 0;
    auto node = [&](const std::string& prefix) {
        const std::string n = prefix + std::to_string(++name);
        lines.push_back("NODE " + n);
        return n;
    };
    auto apparatus = [&](const char* kind, const std::string& a, const std::string& b) {
        std::string line = std::string(kind) + " " + a + (b.empty() ? "" : " " + b);
        if (block < 32 && budget > 0) {
            line += " BLOCK " + std::to_string(++block);
            --budget;
        } else {
            line += rng() % 2 ? " CLOSED" : " OPEN";
        }
        lines.push_back(line);
    };
    std::vector<std::string> bars;
    for (int s = 0; s < sections; ++s) bars.push_back(node("SH"));
    std::vector<std::string> second;
    if (doubleBus)
        for (int s = 0; s < sections; ++s) second.push_back(node("SB"));
    for (int s = 0; s + 1 < sections; ++s) {
        if (rng() % 2) {
            apparatus("BREAKER", bars[s], bars[s + 1]);
        } else {
            const std::string x = node("C"), y = node("C");
            apparatus("DISCONNECTOR", bars[s], x);
            apparatus("BREAKER", x, y);
            apparatus("DISCONNECTOR", y, bars[s + 1]);
        }
    }
    const int bays = 1 + static_cast<int>(rng() % 5);
    for (int s = 0; s < sections; ++s) {
        for (int b = 0; b < bays; ++b) {
            const int type = static_cast<int>(rng() % 3);
            std::string top = node("B");
            apparatus("DISCONNECTOR", bars[s], top);
            if (doubleBus) apparatus("DISCONNECTOR", second[s], top);
            const std::string mid = node("B");
            apparatus("BREAKER", top, mid);
            const std::string end = node("B");
            apparatus("DISCONNECTOR", mid, end);
            if (rng() % 2) apparatus("EARTHING", end, "");
            if (type == 0) {
                lines.push_back("LOAD " + end);
            } else if (type == 1) {
                const std::string lv = node("T");
                lines.push_back("TRANSFORMER T" + std::to_string(name) + " " + end + " " + lv);
                lines.push_back("LOAD " + lv);
            } else {
                lines.push_back("SOURCE " + end);
            }
        }
    }
    return lines;
}

// Any graph: nodes joined at random, with sources, loads and earthing switches.
std::vector<std::string> Random(std::mt19937& rng) {
    std::vector<std::string> lines;
    const int nodes = 1 + static_cast<int>(rng() % 20);
    for (int i = 0; i < nodes; ++i) lines.push_back("NODE N" + std::to_string(i));
    const int elements = static_cast<int>(rng() % 33);
    const char* kinds[] = {"BREAKER", "DISCONNECTOR", "EARTHING", "CABLE", "TRANSFORMER"};
    int block = 0;
    for (int i = 0; i < elements; ++i) {
        const std::string kind = kinds[rng() % 5];
        const std::string a = "N" + std::to_string(rng() % nodes), b = "N" + std::to_string(rng() % nodes);
        std::string line = kind + " E" + std::to_string(i) + " " + a;
        if (kind != "EARTHING") line += " " + b;
        if (kind != "CABLE" && kind != "TRANSFORMER")
            line += rng() % 3 ? " BLOCK " + std::to_string(++block) : " OPEN";
        lines.push_back(line);
    }
    for (int i = static_cast<int>(rng() % 3); i > 0; --i)
        lines.push_back("SOURCE N" + std::to_string(rng() % nodes));
    for (int i = static_cast<int>(rng() % 4); i > 0; --i)
        lines.push_back("LOAD N" + std::to_string(rng() % nodes));
    if (rng() % 2) lines.push_back("INDICATOR S40 N" + std::to_string(rng() % nodes));
    return lines;
}

TEST(MimicLayout, GeneratedTopologiesDrawCleanly) {
    auto ws = Blocks();
    std::mt19937 rng(19);
    for (int round = 0; round < 400; ++round) {
        std::vector<std::string> lines;
        switch (round % 4) {
            case 0:
                lines = Random(rng);
                break;
            case 1:
                lines = Scheme(rng, 1 + static_cast<int>(rng() % 4), false, 32);
                break;
            case 2:
                lines = Scheme(rng, 1 + static_cast<int>(rng() % 3), true, 32);
                break;
            default:
                lines = Scheme(rng, 1 + static_cast<int>(rng() % 2), rng() % 2, 8);
                break;
        }
        const Topology t = topology::ReadTopology(lines, *ws);
        std::string text;
        for (const std::string& l : lines) text += l + "\n";
        const Layout l = mimic::LayOut(t);
        CheckLayout(t, l, false, text);
        // Deterministic.
        const Layout again = mimic::LayOut(t);
        ASSERT_EQ(again.symbols.size(), l.symbols.size());
        for (size_t i = 0; i < l.symbols.size(); ++i)
            EXPECT_TRUE(Near(again.symbols[i].pinA, l.symbols[i].pinA) &&
                        Near(again.symbols[i].pinB, l.symbols[i].pinB));
        if (HasFailure()) break;
    }
}

TEST(MimicLayout, HandPlacesAreKept) {
    auto ws = Blocks();
    const Topology t =
        topology::ReadTopology({"NODE BUS AT 100 50", "NODE X AT 300 400", "NODE L", "SOURCE BUS AT 40 10",
                                "BREAKER Q1 BUS X BLOCK 1 AT 250 200", "DISCONNECTOR QS1 X L BLOCK 2",
                                "EARTHING QE1 L BLOCK 3 AT 500 500", "LOAD L AT 600 600",
                                "DISCONNECTOR QS2 BUS L BLOCK 4", "BREAKER Q5 BUS L BLOCK 5"},
                               *ws);
    ASSERT_FALSE(t.HasErrors());
    const Layout l = mimic::LayOut(t);
    CheckLayout(t, l, true, "hand");
    auto centre = [](const Rect& r) { return Point{r.x + r.w / 2, r.y + r.h / 2}; };
    EXPECT_TRUE(Near(centre(l.symbols[l.SymbolOfElement(0)].box), {250, 200}));
    EXPECT_TRUE(Near(centre(l.symbols[l.SymbolOfElement(2)].box), {500, 500}));
    for (const mimic::Symbol& s : l.symbols) {
        if (s.kind == SymbolKind::Source) {
            EXPECT_TRUE(Near(centre(s.box), {40, 10}));
        }
        if (s.kind == SymbolKind::Load) {
            EXPECT_TRUE(Near(centre(s.box), {600, 600}));
        }
    }
    ASSERT_FALSE(l.buses.empty());
    ASSERT_EQ(l.buses[0].node, 0);
    EXPECT_EQ(l.buses[0].bar.x, 100);
    EXPECT_EQ(l.buses[0].bar.y + l.buses[0].bar.h / 2, 50);
    // The node X is where it was put: its wires end there.
    int ending = 0;
    for (const mimic::Wire& w : l.wires)
        if (w.node == 1 && Near(w.points.back(), {300, 400})) ++ending;
    EXPECT_EQ(ending, 2);
    // Hit-testing finds the symbols where they are.
    EXPECT_EQ(l.SymbolAt({250, 200}), l.SymbolOfElement(0));
    EXPECT_EQ(l.SymbolAt({-500, -500}), -1);
}

// A bay tens of thousands of nodes deep is laid out without running out of stack, one level per
// node.
TEST(MimicLayout, DeepBay) {
    // Built directly: the file reader is not what is measured here.
    constexpr int kDepth = 50000;
    Topology t;
    for (int i = 0; i <= kDepth; ++i) t.nodes.push_back({"N" + std::to_string(i), i + 1, std::nullopt});
    for (int i = 1; i <= kDepth; ++i) {
        topology::Element e;
        e.kind = topology::Kind::Cable;
        e.label = "W" + std::to_string(i);
        e.a = i - 1;
        e.b = i;
        t.elements.push_back(e);
    }
    t.sources.push_back({0, std::nullopt, 0, std::nullopt});
    t.loads = {{0, 0, std::nullopt}, {0, 0, std::nullopt}, {kDepth, 0, std::nullopt}};
    const Layout l = mimic::LayOut(t);
    ASSERT_EQ(l.symbols.size(), t.elements.size() + 4);
    EXPECT_GT(l.bounds.h, kDepth * 50.0);
}

// The four usual schemes by hand: where the busbars and the bays go.
struct SchemeCase {
    const char* name;
    std::vector<std::string> lines;
    int buses;
    bool barsOnOneLine;  // all bars at the same height (sections), else stacked (double busbar)
};

void PrintTo(const SchemeCase& c, std::ostream* os) { *os << c.name; }

class MimicSchemes : public ::testing::TestWithParam<SchemeCase> {};

TEST_P(MimicSchemes, DrawnAsAnEngineerDrawsThem) {
    const SchemeCase& c = GetParam();
    auto ws = Blocks();
    const Topology t = topology::ReadTopology(c.lines, *ws);
    ASSERT_FALSE(t.HasErrors());
    const Layout l = mimic::LayOut(t);
    CheckLayout(t, l, false, c.name);
    ASSERT_EQ(static_cast<int>(l.buses.size()), c.buses);
    std::set<double> heights;
    for (const mimic::Bus& b : l.buses) heights.insert(b.bar.y);
    EXPECT_EQ(heights.size(), c.barsOnOneLine ? 1u : l.buses.size());
    const double top = *heights.begin(), bottom = *heights.rbegin();
    for (const mimic::Symbol& s : l.symbols) {
        // Sources above the bars, loads and transformers below them.
        if (s.kind == SymbolKind::Source) {
            EXPECT_LT(s.box.y + s.box.h, top) << s.label;
        }
        if (s.kind == SymbolKind::Load || s.kind == SymbolKind::Transformer) {
            EXPECT_GT(s.box.y, bottom) << s.label;
        }
    }
    // A coupler between sections lies on the bars' line, between the bars.
    for (const mimic::Symbol& s : l.symbols) {
        if (s.label.rfind("QK", 0) != 0) continue;
        EXPECT_FALSE(s.vertical) << s.label;
        EXPECT_GT(s.box.x, l.buses[0].bar.x + l.buses[0].bar.w);
        EXPECT_LT(s.box.x + s.box.w, l.buses[1].bar.x);
    }
    // Apparatus of one bay lie in order down one column: busbar, QS, Q, QS.
    const Layout& m = l;
    for (const char* label : {"QA", "QB"}) {
        const std::string q = label, qs = std::string(label) + "S";
        for (const mimic::Symbol& s : m.symbols)
            if (s.label == q)
                for (const mimic::Symbol& o : m.symbols)
                    if (o.label == qs + "2") {
                        EXPECT_EQ(o.box.x + o.box.w / 2, s.box.x + s.box.w / 2) << q;
                        EXPECT_GT(o.box.y, s.box.y) << q;
                    }
    }
}

INSTANTIATE_TEST_SUITE_P(Usual, MimicSchemes,
                         ::testing::Values(SchemeCase{"single",
                                                      {"NODE SH",
                                                       "NODE IN",
                                                       "NODE A1",
                                                       "NODE A2",
                                                       "NODE L",
                                                       "NODE B1",
                                                       "NODE B2",
                                                       "NODE T",
                                                       "SOURCE IN",
                                                       "BREAKER QIN IN SH BLOCK 1",
                                                       "DISCONNECTOR QAS1 SH A1 BLOCK 2",
                                                       "BREAKER QA A1 A2 BLOCK 3",
                                                       "DISCONNECTOR QAS2 A2 L BLOCK 4",
                                                       "EARTHING QAE L BLOCK 5",
                                                       "LOAD L",
                                                       "DISCONNECTOR QBS1 SH B1 BLOCK 6",
                                                       "BREAKER QB B1 B2 BLOCK 7",
                                                       "DISCONNECTOR QBS2 B2 T BLOCK 8",
                                                       "NODE LV",
                                                       "TRANSFORMER T1 T LV",
                                                       "LOAD LV"},
                                                      1,
                                                      true},
                                           SchemeCase{"sectioned",
                                                      {"NODE SH1",
                                                       "NODE SH2",
                                                       "NODE C1",
                                                       "NODE C2",
                                                       "NODE IN1",
                                                       "NODE IN2",
                                                       "NODE A1",
                                                       "NODE A2",
                                                       "NODE L",
                                                       "SOURCE IN1",
                                                       "SOURCE IN2",
                                                       "BREAKER QI1 IN1 SH1 BLOCK 1",
                                                       "BREAKER QI2 IN2 SH2 BLOCK 2",
                                                       "DISCONNECTOR QKS1 SH1 C1 BLOCK 3",
                                                       "BREAKER QK C1 C2 BLOCK 4",
                                                       "DISCONNECTOR QKS2 C2 SH2 BLOCK 5",
                                                       "EARTHING EK C1 BLOCK 9",
                                                       "DISCONNECTOR QAS1 SH1 A1 BLOCK 6",
                                                       "BREAKER QA A1 A2 BLOCK 7",
                                                       "DISCONNECTOR QAS2 A2 L BLOCK 8",
                                                       "LOAD L",
                                                       "LOAD SH2",
                                                       "INDICATOR S40 SH1",
                                                       "INDICATOR S41 SH2"},
                                                      2,
                                                      true},
                                           SchemeCase{"double",
                                                      {"NODE SH1",
                                                       "NODE SH2",
                                                       "NODE IN",
                                                       "NODE J0",
                                                       "NODE A1",
                                                       "NODE A2",
                                                       "NODE L",
                                                       "NODE B1",
                                                       "NODE B2",
                                                       "NODE B3",
                                                       "NODE K1",
                                                       "NODE K2",
                                                       "SOURCE IN",
                                                       "BREAKER QI IN J0 BLOCK 1",
                                                       "DISCONNECTOR QIS1 J0 SH1 BLOCK 2",
                                                       "DISCONNECTOR QIS2 J0 SH2 BLOCK 3",
                                                       "DISCONNECTOR QAS1 SH1 A1 BLOCK 4",
                                                       "DISCONNECTOR QAS3 SH2 A1 BLOCK 5",
                                                       "BREAKER QA A1 A2 BLOCK 6",
                                                       "DISCONNECTOR QAS2 A2 L BLOCK 7",
                                                       "LOAD L",
                                                       "DISCONNECTOR QBS1 SH1 B1 BLOCK 8",
                                                       "DISCONNECTOR QBS3 SH2 B1 BLOCK 9",
                                                       "BREAKER QB B1 B2 BLOCK 10",
                                                       "DISCONNECTOR QBS2 B2 B3 BLOCK 11",
                                                       "NODE LV",
                                                       "TRANSFORMER T1 B3 LV",
                                                       "LOAD LV",
                                                       "DISCONNECTOR QCS1 SH1 K1 BLOCK 12",
                                                       "BREAKER QC K1 K2 BLOCK 13",
                                                       "DISCONNECTOR QCS2 K2 SH2 BLOCK 14"},
                                                      2,
                                                      false},
                                           SchemeCase{"example-like",
                                                      {"NODE IN",
                                                       "NODE IN-Q1",
                                                       "NODE SH1",
                                                       "NODE SH2",
                                                       "NODE L1-QS2",
                                                       "NODE L1-Q2",
                                                       "NODE L1",
                                                       "NODE T-HV",
                                                       "NODE T-LV",
                                                       "SOURCE IN",
                                                       "LOAD L1",
                                                       "LOAD T-LV",
                                                       "INDICATOR S15 SH1",
                                                       "INDICATOR S16 SH2",
                                                       "DISCONNECTOR QS1 IN IN-Q1 BLOCK 2",
                                                       "EARTHING QE1 IN-Q1 BLOCK 3",
                                                       "BREAKER Q1 IN-Q1 SH1 BLOCK 1",
                                                       "DISCONNECTOR QS2 SH1 L1-QS2 BLOCK 4",
                                                       "BREAKER Q2 L1-QS2 L1-Q2 BLOCK 5",
                                                       "DISCONNECTOR QS3 L1-Q2 L1 BLOCK 6",
                                                       "EARTHING QE3 L1 BLOCK 7",
                                                       "BREAKER QK3 SH1 SH2 BLOCK 8",
                                                       "BREAKER Q4 SH2 T-HV BLOCK 9",
                                                       "TRANSFORMER TSN T-HV T-LV"},
                                                      2,
                                                      true}),
                         [](const ::testing::TestParamInfo<SchemeCase>& i) {
                             std::string n = i.param.name;
                             for (char& ch : n)
                                 if (ch == '-') ch = '_';
                             return n;
                         });

}  // namespace
