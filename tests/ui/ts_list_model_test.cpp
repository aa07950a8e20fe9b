#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interlock/cp1251.h"
#include "ui/model/ts_list_model.h"
#include "interlock/workspace.h"

namespace {

using interlock::TsTableData;
using ui::TsListCellLook;
using ui::TsListRow;
namespace col = interlock::colour;

std::vector<int> Numbers(const std::vector<TsListRow>& rows) {
    std::vector<int> numbers;
    for (const TsListRow& row : rows) numbers.push_back(std::stoi(row[ui::kTsNumberColumn]));
    return numbers;
}

// ---- Which TS are listed ----

struct FillCase {
    const char* name;
    std::vector<int> used;
    bool all;
    std::vector<int> expected;  // empty with all = true means every TS 1..256
};

class FillTsListRowsTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(FillTsListRowsTest, ListsTheRightTsInOrder) {
    const FillCase& c = GetParam();
    TsTableData table;
    for (int n : c.used) table.UsedInLogic[n] = 1;
    // Index 0 and 257 denote no TS and are never listed.
    table.UsedInLogic[0] = 1;
    table.UsedInLogic[257] = 1;
    std::vector<TsListRow> rows;
    ui::FillTsListRows(table, c.all, rows);
    std::vector<int> expected = c.expected;
    if (c.all && expected.empty()) {
        for (int n = 1; n <= interlock::kTsCount; ++n) expected.push_back(n);
    }
    EXPECT_EQ(Numbers(rows), expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, FillTsListRowsTest,
                         ::testing::Values(FillCase{"BlockListHasTheUsedTs", {10, 3}, false, {3, 10}},
                                           FillCase{"BlockListWithoutUsedTsIsEmpty", {}, false, {}},
                                           FillCase{"BlockListReachesTs256", {1, 256}, false, {1, 256}},
                                           FillCase{"FullListHasAll256", {3, 10}, true, {}},
                                           FillCase{"FullListIgnoresUsedFlags", {}, true, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FillTsListRows, WritesNumberNameValueAndMarks) {
    TsTableData table;
    table.UsedInLogic[3] = table.UsedInLogic[10] = table.UsedInLogic[11] = 1;
    table.Name[10] = cp1251::FromUtf8("Выключатель Q1");
    table.Value[3] = 1;
    table.Value[11] = -1;
    table.Inverted[3] = 1;
    table.TwoPosition[10] = 1;
    table.PairSecond[11] = 1;
    std::vector<TsListRow> rows;
    ui::FillTsListRows(table, false, rows);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (TsListRow{"3", "N/A", "1", "+", ""}));
    EXPECT_EQ(rows[1], (TsListRow{"10", cp1251::FromUtf8("Выключатель Q1"), "0", "", "+"}));
    EXPECT_EQ(rows[2], (TsListRow{"11", "N/A", "-1", "", ""}));
}

// The rows a refill reports as changed are exactly those with a text that differs from before.
TEST(FillTsListRows, ReportsTheRowsThatChanged) {
    struct Step {
        const char* name;
        void (*change)(TsTableData&);
        bool all;
        std::vector<int> changed;  // indices of the rows flagged
    };
    const Step steps[] = {
        {"first fill", [](TsTableData&) {}, false, {0, 1, 2}},
        {"same again", [](TsTableData&) {}, false, {}},
        {"a value", [](TsTableData& t) { t.Value[7] = 1; }, false, {1}},
        {"a name and a mark",
         [](TsTableData& t) {
             t.Name[3] = "Q3";
             t.Inverted[9] = 1;
         },
         false,
         {0, 2}},
        {"a name back to none", [](TsTableData& t) { t.Name[3].clear(); }, false, {0}},
        {"a TS more in the logic", [](TsTableData& t) { t.UsedInLogic[5] = 1; }, false, {1, 2, 3}},
        {"the full list: every row another TS or new", [](TsTableData&) {}, true, {}},
        {"the block list again", [](TsTableData&) {}, false, {0, 1, 2, 3}},
    };
    TsTableData table;
    table.UsedInLogic[3] = table.UsedInLogic[7] = table.UsedInLogic[9] = 1;
    std::vector<TsListRow> rows;
    std::vector<char> changed;
    for (const Step& step : steps) {
        step.change(table);
        ui::FillTsListRows(table, step.all, rows, &changed);
        ASSERT_EQ(changed.size(), rows.size()) << step.name;
        std::vector<int> flagged;
        for (size_t i = 0; i < changed.size(); ++i) {
            if (changed[i]) flagged.push_back(static_cast<int>(i));
        }
        std::vector<int> expected = step.changed;
        if (step.all) {
            for (int i = 0; i < interlock::kTsCount; ++i) expected.push_back(i);
        }
        EXPECT_EQ(flagged, expected) << step.name;
    }
}

// A refill into the rows of an earlier fill leaves nothing of that fill behind: no "+" of a
// cleared flag, no name of another TS, no extra rows.
TEST(FillTsListRows, RefillLeavesNothingStale) {
    TsTableData table;
    for (int n = 1; n <= interlock::kTsCount; ++n) {
        table.Inverted[n] = 1;
        table.TwoPosition[n] = 1;
        table.Name[n] = "name " + std::to_string(n);
        table.Value[n] = 1;
    }
    std::vector<TsListRow> rows;
    ui::FillTsListRows(table, true, rows);
    ASSERT_EQ(rows.size(), 256u);

    table.Inverted.fill(0);
    table.TwoPosition.fill(0);
    table.Name[20].clear();
    table.UsedInLogic[20] = table.UsedInLogic[30] = 1;
    ui::FillTsListRows(table, false, rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (TsListRow{"20", "N/A", "1", "", ""}));
    EXPECT_EQ(rows[1], (TsListRow{"30", "name 30", "1", "", ""}));

    ui::FillTsListRows(table, true, rows);
    ASSERT_EQ(rows.size(), 256u);
    for (const TsListRow& row : rows) {
        EXPECT_EQ(row[ui::kTsInvertedColumn], "");
        EXPECT_EQ(row[ui::kTsTwoPosColumn], "");
    }
}

// ---- The look of the cells ----

struct StyleCase {
    const char* name;
    int row;
    int column;
    std::string text;
    std::string numberText;
    bool all;
    TsListCellLook expected;
};

class TsListCellStyleTest : public ::testing::TestWithParam<StyleCase> {};

TEST_P(TsListCellStyleTest, PaintsAsDesigned) {
    const StyleCase& c = GetParam();
    TsTableData table;
    table.UsedInLogic[3] = 1;
    EXPECT_EQ(ui::TsListCellStyle(table, c.all, c.row, c.column, c.text, c.numberText), c.expected);
}

constexpr interlock::Colour kOdd = col::kWindowBackground;
constexpr interlock::Colour kEven = col::kWindow;
constexpr interlock::Colour kText = col::kNearBlack;

INSTANTIATE_TEST_SUITE_P(
    Cells, TsListCellStyleTest,
    ::testing::Values(
        // Header: white bold on the highlight colour, an offset per column.
        StyleCase{"HeaderNumber", 0, 0, "", "", false, {col::kHighlight, col::kWhite, true, 15}},
        StyleCase{"HeaderName", 0, 1, "", "", true, {col::kHighlight, col::kWhite, true, 150}},
        StyleCase{"HeaderValue", 0, 2, "", "", false, {col::kHighlight, col::kWhite, true, 14}},
        StyleCase{"HeaderInverted", 0, 3, "", "", false, {col::kHighlight, col::kWhite, true, 18}},
        StyleCase{"HeaderTwoPosition", 0, 4, "", "", false, {col::kHighlight, col::kWhite, true, 10}},
        // Numbers: centred roughly by digit count; bold only for a used TS in the full list.
        StyleCase{"OneDigit", 1, 0, "7", "7", true, {kOdd, kText, false, 20}},
        StyleCase{"TwoDigits", 2, 0, "42", "42", true, {kEven, kText, false, 16}},
        StyleCase{"ThreeDigits", 3, 0, "150", "150", true, {kOdd, kText, false, 12}},
        StyleCase{"UsedInFullList", 3, 0, "3", "3", true, {kOdd, kText, true, 20}},
        StyleCase{"UsedInBlockList", 1, 0, "3", "3", false, {kOdd, kText, false, 20}},
        StyleCase{"NotANumber", 1, 0, "x", "x", true, {kOdd, kText, false, 20}},
        StyleCase{"BeyondTheTable", 1, 0, "999", "999", true, {kOdd, kText, false, 12}},
        // Name, value and marks.
        StyleCase{"Name", 2, 1, "N/A", "3", true, {kEven, kText, false, 5}},
        StyleCase{"ValueOne", 1, 2, "1", "3", false, {kOdd, col::kGreen, true, 27}},
        StyleCase{"ValueZero", 1, 2, "0", "3", false, {kOdd, col::kRed, true, 27}},
        StyleCase{"ValueOther", 2, 2, "-1", "3", false, {kEven, col::kRed, true, 27}},
        StyleCase{"InvertedMark", 1, 3, "+", "3", false, {kOdd, col::kGreen, true, 25}},
        StyleCase{"TwoPositionMark", 2, 4, "+", "3", false, {kEven, col::kGreen, true, 25}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Double-click toggles ----

struct Flags {
    std::vector<int> inverted;
    std::vector<int> twoPosition;
    std::vector<int> pairSecond;

    bool operator==(const Flags&) const = default;
};

void PrintTo(const Flags& f, std::ostream* os) {
    auto list = [os](const char* label, const std::vector<int>& v) {
        *os << label << "{";
        for (int n : v) *os << n << " ";
        *os << "} ";
    };
    list("inv", f.inverted);
    list("two", f.twoPosition);
    list("second", f.pairSecond);
}

Flags FlagsOf(const TsTableData& t) {
    Flags f;
    for (int n = 0; n <= interlock::kTsCount + 1; ++n) {
        if (t.Inverted[n]) f.inverted.push_back(n);
        if (t.TwoPosition[n]) f.twoPosition.push_back(n);
        if (t.PairSecond[n]) f.pairSecond.push_back(n);
    }
    return f;
}

void SetPair(TsTableData& t, int n) {
    t.TwoPosition[n] = 1;
    t.PairSecond[n + 1] = 1;
}

struct ToggleCase {
    const char* name;
    Flags before;
    int row;
    int column;
    std::string numberText;
    bool refill;
    Flags after;
};

class ToggleTsAttributeTest : public ::testing::TestWithParam<ToggleCase> {};

TEST_P(ToggleTsAttributeTest, ChangesTheTableAsTheRulesSay) {
    const ToggleCase& c = GetParam();
    TsTableData table;
    for (int n : c.before.inverted) table.Inverted[n] = 1;
    for (int n : c.before.twoPosition) table.TwoPosition[n] = 1;
    for (int n : c.before.pairSecond) table.PairSecond[n] = 1;
    EXPECT_EQ(ui::ToggleTsAttribute(table, c.row, c.column, c.numberText), c.refill);
    EXPECT_EQ(FlagsOf(table), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, ToggleTsAttributeTest,
    ::testing::Values(ToggleCase{"InvertOn", {}, 1, 3, "5", true, {{5}, {}, {}}},
                      ToggleCase{"InvertOff", {{5}, {}, {}}, 1, 3, "5", true, {}},
                      ToggleCase{"InvertFirstOfPair", {{}, {7}, {8}}, 2, 3, "7", true, {{7}, {7}, {8}}},
                      ToggleCase{
                          "InvertSecondOfPairIgnored", {{}, {7}, {8}}, 2, 3, "8", false, {{}, {7}, {8}}},
                      ToggleCase{"PairOn", {}, 4, 4, "7", true, {{}, {7}, {8}}},
                      ToggleCase{"PairOff", {{}, {7}, {8}}, 4, 4, "7", true, {}},
                      ToggleCase{"PairKeepsInversion", {{7}, {}, {}}, 1, 4, "7", true, {{7}, {7}, {8}}},
                      // The second TS of a pair cannot start a pair: the request clears its own pair flags.
                      ToggleCase{"PairOnSecondClears", {{}, {7, 8}, {8, 9}}, 2, 4, "8", true, {{}, {7}, {8}}},
                      ToggleCase{"PairOnSecondStaysSecond", {{}, {7}, {8}}, 2, 4, "8", true, {{}, {7}, {8}}},
                      ToggleCase{"PairOnTs256UsesIndex257", {}, 9, 4, "256", true, {{}, {256}, {257}}},
                      ToggleCase{"PairOffTs256", {{}, {256}, {257}}, 9, 4, "256", true, {}},
                      ToggleCase{"HeaderRow", {}, 0, 3, "5", false, {}},
                      ToggleCase{"NumberColumn", {}, 1, 0, "5", false, {}},
                      ToggleCase{"NameColumn", {}, 1, 1, "5", false, {}},
                      ToggleCase{"ValueColumn", {}, 1, 2, "5", false, {}},
                      ToggleCase{"NoSuchColumn", {}, 1, 5, "5", false, {}},
                      ToggleCase{"EmptyNumber", {}, 1, 3, "", false, {}},
                      ToggleCase{"NumberBeyondTable", {}, 1, 4, "300", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ToggleTsAttribute, TwoClicksOnPairRestoreTheFlags) {
    for (int n : {1, 7, 255, 256}) {
        TsTableData table;
        table.Inverted[n] = 1;
        SetPair(table, n == 1 ? 3 : 1);
        Flags before = FlagsOf(table);
        std::string text = std::to_string(n);
        ASSERT_TRUE(ui::ToggleTsAttribute(table, 1, ui::kTsTwoPosColumn, text));
        EXPECT_NE(FlagsOf(table), before) << n;
        ASSERT_TRUE(ui::ToggleTsAttribute(table, 1, ui::kTsTwoPosColumn, text));
        EXPECT_EQ(FlagsOf(table), before) << n;
    }
}

}  // namespace
