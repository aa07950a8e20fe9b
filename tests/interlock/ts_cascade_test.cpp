// The "TS values changed" cascade: every block recalculated, the view chosen by the apparatus
// state when asked, the current block shown again.

#include "interlock/report.h"
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
        // The refresh comes after the view step: the editor holds the logic of the view chosen.
        EXPECT_EQ(B(1).Of(row.expected).Logic, ws.Fields.Logic);
        EXPECT_EQ(B(1).OnResult, 1);
        EXPECT_EQ(B(2).OnResult, 1);  // not the current block, recalculated all the same
        EXPECT_EQ(ws.Display.refreshCount, refreshes + 1);
    }
}

TEST_F(TsCascadeTest, TheViewStepTakesTheStateEntryBeforeOrAfterTheRecalculation) {
    // Block 1 was stored with the state signal S7 of a refused pair; the entry now reads S5. The
    // view step takes the entry: a recalculation after it paints the tab by S5 (normal), one
    // before it by S7 (erroneous), and the refresh does not paint a normal tab over it.
    struct Row {
        View view;
        BlockStatus tab;
    };
    const Row rows[] = {
        {View::BeforeRecalculation, BlockStatus::Normal},
        {View::AfterRecalculation, BlockStatus::Erroneous},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.view));
        ws = Workspace();
        Pair(7);
        Values({{7, 0}, {8, 0}, {5, 1}, {6, 1}});
        Show(1, "S7", {"V1=AND(S6)"}, {"V1=AND(S6)"});
        ASSERT_EQ(ws.Tabs[1], StatusLook(BlockStatus::Erroneous, ws.Tabs[1].enabled));
        ws.Fields.TS_State_Number = "S5";
        RunTsCascade(ws, {.view = row.view});
        EXPECT_EQ(B(1).StateSignal, 5);
        EXPECT_EQ(ws.CurrentView, Side::Off);
        EXPECT_EQ(ws.Tabs[1], StatusLook(row.tab, ws.Tabs[1].enabled));
    }
}

TEST_F(TsCascadeTest, TheRefreshComesAfterTheRecalculation) {
    // The OFF logic on view while the ON logic governs: the refresh parses only the logic on
    // view, so the verdict it shows is the new one only when the recalculation came first.
    Show(1, "S5", {"V1=AND(S6)"}, {"V1=AND(S7)"});
    SetView(ws, Side::Off);
    RefreshBlockDisplay(ws);
    const LabelLook forbidden = ws.Display.Top_Label6;
    Values({{6, 1}});
    RunTsCascade(ws, {.view = View::Keep});
    EXPECT_EQ(B(1).OnResult, 1);
    EXPECT_NE(ws.Display.Top_Label6, forbidden);
    const LabelLook shown = ws.Display.Top_Label6;
    RefreshBlockDisplay(ws);
    EXPECT_EQ(ws.Display.Top_Label6, shown);
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
