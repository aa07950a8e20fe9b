// The control permission report of the block on view: the verdict line with its hints and
// colours, the state marker, the unreliability warning, the header, the group tabs, the editor
// colouring decision and the two grids rebuilt with it.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/interlock/engine_fixture.h"
#include "interlock/report.h"
#include "interlock/workspace.h"

namespace interlock::test {
namespace {

constexpr Colour kBlack = 0x000000;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kGreen = 0x008000;

// ---- The verdict line ----

struct ReportCase {
    const char* name;
    const char* state;
    Lines on, off;
    void (*setup)(Workspace&);
    const char* label4;  // UTF-8
    const char* label5;
    const char* verdict;
    Colour verdictColour;
    const char* verdictHint;
    const char* warningHint = nullptr;  // Top_Label7 shown with this hint, or hidden
};

void On5Off1(Workspace& ws) { SetValues(ws, {{5, 1}, {1, 0}}); }
void On5On1(Workspace& ws) { SetValues(ws, {{5, 1}, {1, 1}}); }
void Off5Both0(Workspace& ws) { SetValues(ws, {{5, 0}, {1, 0}, {2, 0}}); }
void On5Both0(Workspace& ws) { SetValues(ws, {{5, 1}, {1, 0}, {2, 0}}); }
void Off5Name2(Workspace& ws) {
    Off5Both0(ws);
    ws.TsTable.Name[2] = "Q2";
}
void Off5(Workspace& ws) { SetValues(ws, {{5, 0}, {1, 1}, {2, 1}}); }
void InvalidPair5(Workspace& ws) {
    MakePair(ws, 5);
    SetValues(ws, {{5, 0}, {6, 0}});
}
void Hardware3InOn(Workspace& ws) {
    On5On1(ws);
    ws.TsTable.Unreliability[3] = 2;
}
void HardwareInOff(Workspace& ws) {
    On5On1(ws);
    SetValues(ws, {{3, 0}, {4, 0}, {6, 0}});
    ws.TsTable.Unreliability[3] = 2;
    ws.TsTable.Unreliability[4] = 2;
    ws.TsTable.Unreliability[6] = 1;
    ws.TsTable.Name[4] = W("Заземлитель");
}
void ManualInOn(Workspace& ws) {
    Off5(ws);
    SetValues(ws, {{7, 1}});
    ws.TsTable.Unreliability[2] = 1;
    ws.TsTable.Unreliability[7] = 1;
    ws.TsTable.Name[7] = W("Тележка");
}
void ManualState5(Workspace& ws) {
    On5On1(ws);
    ws.TsTable.Unreliability[5] = 1;
}
void ManualState5WithError(Workspace& ws) { ManualState5(ws); }
void HardwarePairSecond(Workspace& ws) {
    On5On1(ws);
    MakePair(ws, 5);
    ws.TsTable.Unreliability[6] = 2;
}
void HardwarePairSecondFromServer(Workspace& ws) {
    HardwarePairSecond(ws);
    ws.TsTable.FromServer[6] = 1;
}
void HardwareNotPair6(Workspace& ws) {
    On5On1(ws);
    ws.TsTable.Unreliability[6] = 2;
}
void HardwareState5Off(Workspace& ws) {
    SetValues(ws, {{5, 1}, {1, 1}});
    ws.TsTable.Unreliability[5] = 2;
}

class ReportTest : public EngineTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(ReportTest, VerdictLine) {
    const ReportCase& c = GetParam();
    if (c.setup) c.setup(ws);
    Show(1, c.state, c.on, c.off);
    const Screen& d = ws.Display;
    EXPECT_EQ(d.Top_Label4.text, W(c.label4));
    EXPECT_EQ(d.Top_Label5.text, W(c.label5));
    EXPECT_EQ(d.Top_Label6.text, W(c.verdict));
    EXPECT_EQ(d.Top_Label6.colour, c.verdictColour);
    EXPECT_EQ(d.Top_Label6.hint, W(c.verdictHint));
    EXPECT_TRUE(d.Top_Label6.visible);
    const bool marker = std::string(c.label4).ends_with("*");
    EXPECT_EQ(d.Top_Label4.colour, marker ? kRed : kBlack);
    EXPECT_EQ(d.Top_Label4.hintOn, marker);
    if (marker) {
        EXPECT_EQ(d.Top_Label4.hint, W("Недостоверность ТС состояния"));
    }
    EXPECT_EQ(d.Top_Label7.visible, c.warningHint != nullptr);
    if (c.warningHint) {
        EXPECT_EQ(d.Top_Label7.hint, W(c.warningHint));
        EXPECT_EQ(d.Top_Label7.colour, kRed);
        EXPECT_EQ(d.Top_Label7.text, W("Недостоверность ТС!"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Report, ReportTest,
    ::testing::Values(
        ReportCase{"EmptyWithoutState",
                   "",
                   {},
                   {},
                   nullptr,
                   "неизвестно",
                   "Управление:",
                   "???",
                   kBlack,
                   "Логика не рассчитана:\n\rПустой блок"},
        ReportCase{"LogicWithoutState",
                   "",
                   {"V1=AND(S1)"},
                   {},
                   On5On1,
                   "неизвестно",
                   "Управление:",
                   "ошибка!",
                   kRed,
                   "Неизвестно состояние аппарата"},
        ReportCase{"InvalidStatePair",
                   "S5",
                   {"V1=AND(S1)"},
                   {"V1=AND(S1)"},
                   InvalidPair5,
                   "неизвестно",
                   "Управление:",
                   "ошибка!",
                   kRed,
                   "Двухпозиционный сигнал состояния некорректен"},
        ReportCase{"OffForbiddenWithCandidate",
                   "S5",
                   {"V1=AND(S2)"},
                   {"V1=AND(S1)"},
                   On5Off1,
                   "включен",
                   "Отключение:",
                   "запрещено*",
                   kRed,
                   "Отключение коммутационного аппарата запрещено\n\r\n\rВозможные ТС для изменения: "
                   "\n\r\n\r- ТС1 = 0"},
        ReportCase{"InvertedStateGovernsOn",
                   "~S5",
                   {"V1=AND(S1)"},
                   {"V1=AND(S2)"},
                   On5On1,
                   "отключен",
                   "Включение:",
                   "разрешено",
                   kGreen,
                   "Включение коммутационного аппарата разрешено"},
        ReportCase{"OffAllowed",
                   "S5",
                   {"V1=AND(S2)"},
                   {"V1=OR(S1)"},
                   On5On1,
                   "включен",
                   "Отключение:",
                   "разрешено",
                   kGreen,
                   "Отключение коммутационного аппарата разрешено"},
        ReportCase{"OnAllowed",
                   "S5",
                   {"V1=AND(S1,S2)"},
                   {"V1=AND(S9)"},
                   Off5,
                   "отключен",
                   "Включение:",
                   "разрешено",
                   kGreen,
                   "Включение коммутационного аппарата разрешено"},
        ReportCase{"OnForbidden",
                   "S5",
                   {"V1=AND(S1,S2)"},
                   {},
                   Off5Both0,
                   "отключен",
                   "Включение:",
                   "запрещено",
                   kRed,
                   "Включение коммутационного аппарата запрещено"},
        ReportCase{"OffForbidden",
                   "S5",
                   {},
                   {"V1=AND(S1,S2)"},
                   On5Both0,
                   "включен",
                   "Отключение:",
                   "запрещено",
                   kRed,
                   "Отключение коммутационного аппарата запрещено"},
        ReportCase{"OnForbiddenWithCandidates",
                   "S5",
                   {"V1=OR(S1,S2)"},
                   {},
                   Off5Name2,
                   "отключен",
                   "Включение:",
                   "запрещено*",
                   kRed,
                   "Включение коммутационного аппарата запрещено\n\r\n\rВозможные ТС для изменения: \n\r"
                   "\n\r- ТС1 = 0\n\r- Q2 = 0 (ТС2)"},
        ReportCase{"OnLogicError",
                   "S5",
                   {"V1=AND(X1)"},
                   {"V1=AND(S1)"},
                   Off5,
                   "отключен",
                   "Включение:",
                   "ошибка!",
                   kRed,
                   "В логике включения: \n\r\n\rНекорректная переменная \"X1\" в строке: \r\rV1=AND(X1)"},
        ReportCase{"OffLogicError",
                   "S5",
                   {"V1=AND(S1)"},
                   {"M1=AND(S1)"},
                   On5On1,
                   "включен",
                   "Отключение:",
                   "ошибка!",
                   kRed,
                   "В логике отключения: \n\r\n\rОтсутствует выходной сигнал"},
        // after an error row the state marker is not applied
        ReportCase{"ErrorSkipsStateMarker",
                   "S5",
                   {},
                   {"V1=AND(S1"},
                   ManualState5WithError,
                   "включен",
                   "Отключение:",
                   "ошибка!",
                   kRed,
                   "В логике отключения: \n\r\n\rОтсутствует закрывающая скобка в строке: \r\rV1=AND(S1"},
        ReportCase{"OffEmpty",
                   "S5",
                   {"V1=AND(S1)"},
                   {},
                   On5On1,
                   "включен",
                   "Отключение:",
                   "???",
                   kBlack,
                   "Логика не рассчитана:\n\rПустой блок отключения"},
        ReportCase{"OnEmpty",
                   "S5",
                   {},
                   {"V1=AND(S1)"},
                   Off5,
                   "отключен",
                   "Включение:",
                   "???",
                   kBlack,
                   "Логика не рассчитана:\n\rПустой блок включения"},
        ReportCase{"EmptyBlockWithState",
                   "S5",
                   {},
                   {},
                   Off5,
                   "отключен",
                   "Включение:",
                   "???",
                   kBlack,
                   "Логика не рассчитана:\n\rПустой блок включения"},
        ReportCase{"InvertedOffEmpty",
                   "~S5",
                   {"V1=AND(S1)"},
                   {},
                   Off5,
                   "включен",
                   "Отключение:",
                   "???",
                   kBlack,
                   "Логика не рассчитана: пустой блок"},
        ReportCase{"InvertedOnEmpty",
                   "~S5",
                   {},
                   {"V1=AND(S1)"},
                   On5On1,
                   "отключен",
                   "Включение:",
                   "???",
                   kBlack,
                   "Логика не рассчитана: пустой блок"},
        ReportCase{"ErrorInOtherLogic",
                   "S5",
                   {"V1=AND(X1)"},
                   {"V1=OR(S1)"},
                   On5On1,
                   "включен",
                   "Отключение:",
                   "разрешено",
                   kGreen,
                   "Отключение коммутационного аппарата разрешено"},
        ReportCase{"HardwareInOtherLogic",
                   "S5",
                   {"V1=AND(S3)"},
                   {"V1=OR(S1)"},
                   Hardware3InOn,
                   "включен",
                   "Отключение:",
                   "разрешено",
                   kGreen,
                   "Отключение коммутационного аппарата разрешено"},
        ReportCase{
            "HardwareInGoverningLogic",
            "S5",
            {},
            {"V1=OR(S1,S6,S3,S4)"},
            HardwareInOff,
            "включен",
            "Отключение:",
            "запрещено**",
            kRed,
            "Управление коммутационным аппаратом запрещено\n\r\n\rАппаратная недостоверность данных ТС",
            "Аппаратная недостоверность данных ТС: \n\r\n\rТС3\n\rТС4: Заземлитель"},
        ReportCase{"ManualOnlyWarns",
                   "S5",
                   {"V1=AND(S2,S7)"},
                   {},
                   ManualInOn,
                   "отключен",
                   "Включение:",
                   "разрешено",
                   kGreen,
                   "Включение коммутационного аппарата разрешено",
                   "Ручная недостоверность данных ТС: \n\r\n\rТС2\n\rТС7: Тележка"},
        ReportCase{"StateMarker",
                   "S5",
                   {},
                   {"V1=OR(S1)"},
                   ManualState5,
                   "включен*",
                   "Отключение:",
                   "разрешено",
                   kGreen,
                   "Отключение коммутационного аппарата разрешено"},
        ReportCase{"StateMarkerFromPairSecond",
                   "S5",
                   {},
                   {"V1=OR(S1)"},
                   HardwarePairSecond,
                   "включен*",
                   "Отключение:",
                   "разрешено",
                   kGreen,
                   "Отключение коммутационного аппарата разрешено"},
        ReportCase{"PairSecondFromServerNoMarker",
                   "S5",
                   {},
                   {"V1=OR(S1)"},
                   HardwarePairSecondFromServer,
                   "включен",
                   "Отключение:",
                   "разрешено",
                   kGreen,
                   "Отключение коммутационного аппарата разрешено"},
        ReportCase{"NotAPairNoMarker",
                   "S5",
                   {},
                   {"V1=OR(S1)"},
                   HardwareNotPair6,
                   "включен",
                   "Отключение:",
                   "разрешено",
                   kGreen,
                   "Отключение коммутационного аппарата разрешено"},
        ReportCase{"InvertedStateMarker",
                   "~S5",
                   {"V1=AND(S1)"},
                   {},
                   HardwareState5Off,
                   "отключен*",
                   "Включение:",
                   "разрешено",
                   kGreen,
                   "Включение коммутационного аппарата разрешено"}),
    [](const auto& info) { return std::string(info.param.name); });

class ReportStateTest : public EngineTest {};

TEST_F(ReportStateTest, MarkerAndWarningAreClearedByTheNextRefresh) {
    Values({{5, 1}, {1, 1}});
    ws.TsTable.Unreliability[5] = 1;
    ws.TsTable.Unreliability[1] = 2;
    Show(1, "S5", {}, {"V1=OR(S1)"});
    ASSERT_EQ(ws.Display.Top_Label4.text, W("включен*"));
    ASSERT_TRUE(ws.Display.Top_Label7.visible);
    ASSERT_EQ(ws.Display.Top_Label6.text, W("запрещено**"));

    ws.TsTable.Unreliability[5] = 0;
    ws.TsTable.Unreliability[1] = 0;
    RecalculateAll(ws);
    RefreshBlockDisplay(ws);
    EXPECT_EQ(ws.Display.Top_Label4.text, W("включен"));
    EXPECT_EQ(ws.Display.Top_Label4.colour, kBlack);
    EXPECT_FALSE(ws.Display.Top_Label4.hintOn);
    EXPECT_FALSE(ws.Display.Top_Label7.visible);
    EXPECT_EQ(ws.Display.Top_Label6.text, W("разрешено"));
}

TEST_F(ReportStateTest, RefreshReparsesTheLogicOnViewWithPresentValues) {
    Values({{5, 1}, {1, 1}});
    Show(1, "S5", {"V1=AND(S2)"}, {"V1=AND(S1)"});
    ASSERT_EQ(ws.Display.Top_Label6.text, W("разрешено"));
    Values({{1, 0}});
    ws.Fields.Logic = {"typed but not committed"};
    RefreshBlockDisplay(ws);
    EXPECT_EQ(ws.Display.Top_Label6.text, W("запрещено*"));
    EXPECT_EQ(ws.Fields.Logic, (Lines{"V1=AND(S1)"}));
}

TEST_F(ReportStateTest, RefreshAppliesTheStateFieldWithoutChoosingTheView) {
    Values({{5, 1}, {1, 0}, {2, 1}});
    Show(1, "S5", {"V1=AND(S2)"}, {"V1=AND(S1)"});
    ASSERT_EQ(ws.CurrentView, Side::Off);
    ws.Fields.TS_State_Number = "~S5";
    RefreshBlockDisplay(ws);
    EXPECT_EQ(B(1).StateSignal, -5);
    EXPECT_EQ(ws.CurrentView, Side::Off);
    EXPECT_EQ(ws.Display.Top_Label4.text, W("отключен"));
    EXPECT_EQ(ws.Display.Top_Label6.text, W("разрешено"));
    EXPECT_EQ(ws.Display.Top_Label6.hint, W("Включение коммутационного аппарата разрешено"));
}

TEST_F(ReportStateTest, ErroneousBlockTabIsPaintedByTheReport) {
    Values({{5, 1}, {1, 1}});
    Show(1, "S5", {"V1=AND(X1)"}, {"V1=OR(S1)"});
    EXPECT_EQ(ws.Tabs[1].colour, kRed);
    EXPECT_EQ(ws.GroupTabs[0].colour, kRed);

    Show(2, "", {"V2=AND(S1)"}, {});
    EXPECT_EQ(ws.Tabs[2].colour, kRed);

    InvalidPair5(ws);
    Show(3, "S5", {"V3=AND(S1)"}, {});
    EXPECT_EQ(ws.Tabs[3].colour, kRed);
}

TEST_F(ReportStateTest, HeaderHint) {
    B(4).Name = "Q4";
    Show(4, "S1", {}, {}, "Q4");
    EXPECT_EQ(ws.Display.Top_Label_Name.text, "Q4");
    EXPECT_TRUE(ws.Display.Top_Label_Name.visible);
    EXPECT_EQ(ws.Display.Top_Label_Name.hint,
              W("Коммутационный аппарат: \"Q4\"\n\rВыходное реле №4\n\r\n\rФайл: \"-\""));

    ws.ConfigFileName = W("C:\\Блоки\\ячейка 12.blk");
    Show(12, "S1", {}, {}, W("Выключатель ВЛ-110"));
    EXPECT_EQ(ws.Display.Top_Label_Name.text, W("Выключатель ВЛ-110"));
    EXPECT_EQ(ws.Display.Top_Label_Name.hint,
              W("Коммутационный аппарат: \"Выключатель ВЛ-110\"\n\rВыходное реле №12\n\r\n\r"
                "Файл: \"C:\\Блоки\\ячейка 12.blk\""));

    Show(13, "S1", {}, {});
    EXPECT_EQ(ws.Display.Top_Label_Name.text, "");
    EXPECT_FALSE(ws.Display.Top_Label_Name.visible);
}

// ---- Group tabs ----

TEST(GroupTabs, ColourFollowsErroneousBlocksAndTheGroupOnShow) {
    const TabLook active{0x8000000D, 0xFFFFFF, false, true};
    const TabLook inactive{0xFBFFF0, 0x000000, true, false};
    struct Row {
        int tabGroup;
        int erroneousBlock;  // 0: none
        TabLook group0, group1;
    };
    const Row rows[] = {
        {0, 0, active, inactive},
        {0, 20, active, {kRed, 0xFFFFFF, true, true}},
        {0, 3, {kRed, 0xFFFFFF, false, true}, inactive},
        {0, 16, {kRed, 0xFFFFFF, false, true}, inactive},
        {1, 0, inactive, active},
        {1, 16, {kRed, 0xFFFFFF, true, true}, active},
        {1, 17, inactive, {kRed, 0xFFFFFF, false, true}},
        {1, 32, inactive, {kRed, 0xFFFFFF, false, true}},
    };
    for (const Row& r : rows) {
        Workspace ws;
        ws.TabGroup = r.tabGroup;
        ws.CurrentBlock = r.tabGroup == 0 ? 1 : 17;
        ws.Fields.TS_State_Number = "";
        if (r.erroneousBlock) ws.Blocks[r.erroneousBlock].OnLogic = {"V1=AND(S1)"};  // no state signal
        RefreshBlockDisplay(ws);
        EXPECT_EQ(ws.GroupTabs[0], r.group0) << "group " << r.tabGroup << " block " << r.erroneousBlock;
        EXPECT_EQ(ws.GroupTabs[1], r.group1) << "group " << r.tabGroup << " block " << r.erroneousBlock;
    }
}

// ---- Editor colouring ----

TEST(EditorColouring, DecisionFollowsTheBlock) {
    struct Row {
        const char* state;
        Lines on, off;
        bool colourChecked;
        EditorColouring colouring;
        const char* errorLine;
    };
    const Row rows[] = {
        {"", {}, {}, true, EditorColouring::Keep, ""},
        {"", {"V1=AND(S1)"}, {}, true, EditorColouring::Operands, ""},
        {"", {"V1=AND(S1)"}, {}, false, EditorColouring::Plain, ""},
        {"S5", {"M1=AND(S1)", "V1=AND(X1)"}, {}, true, EditorColouring::ErrorLine, "V1=AND(X1)"},
        {"S5", {"V1=AND(X1)"}, {}, false, EditorColouring::ErrorLine, "V1=AND(X1)"},
        {"S5", {"V1=AND(S1)"}, {"V1=AND(X1)"}, true, EditorColouring::Operands, ""},
        {"S5", {"V1=AND(S1)"}, {}, false, EditorColouring::Plain, ""},
    };
    for (const Row& r : rows) {
        Workspace ws;
        ws.Opts.Check_Color = r.colourChecked;
        Block& b = ws.Blocks[1];
        b.OnLogic = r.on;
        b.OffLogic = r.off;
        SetStateSignal(ws, 1, r.state);
        ShowBlock(ws, 1);  // TS 5 = 0: the ON logic is on view
        EXPECT_EQ(ws.Display.colouring, r.colouring) << r.state << " " << (r.on.empty() ? "" : r.on.back());
        if (r.colouring == EditorColouring::ErrorLine) {
            EXPECT_EQ(ws.Display.errorLine, r.errorLine);
        }
    }
}

TEST(EditorColouring, InvalidStatePairStillMarksTheErrorLine) {
    Workspace ws;
    MakePair(ws, 5);
    SetValues(ws, {{5, 1}, {6, 1}});
    ws.Blocks[1].OnLogic = {"V1=AND(S1"};
    SetStateSignal(ws, 1, "~S5");
    ShowBlock(ws, 1);
    EXPECT_EQ(ws.Display.Top_Label6.hint, W("Двухпозиционный сигнал состояния некорректен"));
    EXPECT_EQ(ws.Display.colouring, EditorColouring::ErrorLine);
    EXPECT_EQ(ws.Display.errorLine, "V1=AND(S1");
}

// ---- Grids ----

TEST(TsGrid, StateValueField) {
    struct Row {
        const char* state;
        int value;
        bool invalidPair;
        const char* text;
        Colour colour;
    };
    const Row rows[] = {
        {"S5", 1, false, "вкл", kGreen},  {"S5", 0, false, "откл", kRed},  {"~S5", 1, false, "откл", kRed},
        {"~S5", 0, false, "вкл", kGreen}, {"S5", 0, true, "---", kBlack},  {"~S5", 1, true, "---", kBlack},
        {"", 1, false, "---", kBlack},    {"D5", 1, false, "вкл", kGreen},
    };
    for (const Row& r : rows) {
        Workspace ws;
        if (r.invalidPair) {
            MakePair(ws, 5);
            SetValues(ws, {{6, r.value}});
        }
        SetValues(ws, {{5, r.value}});
        ws.Blocks[1].OnLogic = {"V1=AND(S1)"};
        SetStateSignal(ws, 1, r.state);
        ShowBlock(ws, 1);
        EXPECT_EQ(ws.Display.tsGrid.stateValueText, W(r.text)) << r.state << " " << r.value;
        EXPECT_EQ(ws.Display.tsGrid.stateValueColour, r.colour) << r.state << " " << r.value;
    }
}

std::string OrOfTs(int count) {
    std::string line = "V1=OR(";
    for (int n = 1; n <= count; ++n) line += (n > 1 ? ",S" : "S") + std::to_string(n);
    return line + ")";
}

TEST(TsGrid, WindowHeightShowsOrHidesTheGrid) {
    struct Row {
        Lines logic;
        bool showTs;
        int height;
        size_t columns;
    };
    const Row rows[] = {
        {{"M1=AND(M2)"}, true, 524, 0}, {{"M1=AND(M2)"}, false, 524, 0}, {{OrOfTs(1)}, true, 577, 1},
        {{OrOfTs(12)}, true, 577, 12},  {{OrOfTs(13)}, true, 596, 13},   {{OrOfTs(13)}, false, 524, 13},
        {{OrOfTs(12)}, false, 524, 12}, {{OrOfTs(40)}, true, 596, 40},
    };
    for (const Row& r : rows) {
        Workspace ws;
        ws.Opts.Check_Show_TS = r.showTs;
        ws.Blocks[1].OnLogic = r.logic;
        SetStateSignal(ws, 1, "S200");
        ShowBlock(ws, 1);
        EXPECT_EQ(ws.Display.tsGrid.windowHeight, r.height) << r.logic[0] << " show " << r.showTs;
        EXPECT_EQ(ws.Display.tsGrid.columns.size(), r.columns) << r.logic[0];
    }
}

TEST(TsGrid, ColumnsInTsOrderWithPairPartners) {
    Workspace ws;
    MakePair(ws, 7);
    SetValues(ws, {{7, 1}, {8, 0}, {3, -2}, {40, 1}});
    ws.Blocks[1].OnLogic = {"M1=OR(S40,D7)", "V1=AND(M1,~S3)"};
    SetStateSignal(ws, 1, "S200");
    ShowBlock(ws, 1);
    using Columns = std::vector<std::pair<int, int16_t>>;
    EXPECT_EQ(ws.Display.tsGrid.columns, (Columns{{3, -2}, {7, 1}, {8, 0}, {40, 1}}));
}

TEST(TsGrid, SecondTsOfAServerPairIsDerived) {
    for (bool secondFromServer : {true, false}) {
        Workspace ws;
        MakePair(ws, 7);
        SetValues(ws, {{7, 1}, {8, 1}});
        ws.TsTable.FromServer[7] = 1;
        ws.TsTable.FromServer[8] = secondFromServer;
        ws.Blocks[1].OnLogic = {"V1=AND(D7)"};
        SetStateSignal(ws, 1, "S200");
        ShowBlock(ws, 1);
        const int16_t expected = secondFromServer ? 0 : 1;
        EXPECT_EQ(ws.TsTable.Value[8], expected);
        using Columns = std::vector<std::pair<int, int16_t>>;
        EXPECT_EQ(ws.Display.tsGrid.columns, (Columns{{7, 1}, {8, expected}}));
    }
}

TEST(MGrid, ReadMVariablesThenTheOutputOfTheLogicOnView) {
    Workspace ws;
    SetValues(ws, {{1, 1}, {2, 0}, {9, 0}});
    Block& b = ws.Blocks[4];
    b.OnLogic = {"M3=AND(S1)", "M12=AND(S2)", "V4=AND(M3,~M12)"};
    b.OffLogic = {"M5=AND(S1,S2)", "V4=OR(S2)"};
    ws.CurrentBlock = 4;
    SetStateSignal(ws, 4, "S9");
    ShowBlock(ws, 4);
    using Rows = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(ws.Display.mGrid.rows, (Rows{{"M3", 1}, {"M12", 0}, {"V4", 1}}));
    EXPECT_EQ(ws.MVariables.Shown[3] + ws.MVariables.Shown[12], 2);

    // a variable that is only assigned is not listed; the V row shows the OFF result
    SetValues(ws, {{9, 1}});
    ShowBlock(ws, 4);
    ASSERT_EQ(ws.CurrentView, Side::Off);
    EXPECT_EQ(ws.Display.mGrid.rows, (Rows{{"V4", 0}}));
    EXPECT_EQ(ws.MVariables.Shown[3], 0);
}

}  // namespace
}  // namespace interlock::test
