#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "interlock/cp1251.h"
#include "ui/model/highlight.h"
#include "interlock/workspace.h"

namespace {

using interlock::EditorColouring;
using interlock::Workspace;
using ui::ColourRun;

// One character per editor character: '.' black regular, 'G' green, 'R' red,
// 'Y' grey bold underlined, 'B' black bold underlined.
char Code(const ColourRun& run) {
    if (run.boldUnderline) return run.colour == interlock::colour::kGrey ? 'Y' : 'B';
    if (run.colour == interlock::colour::kGreen) return 'G';
    if (run.colour == interlock::colour::kRed) return 'R';
    return '?';
}

std::vector<std::string> Paint(const std::vector<std::string>& lines, const std::vector<ColourRun>& runs) {
    std::vector<std::string> map;
    for (const std::string& line : lines) map.push_back(std::string(line.size(), '.'));
    for (const ColourRun& run : runs) {
        EXPECT_GE(run.line, 0);
        EXPECT_LT(run.line, static_cast<int>(lines.size()));
        if (run.line < 0 || run.line >= static_cast<int>(lines.size())) continue;
        std::string& row = map[run.line];
        EXPECT_LE(run.column + run.length, static_cast<int>(row.size()))
            << "run past the end of line " << run.line;
        for (int i = run.column; i < run.column + run.length && i < static_cast<int>(row.size()); ++i) {
            row[i] = Code(run);
        }
    }
    return map;
}

struct ColouringRow {
    const char* name;
    std::vector<std::string> lines;
    std::function<void(Workspace&)> setup;
    EditorColouring kind;
    std::string errorLine;
    std::vector<std::string> expected;
};

void PrintTo(const ColouringRow& row, std::ostream* os) { *os << row.name; }

class ColouringTest : public testing::TestWithParam<ColouringRow> {};

TEST_P(ColouringTest, ColoursEveryCharacterAsExpected) {
    const ColouringRow& row = GetParam();
    Workspace ws;
    if (row.setup) row.setup(ws);
    auto runs = ui::ComputeColouring(row.lines, ws, row.kind, row.errorLine);
    ASSERT_TRUE(runs.has_value());
    EXPECT_EQ(Paint(row.lines, *runs), row.expected);
    // The runs of the final colouring are sorted and never overlap.
    for (size_t i = 1; i < runs->size(); ++i) {
        const ColourRun& a = (*runs)[i - 1];
        const ColourRun& b = (*runs)[i];
        EXPECT_TRUE(a.line < b.line || (a.line == b.line && a.column + a.length <= b.column));
    }
}

std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

const auto kOperands = EditorColouring::Operands;
const auto kErrorLine = EditorColouring::ErrorLine;

INSTANTIATE_TEST_SUITE_P(
    Rows, ColouringTest,
    testing::Values(ColouringRow{"TsTrueGreenNegatedFalseRedWithTilde",
                                 {"V1=AND(S5,~S6)"},
                                 [](Workspace& ws) {
                                     ws.TsTable.Value[5] = 1;
                                     ws.TsTable.Value[6] = 1;
                                 },
                                 kOperands,
                                 "",
                                 {"RR.....GG.RRR."}},
                    ColouringRow{
                        "NegatedZeroIsGreen", {"V1=AND(~S6)"}, nullptr, kOperands, "", {"RR.....GGG."}},
                    ColouringRow{"HardwareUnreliableGreyBoldWhateverTheValue",
                                 {"V1=OR(S7,~D7)"},
                                 [](Workspace& ws) {
                                     ws.TsTable.Value[7] = 1;
                                     ws.TsTable.Unreliability[7] = 2;
                                 },
                                 kOperands,
                                 "",
                                 {"RR....YY.YYY."}},
                    ColouringRow{"ManualUnreliabilityColouredByValue",
                                 {"V1=OR(S7,~D7)"},
                                 [](Workspace& ws) {
                                     ws.TsTable.Value[7] = 1;
                                     ws.TsTable.Unreliability[7] = 1;
                                 },
                                 kOperands,
                                 "",
                                 {"RR....GG.RRR."}},
                    ColouringRow{"DOfAndEndAndAfterNNeverAnOperand",
                                 {"V1=AND(S1,ND7)", "END", "OR(D2)"},
                                 [](Workspace& ws) { ws.TsTable.Value[2] = 1; },
                                 kOperands,
                                 "",
                                 {"RR.....RR.....", "...", "...GG."}},
                    ColouringRow{"OutputAndOperandsByResultsOfViewOn",
                                 {"V2=OR(M3,V9)"},
                                 [](Workspace& ws) {
                                     ws.Blocks[2].OnResult = 1;
                                     ws.Blocks[9].OnResult = 1;
                                     ws.MVariables.Value[3] = 0;
                                     ws.CurrentBlock = 5;  // whichever block is current
                                 },
                                 kOperands,
                                 "",
                                 {"GG....RR.GG."}},
                    ColouringRow{"OutputAndOperandsByResultsOfViewOff",
                                 {"V2=OR(M3,~V9)"},
                                 [](Workspace& ws) {
                                     ws.Blocks[2].OnResult = 1;
                                     ws.Blocks[9].OnResult = 1;
                                     ws.MVariables.Value[3] = 1;
                                     ws.CurrentView = interlock::Side::Off;
                                 },
                                 kOperands,
                                 "",
                                 {"RR....GG.GGG."}},
                    ColouringRow{"BadTsTokenStopsOnlyTheTsPass",
                                 {"M1=AND(S1,S0)", "V1=OR(S2,M1)"},
                                 [](Workspace& ws) {
                                     ws.TsTable.Value[1] = 1;
                                     ws.TsTable.Value[2] = 1;
                                 },
                                 kOperands,
                                 "",
                                 {"RR.....GG....", "RR.......RR."}},
                    ColouringRow{"BadVariableTokenStopsOnlyTheVariablePass",
                                 {"M1=OR(M17,S3)", "V1=AND(S3)"},
                                 [](Workspace& ws) { ws.TsTable.Value[3] = 1; },
                                 kOperands,
                                 "",
                                 {"RR........GG.", ".......GG."}},
                    ColouringRow{"TokenRunningOverALineBreakStopsThePass",
                                 {"V1=OR(S4", "S4)"},
                                 [](Workspace& ws) { ws.TsTable.Value[4] = 1; },
                                 kOperands,
                                 "",
                                 {"RR......", "..."}},
                    ColouringRow{"TokenTakesBlanksAndHexLikeTheIntegerRule",
                                 {"V1=OR(S $A,S 3)"},
                                 [](Workspace& ws) { ws.TsTable.Value[10] = 1; },
                                 kOperands,
                                 "",
                                 {"RR....GGGG.RRR."}},
                    ColouringRow{"PlainLeavesEverythingBlack",
                                 {"V1=AND(S5)"},
                                 [](Workspace& ws) { ws.TsTable.Value[5] = 1; },
                                 EditorColouring::Plain,
                                 "",
                                 {".........."}},
                    ColouringRow{"ErrorLineMarkedInsteadOfOperands",
                                 {"V1=AND(S5)", "M1=XOR(S5)"},
                                 [](Workspace& ws) { ws.TsTable.Value[5] = 1; },
                                 kErrorLine,
                                 "M1=XOR(S5)",
                                 {"..........", "BBBBBBBBBB"}},
                    ColouringRow{"ErrorLineEarliestOccurrenceAnywhere",
                                 {"M1=AND(S1,S2)", "V1=AND(S1,S2)"},
                                 nullptr,
                                 kErrorLine,
                                 "AND(S1,S2)",
                                 {"...BBBBBBBBBB", "............."}},
                    ColouringRow{"ErrorLineFoundIgnoringLatinCase",
                                 {"M1=AND(S1)", "v1=and(s1)"},
                                 nullptr,
                                 kErrorLine,
                                 "V1=AND(S1)",
                                 {"..........", "BBBBBBBBBB"}},
                    ColouringRow{"ErrorLineFoundIgnoringCyrillicCase",
                                 {W("V1=AND(S1)"), W("Пуск ёлки")},
                                 nullptr,
                                 kErrorLine,
                                 W("ПУСК ЁЛКИ"),
                                 {"..........", "BBBBBBBBB"}},
                    ColouringRow{"ErrorLineNotInTextMarksNothing",
                                 {"V1=AND(S1)"},
                                 nullptr,
                                 kErrorLine,
                                 "V1=AND(S2)",
                                 {".........."}}));

TEST(ComputeColouring, KeepLeavesTheEditorAlone) {
    Workspace ws;
    EXPECT_FALSE(ui::ComputeColouring({"V1=AND(S1)"}, ws, EditorColouring::Keep, "").has_value());
}

TEST(ComputeColouring, SinglePassesAgreeWithTheCombinedColouring) {
    Workspace ws;
    ws.TsTable.Value[1] = 1;
    ws.MVariables.Value[2] = 1;
    const std::vector<std::string> lines = {"M2=AND(S1,~S3)", "V1=OR(~M2,S4)"};
    EXPECT_EQ(Paint(lines, ui::HighlightTsOperands(lines, ws)),
              (std::vector<std::string>{".......GG.GGG.", "..........RR."}));
    EXPECT_EQ(Paint(lines, ui::HighlightVariables(lines, ws)),
              (std::vector<std::string>{"GG............", "RR....RRR...."}));
    EXPECT_EQ(Paint(lines, ui::MarkErrorLine(lines, "s4)")),
              (std::vector<std::string>{"..............", "..........BBB"}));
}

// Offsets in the text joined with CR LF after every line, back to editor lines and columns.
struct MappingRow {
    const char* name;
    ui::TextRange range;
    std::vector<ColourRun> expected;
};

void PrintTo(const MappingRow& row, std::ostream* os) { *os << row.name; }

class OffsetMappingTest : public testing::TestWithParam<MappingRow> {};

// "AB\r\n" "\r\n" "CDE\r\n": A=0 B=1 | 2,3 | 4,5 | C=6 D=7 E=8 | 9,10
TEST_P(OffsetMappingTest, MapsJoinedOffsetsToEditorLines) {
    const ui::EditorText text({"AB", "", "CDE"});
    ASSERT_EQ(text.Text(), "AB\r\n\r\nCDE\r\n");
    std::vector<ColourRun> runs;
    text.AppendRuns(GetParam().range, runs);
    EXPECT_EQ(runs, GetParam().expected);
}

constexpr interlock::Colour kG = interlock::colour::kGreen;

INSTANTIATE_TEST_SUITE_P(
    Rows, OffsetMappingTest,
    testing::Values(MappingRow{"FirstLine", {0, 2, kG, false}, {{0, 0, 2, kG, false}}},
                    MappingRow{"ThirdLineAfterAnEmptyOne", {7, 2, kG, true}, {{2, 1, 2, kG, true}}},
                    MappingRow{"CrossingTwoBreaksIsSplit",
                               {1, 6, kG, false},
                               {{0, 1, 1, kG, false}, {2, 0, 1, kG, false}}},
                    MappingRow{"OnlyALineBreak", {2, 2, kG, false}, {}},
                    MappingRow{"BreakOfTheEmptyLine", {4, 2, kG, false}, {}},
                    MappingRow{"PastTheEndIsCut", {8, 10, kG, false}, {{2, 2, 1, kG, false}}},
                    MappingRow{"Empty", {6, 0, kG, false}, {}}));

TEST(OffsetMapping, ManyLinesKeepTheirColumns) {
    std::vector<std::string> lines;
    for (int i = 0; i < 50; ++i) lines.push_back("V1=AND(S" + std::to_string(i + 1) + ")");
    Workspace ws;
    const auto runs = ui::HighlightTsOperands(lines, ws);
    ASSERT_EQ(runs.size(), 50u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(runs[i].line, i);
        EXPECT_EQ(runs[i].column, 7);
        EXPECT_EQ(runs[i].length, i + 1 < 10 ? 2 : 3);
    }
}

TEST(FindNoCase, FoldsWindows1251Letters) {
    struct Row {
        const char* text;
        const char* needle;
        size_t expected;
    };
    const Row rows[] = {
        {"abc ABC", "BC", 1},
        {"Щука ЁЖ", "щУКА", 0},
        {"x ёж", "ЁЖ", 2},
        {"еж", "ёж", std::string::npos},  // е and ё are different letters
        {"ЯЮ", "яю", 0},
        {"ІЇЄ", "іїє", 0},
        {"abc", "abcd", std::string::npos},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ui::FindNoCase(W(row.text), W(row.needle)), row.expected)
            << row.text << " / " << row.needle;
    }
}

}  // namespace

