// The behaviour diff of two configurations: rewrites that keep the behaviour come out
// equivalent, real changes with a witness state that the evaluator confirms.

#include <gtest/gtest.h>

#include "analysis/diff.h"
#include "interlock/parser.h"
#include "interlock/workspace.h"

namespace analysis::test {
namespace {

using interlock::Side;
using interlock::Workspace;
using Lines = std::vector<std::string>;
using Status = LogicDiff::Status;

struct Config {
    Config(std::string s, Lines l, std::vector<int> p = {}, std::vector<int> i = {}, std::string n = "")
        : state(std::move(s)),
          on(std::move(l)),
          pairs(std::move(p)),
          inverted(std::move(i)),
          name(std::move(n)) {}
    std::string state;
    Lines on;
    std::vector<int> pairs;
    std::vector<int> inverted;
    std::string name;
};

std::unique_ptr<Workspace> Make(const Config& c) {
    auto ws = std::make_unique<Workspace>();
    for (int n : c.pairs) {
        ws->TsTable.TwoPosition[n] = 1;
        ws->TsTable.PairSecond[n + 1] = 1;
    }
    for (int n : c.inverted) ws->TsTable.Inverted[n] = 1;
    ws->Blocks[1].OnLogic = c.on;
    ws->Blocks[1].OffLogic = {"V1=AND(S3)"};
    ws->Blocks[1].Name = c.name;
    interlock::SetStateSignal(*ws, 1, c.state);
    return ws;
}

// The ON verdict of block 1 with the witness state set (the state TS held, the rest 0).
int VerdictIn(const Workspace& ws, const Cube& witness) {
    auto trial = std::make_unique<Workspace>(ws);
    auto& t = trial->TsTable;
    for (int ts = 1; ts <= interlock::kTsCount; ++ts) t.Value[ts] = 0;
    for (const Literal& l : witness) t.Value[l.ts] = static_cast<int16_t>(l.value);
    t.Value[10] = 0;  // the state TS held where the ON logic governs (S10 in every row)
    for (int ts = 1; ts < interlock::kTsCount; ++ts)
        if (t.TwoPosition[ts]) t.Value[ts + 1] = t.Value[ts] ^ 1;
    interlock::ParseLogic(*trial, trial->Blocks[1], Side::On);
    return trial->Blocks[1].OnError ? -1 : trial->Blocks[1].OnResult;
}

TEST(Diff, LogicsComparedAsFunctions) {
    const struct {
        const char* name;
        Config a, b;
        Status status;
        bool bAllowsMore = false, aAllowsMore = false;
    } rows[] = {
        {"operands reordered", {"S10", {"V1=AND(S1,S2)"}}, {"S10", {"V1=AND(S2,S1)"}}, Status::Equivalent},
        {"M renamed",
         {"S10", {"M1=OR(S1,S2)", "V1=AND(M1,S3)"}},
         {"S10", {"M5=OR(S2,S1)", "V1=AND(S3,M5)"}},
         Status::Equivalent},
        {"lines split",
         {"S10", {"V1=AND(S1,S2,S3)"}},
         {"S10", {"M1=AND(S1,S2)", "V1=AND(M1,S3)"}},
         Status::Equivalent},
        {"De Morgan", {"S10", {"V1=~OR(S1,S2)"}}, {"S10", {"V1=AND(~S1,~S2)"}}, Status::Equivalent},
        {"a line after V added",
         {"S10", {"V1=AND(S1)"}},
         {"S10", {"V1=AND(S1)", "M1=OR(S7)"}},
         Status::Equivalent},
        {"differs only where the logic does not govern",
         {"S10", {"V1=AND(S2,~S10)"}},
         {"S10", {"V1=AND(S2)"}},
         Status::Equivalent},
        {"a condition dropped",
         {"S10", {"V1=AND(S1,S2)"}},
         {"S10", {"V1=AND(S1)"}},
         Status::Different,
         true,
         false},
        {"a route dropped",
         {"S10", {"V1=OR(S1,S2)"}},
         {"S10", {"V1=AND(S1)"}},
         Status::Different,
         false,
         true},
        {"another TS", {"S10", {"V1=AND(S1)"}}, {"S10", {"V1=AND(S2)"}}, Status::Different, true, true},
        {"emptied", {"S10", {"V1=AND(S1)"}}, {"S10", {}}, Status::Different, false, true},
        {"an error", {"S10", {"V1=AND(S1)"}}, {"S10", {"V1=AND(S1"}}, Status::NotCompared},
        {"the same error", {"S10", {"V1=AND(M1)"}}, {"S10", {"V1=AND(M1)"}}, Status::Equivalent},
        {"an inverted TS read the other way",
         {"S10", {"V1=AND(S2)"}},
         {"S10", {"V1=AND(~S2)"}, {}, {2}},
         Status::Equivalent},
        {"an inverted TS read the same way",
         {"S10", {"V1=AND(S2)"}},
         {"S10", {"V1=AND(S2)"}, {}, {2}},
         Status::Different,
         true,
         true},
        {"a pair made of two TS",
         {"S10", {"V1=AND(S4,~S5)"}},
         {"S10", {"V1=AND(D4)"}, {4}},
         Status::Equivalent},
    };
    BddSession session;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto a = Make(row.a);
        auto b = Make(row.b);
        const DiffResult d = Diff(session, *a, *b);
        const bool same = row.status == Status::Equivalent;
        EXPECT_EQ(d.logicsDiffer, !same);
        if (same) {
            for (const BlockDiff& bd : d.blocks) {
                EXPECT_EQ(bd.on.status, Status::Equivalent);
                EXPECT_EQ(bd.textChanged, row.a.on != row.b.on);
            }
            continue;
        }
        ASSERT_EQ(d.blocks.size(), 1u);
        const LogicDiff& on = d.blocks[0].on;
        EXPECT_EQ(on.status, row.status);
        EXPECT_EQ(d.blocks[0].off.status, Status::Equivalent);
        if (row.status != Status::Different) {
            EXPECT_FALSE(on.reason.empty());
            continue;
        }
        EXPECT_EQ(on.bAllowsMore, row.bAllowsMore);
        EXPECT_EQ(on.aAllowsMore, row.aAllowsMore);
        ASSERT_TRUE(on.witness);
        if (row.b.inverted.empty()) {  // the evaluator reads stored values, not RTU bits
            EXPECT_EQ(VerdictIn(*a, on.witness->cube), on.verdictA);
            EXPECT_EQ(VerdictIn(*b, on.witness->cube), on.verdictB);
        }
    }
}

TEST(Diff, WitnessNamesOnlyTheTsThatMatter) {
    BddSession session;
    auto a = Make({"S10", {"M1=AND(S1,S2)", "V1=OR(M1,S5)"}});
    auto b = Make({"S10", {"M1=AND(S1,S2)", "V1=OR(M1,S6)"}});
    const DiffResult d = Diff(session, *a, *b);
    ASSERT_EQ(d.blocks.size(), 1u);
    const LogicDiff& on = d.blocks[0].on;
    ASSERT_TRUE(on.witness);
    // B allows with S6 while the AND and S5 are 0: S1 or S2 at 0, S5 at 0, S6 at 1; the state
    // TS is given apart.
    const Cube& w = on.witness->cube;
    ASSERT_EQ(w.size(), 3u);
    EXPECT_TRUE(w[0] == (Literal{1, 0}) || w[0] == (Literal{2, 0}));
    EXPECT_EQ(w[1], (Literal{5, 0}));
    EXPECT_EQ(w[2], (Literal{6, 1}));
    EXPECT_EQ(on.state, (Cube{{10, 0}}));
    EXPECT_EQ(on.verdictA, 0);
    EXPECT_EQ(on.verdictB, 1);
}

TEST(Diff, NamesStateSignalsAndAttributes) {
    BddSession session;
    auto a = Make({"S10", {"V1=AND(S2,S4)"}, {}, {}, "Q1"});
    auto b = Make({"S11", {"V1=AND(S2,S4)"}, {}, {7, 4}, "Q1a"});
    b->TsTable.TwoPosition[20] = 1;  // read by nothing: not reported
    const DiffResult d = Diff(session, *a, *b);
    ASSERT_EQ(d.blocks.size(), 1u);
    EXPECT_TRUE(d.blocks[0].NameChanged());
    EXPECT_TRUE(d.blocks[0].StateChanged());
    EXPECT_EQ(d.blocks[0].stateB, 11);
    ASSERT_EQ(d.attributes.size(), 1u);  // TS 4 is read; TS 7 and 20 are not
    EXPECT_EQ(d.attributes[0].ts, 4);
    EXPECT_TRUE(d.attributes[0].inverted);
    EXPECT_FALSE(d.attributes[0].twoPosition);
    EXPECT_TRUE(d.logicsDiffer);  // S4 read through an inverted bit
}

}  // namespace
}  // namespace analysis::test
