// Logic evaluation: operand values and folding, the candidate TS lists of the current block,
// and the check-free re-evaluation with one TS complemented.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/interlock/engine_fixture.h"
#include "interlock/parser.h"
#include "interlock/workspace.h"

namespace interlock::test {
namespace {

// ---- Results and candidate lists ----

struct EvalCase {
    const char* name;
    Lines lines;
    std::vector<std::pair<int, int>> values;
    int result;
    const char* candidates;  // UTF-8, "" when the list is empty
    std::vector<std::pair<int, const char*>> names = {};
    std::vector<int> pairs = {};
};

class EvaluationTest : public ::testing::TestWithParam<EvalCase> {};

// Block 1 is current and has the state signal S200 (TS 200 = 0: the apparatus is OFF), so the
// candidate lists are built on every parse.
TEST_P(EvaluationTest, ResultAndSingleChangesThatAllowTheOperation) {
    const EvalCase& c = GetParam();
    for (Side side : {Side::On, Side::Off}) {
        SCOPED_TRACE(SideName(side));
        Workspace ws;
        for (int n : c.pairs) MakePair(ws, n);
        for (auto [n, v] : c.values) ws.TsTable.Value[n] = static_cast<int16_t>(v);
        for (auto [n, name] : c.names) ws.TsTable.Name[n] = W(name);
        Block& b = ws.Blocks[1];
        b.StateSignal = 200;
        b.Of(side).Logic = c.lines;
        ParseLogic(ws, b, side);
        auto f = b.Of(side);
        ASSERT_FALSE(f.Error) << cp1251::ToUtf8(f.ErrorMessage);
        EXPECT_EQ(f.Result, c.result);
        EXPECT_EQ(f.Candidates, W(c.candidates));
        EXPECT_EQ(f.HasCandidates, std::string(c.candidates) != "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Evaluation, EvaluationTest,
    ::testing::Values(
        EvalCase{"AndOneChange", {"V1=AND(S1,S2)"}, {{1, 1}, {2, 0}}, 0, "\n\r- ТС2 = 0"},
        EvalCase{"NandBothOn", {"V1=~AND(S1,S2)"}, {{1, 1}, {2, 1}}, 0, "\n\r- ТС1 = 1\n\r- ТС2 = 1"},
        EvalCase{"OrBothOff", {"V1=OR(S1,S2)"}, {{1, 0}, {2, 0}}, 0, "\n\r- ТС1 = 0\n\r- ТС2 = 0"},
        EvalCase{"OrAllowed", {"V1=OR(S1,S2)"}, {{1, 1}, {2, 1}}, 1, ""},
        EvalCase{"OrDecidedByFirst", {"V1=OR(S1,S2)"}, {{1, 1}, {2, 0}}, 1, ""},
        EvalCase{"NorBothOff", {"V1=~OR(S1,S2)"}, {{1, 0}, {2, 0}}, 1, ""},
        EvalCase{"AndTwoChangesNeeded", {"V1=AND(S1,S2)"}, {{1, 0}, {2, 0}}, 0, ""},
        EvalCase{"Contradiction", {"M1=AND(S1)", "V1=AND(M1,~M1)"}, {{1, 1}}, 0, ""},
        EvalCase{"NegatedOperand", {"V1=AND(~S3)"}, {{3, 1}}, 0, "\n\r- ТС3 = 1"},
        EvalCase{"ThroughM",
                 {"M1=OR(S1,S2)", "V1=AND(M1,S3)"},
                 {{1, 0}, {2, 0}, {3, 1}},
                 0,
                 "\n\r- ТС1 = 0\n\r- ТС2 = 0"},
        EvalCase{"MReassigned", {"M1=AND(S1)", "M1=~AND(M1)", "V1=AND(M1)"}, {{1, 1}}, 0, "\n\r- ТС1 = 1"},
        EvalCase{"AscendingOrder", {"V1=OR(S9,D4)"}, {{9, 0}, {4, 0}}, 0, "\n\r- ТС4 = 0\n\r- ТС9 = 0"},
        EvalCase{"OutputFirstLinesAfterStillRun",
                 {"V1=AND(S1)", "M1=OR(S2)"},
                 {{1, 0}, {2, 0}},
                 0,
                 "\n\r- ТС1 = 0"},
        EvalCase{"Named", {"V1=AND(S5)"}, {{5, 0}}, 0, "\n\r- Q1 = 0 (ТС5)", {{5, "Q1"}}},
        EvalCase{"CyrillicName",
                 {"V1=AND(S1,S2)"},
                 {{1, 1}, {2, 0}},
                 0,
                 "\n\r- Выключатель В-2 = 0 (ТС2)",
                 {{2, "Выключатель В-2"}, {1, "Не тот"}}},
        EvalCase{"PairReadsItsFirstTs", {"V1=AND(D7)"}, {{7, 0}, {8, 1}}, 0, "\n\r- ТС7 = 0", {}, {7}},
        // values other than 0 and 1 (only the server delivers them): lowest 8 bits, AND decided
        // only by 0, OR only by 1, "~" flips the lowest bit
        EvalCase{"TwoDoesNotDecideAnd", {"V1=AND(S1)"}, {{1, 2}}, 1, ""},
        EvalCase{"TwoDoesNotDecideOr", {"V1=OR(S1)"}, {{1, 2}}, 0, ""},
        EvalCase{"LowestBitsOf256", {"V1=AND(S1)"}, {{1, 256}}, 0, "\n\r- ТС1 = 256"},
        EvalCase{"NegatedOne257", {"V1=OR(~S1)"}, {{1, 257}}, 0, "\n\r- ТС1 = 257"},
        EvalCase{"MinusOne", {"V1=AND(S1)"}, {{1, -1}}, 1, ""},
        EvalCase{"DecidedOperandStaysDecided", {"V1=AND(S1,S2)"}, {{1, 0}, {2, 2}}, 0, "\n\r- ТС1 = 0"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- When the lists are built ----

class CandidateTest : public EngineTest {
protected:
    void SetUp() override {
        Values({{1, 1}, {2, 0}});
        for (int n : {1, 2}) {
            Block& b = B(n);
            b.OnLogic = {"V" + std::to_string(n) + "=AND(S1,S2)"};
            b.OnCandidates = "stale";
            b.OnHasCandidates = true;
            b.OffCandidates = "stale too";
            b.OffHasCandidates = true;
        }
    }
};

TEST_F(CandidateTest, OnlyTheCurrentBlockGetsLists) {
    B(2).StateSignal = 200;
    ws.CurrentBlock = 1;
    ParseLogic(ws, B(2), Side::On);
    EXPECT_EQ(B(2).OnCandidates, "stale");
    EXPECT_TRUE(B(2).OnHasCandidates);

    ws.CurrentBlock = 2;
    ParseLogic(ws, B(2), Side::On);
    EXPECT_EQ(B(2).OnCandidates, W("\n\r- ТС2 = 0"));
    // both lists are rebuilt: the OFF logic is empty, its result 0, and it reads no TS
    EXPECT_EQ(B(2).OffCandidates, "");
    EXPECT_FALSE(B(2).OffHasCandidates);
}

TEST_F(CandidateTest, ErroneousCurrentBlockKeepsItsLists) {
    ParseLogic(ws, B(1), Side::On);  // no state signal
    EXPECT_EQ(B(1).OnCandidates, "stale");
    EXPECT_EQ(B(1).OffCandidates, "stale too");

    // hardware unreliability in the logic of the next operation
    B(1).StateSignal = 200;
    ws.TsTable.Unreliability[2] = 2;
    ParseLogic(ws, B(1), Side::On);
    EXPECT_EQ(B(1).OnUnreliability[0], 2);
    EXPECT_EQ(B(1).OnCandidates, "stale");
    EXPECT_TRUE(B(1).OnHasCandidates);

    // an error in the other logic
    ws.TsTable.Unreliability[2] = 0;
    B(1).OffLogic = {"V1=AND(S3"};
    ParseLogic(ws, B(1), Side::Off);
    ASSERT_TRUE(B(1).OffError);
    ParseLogic(ws, B(1), Side::On);
    EXPECT_EQ(B(1).OnCandidates, "stale");
}

TEST_F(CandidateTest, AllowedOperationHasAnEmptyList) {
    B(1).StateSignal = 200;
    B(1).OffLogic = {"V1=OR(S1)"};
    B(1).OffResult = 1;
    Values({{2, 1}});
    ParseLogic(ws, B(1), Side::On);
    EXPECT_EQ(B(1).OnResult, 1);
    EXPECT_EQ(B(1).OnCandidates, "");
    EXPECT_FALSE(B(1).OnHasCandidates);
    EXPECT_EQ(B(1).OffCandidates, "");
    EXPECT_FALSE(B(1).OffHasCandidates);
}

TEST_F(CandidateTest, RecalculateBuildsBothLists) {
    B(1).StateSignal = 200;
    B(1).OffLogic = {"M1=OR(S3,S4)", "V1=AND(M1)"};
    Values({{3, 0}, {4, 0}});
    Recalculate(ws, 1);
    EXPECT_EQ(B(1).OnCandidates, W("\n\r- ТС2 = 0"));
    EXPECT_EQ(B(1).OffCandidates, W("\n\r- ТС3 = 0\n\r- ТС4 = 0"));
    EXPECT_TRUE(B(1).OnHasCandidates);
    EXPECT_TRUE(B(1).OffHasCandidates);
}

// ---- ReevaluateWithFlip ----

struct FlipCase {
    const char* name;
    Lines lines;
    std::vector<std::pair<int, int>> values;
    int k;
    bool allows;
};

class ReevaluateWithFlipTest : public ::testing::TestWithParam<FlipCase> {};

TEST_P(ReevaluateWithFlipTest, EvaluatesWithOneTsComplemented) {
    const FlipCase& c = GetParam();
    for (Side side : {Side::On, Side::Off}) {
        Workspace ws;
        for (auto [n, v] : c.values) ws.TsTable.Value[n] = static_cast<int16_t>(v);
        ws.MVariables.Value[1] = 1;  // the re-evaluation keeps its own M values
        Block& b = ws.Blocks[1];
        b.Of(side).Logic = c.lines;
        b.Of(side == Side::On ? Side::Off : Side::On).Logic = {"V1=~AND(S250)"};
        EXPECT_EQ(ReevaluateWithFlip(ws, b, c.k, side), c.allows) << SideName(side);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Evaluation, ReevaluateWithFlipTest,
    ::testing::Values(FlipCase{"FlipsTheMissingOne", {"V1=AND(S1,S2)"}, {{1, 1}, {2, 0}}, 2, true},
                      FlipCase{"FlipsTheWrongOne", {"V1=AND(S1,S2)"}, {{1, 1}, {2, 0}}, 1, false},
                      FlipCase{"FlipOfUnreadTs", {"V1=AND(S1,S2)"}, {{1, 1}, {2, 0}}, 3, false},
                      FlipCase{"NoFlipNeeded", {"V1=OR(S1)"}, {{1, 1}}, 9, true},
                      FlipCase{"NegatedOperand", {"V1=AND(~S1)"}, {{1, 1}}, 1, true},
                      FlipCase{"Nor", {"V1=~OR(S1,S2)"}, {{1, 1}, {2, 0}}, 1, true},
                      FlipCase{"LocalM", {"M1=AND(S1)", "V1=AND(M1,~M1)"}, {{1, 1}}, 1, false},
                      FlipCase{"ThroughM", {"M2=OR(S5)", "V1=AND(M2)"}, {{5, 0}}, 5, true},
                      FlipCase{"ThroughMPastOtherLines",
                               {"M1=AND(S1)", "M2=OR(S3)", "V1=AND(M1,S2)"},
                               {{1, 0}, {2, 1}, {3, 0}},
                               1,
                               true},
                      FlipCase{"KeepsMOfLinesBeforeTheTs",
                               {"M1=OR(S1)", "M2=AND(S2)", "V1=AND(M1,M2)"},
                               {{1, 1}, {2, 0}},
                               2,
                               true},
                      FlipCase{"NoOutput", {"M1=OR(S1)"}, {{1, 0}}, 1, false},
                      // lines between two readers of the TS keep their unchanged M values and output
                      FlipCase{"MBetweenReaders",
                               {"M2=AND(S1,S3)", "M1=OR(S2)", "V1=AND(S1,M1)"},
                               {{1, 0}, {2, 1}, {3, 0}},
                               1,
                               true},
                      // a line whose M is assigned again before any line reads it changes nothing
                      FlipCase{"MAssignedAgainUnread",
                               {"M1=AND(S1)", "M2=AND(M1,S3)", "M1=AND(S2)", "V1=AND(M1)"},
                               {{1, 0}, {2, 0}, {3, 1}},
                               1,
                               false},
                      FlipCase{"MAssignedAgainRead",
                               {"M1=AND(S1)", "M2=AND(M1,S3)", "M1=AND(S2)", "V1=AND(M1)"},
                               {{1, 0}, {2, 0}, {3, 1}},
                               2,
                               true},
                      FlipCase{"ValueTwoFlipsToThree", {"V1=OR(S1)"}, {{1, 2}}, 1, false},
                      FlipCase{"OperandSpellings",
                               {"M1=OR(S$A,~S 2)", "V1=AND(M1,S+3,S0x4)"},
                               {{2, 1}, {3, 1}, {4, 1}},
                               10,
                               true},
                      // a text with an error of its own is read up to its error
                      FlipCase{
                          "UpToARepeatedOutput", {"V1=AND(S1)", "V1=AND(S2)"}, {{1, 0}, {2, 0}}, 1, true},
                      FlipCase{"UpToAnUnknownM", {"M1=OR(S1)", "V1=AND(~M2)"}, {{1, 0}}, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReevaluateWithFlip, ChangesNothingButUsedInLogic) {
    Workspace ws;
    SetValues(ws, {{1, 1}, {2, 1}, {3, 0}, {4, 1}});
    ws.TsTable.Unreliability[3] = 2;
    ws.TsTable.Name[2] = "Q";
    ws.MVariables.Value = {0, 1, 0, 1};
    ws.MVariables.Shown[2] = 1;
    Block& b = ws.Blocks[1];
    b.StateSignal = 200;
    b.OnLogic = {"M1=AND(S1,S2)", "M2=OR(S3)", "V1=AND(M1,~M2,S4)"};
    b.OnResult = 0;
    b.OnCandidates = "x";
    b.OnHasCandidates = true;
    b.OnUnreliability[3] = 1;
    const Block before = b;
    const TsTableData ts = ws.TsTable;
    const MVariablesData m = ws.MVariables;
    const std::array<TabLook, 17> tabs = ws.Tabs;

    ClearUsedTs(ws);
    EXPECT_FALSE(ReevaluateWithFlip(ws, b, 4, Side::On));
    EXPECT_EQ(UsedTs(ws), (std::vector<int>{1, 2, 3, 4}));

    EXPECT_EQ(ws.TsTable.Value, ts.Value);
    EXPECT_EQ(ws.TsTable.Unreliability, ts.Unreliability);
    EXPECT_EQ(ws.TsTable.Name, ts.Name);
    EXPECT_EQ(ws.MVariables.Value, m.Value);
    EXPECT_EQ(ws.MVariables.Shown, m.Shown);
    EXPECT_EQ(ws.Tabs, tabs);
    EXPECT_EQ(b.OnResult, before.OnResult);
    EXPECT_EQ(b.OnCandidates, before.OnCandidates);
    EXPECT_EQ(b.OnHasCandidates, before.OnHasCandidates);
    EXPECT_EQ(b.OnUnreliability, before.OnUnreliability);
    EXPECT_EQ(b.OnError, before.OnError);
    EXPECT_EQ(b.OnEmpty, before.OnEmpty);
    EXPECT_EQ(b.OnLogic, before.OnLogic);
    EXPECT_EQ(b.OffResult, before.OffResult);
    EXPECT_EQ(b.StateSignal, before.StateSignal);
}

}  // namespace
}  // namespace interlock::test