namespace {

// The colouring painted a character at a time, every range over the ones before it: what the
// combined colouring must give whatever the text.
std::vector<ColourRun> PaintedColouring(const std::vector<std::string>& lines, const Workspace& ws) {
    const ui::EditorText text(lines);
    std::vector<ui::TextRange> ranges = ui::TsOperandRanges(text.Text(), ws);
    const std::vector<ui::TextRange> variables = ui::VariableRanges(text.Text(), ws);
    ranges.insert(ranges.end(), variables.begin(), variables.end());
    std::vector<std::pair<interlock::Colour, bool>> looks(text.Text().size(),
                                                          {interlock::colour::kBlack, false});
    for (const ui::TextRange& r : ranges) {
        for (size_t i = r.offset; i < r.offset + r.length && i < looks.size(); ++i)
            looks[i] = {r.colour, r.boldUnderline};
    }
    std::vector<ui::TextRange> flat;
    for (size_t i = 0; i < looks.size();) {
        size_t j = i + 1;
        while (j < looks.size() && looks[j] == looks[i]) ++j;
        if (looks[i] != std::pair{interlock::colour::kBlack, false})
            flat.push_back({i, j - i, looks[i].first, looks[i].second});
        i = j;
    }
    return text.ToRuns(flat);
}

}  // namespace

