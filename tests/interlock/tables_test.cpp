// The signal tables and the block operations: apparatus state, pair validity, used TS, the
// state signal entry, block status and the transfers between a block and the window fields.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/interlock/engine_fixture.h"
#include "interlock/engine_texts.h"
#include "interlock/parser.h"
#include "interlock/report.h"
#include "interlock/workspace.h"

namespace interlock::test {
namespace {

// ---- ApparatusIsOn and PairInvalid ----

TEST(ApparatusIsOn, ReadsTheStateSignalWithItsInversion) {
    struct Row {
        int s;
        int value;
        bool on;
    };
    const Row rows[] = {
        {5, 1, true},  {5, 0, false},  {-5, 0, true},  {-5, 1, false},
        {5, 2, false}, {-5, 2, false}, {256, 1, true}, {-256, 0, true},
    };
    for (const Row& r : rows) {
        Workspace ws;
        ws.TsTable.Value[r.s > 0 ? r.s : -r.s] = static_cast<int16_t>(r.value);
        EXPECT_EQ(ApparatusIsOn(ws, r.s), r.on) << "s=" << r.s << " value=" << r.value;
    }
}

TEST(PairInvalid, PairIsInvalidOnlyWhenBothValuesAgreeAndNotFromServer) {
    struct Row {
        bool twoPosition;
        int first, second;
        bool fromServer;
        bool invalid;
    };
    const Row rows[] = {
        {true, 1, 1, false, true},   {true, 0, 0, false, true},   {true, 1, 0, false, false},
        {true, 0, 1, false, false},  {true, 1, 1, true, false},   {true, 0, 0, true, false},
        {false, 1, 1, false, false}, {false, 0, 0, false, false},
    };
    for (const Row& r : rows) {
        Workspace ws;
        if (r.twoPosition) MakePair(ws, 5);
        SetValues(ws, {{5, r.first}, {6, r.second}});
        ws.TsTable.FromServer[5] = r.fromServer;
        EXPECT_EQ(PairInvalid(ws, 5), r.invalid) << "pair=" << r.twoPosition << " values " << r.first << "/"
                                                 << r.second << " server=" << r.fromServer;
    }
}

// ---- CollectUsedTs ----

struct CollectCase {
    const char* name;
    Lines editor;
    std::vector<int> pairs;  // TS that start a two-position pair
    std::vector<int> used;
};

class CollectUsedTsTest : public ::testing::TestWithParam<CollectCase> {};

TEST_P(CollectUsedTsTest, MarksTheTsNamedInTheEditor) {
    const CollectCase& c = GetParam();
    Workspace ws;
    for (int n : c.pairs) MakePair(ws, n);
    ws.Fields.Logic = c.editor;
    ClearUsedTs(ws);
    CollectUsedTs(ws);
    EXPECT_EQ(UsedTs(ws), c.used);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, CollectUsedTsTest,
    ::testing::Values(
        CollectCase{"PairPartnerAndNotTheDOfAnd", {"V3=AND(S5,~D7)"}, {7}, {5, 7, 8}},
        CollectCase{"NoPairNoPartner", {"V3=AND(S5,~D7)"}, {}, {5, 7}},
        CollectCase{"OutOfRange", {"V3=AND(S300)"}, {}, {}},
        CollectCase{"LetterAlone", {"V3=AND(S)"}, {}, {}}, CollectCase{"NotANumber", {"V3=AND(Sx)"}, {}, {}},
        CollectCase{"ZeroIsNoTs", {"V3=OR(S0,D257)"}, {}, {}},
        CollectCase{"BlanksAndHex", {"V3=AND(S 5,D$A,S0x10)"}, {}, {5, 10, 16}},
        CollectCase{"TokenAtLineStart", {"S12"}, {}, {12}},
        CollectCase{"TrailingBlankIsRefused", {"V3=AND(S5 )"}, {}, {}},
        CollectCase{"EndIsSkipped", {"END", "IF (S4)"}, {}, {4}},
        CollectCase{"MOperandsAreNotTs", {"M1=AND(S2)", "V3=OR(M1,M2)"}, {}, {2}},
        CollectCase{"Ts256HasNoPartner", {"V3=AND(D256)"}, {256}, {256}},
        CollectCase{"SeveralLinesAccumulate", {"M1=OR(S1,S200)", "", "V3=AND(M1,~S3)"}, {}, {1, 3, 200}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClearUsedTs, ClearsTs1To256) {
    Workspace ws;
    for (int n = 1; n <= kTsCount; ++n) ws.TsTable.UsedInLogic[n] = 1;
    ClearUsedTs(ws);
    EXPECT_TRUE(UsedTs(ws).empty());
}

// ---- SetStateSignal ----

struct StateCase {
    const char* entry;
    int signal;
    const char* field;
};

class SetStateSignalTest : public ::testing::TestWithParam<StateCase> {};

TEST_P(SetStateSignalTest, StoresTheSignalAndShowsTheNormalisedEntry) {
    const StateCase& c = GetParam();
    Workspace ws;
    ws.Blocks[3].StateSignal = 99;
    SetStateSignal(ws, 3, c.entry);
    EXPECT_EQ(ws.Blocks[3].StateSignal, c.signal) << "entry [" << c.entry << "]";
    EXPECT_EQ(ws.Fields.TS_State_Number, c.field) << "entry [" << c.entry << "]";
    EXPECT_TRUE(ws.Messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Block, SetStateSignalTest,
    ::testing::Values(StateCase{"~S5", -5, "~S5"}, StateCase{"S5", 5, "S5"}, StateCase{"D7", 7, "D7"},
                      StateCase{"~D7", -7, "~D7"}, StateCase{"S256", 256, "S256"},
                      StateCase{"D255", 255, "D255"}, StateCase{"~S05", -5, "~S05"},
                      StateCase{"S$A", 10, "S$A"}, StateCase{"S 5", 5, "S 5"}, StateCase{"S1", 1, "S1"},
                      // everything unusable becomes no state signal
                      StateCase{"", 0, "---"}, StateCase{"s5", 0, "---"}, StateCase{"S0", 0, "---"},
                      StateCase{"S257", 0, "---"}, StateCase{"X5", 0, "---"}, StateCase{"~", 0, "---"},
                      StateCase{"D256", 0, "---"}, StateCase{"~D256", 0, "---"}, StateCase{"S", 0, "---"},
                      StateCase{"S5 ", 0, "---"}, StateCase{"~~S5", 0, "---"}, StateCase{"S-5", 0, "---"},
                      StateCase{" S5", 0, "---"}, StateCase{"-", 0, "---"}));

TEST(SetStateSignal, BadBlockNumberRaisesTheWarningAndChangesNothing) {
    for (int number : {0, 33, -1}) {
        Workspace ws;
        ws.Fields.TS_State_Number = "S9";
        SetStateSignal(ws, number, "S5");
        ASSERT_EQ(ws.Messages.size(), 1u);
        EXPECT_EQ(ws.Messages[0].text,
                  W("Внимание! Некорректный номер выходного реле - ") + std::to_string(number));
        EXPECT_EQ(ws.Messages[0].caption, W("Внимание"));
        EXPECT_EQ(ws.Messages[0].icon, Icon::Error);
        EXPECT_EQ(ws.Fields.TS_State_Number, "S9");
        for (int n = 1; n <= kBlockCount; ++n) EXPECT_EQ(ws.Blocks[n].StateSignal, 0);
    }
}

// ---- Block status ----

enum class Expect { Empty, Erroneous, Normal };

struct StatusCase {
    const char* name;
    Lines on, off;
    int stateSignal;
    void (*setup)(Workspace&);
    bool erroneous;
    Expect status;
};

class BlockStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(BlockStatusTest, StatusAndTabColourFollowTheBlock) {
    const StatusCase& c = GetParam();
    Workspace ws;
    if (c.setup) c.setup(ws);
    Block& b = ws.Blocks[5];
    b.OnLogic = c.on;
    b.OffLogic = c.off;
    b.StateSignal = static_cast<int16_t>(c.stateSignal);
    Recalculate(ws, 5);
    EXPECT_EQ(IsErroneous(ws, b), c.erroneous);
    const TabLook& tab = ws.Tabs[5];
    switch (c.status) {
        case Expect::Empty:
            EXPECT_EQ(StatusOf(ws, b), BlockStatus::Empty);
            EXPECT_EQ(tab, (TabLook{0xFFFBF0, 0x000000, true, false}));
            break;
        case Expect::Erroneous:
            EXPECT_EQ(StatusOf(ws, b), BlockStatus::Erroneous);
            EXPECT_EQ(tab, (TabLook{0x0000FF, 0xFFFFFF, true, true}));
            break;
        case Expect::Normal:
            EXPECT_EQ(StatusOf(ws, b), BlockStatus::Normal);
            EXPECT_EQ(tab, (TabLook{0x8000000D, 0xFFFFFF, true, true}));
            break;
    }
}

void InvalidStatePair(Workspace& ws) {
    MakePair(ws, 9);
    SetValues(ws, {{9, 1}, {10, 1}});
}
void InvalidStatePairFromServer(Workspace& ws) {
    InvalidStatePair(ws);
    ws.TsTable.FromServer[9] = 1;
}
// Apparatus ON through S9; TS 20 has hardware unreliability.
void OnWithHardwareTs20(Workspace& ws) {
    SetValues(ws, {{9, 1}, {20, 1}});
    ws.TsTable.Unreliability[20] = 2;
}
void OffWithHardwareTs20(Workspace& ws) {
    SetValues(ws, {{9, 0}, {20, 1}});
    ws.TsTable.Unreliability[20] = 2;
}
void OnWithManualTs20(Workspace& ws) {
    SetValues(ws, {{9, 1}, {20, 1}});
    ws.TsTable.Unreliability[20] = 1;
}

INSTANTIATE_TEST_SUITE_P(
    Block, BlockStatusTest,
    ::testing::Values(
        StatusCase{"Fresh", {}, {}, 0, nullptr, false, Expect::Empty},
        StatusCase{"EmptyWithState", {}, {}, 9, nullptr, false, Expect::Empty},
        // an empty block with an invalid state pair is erroneous but its tab still shows Empty
        StatusCase{"EmptyWithInvalidStatePair", {}, {}, 9, InvalidStatePair, true, Expect::Empty},
        StatusCase{"BothLogicsParse", {"V5=AND(S1)"}, {"V5=OR(S2)"}, 9, nullptr, false, Expect::Normal},
        StatusCase{"OnlyOnLogic", {"V5=AND(S1)"}, {}, -9, nullptr, false, Expect::Normal},
        StatusCase{"NoStateSignal", {"V5=AND(S1)"}, {"V5=OR(S2)"}, 0, nullptr, true, Expect::Erroneous},
        StatusCase{"OneEmptyLine", {""}, {}, 9, nullptr, true, Expect::Erroneous},
        StatusCase{"OffLogicError", {"V5=AND(S1)"}, {"V5=AND(X1)"}, 9, nullptr, true, Expect::Erroneous},
        StatusCase{"InvalidStatePair", {"V5=AND(S1)"}, {}, 9, InvalidStatePair, true, Expect::Erroneous},
        StatusCase{
            "StatePairFromServer", {"V5=AND(S1)"}, {}, 9, InvalidStatePairFromServer, false, Expect::Normal},
        StatusCase{"HardwareInLogicNotGoverning",
                   {"V5=AND(S20)"},
                   {"V5=AND(S1)"},
                   9,
                   OnWithHardwareTs20,
                   false,
                   Expect::Normal},
        StatusCase{"HardwareInGoverningOffLogic",
                   {"V5=AND(S1)"},
                   {"V5=AND(S20)"},
                   9,
                   OnWithHardwareTs20,
                   true,
                   Expect::Erroneous},
        StatusCase{"HardwareInGoverningOnLogic",
                   {"V5=AND(S20)"},
                   {"V5=AND(S1)"},
                   9,
                   OffWithHardwareTs20,
                   true,
                   Expect::Erroneous},
        StatusCase{"InvertedStateFlipsGoverning",
                   {"V5=AND(S20)"},
                   {"V5=AND(S1)"},
                   -9,
                   OnWithHardwareTs20,
                   true,
                   Expect::Erroneous},
        StatusCase{
            "ManualOnlyWarns", {"V5=AND(S1)"}, {"V5=AND(S20)"}, 9, OnWithManualTs20, false, Expect::Normal}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BlockStatus, FromServerFlagRepairsTheStatePair) {
    Workspace ws;
    InvalidStatePair(ws);
    Block& b = ws.Blocks[5];
    b.OnLogic = {"V5=AND(S1)"};
    b.StateSignal = 9;
    Recalculate(ws, 5);
    EXPECT_TRUE(IsErroneous(ws, b));
    ws.TsTable.FromServer[9] = 1;
    Recalculate(ws, 5);
    EXPECT_FALSE(IsErroneous(ws, b));
    EXPECT_EQ(ws.Tabs[5].colour, 0x8000000Du);
}

TEST(BlockStatus, PaintingKeepsEnabledAndSkipsTheGroupNotOnShow) {
    Workspace ws;
    ws.Tabs[1].enabled = false;  // the selected tab
    ws.Blocks[1].OnLogic = {"V1=AND(S1)"};
    ws.Blocks[17].OnLogic = {"V17=AND(S1)"};
    const std::array<TabLook, 17> before = ws.Tabs;
    Recalculate(ws, 1);
    EXPECT_EQ(ws.Tabs[1], (TabLook{0x0000FF, 0xFFFFFF, false, true}));
    Recalculate(ws, 17);  // group 17..32 is not on show
    for (int i = 2; i <= 16; ++i) EXPECT_EQ(ws.Tabs[i], before[i]) << "tab " << i;

    ws.TabGroup = 1;
    Recalculate(ws, 17);
    EXPECT_EQ(ws.Tabs[1], (TabLook{0x0000FF, 0xFFFFFF, false, true}));
    ws.Tabs[2] = InactiveTabLook();
    ws.Blocks[2].OnLogic = {"V2=AND(S1)"};
    Recalculate(ws, 2);  // block 2 is not on show now
    EXPECT_EQ(ws.Tabs[2], InactiveTabLook());
}

TEST(BlockReset, ClearsEverythingButNumberAndCandidates) {
    Block b;
    b.Create(7);
    b.Name = "Q";
    b.OnResult = b.OffResult = 1;
    b.OnError = b.OffError = b.OnEmpty = b.OffEmpty = true;
    b.OnErrorMessage = b.OffErrorMessage = b.OnErrorLine = b.OffErrorLine = "x";
    b.OnUnreliability[0] = b.OffUnreliability[256] = 2;
    b.OnLogic = b.OffLogic = {"V7=AND(S1)"};
    b.StateSignal = -4;
    b.OnCandidates = "keep";
    b.OnHasCandidates = true;
    b.Reset();
    EXPECT_EQ(b.Number, 7);
    EXPECT_TRUE(b.Name.empty());
    EXPECT_EQ(b.OnResult + b.OffResult, 0);
    EXPECT_FALSE(b.OnError || b.OffError || b.OnEmpty || b.OffEmpty);
    EXPECT_TRUE(b.OnErrorMessage.empty() && b.OffErrorMessage.empty());
    EXPECT_TRUE(b.OnErrorLine.empty() && b.OffErrorLine.empty());
    EXPECT_EQ(b.OnUnreliability[0], 0);
    EXPECT_EQ(b.OffUnreliability[256], 0);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(b.StateSignal, 0);
    EXPECT_EQ(b.OnCandidates, "keep");
    EXPECT_TRUE(b.OnHasCandidates);
}

// ---- Transfers between the block and the window ----

class BlockTransferTest : public EngineTest {};

TEST_F(BlockTransferTest, ShowBlockWritesTheStateFieldInItsOwnForm) {
    struct Row {
        const char* entry;
        const char* shown;
    };
    const Row rows[] = {{"D7", "S7"}, {"~D7", "~S7"}, {"~S05", "~S5"}, {"S$A", "S10"}, {"", "---"}};
    for (const Row& r : rows) {
        SetStateSignal(ws, 1, r.entry);
        ShowBlock(ws, 1);
        EXPECT_EQ(ws.Fields.TS_State_Number, r.shown) << r.entry;
    }
}

TEST_F(BlockTransferTest, ShowBlockChoosesTheViewAndLoadsTheEditor) {
    Values({{5, 1}});
    ws.Fields.Logic = {"stale"};
    Show(2, "S5", {"V2=AND(S1)"}, {"V2=OR(S3)"}, "Q2");
    EXPECT_EQ(ws.Fields.Block_Name, "Q2");
    EXPECT_EQ(ws.CurrentView, Side::Off);
    EXPECT_EQ(ws.Fields.Logic, (Lines{"V2=OR(S3)"}));
    EXPECT_EQ(ws.Tabs[2].colour, 0x8000000Du);

    Values({{5, 0}});
    ShowBlock(ws, 2);
    EXPECT_EQ(ws.CurrentView, Side::On);
    EXPECT_EQ(ws.Fields.Logic, (Lines{"V2=AND(S1)"}));

    // a block without a state signal opens on the ON logic
    Show(3, "", {"V3=AND(S1)"}, {"V3=AND(S2)"});
    EXPECT_EQ(ws.CurrentView, Side::On);
    EXPECT_EQ(ws.Fields.Logic, (Lines{"V3=AND(S1)"}));
}

TEST_F(BlockTransferTest, ShowBlockRefreshesOnlyTheCurrentBlock) {
    B(4).OnLogic = {"V4=AND(S1)"};
    B(4).StateSignal = 2;
    unsigned before = ws.Display.refreshCount;
    ShowBlock(ws, 1);
    EXPECT_GT(ws.Display.refreshCount, before);
    before = ws.Display.refreshCount;
    ws.CurrentBlock = 1;
    ShowBlock(ws, 4);
    EXPECT_EQ(ws.Display.refreshCount, before);
    EXPECT_EQ(ws.Tabs[4].colour, 0x8000000Du);  // but recalculated
}

TEST_F(BlockTransferTest, CommitEditorStoresTheEditorIntoTheLogicOnView) {
    Show(1, "S5", {"V1=AND(S1)"}, {"V1=AND(S2)"});
    ASSERT_EQ(ws.CurrentView, Side::On);
    ws.Fields.Logic = {"M1=OR(S7)", "V1=AND(M1)"};
    ws.Fields.TS_State_Number = "~S3";
    ws.Fields.Block_Name = "Q1";
    unsigned before = ws.Display.refreshCount;
    CommitEditor(ws, 1);
    EXPECT_EQ(B(1).OnLogic, (Lines{"M1=OR(S7)", "V1=AND(M1)"}));
    EXPECT_EQ(B(1).OffLogic, (Lines{"V1=AND(S2)"}));
    EXPECT_EQ(B(1).StateSignal, -3);
    EXPECT_EQ(ws.Fields.TS_State_Number, "~S3");
    EXPECT_EQ(B(1).Name, "Q1");
    EXPECT_GT(ws.Display.refreshCount, before);
    EXPECT_EQ(ws.Display.Top_Label_Name.text, "Q1");

    SetView(ws, Side::Off);
    ws.Fields.Logic = {"V1=OR(S9)"};
    ws.Fields.TS_State_Number = "S0";
    CommitEditor(ws, 1);
    EXPECT_EQ(B(1).OffLogic, (Lines{"V1=OR(S9)"}));
    EXPECT_EQ(B(1).OnLogic, (Lines{"M1=OR(S7)", "V1=AND(M1)"}));
    EXPECT_EQ(B(1).StateSignal, 0);
    EXPECT_EQ(ws.Fields.TS_State_Number, "---");
}

TEST_F(BlockTransferTest, SelectViewByStateFollowsTheApparatus) {
    struct Row {
        const char* field;
        int value;
        Side view;
        int signal;
    };
    const Row rows[] = {
        {"S5", 1, Side::Off, 5}, {"S5", 0, Side::On, 5}, {"~S5", 0, Side::Off, -5}, {"~S5", 1, Side::On, -5},
        {"", 1, Side::On, 0},    {"X5", 1, Side::On, 0}, {"D5", 1, Side::Off, 5},   {"S5", 2, Side::On, 5},
    };
    for (const Row& r : rows) {
        Values({{5, r.value}});
        ws.CurrentBlock = 2;
        ws.CurrentView = r.view == Side::On ? Side::Off : Side::On;
        ws.Fields.TS_State_Number = r.field;
        ws.Fields.Logic = {"unchanged"};
        SelectViewByState(ws);
        EXPECT_EQ(ws.CurrentView, r.view) << r.field << " value " << r.value;
        EXPECT_EQ(B(2).StateSignal, r.signal) << r.field;
        EXPECT_EQ(ws.Fields.Logic, (Lines{"unchanged"}));
    }
}

TEST_F(BlockTransferTest, RecalculateButtonTakesANewStateSignal) {
    Values({{5, 0}, {3, 0}, {2, 1}});
    Show(1, "S5", {"V1=AND(S1)"}, {"V1=AND(S2)"});
    ASSERT_EQ(ws.CurrentView, Side::On);
    ws.Fields.Logic = {"V1=OR(S4)"};
    ws.Fields.Block_Name = "Q7";
    ws.Fields.TS_State_Number = "~S3";
    RecalculateButton(ws);
    EXPECT_EQ(B(1).OnLogic, (Lines{"V1=OR(S4)"}));
    EXPECT_EQ(B(1).Name, "Q7");
    EXPECT_EQ(B(1).StateSignal, -3);
    EXPECT_EQ(ws.CurrentView, Side::Off);  // ~S3 with TS 3 = 0: the apparatus is ON
    EXPECT_EQ(ws.Fields.Logic, (Lines{"V1=AND(S2)"}));
    EXPECT_EQ(ws.Display.Top_Label4.text, W("включен"));
    EXPECT_EQ(ws.Display.Top_Label6.text, W("разрешено"));
    EXPECT_EQ(ws.Tabs[1].colour, 0x8000000Du);
}

TEST_F(BlockTransferTest, NullifyEmptiesEveryBlockAndKeepsTheSignals) {
    Pair(10);
    Values({{10, 1}, {11, 0}, {1, 1}});
    ws.TsTable.Inverted[3] = 1;
    ws.TsTable.Name[1] = "Q";
    ws.MVariables.Value[4] = 1;
    for (int n : {1, 16, 17, 32}) {
        B(n).OnLogic = {"V" + std::to_string(n) + "=AND(S1)"};
        B(n).StateSignal = 10;
        B(n).Name = "N";
    }
    Show(1, "S10", B(1).OnLogic, {}, "N");
    const TsTableData ts = ws.TsTable;

    NullifyConfirmed(ws);
    for (int n = 1; n <= kBlockCount; ++n) {
        EXPECT_TRUE(B(n).IsEmpty()) << n;
        EXPECT_EQ(B(n).StateSignal, 0) << n;
        EXPECT_TRUE(B(n).Name.empty()) << n;
    }
    for (int i = 2; i <= 16; ++i) EXPECT_EQ(ws.Tabs[i].colour, 0xFFFBF0u) << i;
    EXPECT_EQ(ws.TsTable.Value, ts.Value);
    EXPECT_EQ(ws.TsTable.TwoPosition, ts.TwoPosition);
    EXPECT_EQ(ws.TsTable.PairSecond, ts.PairSecond);
    EXPECT_EQ(ws.TsTable.Inverted, ts.Inverted);
    EXPECT_EQ(ws.TsTable.Name, ts.Name);
    EXPECT_EQ(ws.MVariables.Value[4], 1);
    EXPECT_EQ(ws.Fields.TS_State_Number, "---");
    EXPECT_EQ(ws.Display.Top_Label6.text, "???");
    ASSERT_EQ(ws.Messages.size(), 1u);
    EXPECT_EQ(ws.Messages[0],
              (Message{W("Логика конфигурации блока обнулена. Данные ТС оставлены без изменения"),
                       W("Обнуление блока"), Icon::Warning}));
}

TEST(SplitEditorText, LinesAsALineListHoldsThem) {
    EXPECT_TRUE(SplitEditorText("").empty());
    EXPECT_EQ(SplitEditorText("A"), (Lines{"A"}));
    EXPECT_EQ(SplitEditorText("A\r\nB\r\n"), (Lines{"A", "B"}));
    EXPECT_EQ(SplitEditorText("A\n\nB"), (Lines{"A", "", "B"}));
    EXPECT_EQ(SplitEditorText("\r\n"), (Lines{""}));
}

}  // namespace
}  // namespace interlock::test
