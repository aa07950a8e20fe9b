// The proofs on topologies worked out by hand. Every counterexample is checked again by the
// evaluator (the logic allows) and by a path search on the graph (the rule forbids), over
// random completions of it.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "tests/topology/support.h"

namespace topology::test {
namespace {

using interlock::Side;

struct Expect {
    int block;
    Side side;
    std::set<int> violated;  // empty: complies
    size_t exampleSize = 0;  // TS named by the first violation's example (0: not checked)
    std::string path;        // the first violation's path (empty: not checked)
};

struct Case {
    const char* name;
    std::vector<std::string> topology;
    std::vector<BlockSpec> blocks;
    std::vector<Expect> expect;
};

BlockSpec B(int n, std::string on, std::string off) {
    return {n,
            "S" + std::to_string(n),
            {"V" + std::to_string(n) + "=" + on},
            {"V" + std::to_string(n) + "=" + off},
            ""};
}

const Case kCases[] = {
    {"single bay feeding a load",
     {"NODE SRC", "NODE A", "NODE B", "NODE LINE", "SOURCE SRC", "LOAD LINE",
      "DISCONNECTOR QS1 SRC A BLOCK 1", "BREAKER Q1 A B BLOCK 2", "DISCONNECTOR QS2 B LINE BLOCK 3",
      "EARTHING QE LINE BLOCK 4"},
     {B(1, "AND(~S2)", "AND(~S2)"), B(2, "AND(S1,S3)", "AND(S1)"), B(3, "AND(~S4)", "AND(~S2)"),
      B(4, "AND(~S3)", "OR(S1,~S1)")},
     {{1, Side::On, {}, 0, ""},
      {1, Side::Off, {}, 0, ""},
      {2, Side::On, {3}, 3, "SRC - QS1 - A - Q1 - B - QS2 - LINE - QE"},
      {2, Side::Off, {}, 0, ""},
      {3, Side::On, {1}, 3, "SRC - QS1 - A - Q1 - B - QS2 - LINE"},
      {3, Side::Off, {}, 0, ""},
      {4, Side::On, {}, 0, ""},
      {4, Side::Off, {}, 0, ""}}},
    {"two busbar sections with a coupler",
     {"NODE IN1", "NODE IN2", "NODE BUS1", "NODE BUS2", "NODE C", "NODE D", "SOURCE IN1", "SOURCE IN2",
      "BREAKER Q1 IN1 BUS1 BLOCK 1", "BREAKER Q2 IN2 BUS2 BLOCK 2", "DISCONNECTOR QS1 BUS1 C BLOCK 3",
      "BREAKER QB C D BLOCK 4", "DISCONNECTOR QS2 D BUS2 BLOCK 5", "EARTHING QE1 BUS1 BLOCK 6"},
     {B(3, "AND(~S4)", "AND(~S4)"), B(4, "AND(S3,S5)", "AND(S3)"), B(6, "AND(~S1)", "AND(S6)")},
     {{3, Side::On, {}, 0, ""},
      {3, Side::Off, {}, 0, ""},
      {4, Side::On, {3}, 4, "IN2 - Q2 - BUS2 - QS2 - D - QB - C - QS1 - BUS1 - QE1"},
      {4, Side::Off, {}, 0, ""},
      {6, Side::On, {2}, 5, "IN2 - Q2 - BUS2 - QS2 - D - QB - C - QS1 - BUS1"},
      {6, Side::Off, {}, 0, ""}}},
    {"a ring",
     {"NODE SRC", "NODE A", "NODE B", "NODE C", "SOURCE SRC", "LOAD C", "BREAKER Q1 SRC A BLOCK 1",
      "DISCONNECTOR QS1 A B BLOCK 2", "DISCONNECTOR QS2 B C BLOCK 3", "DISCONNECTOR QS3 C A BLOCK 4"},
     {B(2, "AND(S3,S4)", "OR(S3,S4)")},
     {{2, Side::On, {}, 0, ""}, {2, Side::Off, {1}, 3, "SRC - Q1 - A - QS1 - B - QS2 - C"}}},
    {"a bridged disconnector",
     {"NODE SRC", "NODE A", "NODE B", "NODE LD", "SOURCE SRC", "LOAD LD", "DISCONNECTOR QS1 SRC A BLOCK 1",
      "BREAKER Q1 A B BLOCK 2", "DISCONNECTOR QS2 B LD BLOCK 3", "DISCONNECTOR QSB A B BLOCK 4"},
     {B(4, "AND(S2)", "AND(~S2)")},
     {{4, Side::On, {}, 0, ""}, {4, Side::Off, {1}, 3, "SRC - QS1 - A - QSB - B - QS2 - LD"}}},
    {"an earthing switch between two disconnectors",
     {"NODE BUS1", "NODE X", "NODE BUS2", "SOURCE BUS1", "SOURCE BUS2", "DISCONNECTOR QS1 BUS1 X BLOCK 1",
      "DISCONNECTOR QS2 X BUS2 BLOCK 2", "EARTHING QE X BLOCK 3"},
     {B(1, "AND(~S3)", "AND(~S2)"), B(2, "AND(~S1)", "AND(~S1)"), B(3, "AND(~S1)", "AND(S3)")},
     {{1, Side::On, {1}, 2, "BUS1 - QS1 - X - QS2 - BUS2"},
      {1, Side::Off, {}, 0, ""},
      {2, Side::On, {3}, 2, "BUS2 - QS2 - X - QE"},
      {2, Side::Off, {}, 0, ""},
      {3, Side::On, {2}, 2, "BUS2 - QS2 - X"},
      {3, Side::Off, {}, 0, ""}}},
    {"a source switched by a voltage TS",
     {"NODE LINE", "NODE A", "NODE BUS", "SOURCE LINE WHEN S10", "SOURCE BUS", "INDICATOR S11 A",
      "EARTHING QE LINE BLOCK 1", "DISCONNECTOR QS A LINE BLOCK 2", "BREAKER Q BUS A BLOCK 3"},
     // QE reads the indicator of A: A dead and no voltage from the line leaves LINE dead.
     {B(1, "AND(~S11,~S10)", "AND(S1)"),
      {2, "S2", {"V2=AND(~S1)"}, {"V2=AND(~S3)"}, ""},
      {3, "S3", {"V3=AND(~S1,~S2)"}, {"V3=AND(S3)"}, ""},
      {4, "S4", {"V4=AND(~S2)"}, {}, ""}},
     {{1, Side::On, {}, 0, ""},
      {1, Side::Off, {}, 0, ""},
      {2, Side::On, {1}, 2, "BUS - Q - A - QS - LINE"},
      {2, Side::Off, {}, 0, ""},
      {3, Side::On, {}, 0, ""},
      {3, Side::Off, {}, 0, ""}}},
    {"a transformer between an earthed and a live side",
     {"NODE SRC", "NODE HV", "NODE LV", "SOURCE SRC", "BREAKER Q SRC HV BLOCK 1", "TRANSFORMER T HV LV",
      "EARTHING QEL LV BLOCK 2", "EARTHING QEH HV BLOCK 3"},
     {B(1, "AND(~S3)", "AND(S1)"), B(2, "AND(~S1)", "AND(S2)"), B(3, "AND(~S1)", "AND(S3)")},
     {{1, Side::On, {3}, 2, "SRC - Q - HV - T - LV - QEL"},
      {1, Side::Off, {}, 0, ""},
      {2, Side::On, {}, 0, ""},
      {3, Side::On, {}, 0, ""}}},
    // QS1 closes onto J, live through Q, while B1 is earthed through the coupler; B1 is live
    // too, but only by way of QS2 and J again: the path shown is the one without a node twice.
    {"a double busbar with a coupler",
     {"NODE SRC", "NODE J", "NODE B1", "NODE B2", "SOURCE SRC", "BREAKER Q SRC J BLOCK 1",
      "DISCONNECTOR QS1 B1 J BLOCK 2", "DISCONNECTOR QS2 B2 J BLOCK 3", "BREAKER QK B1 B2 BLOCK 4",
      "EARTHING QE B2 BLOCK 5"},
     {B(2, "AND(S1,S3,S4)", "AND(S3,S4)")},
     {{2, Side::On, {3}, 4, "SRC - Q - J - QS1 - B1 - QK - B2 - QE"}, {2, Side::Off, {}, 0, ""}}},
};

class Hand : public ::testing::TestWithParam<Case> {};

TEST_P(Hand, VerdictsExamplesAndPaths) {
    const Case& c = GetParam();
    // Every bound block reads its position from TS n, with or without logic.
    std::vector<BlockSpec> blocks = c.blocks;
    for (const std::string& line : c.topology) {
        const size_t at = line.find("BLOCK ");
        if (at == std::string::npos) continue;
        const int n = std::stoi(line.substr(at + 6));
        bool given = false;
        for (const BlockSpec& b : blocks) given = given || b.number == n;
        if (!given) blocks.push_back({n, "S" + std::to_string(n), {}, {}, ""});
    }
    auto ws = MakeWorkspace(blocks);
    const Topology t = ReadTopology(c.topology, *ws);
    for (const Message& m : t.messages) EXPECT_NE(m.severity, Severity::Error) << m.line << ": " << m.text;
    analysis::Analyser analyser;
    analyser.Update(*ws);
    const std::vector<OperationResult> results = Prove(analyser, *ws, t);
    std::mt19937 random(7);
    for (const Expect& e : c.expect) {
        SCOPED_TRACE("block " + std::to_string(e.block) + (e.side == Side::On ? " on" : " off"));
        const OperationResult* r = nullptr;
        for (const OperationResult& x : results)
            if (x.block == e.block && x.side == e.side) r = &x;
        ASSERT_NE(r, nullptr);
        std::set<int> violated;
        for (const Violation& v : r->violations) violated.insert(v.rule);
        EXPECT_EQ(violated, e.violated);
        EXPECT_EQ(r->verdict, e.violated.empty() ? Verdict::Complies : Verdict::Violates);
        if (r->violations.empty()) continue;
        const Violation& v = r->violations[0];
        if (e.exampleSize) {
            EXPECT_EQ(v.example.cube.size(), e.exampleSize);
        }
        if (!e.path.empty()) {
            EXPECT_EQ(PathText(t, v.path), e.path);
        }
        for (const Violation& each : r->violations) {
            EXPECT_FALSE(each.path.empty());
            // Random completions: the evaluator allows, the path search finds the rule broken.
            for (int round = 0; round < 30; ++round) {
                interlock::TsTableData values = ws->TsTable;
                for (int ts = 1; ts <= 16; ++ts) values.Value[ts] = static_cast<int16_t>(random() % 2);
                for (const analysis::Literal& l : each.example.cube)
                    values.Value[l.ts] = static_cast<int16_t>(l.value);
                values.Value[r->held.ts] = static_cast<int16_t>(r->held.value);
                FollowIndicators(*ws, t, values);
                EXPECT_TRUE(LogicAllows(*ws, e.block, e.side, values));
                EXPECT_TRUE(Breaks(t, State{ws.get(), &values, {}}, each.rule, r->element, e.side));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Topologies, Hand, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string n = info.param.name;
    for (char& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

TEST(Proof, NotCheckedAndEveryState) {
    auto ws = MakeWorkspace({{1, "S1", {}, {"V1=AND(S2)"}, ""},
                             {2, "S2", {"V2=AND(M3)"}, {"V2=AND(S1)"}, ""},
                             {3, "", {"V3=AND(S1)"}, {"V3=AND(S1)"}, ""},
                             {4, "S4", {"V4=AND(S9)"}, {"V4=AND(S9)"}, ""}});
    const Topology t = ReadTopology(
        {"NODE BUS", "NODE X", "SOURCE BUS", "DISCONNECTOR QS1 BUS X BLOCK 1", "BREAKER Q2 BUS X BLOCK 2",
         "BREAKER Q3 BUS X BLOCK 3", "EARTHING QE X BLOCK 4", "LOAD X"},
        *ws);
    analysis::Analyser analyser;
    analyser.Update(*ws);
    const std::vector<OperationResult> r = Prove(analyser, *ws, t);
    ASSERT_EQ(r.size(), 8u);
    EXPECT_EQ(r[0].verdict, Verdict::NotChecked);  // QS1 ON: empty logic
    EXPECT_EQ(r[2].verdict, Verdict::NotChecked);  // Q2 ON: an error in the logic
    EXPECT_EQ(r[4].verdict, Verdict::NotChecked);  // Q3: no state signal
    EXPECT_EQ(r[5].verdict, Verdict::NotChecked);
    // QS1 OFF while Q2 is closed: the bus reaches the load through Q2, which also bridges QS1;
    // QE ON: X is live while Q3 (position unknown) may be closed: broken in every state.
    EXPECT_EQ(r[1].verdict, Verdict::Complies);
    ASSERT_EQ(r[6].verdict, Verdict::Violates);
    EXPECT_TRUE(r[6].violations[0].everyState);
    EXPECT_FALSE(r[6].violations[0].path.empty());
}

}  // namespace
}  // namespace topology::test