// Random texts of operands, odd tokens ("S5=M3", "~~", "S$D5" where D5 lies inside the hex
// number of S$D5) and line breaks, with random
// values: the combined colouring equals painting the passes' ranges a character at a time.
TEST(ComputeColouring, AgreesWithPaintingEveryCharacter) {
    std::mt19937 random(7);
    const std::vector<std::string> pieces = {"M1=AND(", "V2=OR(", "S5", "~S6", "D7",    "~D8",  "M3",
                                             "~M4",     "V9",     ",",  ")",   "S5=M3", "~~",   ",,",
                                             "AND",     "END",    "S",  "M17", "S300",  "S$D5", "Sx9"};
    for (int round = 0; round < 300; ++round) {
        Workspace ws;
        for (int n = 1; n <= 10; ++n) {
            ws.TsTable.Value[n] = static_cast<int16_t>(random() % 2);
            ws.TsTable.Unreliability[n] = static_cast<int8_t>(random() % 3);
        }
        for (int n = 1; n <= 4; ++n) ws.MVariables.Value[n] = static_cast<int16_t>(random() % 2);
        std::vector<std::string> lines(1 + random() % 4);
        for (std::string& line : lines) {
            const size_t count = random() % 8;
            for (size_t k = 0; k < count; ++k) line += pieces[random() % (round % 2 ? pieces.size() : 10)];
        }
        const auto runs = ui::ComputeColouring(lines, ws, EditorColouring::Operands, "");
        ASSERT_TRUE(runs.has_value());
        EXPECT_EQ(*runs, PaintedColouring(lines, ws)) << "round " << round;
    }
}

