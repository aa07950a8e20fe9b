#include "storage/config_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interlock/cp1251.h"

namespace storage {
namespace {

using interlock::Icon;
using interlock::Workspace;

std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

// A text with the given lines between the two section marks.
Lines Section(std::vector<std::string> body) {
    Lines lines{"@"};
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back("@");
    return lines;
}

// ---- Writer: shape of the text ----

struct ShapeRow {
    const char* label;
    bool withValues;
    bool blockOne;
    size_t lineCount;
};

void PrintTo(const ShapeRow& row, std::ostream* os) { *os << row.label; }

class WriterShape : public ::testing::TestWithParam<ShapeRow> {};

TEST_P(WriterShape, LineCount) {
    const ShapeRow& row = GetParam();
    Workspace ws;
    if (row.blockOne) {
        ws.Blocks[1].Name = "Q1";
        ws.Blocks[1].StateSignal = 5;
        ws.Blocks[1].OffLogic = {"V1=AND(S1)"};
        ws.Blocks[1].OnLogic = {"V1=OR(S2)"};
    }
    Lines lines;
    Write_Config_Text(ws, lines, row.withValues);
    EXPECT_EQ(lines.size(), row.lineCount);
    EXPECT_EQ(lines.front(), "@");
    EXPECT_EQ(lines.back(), "@");
}

INSTANTIATE_TEST_SUITE_P(Texts, WriterShape,
                         ::testing::Values(ShapeRow{"one_block_values", true, true, 53},
                                           ShapeRow{"one_block_no_values", false, true, 45},
                                           ShapeRow{"empty_no_values", false, false, 37},
                                           ShapeRow{"empty_values", true, false, 45}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(Writer, FullExample) {
    Workspace ws;
    ws.TsTable.Inverted[1] = 1;
    ws.TsTable.TwoPosition[3] = 1;
    ws.TsTable.Value[33] = 1;
    ws.TsTable.Value[256] = 1;
    ws.Blocks[1].Name = "Q1";
    ws.Blocks[1].StateSignal = 5;
    ws.Blocks[1].OffLogic = {"V1=AND(S1)"};
    ws.Blocks[1].OnLogic = {"V1=OR(S2)"};
    ws.Fields.Server_channel_Number = "0";
    ws.Fields.Server_RTU_Number = "1";

    Lines lines;
    Write_Config_Text(ws, lines, true);
    ASSERT_EQ(lines.size(), 53u);
    EXPECT_EQ(lines[1], "F=1024" + std::string(252, '0'));
    EXPECT_EQ(lines[2], "#Server_Channel=0");
    EXPECT_EQ(lines[3], "#Server_RTU=1");
    EXPECT_EQ(lines[4], "#TS0=" + std::string(32, '0'));
    EXPECT_EQ(lines[5], "#TS1=1" + std::string(31, '0'));
    EXPECT_EQ(lines[11], "#TS7=" + std::string(31, '0') + "1");
    const std::vector<std::string> block{"##1 - Q1", "#On->Off", "IF (S5)",   "V1=AND(S1)", "END",
                                         "#Off->On", "IF (~S5)", "V1=OR(S2)", "END"};
    for (size_t i = 0; i < block.size(); ++i) EXPECT_EQ(lines[12 + i], block[i]) << i;
    for (int n = 2; n <= 32; ++n) EXPECT_EQ(lines[19 + n], "##" + std::to_string(n));
}

TEST(Writer, StateTokensAndSides) {
    struct Row {
        int16_t state;
        const char* off;
        const char* on;
    };
    for (const Row& row : {Row{7, "IF (S7)", "IF (~S7)"}, Row{-12, "IF (~S12)", "IF (S12)"},
                           Row{0, "IF (ERROR)", "IF (ERROR)"}}) {
        Workspace ws;
        ws.Blocks[2].StateSignal = row.state;
        ws.Blocks[2].OnLogic = {""};  // one empty line: the block is not empty
        Lines lines;
        Write_Config_Text(ws, lines, false);
        const std::vector<std::string> expected{"##2",      "#On->Off", row.off, "END",
                                                "#Off->On", row.on,     "END",   "##3"};
        ASSERT_GE(lines.size(), 6 + expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(lines[5 + i], expected[i]) << row.state << " " << i;
    }
}

TEST(Writer, EmptyLogicLinesAreDropped) {
    Workspace ws;
    ws.Blocks[1].StateSignal = 1;
    ws.Blocks[1].OffLogic = {"M1=AND(S2)", "", "V1=OR(M1)", ""};
    Lines lines;
    Write_Config_Text(ws, lines, false);
    const std::vector<std::string> expected{"##1", "#On->Off", "IF (S1)",  "M1=AND(S2)", "V1=OR(M1)",
                                            "END", "#Off->On", "IF (~S1)", "END",        "##2"};
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[4 + i], expected[i]) << i;
}

TEST(Writer, BlockWithoutLogicLosesItsStateSignal) {
    Workspace ws;
    ws.Blocks[4].Name = "Q4";
    ws.Blocks[4].StateSignal = 9;
    Lines lines;
    Write_Config_Text(ws, lines, false);
    EXPECT_EQ(lines[7], "##4 - Q4");
    EXPECT_EQ(lines[8], "##5");

    Workspace back;
    ASSERT_TRUE(Read_Config_Text(back, lines));
    EXPECT_EQ(back.Blocks[4].Name, "Q4");
    EXPECT_EQ(back.Blocks[4].StateSignal, 0);
}

// ---- Attributes ----

TEST(Writer, AttributeCodes) {
    struct Row {
        int ts;
        bool inverted, twoPosition, pairSecond;
        char code;
    };
    for (const Row& row : {Row{20, false, false, false, '0'}, Row{20, true, false, false, '1'},
                           Row{20, false, true, false, '2'}, Row{20, true, true, false, '3'},
                           Row{20, true, true, true, '4'}}) {
        Workspace ws;
        ws.TsTable.Inverted[row.ts] = row.inverted;
        ws.TsTable.TwoPosition[row.ts] = row.twoPosition;
        ws.TsTable.PairSecond[row.ts] = row.pairSecond;
        Lines lines;
        Write_Config_Text(ws, lines, false);
        ASSERT_EQ(lines[1].size(), 258u);
        EXPECT_EQ(lines[1][row.ts + 1], row.code) << row.code;
    }
}

TEST(Writer, CompletesThePairFlags) {
    Workspace ws;
    ws.TsTable.TwoPosition[10] = 1;
    ws.TsTable.Inverted[11] = 1;  // hidden behind the pair: written as "4"
    ws.TsTable.TwoPosition[256] = 1;
    Lines lines;
    Write_Config_Text(ws, lines, false);
    EXPECT_EQ(lines[1].substr(11, 3), "240");
    EXPECT_EQ(lines[1].back(), '2');
    EXPECT_EQ(ws.TsTable.PairSecond[11], 1);
    EXPECT_EQ(ws.TsTable.PairSecond[12], 0);
    EXPECT_EQ(ws.TsTable.PairSecond[257], 1);
}

TEST(Reader, AttributeCodes) {
    struct Row {
        char code;
        uint8_t inverted, twoPosition, nextPairSecond;
    };
    for (const Row& row :
         {Row{'0', 0, 0, 0}, Row{'1', 1, 0, 0}, Row{'2', 0, 1, 1}, Row{'3', 1, 1, 1}, Row{'4', 0, 0, 0}}) {
        Workspace ws;
        ws.TsTable.Inverted[30] = ws.TsTable.TwoPosition[30] = ws.TsTable.PairSecond[31] = 1;
        std::string line = "F=" + std::string(256, '0');
        line[31] = row.code;
        ASSERT_TRUE(Read_Config_Text(ws, {line}));
        EXPECT_EQ(ws.TsTable.Inverted[30], row.inverted) << row.code;
        EXPECT_EQ(ws.TsTable.TwoPosition[30], row.twoPosition) << row.code;
        EXPECT_EQ(ws.TsTable.PairSecond[31], row.nextPairSecond) << row.code;
    }
}

TEST(Reader, AttributeLineEdges) {
    Workspace ws;
    ws.TsTable.Inverted[5] = 1;
    ws.TsTable.TwoPosition[6] = 1;
    std::string line = "F=" + std::string(256, '0');
    line[6] = 'x';                                      // TS 5 passed over
    line[7] = '9';                                      // TS 6 passed over
    line.back() = '2';                                  // TS 256 starts a pair with index 257
    ASSERT_TRUE(Read_Config_Text(ws, {line + "333"}));  // characters after the 256th ignored
    EXPECT_EQ(ws.TsTable.Inverted[5], 1);
    EXPECT_EQ(ws.TsTable.TwoPosition[6], 1);
    EXPECT_EQ(ws.TsTable.PairSecond[257], 1);

    Workspace shortLine;
    ASSERT_TRUE(Read_Config_Text(shortLine, {"F=" + std::string(255, '3')}));  // one short
    EXPECT_EQ(shortLine.TsTable.Inverted[1], 0);
}

// ---- Headers ----

struct HeaderRow {
    const char* label;
    std::vector<std::string> lines;  // between the section marks
    bool result;
    int block;  // block whose name is checked; 0 = none
    std::string name;
};

void PrintTo(const HeaderRow& row, std::ostream* os) { *os << row.label; }

class ReaderHeaders : public ::testing::TestWithParam<HeaderRow> {};

TEST_P(ReaderHeaders, Apply) {
    const HeaderRow& row = GetParam();
    Workspace ws;
    bool ok = Read_Config_Text(ws, Section(row.lines));
    EXPECT_EQ(ok, row.result);
    if (row.block) {
        EXPECT_EQ(ws.Blocks[row.block].Name, row.name);
    }
    if (!row.result) {
        ASSERT_EQ(ws.Messages.size(), 1u);
        EXPECT_EQ(ws.Messages[0].text, W("Некорректный файл конфигурации (задан недопустимый номер "
                                         "блокировки).\n\rЗагрузка остановлена."));
        EXPECT_EQ(ws.Messages[0].caption, W("Ошибка при открытии файла"));
        EXPECT_EQ(ws.Messages[0].icon, Icon::Error);
    } else {
        EXPECT_TRUE(ws.Messages.empty());
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Texts, ReaderHeaders,
    ::testing::Values(HeaderRow{"no_name", {"##7"}, true, 7, ""},
                      HeaderRow{"name", {"##7 - Q7"}, true, 7, "Q7"},
                      HeaderRow{"dash_only", {"##7 - "}, true, 7, ""},
                      HeaderRow{"separator_kept", {"##7 - Q1 - Q2"}, true, 7, "Q1 - Q2"},
                      HeaderRow{"cyrillic", {W("##3 - Q3 Выключатель")}, true, 3, W("Q3 Выключатель")},
                      HeaderRow{"char_after_dash_skipped", {"##7 -XQ7"}, true, 7, "Q7"},
                      HeaderRow{"no_dash_keeps_name", {"##7 - Q7", "##7 Q8"}, true, 7, "Q7"},
                      HeaderRow{"hex_number", {"##$1F - Q"}, true, 31, "Q"},
                      HeaderRow{"zero", {"##0"}, false, 0, ""},
                      HeaderRow{"thirty_three", {"##33 - Q"}, false, 0, ""},
                      HeaderRow{"letter", {"##x"}, false, 0, ""},
                      HeaderRow{"bare", {"##"}, false, 0, ""},
                      HeaderRow{"leading_blank", {"## 1 - Q"}, true, 1, "Q"},
                      HeaderRow{"dash_as_number", {"## - Q1"}, false, 0, ""},
                      HeaderRow{"outside_zero", {"@", "##0", "##33", "##x", "@"}, true, 0, ""}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST(Reader, InvalidHeaderStopsAndKeepsWhatWasRead) {
    Workspace ws;
    ws.Blocks[9].Name = "old";
    Lines lines = Section({"##2 - Q2", "#On->Off", "IF (S3)", "V2=AND(S1)", "END", "##0", "##9 - Q9",
                           "#On->Off", "V9=AND(S1)", "END"});
    lines.insert(lines.begin() + 1, "#Server_RTU=5");
    EXPECT_FALSE(Read_Config_Text(ws, lines));
    EXPECT_EQ(ws.Blocks[2].Name, "Q2");
    EXPECT_EQ(ws.Blocks[2].StateSignal, 3);
    EXPECT_EQ(ws.Blocks[2].OffLogic, std::vector<std::string>{"V2=AND(S1)"});
    EXPECT_EQ(ws.Fields.Server_RTU_Number, "5");
    EXPECT_EQ(ws.Blocks[9].Name, "");  // reset, never reached
    EXPECT_TRUE(ws.Blocks[9].IsEmpty());
}

TEST(Reader, SecondHeaderAppendsLogic) {
    Workspace ws;
    ASSERT_TRUE(Read_Config_Text(ws, Section({"##4 - Q4", "#Off->On", "M1=AND(S1)", "END", "##5", "##4",
                                              "#Off->On", "V4=OR(M1)", "END"})));
    EXPECT_EQ(ws.Blocks[4].OnLogic, (std::vector<std::string>{"M1=AND(S1)", "V4=OR(M1)"}));
    EXPECT_EQ(ws.Blocks[4].Name, "Q4");
}

TEST(Reader, ResetsEveryBlockButNotTheTables) {
    Workspace ws;
    ws.Blocks[12].Name = "x";
    ws.Blocks[12].StateSignal = 4;
    ws.Blocks[12].OnLogic = {"V12=AND(S1)"};
    ws.TsTable.Value[8] = 1;
    ws.TsTable.Inverted[8] = 1;
    ws.Fields.Server_channel_Number = "3";
    ASSERT_TRUE(Read_Config_Text(ws, {}));
    EXPECT_TRUE(ws.Blocks[12].IsEmpty());
    EXPECT_EQ(ws.Blocks[12].Name, "");
    EXPECT_EQ(ws.Blocks[12].StateSignal, 0);
    EXPECT_EQ(ws.TsTable.Value[8], 1);
    EXPECT_EQ(ws.TsTable.Inverted[8], 1);
    EXPECT_EQ(ws.Fields.Server_channel_Number, "3");
}

// ---- Values ----

struct ValueRow {
    const char* label;
    std::string line;
    std::vector<std::pair<int, int16_t>> expected;  // (TS, value) after reading
};

void PrintTo(const ValueRow& row, std::ostream* os) { *os << row.label; }

class ReaderValues : public ::testing::TestWithParam<ValueRow> {};

TEST_P(ReaderValues, Apply) {
    Workspace ws;
    for (int i = 1; i <= 256; ++i) ws.TsTable.Value[i] = static_cast<int16_t>(i % 2);  // odd TS 1, even TS 0
    ASSERT_TRUE(Read_Config_Text(ws, {GetParam().line}));
    for (auto [ts, value] : GetParam().expected) EXPECT_EQ(ws.TsTable.Value[ts], value) << "TS" << ts;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReaderValues,
    ::testing::Values(
        ValueRow{"group3",
                 "#TS3=1" + std::string(31, '0'),
                 {{97, 1}, {98, 0}, {99, 0}, {128, 0}, {96, 0}, {129, 1}}},
        ValueRow{"thirty_five_chars", "#TS3=" + std::string(30, '0'), {{97, 1}, {98, 0}, {99, 1}}},
        ValueRow{"thirty_six_chars", "#TS0=" + std::string(31, '0'), {{31, 0}, {32, 0}, {33, 1}}},
        ValueRow{"other_chars_pass_over",
                 "#TS0=x0?1 1" + std::string(26, '0'),
                 {{1, 1}, {2, 0}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 0}, {32, 0}}},
        ValueRow{"group_eight", "#TS8=" + std::string(32, '0'), {{1, 1}, {255, 1}}},
        ValueRow{"group_letter", "#TSx=" + std::string(32, '0'), {{1, 1}}},
        ValueRow{"equals_not_checked", "#TS7:" + std::string(32, '0'), {{225, 0}, {255, 0}}},
        ValueRow{"trailing_blanks_shorten", "#TS1=" + std::string(30, '0') + "  \t", {{33, 1}, {34, 0}}}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- Channel and RTU ----

TEST(Reader, ChannelAndRtu) {
    struct Row {
        std::string line;
        std::string channel, rtu;
    };
    for (const Row& row : {Row{"#Server_Channel=5", "5", "1"}, Row{"#Server_Channel=07", "07", "1"},
                           Row{"#Server_Channel=100", "0", "1"}, Row{"#Server_Channel=-1", "0", "1"},
                           Row{"#Server_Channel=abc", "0", "1"}, Row{"#Server_Channel=", "0", "1"},
                           Row{"#Server_Channel=$10", "$10", "1"}, Row{"#Server_RTU=99", "0", "99"},
                           Row{"#Server_RTU=0", "0", "0"}, Row{"#Server_RTU=100", "0", "1"},
                           Row{"#Server_RTU=12   ", "0", "12"}}) {
        Workspace ws;
        ASSERT_TRUE(Read_Config_Text(ws, {row.line}));
        EXPECT_EQ(ws.Fields.Server_channel_Number, row.channel) << row.line;
        EXPECT_EQ(ws.Fields.Server_RTU_Number, row.rtu) << row.line;
    }
}

TEST(Writer, ChannelAndRtuVerbatim) {
    Workspace ws;
    ws.Fields.Server_channel_Number = "";
    ws.Fields.Server_RTU_Number = "abc";
    Lines lines;
    Write_Config_Text(ws, lines, false);
    EXPECT_EQ(lines[2], "#Server_Channel=");
    EXPECT_EQ(lines[3], "#Server_RTU=abc");
}

// ---- Condition lines ----

TEST(Reader, ConditionLines) {
    struct Row {
        std::string line;
        int16_t state;
        std::string field;
    };
    for (const Row& row :
         {Row{"IF (S5)", 5, "S5"}, Row{"IF (~S5)", -5, "~S5"}, Row{"IF (D7)", 7, "D7"},
          Row{"IF (S05)", 5, "S05"}, Row{"IF (S256)", 256, "S256"}, Row{"IF (D256)", 0, "---"},
          Row{"IF (ERROR)", 0, "---"}, Row{"IF (---)", 0, "---"}, Row{"IF (~S300)", 0, "---"},
          Row{"IF (S5", 5, "S5"}, Row{"IF", 0, "---"}, Row{"IF (s5)", 0, "---"}}) {
        Workspace ws;
        ASSERT_TRUE(Read_Config_Text(ws, Section({"##3", "#On->Off", row.line, "V3=AND(S1)", "END"})));
        EXPECT_EQ(ws.Blocks[3].StateSignal, row.state) << row.line;
        EXPECT_EQ(ws.Fields.TS_State_Number, row.field) << row.line;
        EXPECT_EQ(ws.Blocks[3].OffLogic, std::vector<std::string>{"V3=AND(S1)"}) << row.line;
    }
}

TEST(Reader, ConditionOnTheOnSideOrOutsideASideIsIgnored) {
    Workspace ws;
    ASSERT_TRUE(Read_Config_Text(
        ws, Section({"##3", "#On->Off", "IF (S5)", "END", "IF (S9)", "#Off->On", "IF (S7)", "END"})));
    EXPECT_EQ(ws.Blocks[3].StateSignal, 5);
    EXPECT_TRUE(ws.Blocks[3].OnLogic.empty());
}

TEST(Reader, ConditionBeforeAnyHeaderReportsRelayZero) {
    Workspace ws;
    ASSERT_TRUE(Read_Config_Text(ws, {"#On->Off", "IF (S5)", "@", "##2", "#On->Off", "IF (S6)", "@"}));
    ASSERT_EQ(ws.Messages.size(), 1u);
    EXPECT_EQ(ws.Messages[0].text, W("Внимание! Некорректный номер выходного реле - 0"));
    EXPECT_EQ(ws.Blocks[2].StateSignal, 6);  // reading went on
}

// ---- Logic lines ----

TEST(Reader, LogicLines) {
    Workspace ws;
    Lines lines{"V1=AND(S1)",  // before the section
                "@",
                "V1=AND(S2)",  // before the first header
                "##1",
                "V1=AND(S3)",  // no side open
                "#On->Off",
                "IF (S1)",
                "M1=AND(S4)  \t",
                "",
                "   ",
                "V1=OR(M1)",
                "END",
                "V1=AND(S5)",  // side closed
                "#Off->On",
                "IF (~S1)",
                "#TS0=1",  // too short for a value line: logic
                "#Ox",     // a side mark that changes nothing
                "V1=AND(~S6)",
                "END",
                "@",
                "##2",  // outside the section: dropped
                "#Off->On",
                "V2=AND(S1)"};
    ASSERT_TRUE(Read_Config_Text(ws, lines));
    EXPECT_EQ(ws.Blocks[1].OffLogic, (std::vector<std::string>{"M1=AND(S4)", "V1=OR(M1)"}));
    EXPECT_EQ(ws.Blocks[1].OnLogic, (std::vector<std::string>{"#TS0=1", "V1=AND(~S6)"}));
    EXPECT_TRUE(ws.Blocks[2].IsEmpty());
}

TEST(Reader, ThirdSectionMarkIsALogicLine) {
    Workspace ws;
    ASSERT_TRUE(Read_Config_Text(ws, {"@", "##1", "#Off->On", "@", "@", "END", "@"}));
    EXPECT_EQ(ws.Blocks[1].OnLogic, std::vector<std::string>{"@"});
}

// ---- Round trip ----

TEST(RoundTrip, WriteReadWriteIsIdentical) {
    Workspace ws;
    ws.TsTable.Inverted[1] = 1;
    ws.TsTable.TwoPosition[3] = 1;
    ws.TsTable.Inverted[3] = 1;
    ws.TsTable.TwoPosition[255] = 1;
    for (int i = 1; i <= 256; i += 3) ws.TsTable.Value[i] = 1;
    ws.Fields.Server_channel_Number = "07";
    ws.Fields.Server_RTU_Number = "12";
    ws.Blocks[1].Name = W("Q1 Выключатель ввода 10 кВ");
    ws.Blocks[1].StateSignal = -3;
    ws.Blocks[1].OffLogic = {"M1=AND(S1,~D3)", "V1=OR(M1,S7)"};
    ws.Blocks[1].OnLogic = {"V1=~AND(S1)"};
    ws.Blocks[17].StateSignal = 200;
    ws.Blocks[17].OnLogic = {"V17=AND(S201)"};
    ws.Blocks[32].Name = "Q32 - spare";
    ws.Blocks[32].OffLogic = {"V32=OR(S256)"};

    Lines first;
    Write_Config_Text(ws, first, true);
    Workspace back;
    ASSERT_TRUE(Read_Config_Text(back, SplitLines(JoinLines(first))));
    Lines second;
    Write_Config_Text(back, second, true);
    EXPECT_EQ(first, second);
    EXPECT_EQ(back.Blocks[1].Name, ws.Blocks[1].Name);
    EXPECT_EQ(back.Blocks[1].StateSignal, -3);
    EXPECT_EQ(back.Blocks[1].OffLogic, ws.Blocks[1].OffLogic);
    EXPECT_EQ(back.Blocks[32].StateSignal, 0);
    EXPECT_EQ(back.TsTable.Value, ws.TsTable.Value);
    EXPECT_EQ(back.TsTable.PairSecond, ws.TsTable.PairSecond);
}

// A value other than 0 or 1 takes one character that the reader passes over, so the TS after
// it keep their places and their values.
TEST(RoundTrip, ValueOtherThanZeroOrOneShiftsNothing) {
    for (int16_t odd : {int16_t{2}, int16_t{9}, int16_t{10}, int16_t{-1}, int16_t{300}}) {
        Workspace ws;
        ws.TsTable.Value[40] = odd;
        ws.TsTable.Value[41] = 1;
        ws.TsTable.Value[64] = 1;
        Lines lines;
        Write_Config_Text(ws, lines, true);
        for (int k = 0; k < 8; ++k) EXPECT_EQ(lines[4 + k].size(), 37u) << odd;

        Workspace back;
        back.TsTable.Value[40] = 1;
        ASSERT_TRUE(Read_Config_Text(back, lines));
        EXPECT_EQ(back.TsTable.Value[40], 1) << odd;  // passed over: kept
        EXPECT_EQ(back.TsTable.Value[41], 1) << odd;
        EXPECT_EQ(back.TsTable.Value[42], 0) << odd;
        EXPECT_EQ(back.TsTable.Value[64], 1) << odd;
    }
}

// ---- Splitting and joining ----

TEST(Lines, SplitAndJoin) {
    struct Row {
        std::string bytes;
        Lines lines;
    };
    for (const Row& row : {Row{"", {}}, Row{"a", {"a"}}, Row{"a\r\nb\r\n", {"a", "b"}},
                           Row{"a\rb\r", {"a", "b"}}, Row{"a\nb\n", {"a", "b"}}, Row{"a\r\nb", {"a", "b"}},
                           Row{"a\n\rb", {"a", "", "b"}}, Row{"\r\n\r\n", {"", ""}},
                           Row{"a\r\r\nb", {"a", "", "b"}}, Row{"a\nb\rc\r\nd", {"a", "b", "c", "d"}}}) {
        EXPECT_EQ(SplitLines(row.bytes), row.lines) << row.bytes;
    }
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(SplitLines(JoinLines({"a", "", "b"})), (Lines{"a", "", "b"}));
}

}  // namespace
}  // namespace storage
