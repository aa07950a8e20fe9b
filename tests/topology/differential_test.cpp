// The proofs against an explicit enumeration on generated small topologies and logics: every
// state of TS 1..9 (TS 10 is a voltage indicator and follows the positions) and every position
// of an apparatus without a state signal, with the logic read by the evaluator and the rule by
// the path search. Verdicts, "stricter" witnesses and the examples (every completion breaks,
// none smaller exists) must agree.

#include <gtest/gtest.h>

#include <bitset>
#include <random>

#include "tests/analysis/random_logic.h"
#include "tests/topology/support.h"

namespace topology::test {
namespace {

using interlock::Side;
constexpr int kBits = 9;  // TS 1..9 are enumerated
constexpr int kIndicatorTs = 10;

struct Generated {
    std::unique_ptr<interlock::Workspace> ws;
    std::vector<std::string> lines;
};

Generated Generate(std::mt19937& r) {
    const int nodes = 2 + static_cast<int>(r() % 4);
    Generated g;
    for (int n = 0; n < nodes; ++n) g.lines.push_back("NODE N" + std::to_string(n));
    auto node = [&] { return "N" + std::to_string(r() % nodes); };
    auto twoNodes = [&] {
        const int a = static_cast<int>(r() % nodes);
        const int b = (a + 1 + static_cast<int>(r() % (nodes - 1))) % nodes;
        return "N" + std::to_string(a) + " N" + std::to_string(b);
    };
    g.lines.push_back("SOURCE " + node() + (r() % 2 ? " WHEN S9" : ""));
    if (r() % 3 == 0) g.lines.push_back("SOURCE " + node());
    for (int i = static_cast<int>(r() % 3); i > 0; --i) g.lines.push_back("LOAD " + node());
    g.lines.push_back("INDICATOR S10 " + node());  // the enumeration derives TS 10
    std::vector<BlockSpec> blocks;
    const int apparatus = 2 + static_cast<int>(r() % 4);
    bool unknownUsed = false;
    for (int n = 1; n <= apparatus; ++n) {
        static const char* const kKinds[] = {"BREAKER", "DISCONNECTOR", "DISCONNECTOR", "EARTHING"};
        const std::string kind = kKinds[r() % 4];
        g.lines.push_back(kind + " X" + std::to_string(n) + " " + (kind == "EARTHING" ? node() : twoNodes()) +
                          " BLOCK " + std::to_string(n));
        BlockSpec b;
        b.number = n;
        b.state = (r() % 4 == 0 ? "~S" : "S") + std::to_string(n);
        if (!unknownUsed && r() % 8 == 0) {
            b.state = "";
            unknownUsed = true;
        }
        analysis::test::LogicShape shape;
        shape.tsCount = 10;
        shape.maxLines = 3;
        shape.mCount = 2;
        // TS 10 written in hexadecimal would read as TS 22: those texts are drawn again.
        auto logic = [&] {
            while (true) {
                std::vector<std::string> text = analysis::test::RandomLogic(r, n, shape);
                bool hex = false;
                for (const std::string& line : text) hex = hex || line.find("$1") != std::string::npos;
                if (!hex) return text;
            }
        };
        b.on = logic();
        b.off = logic();
        blocks.push_back(b);
    }
    if (r() % 3 == 0) g.lines.push_back("CABLE " + twoNodes());
    if (r() % 3 == 0) g.lines.push_back("TRANSFORMER T " + twoNodes());
    if (r() % 3 == 0) g.lines.push_back("BREAKER E " + twoNodes() + " TS ~S8");
    // Connections fixed in either position: the proofs fold the closed ones into one point.
    if (r() % 3 == 0) g.lines.push_back("DISCONNECTOR F " + twoNodes() + (r() % 2 ? " CLOSED" : " OPEN"));
    g.ws = MakeWorkspace(blocks);
    return g;
}

TEST(TopologyDifferential, ProofsAgreeWithEnumeration) {
    std::mt19937 random(20261209);
    int violations = 0, complies = 0;
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Generated g = Generate(random);
        std::string shown;
        for (const std::string& l : g.lines) shown += l + "\n";
        for (int n = 1; n <= 6; ++n) {
            const interlock::Block& b = g.ws->Blocks[n];
            shown += "block " + std::to_string(n) + " state " + std::to_string(b.StateSignal) + ":";
            for (const std::string& l : b.OnLogic) shown += " " + l;
            shown += " |";
            for (const std::string& l : b.OffLogic) shown += " " + l;
            shown += "\n";
        }
        SCOPED_TRACE(shown);
        const Topology t = ReadTopology(g.lines, *g.ws);
        ASSERT_FALSE(t.HasErrors());
        analysis::Analyser analyser;
        analyser.Update(*g.ws);
        const std::vector<OperationResult> results = Prove(analyser, *g.ws, t);
        int unknownElement = -1;
        for (size_t i = 0; i < t.elements.size(); ++i)
            if (t.elements[i].binding == Binding::Block && g.ws->Blocks[t.elements[i].block].StateSignal == 0)
                unknownElement = static_cast<int>(i);
        auto scratch = std::make_unique<interlock::Workspace>(*g.ws);

        for (const OperationResult& r : results) {
            if (r.verdict == Verdict::NotChecked) continue;
            ASSERT_NE(r.verdict, Verdict::Undetermined);
            // bad[rule][state], stricter[state]: over the states with the apparatus held.
            std::vector<std::bitset<1 << kBits>> bad(4);
            std::bitset<1 << kBits> stricter, valid;
            for (int state = 0; state < (1 << kBits); ++state) {
                if (((state >> (r.held.ts - 1)) & 1) != r.held.value) continue;
                valid.set(static_cast<size_t>(state));
                for (int u = 0; u < (unknownElement >= 0 ? 2 : 1); ++u) {
                    std::vector<char> closed(t.elements.size(), 0);
                    if (unknownElement >= 0)
                        closed[static_cast<size_t>(unknownElement)] = static_cast<char>(u);
                    interlock::TsTableData& v = scratch->TsTable;
                    for (int ts = 1; ts <= kBits; ++ts)
                        v.Value[ts] = static_cast<int16_t>((state >> (ts - 1)) & 1);
                    v.Value[kIndicatorTs] = 0;
                    FollowIndicators(*g.ws, t, v, closed);
                    interlock::ParseLogic(*scratch, scratch->Blocks[r.block], r.side);
                    const bool allows = scratch->Blocks[r.block].Of(r.side).Result == 1;
                    bool anyBroken = false;
                    for (int rule : r.rules) {
                        const bool broken =
                            Breaks(t, State{g.ws.get(), &v, closed}, rule, r.element, r.side).has_value();
                        anyBroken = anyBroken || broken;
                        if (broken && allows) bad[static_cast<size_t>(rule)].set(static_cast<size_t>(state));
                    }
                    if (!anyBroken && !allows) stricter.set(static_cast<size_t>(state));
                }
            }
            EXPECT_EQ(r.stricter.has_value(), stricter.any());
            for (int rule : r.rules) {
                const auto& b = bad[static_cast<size_t>(rule)];
                const Violation* v = nullptr;
                for (const Violation& x : r.violations)
                    if (x.rule == rule) v = &x;
                ASSERT_EQ(v != nullptr, b.any()) << "block " << r.block << " rule " << rule;
                if (!v) continue;
                // Every completion of the example is bad; no smaller example exists.
                auto covers = [&](const analysis::Cube& cube) {
                    bool any = false;
                    for (int state = 0; state < (1 << kBits); ++state) {
                        if (!valid.test(static_cast<size_t>(state))) continue;
                        bool in = true;
                        for (const analysis::Literal& l : cube)
                            in = in && ((state >> (l.ts - 1)) & 1) == l.value;
                        if (!in) continue;
                        if (!b.test(static_cast<size_t>(state))) return false;
                        any = true;
                    }
                    return any;
                };
                for (const analysis::Literal& l : v->example.cube) ASSERT_LE(l.ts, kBits);
                EXPECT_TRUE(covers(v->example.cube));
                EXPECT_FALSE(v->path.empty());
                const size_t k = v->example.cube.size();
                if (k == 0) continue;
                for (int mask = 0; mask < (1 << kBits); ++mask) {
                    if (std::bitset<kBits>(static_cast<unsigned>(mask)).count() != k - 1) continue;
                    for (int values = 0; values < (1 << (k - 1)); ++values) {
                        analysis::Cube smaller;
                        int j = 0;
                        for (int ts = 1; ts <= kBits; ++ts)
                            if ((mask >> (ts - 1)) & 1) smaller.push_back({ts, (values >> j++) & 1});
                        ASSERT_FALSE(covers(smaller)) << "a smaller example exists";
                    }
                }
            }
            (r.violations.empty() ? complies : violations)++;
        }
    }
    // The generator must exercise both answers.
    EXPECT_GT(violations, 50);
    EXPECT_GT(complies, 50);
}

}  // namespace
}  // namespace topology::test
