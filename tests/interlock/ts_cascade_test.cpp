// The "TS values changed" cascade: every block recalculated, the view chosen by the apparatus
// state when asked, the current block shown again.

#include "interlock/ts_cascade.h"
#include "tests/interlock/engine_fixture.h"

namespace interlock::test {
namespace {

using View = TsCascade::View;

class TsCascadeTest : public EngineTest {};

TEST_F(TsCascadeTest, RecalculatesEveryBlockAndChoosesTheViewAsAsked) {
    struct Row {
        View view;
        Side expected;  // after the state TS switched the apparatus on
    };
    const Row rows[] = {
        {View::Keep, Side::On},
        {View::BeforeRecalculation, Side::Off},
        {View::AfterRecalculation, Side::Off},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.view));
        ws = Workspace();
        B(2).OnLogic = {"V2=AND(S6)"};
        SetStateSignal(ws, 2, "S8");
        Show(1, "S5", {"V1=AND(S6)"}, {"V1=AND(S7)"});
        ASSERT_EQ(ws.CurrentView, Side::On);
        ASSERT_EQ(B(2).OnResult, 0);
        const unsigned refreshes = ws.Display.refreshCount;

        Values({{5, 1}, {6, 1}});
        RunTsCascade(ws, {.view = row.view});
        EXPECT_EQ(ws.CurrentView, row.expected);
        EXPECT_EQ(B(1).OnResult, 1);
        EXPECT_EQ(B(2).OnResult, 1);  // not the current block, recalculated all the same
        EXPECT_EQ(ws.Display.refreshCount, refreshes + 1);
    }
}

TEST_F(TsCascadeTest, TheGridStepFirstMeansTheBlocksSeeDerivedServerPairs) {
    // TS 6 is the second of a pair delivered by the server: the grid step derives it from TS 5.
    // Block 2 is recalculated with the other blocks only, so it shows which came first.
    for (const bool gridFirst : {false, true}) {
        SCOPED_TRACE(gridFirst);
        ws = Workspace();
        Pair(5);
        ws.TsTable.FromServer[5] = ws.TsTable.FromServer[6] = 1;
        B(2).OnLogic = {"V2=AND(S5,~S6)"};
        SetStateSignal(ws, 2, "S8");
        Show(1, "S9", {"V1=AND(S5,S6)"}, {"V1=AND(S7)"});
        Values({{5, 1}, {6, 1}});
        RunTsCascade(ws, {.fillGrid = gridFirst, .view = View::Keep});
        EXPECT_EQ(ws.TsTable.Value[6], 0);
        EXPECT_EQ(B(2).OnResult, gridFirst ? 1 : 0);
    }
}

}  // namespace
}  // namespace interlock::test
