// The logic language: every error message byte for byte, the order of the checks, the
// 100-character limit, and what a parse leaves behind (M values, used TS, unreliability).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/interlock/engine_fixture.h"
#include "interlock/parser.h"
#include "interlock/workspace.h"

namespace interlock::test {
namespace {

constexpr int kNoLine = -1;

struct ErrorCase {
    const char* name;
    Lines lines;
    const char* message;  // UTF-8, without the line part
    int line = 0;         // index of the offending line, or kNoLine
    int block = 3;
    void (*setup)(Workspace&) = nullptr;
};

// The stored error: message, " в строке: ", CR CR and the line as cut to 100 characters.
std::string Stored(const ErrorCase& c) {
    std::string text = W(c.message);
    if (c.line != kNoLine) text += W(" в строке: ") + "\r\r" + c.lines[c.line].substr(0, 100);
    return text;
}

// "V3=AND(" followed by operands S1, S1, ... and then `tail`, so that the operand list ends at the
// given position.
std::string LongLine(const std::string& tail) {
    std::string line = "V3=AND(";
    while (line.size() + 3 <= 97) line += "S1,";
    return line + tail;
}

void Pair5Invalid(Workspace& ws) {
    MakePair(ws, 5);
    SetValues(ws, {{5, 0}, {6, 0}});
}
void Pair5InvalidNamed(Workspace& ws) {
    Pair5Invalid(ws);
    ws.TsTable.Name[5] = W("Разъединитель Р-5");
}
void Pair256(Workspace& ws) { ws.TsTable.TwoPosition[256] = 1; }

class ParseErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ParseErrorTest, StoresTheFirstErrorWithItsLine) {
    const ErrorCase& c = GetParam();
    for (Side side : {Side::On, Side::Off}) {
        Workspace ws;
        if (c.setup) c.setup(ws);
        SetValues(ws, {{1, 1}, {2, 1}, {7, 2}});
        ws.TsTable.Unreliability[1] = 2;
        Block& b = ws.Blocks[c.block];
        auto f = b.Of(side);
        f.Logic = c.lines;
        f.Result = 1;
        f.Unreliability[1] = 2;
        ParseLogic(ws, b, side);
        SCOPED_TRACE(SideName(side));
        EXPECT_TRUE(f.Error);
        EXPECT_EQ(f.ErrorMessage, Stored(c));
        EXPECT_EQ(f.ErrorLine, c.line == kNoLine ? "" : c.lines[c.line].substr(0, 100));
        EXPECT_EQ(f.Result, 0);
        EXPECT_FALSE(f.Empty);
        for (int n = 0; n <= kTsCount; ++n) ASSERT_EQ(f.Unreliability[n], 0) << "index " << n;
        auto other = b.Of(side == Side::On ? Side::Off : Side::On);
        EXPECT_FALSE(other.Error);
        EXPECT_TRUE(other.ErrorMessage.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Parser, ParseErrorTest,
    ::testing::Values(
        // the target
        ErrorCase{"LeadingBlank", {" V3=AND(S1)"}, "Некорректная переменная"},
        ErrorCase{"LowerCaseTarget", {"v3=AND(S1)"}, "Некорректная переменная"},
        ErrorCase{"OtherLetter", {"X3=AND(S1)"}, "Некорректная переменная"},
        ErrorCase{"NoTargetNumberV", {"V=AND(S1)"}, "Отсутствует номер выходной переменной"},
        ErrorCase{"NoTargetNumberM", {"M=AND(S1)"}, "Отсутствует номер выходной переменной"},
        ErrorCase{"NoEqualsBeforeA", {"M1AND(S1)"}, "Отсутствует знак равенства"},
        ErrorCase{"NoEqualsBeforeO", {"V3OR(S1)"}, "Отсутствует знак равенства"},
        ErrorCase{"NoEqualsLineEnds", {"V3"}, "Отсутствует знак равенства"},
        ErrorCase{"LetterAlone", {"V"}, "Отсутствует знак равенства"},
        ErrorCase{"TargetV33", {"V33=AND(S1)"}, "Некорректная выходная переменная \"V33\""},
        ErrorCase{"TargetV0", {"V0=AND(S1)"}, "Некорректная выходная переменная \"V0\""},
        ErrorCase{"TargetM0", {"M0=AND(S1)"}, "Некорректная выходная переменная \"M0\""},
        ErrorCase{"TargetM17", {"M17=AND(S1)"}, "Некорректная выходная переменная \"M17\""},
        ErrorCase{"TargetTrailingBlank", {"V3 =AND(S1)"}, "Некорректная выходная переменная \"V3 \""},
        // the first character after the letter is always part of the number, even A or O
        ErrorCase{"TargetIsA", {"VA=AND(S1)"}, "Некорректная выходная переменная \"VA\""},
        ErrorCase{"TargetIsO", {"MO=AND(S1)"}, "Некорректная выходная переменная \"MO\""},
        // the operation
        ErrorCase{"NoOperation", {"V3=(S1)"}, "Отсутствует операция"},
        ErrorCase{"NothingAfterEquals", {"V3="}, "Отсутствует операция"},
        ErrorCase{"LowerCaseOperation", {"V3=and(S1)"}, "Некорректная операция \"and\""},
        ErrorCase{"NoBracket", {"V3=AND S1"}, "Некорректная операция \"AND S1\""},
        ErrorCase{"OperationEndsLine", {"V3=AND"}, "Некорректная операция \"AND\""},
        ErrorCase{"NoBracketCutTo15", {"V3=ORORORORORORORORX"}, "Некорректная операция \"ORORORORORORORO\""},
        ErrorCase{"Xor", {"V3=XOR(S1)"}, "Некорректная операция \"XOR\""},
        ErrorCase{"NegatedXor", {"V3=~XOR(S1)"}, "Некорректная операция \"~XOR\""},
        ErrorCase{"NegationAlone", {"V3=~(S1)"}, "Некорректная операция \"~\""},
        ErrorCase{"DoubleNegation", {"V3=~~AND(S1)"}, "Некорректная операция \"~~AND\""},
        ErrorCase{"SecondEquals", {"M1==AND(S1)"}, "Некорректная операция \"=AND\""},
        ErrorCase{"LongOperationCutTo15",
                  {"V3=~ANDANDANDANDANDX(S1)"},
                  "Некорректная операция \"~ANDANDANDANDAN\""},
        // the brackets
        ErrorCase{"BlankAfterBracket", {"V3=AND(S1) "}, "Имеются какие-то данные после закрывающей скобки"},
        ErrorCase{
            "SecondClosingBracket", {"V3=AND(S1))"}, "Имеются какие-то данные после закрывающей скобки"},
        ErrorCase{
            "OperandAfterBracket", {"V3=AND(S1)S2"}, "Имеются какие-то данные после закрывающей скобки"},
        ErrorCase{"NoClosingBracket", {"V3=AND(S1"}, "Отсутствует закрывающая скобка"},
        ErrorCase{"EndsAfterComma", {"V3=AND(S1,"}, "Отсутствует закрывающая скобка"},
        ErrorCase{"InnerBracket", {"V3=AND(S1,(S2))"}, "Повторена открывающая скобка"},
        ErrorCase{"DoubleOpening", {"V3=AND((S1))"}, "Повторена открывающая скобка"},
        // empty operands
        ErrorCase{"EndsAfterOpening", {"V3=AND("}, "Пустая переменная"},
        ErrorCase{"TildeOperand", {"V3=AND(S1,~)"}, "Пустая переменная"},
        ErrorCase{"TildeOnly", {"V3=OR(~)"}, "Пустая переменная"},
        ErrorCase{"DoubledCommaTilde", {"V3=AND(S1,,~)"}, "Пустая переменная"},
        // operand numbers
        ErrorCase{"BracketTakenAsOperand", {"V3=AND(S1,)"}, "Некорректная входная переменная \")\""},
        ErrorCase{"EmptyList", {"V3=AND()"}, "Некорректная входная переменная \")\""},
        ErrorCase{"DoubledComma", {"V3=AND(S1,,S2)"}, "Некорректная входная переменная \",S2\""},
        ErrorCase{"LeadingComma", {"V3=AND(,S1)"}, "Некорректная входная переменная \",S1\""},
        ErrorCase{"S300", {"V3=AND(S300)"}, "Некорректная входная переменная \"S300\""},
        ErrorCase{"NegatedS300", {"V3=AND(~S300)"}, "Некорректная входная переменная \"S300\""},
        ErrorCase{"DoubleTilde", {"V3=AND(~~S1)"}, "Некорректная входная переменная \"~S1\""},
        ErrorCase{"S0", {"V3=OR(S0)"}, "Некорректная входная переменная \"S0\""},
        ErrorCase{"S257", {"V3=OR(S257)"}, "Некорректная входная переменная \"S257\""},
        ErrorCase{"S0000", {"V3=OR(~S0000)"}, "Некорректная входная переменная \"S0000\""},
        ErrorCase{"SAlone", {"V3=OR(S)"}, "Некорректная входная переменная \"S\""},
        ErrorCase{"TrailingBlankOperand", {"V3=AND(S5 )"}, "Некорректная входная переменная \"S5 \""},
        ErrorCase{"NegativeTs", {"V3=AND(S-1)"}, "Некорректная входная переменная \"S-1\""},
        ErrorCase{"M0", {"V3=AND(M0)"}, "Некорректная входная переменная \"M0\""},
        // the number is checked before the letter
        ErrorCase{"X300", {"V3=AND(X300)"}, "Некорректная входная переменная \"X300\""},
        // two-position signals
        ErrorCase{"D256", {"V3=AND(D256)"}, "Некорректный двухпозиционный сигнал \"D256\"", 0, 3, Pair256},
        ErrorCase{
            "S256AsPair", {"V3=AND(S$100)"}, "Некорректный двухпозиционный сигнал \"D256\"", 0, 3, Pair256},
        ErrorCase{"InvalidPair",
                  {"V3=AND(S1,~D5)"},
                  "Некорректные данные двухпозиционного сигнала ТС №5",
                  0,
                  3,
                  Pair5Invalid},
        ErrorCase{"InvalidPairNamed",
                  {"V3=AND(S5)"},
                  "Некорректные данные двухпозиционного сигнала ТС №5\n\r(Разъединитель Р-5)\n\r",
                  0,
                  3,
                  Pair5InvalidNamed},
        // M operands
        ErrorCase{"M17", {"V3=AND(M17)"}, "Некорректная входная переменная \"M17\""},
        ErrorCase{"M17InHex", {"V3=AND(M$11)"}, "Некорректная входная переменная \"M17\""},
        ErrorCase{"UnknownM", {"V3=AND(M2)"}, "Неизвестная входная переменная \"M2\""},
        ErrorCase{"UnknownMWithBlank",
                  {"M1=AND(S1)", "V3=AND(M1,~M 2)"},
                  "Неизвестная входная переменная \"M2\"",
                  1},
        ErrorCase{"MAssignedLater", {"V3=AND(M1)", "M1=AND(S1)"}, "Неизвестная входная переменная \"M1\""},
        ErrorCase{"MReadsItself", {"M1=AND(M1)", "V3=AND(M1)"}, "Неизвестная входная переменная \"M1\""},
        // operand letters
        ErrorCase{"X5", {"V3=AND(X5)"}, "Некорректная переменная \"X5\""},
        ErrorCase{"NegatedX5", {"V3=AND(S1,~X5)"}, "Некорректная переменная \"X5\""},
        ErrorCase{"VOperand", {"V3=AND(V3)"}, "Некорректная переменная \"V3\""},
        ErrorCase{"LowerCaseOperand", {"V3=AND(s5)"}, "Некорректная переменная \"s5\""},
        // the output
        ErrorCase{"OtherBlockOutput",
                  {"V3=AND(S1,S2)"},
                  "Некорректный выходной сигнал.\n\rНомер не совпадает с номером блока",
                  0,
                  4},
        ErrorCase{"OperandsBeforeOutputNumber",
                  {"V3=AND(S1,S300)"},
                  "Некорректная входная переменная \"S300\"",
                  0,
                  4},
        ErrorCase{"BracketBeforeOutputNumber", {"V3=AND(S1"}, "Отсутствует закрывающая скобка", 0, 4},
        ErrorCase{"OutputNumberBeforeRepeat",
                  {"V4=AND(S1)", "V3=AND(S2)"},
                  "Некорректный выходной сигнал.\n\rНомер не совпадает с номером блока",
                  1,
                  4},
        ErrorCase{
            "RepeatedOutput", {"V3=AND(S1)", "M1=OR(S2)", "V3=OR(M1)"}, "Повторение выходного сигнала", 2},
        ErrorCase{"NoOutput", {"M1=AND(S1)"}, "Отсутствует выходной сигнал", kNoLine},
        ErrorCase{"OneEmptyLine", {""}, "Отсутствует выходной сигнал", kNoLine},
        // lines after the output are still checked, and the first error wins
        ErrorCase{"ErrorAfterOutput",
                  {"V3=AND(S1)", "", "M1=AND(X1)", "M2=AND(S300)"},
                  "Некорректная переменная \"X1\"",
                  2},
        // the 100-character limit
        ErrorCase{"BracketBeyond100", {LongLine("S10)")}, "Отсутствует закрывающая скобка"},
        // "S300" would be refused, but only "S30" is read
        ErrorCase{"NumberCutAt100", {LongLine("S300)")}, "Отсутствует закрывающая скобка"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LongLine, HelperPlacesTheOperandEndAtPosition100) {
    EXPECT_EQ(LongLine("S10)").size(), 101u);
    EXPECT_EQ(LongLine("S10)")[99], '0');
}

// ---- Lines that parse ----

struct CleanCase {
    const char* name;
    Lines lines;
    int result;
    int block = 3;
};

class ParseCleanTest : public ::testing::TestWithParam<CleanCase> {};

TEST_P(ParseCleanTest, ParsesWithoutErrorAndStoresTheResult) {
    const CleanCase& c = GetParam();
    Workspace ws;
    SetValues(ws, {{1, 1}, {2, 0}, {10, 1}, {16, 0}});
    Block& b = ws.Blocks[c.block];
    b.OnLogic = c.lines;
    ParseLogic(ws, b, Side::On);
    EXPECT_FALSE(b.OnError) << cp1251::ToUtf8(b.OnErrorMessage);
    EXPECT_FALSE(b.OnEmpty);
    EXPECT_EQ(b.OnResult, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Parser, ParseCleanTest,
    ::testing::Values(
        CleanCase{"Simple", {"V3=AND(S1)"}, 1},
        CleanCase{"ExampleOfTheManual", {"M1=AND(S10,~S11)", "M2=~OR(D20,M1)", "V3=AND(M1,~M2,S1)"}, 1},
        CleanCase{"BlankBeforeTsNumber", {"V3=AND(S 1)"}, 1},
        CleanCase{"HexTsNumber", {"V3=AND(S$A,~D0x10)"}, 1},
        CleanCase{"LeadingZeros", {"M0001=AND(S0001,~S0002,S010)", "V03=AND(M01,S00000001)"}, 1},
        CleanCase{"LastTsAndM", {"M16=OR(S256,S1)", "V3=AND(M16)"}, 1},
        CleanCase{"BlankBeforeTargetNumber", {"V 3=AND(S1)"}, 1},
        CleanCase{"HexTargetAndM", {"M$10=OR(S2)", "V$3=~AND(M16)"}, 1},
        CleanCase{"EmptyLinesSkipped", {"", "M1=AND(S1)", "", "V3=AND(M1)", ""}, 1},
        CleanCase{"OutputFirst", {"V3=AND(S1)", "M1=AND(S2)", "M2=OR(M1)"}, 1},
        CleanCase{"MReassigned", {"M1=AND(S1)", "M1=AND(S2)", "V3=OR(M1)"}, 0},
        CleanCase{"Block32", {"V32=OR(S2,~S1)"}, 0, 32}, CleanCase{"Nand", {"V3=~AND(S1,S10)"}, 0},
        CleanCase{"Nor", {"V3=~OR(S2,S16)"}, 1},
        // everything after the hundredth character is ignored
        CleanCase{"TailBeyond100Ignored", {LongLine("S1)") + "garbage"}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- What a parse leaves behind ----

class ParserStateTest : public EngineTest {};

TEST_F(ParserStateTest, EmptyTextIsNoErrorButOneEmptyLineIs) {
    B(3).OnResult = 1;
    B(3).OnUnreliability[0] = 2;
    ParseLogic(ws, B(3), Side::On);
    EXPECT_TRUE(B(3).OnEmpty);
    EXPECT_FALSE(B(3).OnError);
    EXPECT_EQ(B(3).OnResult, 0);
    EXPECT_EQ(B(3).OnUnreliability[0], 0);

    B(3).OffLogic = {""};
    ParseLogic(ws, B(3), Side::Off);
    EXPECT_TRUE(B(3).OffError);
    EXPECT_FALSE(B(3).OffEmpty);
}

TEST_F(ParserStateTest, SuccessfulParseClearsTheEmptyFlagAndAnOldError) {
    ParseLogic(ws, B(3), Side::On);
    ASSERT_TRUE(B(3).OnEmpty);
    B(3).OnLogic = {"V3=AND(X)"};
    ParseLogic(ws, B(3), Side::On);
    ASSERT_TRUE(B(3).OnError);
    B(3).OnLogic = {"V3=OR(S1)"};
    ParseLogic(ws, B(3), Side::On);
    EXPECT_FALSE(B(3).OnEmpty);
    EXPECT_FALSE(B(3).OnError);
    EXPECT_TRUE(B(3).OnErrorMessage.empty());

    B(3).OffLogic = {"V3=AND(X)"};
    ParseLogic(ws, B(3), Side::Off);
    B(3).OffLogic.clear();
    ParseLogic(ws, B(3), Side::Off);
    EXPECT_TRUE(B(3).OffEmpty);
    EXPECT_FALSE(B(3).OffError);
    EXPECT_TRUE(B(3).OffErrorMessage.empty());
}

TEST_F(ParserStateTest, ErrorPaintsTheTabAtOnce) {
    ws.Tabs[3] = {0x8000000D, 0xFFFFFF, false, true};
    B(3).OffLogic = {"V3=AND(S1"};
    ParseLogic(ws, B(3), Side::Off);
    EXPECT_EQ(ws.Tabs[3], (TabLook{0x0000FF, 0xFFFFFF, false, true}));
}

TEST_F(ParserStateTest, MValuesStayInTheTableAlsoAfterAnError) {
    Values({{1, 1}, {2, 0}});
    ws.MVariables.Value[9] = 1;
    B(3).OnLogic = {"M1=AND(S1)", "M2=OR(S2)", "M1=~AND(M1)", "M3=OR(~M2)", "V3=AND(M1)"};
    ParseLogic(ws, B(3), Side::On);
    EXPECT_EQ(ws.MVariables.Value[1], 0);
    EXPECT_EQ(ws.MVariables.Value[2], 0);
    EXPECT_EQ(ws.MVariables.Value[3], 1);
    EXPECT_EQ(ws.MVariables.Value[9], 1);  // not assigned by this text

    B(3).OffLogic = {"M4=AND(S1)", "M1=AND(S1)", "V3=AND(X1)", "M5=AND(S1)"};
    ParseLogic(ws, B(3), Side::Off);
    EXPECT_TRUE(B(3).OffError);
    EXPECT_EQ(ws.MVariables.Value[4], 1);
    EXPECT_EQ(ws.MVariables.Value[1], 1);
    EXPECT_EQ(ws.MVariables.Value[5], 0);  // never reached
}

TEST_F(ParserStateTest, MValuesOfAnotherLogicCannotBeRead) {
    Values({{1, 1}});
    B(3).OffLogic = {"M1=AND(S1)", "V3=AND(M1)"};
    ParseLogic(ws, B(3), Side::Off);
    ASSERT_FALSE(B(3).OffError);
    B(3).OnLogic = {"V3=AND(M1)"};
    ParseLogic(ws, B(3), Side::On);
    EXPECT_EQ(B(3).OnErrorMessage,
              W("Неизвестная входная переменная \"M1\" в строке: ") + "\r\r" + "V3=AND(M1)");
}

TEST_F(ParserStateTest, MarksEveryTsOperandReadAndKeepsOlderMarks) {
    Pair(7);
    Values({{1, 0}, {7, 1}, {8, 0}});
    ws.TsTable.UsedInLogic[100] = 1;
    B(3).OnLogic = {"V3=AND(S1,S5,~D7)", "M1=OR(M1X)"};  // the result is decided by TS 1
    ParseLogic(ws, B(3), Side::On);
    ASSERT_TRUE(B(3).OnError);
    EXPECT_EQ(UsedTs(ws), (std::vector<int>{1, 5, 7, 100}));

    ClearUsedTs(ws);
    MakePair(ws, 20);
    SetValues(ws, {{20, 1}, {21, 1}});
    B(3).OnLogic = {"V3=AND(S20)"};
    ParseLogic(ws, B(3), Side::On);  // an invalid pair is marked before it is refused
    EXPECT_EQ(UsedTs(ws), (std::vector<int>{20}));
}

struct UnreliabilityCase {
    const char* name;
    Lines lines;
    std::vector<std::pair<int, int>> codes;     // TS -> Unreliability
    std::vector<std::pair<int, int>> expected;  // index -> stored code (all others 0)
};

class UnreliabilityTest : public ::testing::TestWithParam<UnreliabilityCase> {};

TEST_P(UnreliabilityTest, RecordsTheCodesOfTheTsRead) {
    const UnreliabilityCase& c = GetParam();
    Workspace ws;
    SetValues(ws, {{1, 0}, {2, 1}, {5, 1}, {7, 1}, {9, 0}});
    for (auto [n, code] : c.codes) ws.TsTable.Unreliability[n] = static_cast<uint8_t>(code);
    Block& b = ws.Blocks[3];
    b.OffLogic = c.lines;
    b.OffUnreliability[200] = 2;  // left from an earlier parse
    ParseLogic(ws, b, Side::Off);
    ASSERT_FALSE(b.OffError) << cp1251::ToUtf8(b.OffErrorMessage);
    std::array<uint8_t, kTsCount + 1> expected{};
    for (auto [n, code] : c.expected) expected[n] = static_cast<uint8_t>(code);
    EXPECT_EQ(b.OffUnreliability, expected);
    EXPECT_EQ(b.OnUnreliability, (std::array<uint8_t, kTsCount + 1>{}));
}

INSTANTIATE_TEST_SUITE_P(
    Parser, UnreliabilityTest,
    ::testing::Values(
        UnreliabilityCase{"None", {"V3=AND(S2,S5)"}, {{9, 2}}, {}},
        UnreliabilityCase{"HardwareAfterDecision", {"V3=AND(S1,S7)"}, {{7, 2}}, {{0, 2}, {7, 2}}},
        UnreliabilityCase{"ManualOnly", {"V3=OR(S5,~S2)"}, {{5, 1}}, {{0, 1}, {5, 1}}},
        UnreliabilityCase{
            "ManualThenHardware", {"V3=AND(S5,S7)"}, {{5, 1}, {7, 2}}, {{0, 2}, {5, 1}, {7, 2}}},
        UnreliabilityCase{
            "ManualAfterHardwareNotRecorded", {"V3=AND(S7,S5)"}, {{5, 1}, {7, 2}}, {{0, 2}, {7, 2}}},
        UnreliabilityCase{"AcrossLines",
                          {"M1=OR(S5)", "M2=AND(~S9)", "V3=AND(M1,M2)"},
                          {{5, 1}, {9, 2}},
                          {{0, 2}, {5, 1}, {9, 2}}},
        UnreliabilityCase{"NotReadNotRecorded", {"V3=AND(S2)"}, {{5, 2}}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ParserStateTest, ErrorClearsTheUnreliabilityTable) {
    Values({{7, 1}});
    ws.TsTable.Unreliability[7] = 2;
    B(3).OnLogic = {"V3=AND(S7)"};
    ParseLogic(ws, B(3), Side::On);
    ASSERT_EQ(B(3).OnUnreliability[0], 2);
    B(3).OnLogic = {"V3=AND(S7)", "V3=AND(S7)"};
    ParseLogic(ws, B(3), Side::On);
    EXPECT_TRUE(B(3).OnError);
    EXPECT_EQ(B(3).OnUnreliability[0], 0);
    EXPECT_EQ(B(3).OnUnreliability[7], 0);
}

TEST_F(ParserStateTest, ResultOfAnAssignedOutputIsDroppedByALaterError) {
    Values({{1, 1}});
    B(3).OnLogic = {"V3=AND(S1)", "M1=AND(S1"};
    ParseLogic(ws, B(3), Side::On);
    EXPECT_TRUE(B(3).OnError);
    EXPECT_EQ(B(3).OnResult, 0);
}

TEST_F(ParserStateTest, ReportLogicErrorWithAndWithoutLine) {
    const std::string line = "M1=AND(S1)";
    ReportLogicError(ws, B(6), W("Сообщение"), &line, Side::Off);
    EXPECT_TRUE(B(6).OffError);
    EXPECT_EQ(B(6).OffErrorMessage, W("Сообщение в строке: \r\rM1=AND(S1)"));
    EXPECT_EQ(B(6).OffErrorLine, line);
    EXPECT_EQ(ws.Tabs[6].colour, 0x0000FFu);

    ReportLogicError(ws, B(6), W("Другое"), nullptr, Side::On);
    EXPECT_TRUE(B(6).OnError);
    EXPECT_EQ(B(6).OnErrorMessage, W("Другое"));
    EXPECT_TRUE(B(6).OnErrorLine.empty());
}

}  // namespace
}  // namespace interlock::test