namespace {

// Ranges painted a character at a time, each over the ones before it.
std::vector<ui::TextRange> PaintedRanges(size_t textSize, const std::vector<ui::TextRange>& first,
                                         const std::vector<ui::TextRange>& second) {
    using Look = std::pair<interlock::Colour, bool>;
    const Look plain{interlock::colour::kBlack, false};
    std::vector<Look> looks(textSize, plain);
    for (const auto* pass : {&first, &second}) {
        for (const ui::TextRange& r : *pass) {
            for (size_t i = r.offset; i < r.offset + r.length && i < textSize; ++i)
                looks[i] = {r.colour, r.boldUnderline};
        }
    }
    std::vector<ui::TextRange> flat;
    for (size_t i = 0; i < textSize;) {
        size_t j = i + 1;
        while (j < textSize && looks[j] == looks[i]) ++j;
        if (looks[i] != plain) flat.push_back({i, j - i, looks[i].first, looks[i].second});
        i = j;
    }
    return flat;
}

}  // namespace

// Two passes of random ranges, in text order or not, apart, touching, overlapping, at equal
// offsets, plain, empty or reaching past the text: painting them without a look per character
// gives what painting every character gives.
TEST(PaintRanges, AgreesWithPaintingEveryCharacter) {
    std::mt19937 random(11);
    const interlock::Colour colours[] = {interlock::colour::kGreen, interlock::colour::kRed,
                                         interlock::colour::kGrey, interlock::colour::kBlack};
    struct Shape {
        const char* name;
        size_t maxGap;     // distance from one range's start to the next one's
        size_t maxLength;  // 0..maxLength characters
        bool sorted;
    };
    const Shape shapes[] = {
        {"apart in text order", 6, 3, true},
        {"touching and overlapping in text order", 3, 5, true},
        {"equal offsets", 1, 4, true},
        {"out of order", 6, 4, false},
    };
    for (const Shape& shape : shapes) {
        for (int round = 0; round < 400; ++round) {
            const size_t textSize = 1 + random() % 60;
            auto pass = [&](size_t count) {
                std::vector<ui::TextRange> ranges;
                size_t at = random() % 4;
                for (size_t k = 0; k < count; ++k) {
                    at += random() % (shape.maxGap + 1);
                    ranges.push_back(
                        {at, random() % (shape.maxLength + 1), colours[random() % 4], random() % 3 == 0});
                }
                if (!shape.sorted) std::shuffle(ranges.begin(), ranges.end(), random);
                return ranges;
            };
            const std::vector<ui::TextRange> first = pass(random() % 12);
            const std::vector<ui::TextRange> second = pass(random() % 6);
            EXPECT_EQ(ui::PaintRanges(textSize, first, second), PaintedRanges(textSize, first, second))
                << shape.name << ", round " << round;
        }
    }
}

// A colouring cut into editor runs in one walk over the lines gives the runs of every range
// looked up on its own, also for ranges over several lines and ranges that start further back.
TEST(EditorText, RunsOfManyRangesEqualRunsOfEachRange) {
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> lines(1 + random() % 8);
        for (std::string& line : lines) line.assign(random() % 7, 'x');
        const ui::EditorText text(lines);
        std::vector<ui::TextRange> ranges;
        size_t at = 0;
        for (size_t k = random() % 10; k > 0; --k) {
            at = round % 3 == 0 ? random() % (text.Text().size() + 2) : at + random() % 5;
            ranges.push_back({at, random() % 12, interlock::colour::kGreen, false});
        }
        std::vector<ColourRun> each;
        for (const ui::TextRange& r : ranges) text.AppendRuns(r, each);
        EXPECT_EQ(text.ToRuns(ranges), each) << "round " << round;
    }
}
