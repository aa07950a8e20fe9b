// The RTU datagram rules without sockets: requests, the request cycle, and how one response
// changes the TS table.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "acquisition/rtu_exchange.h"

namespace {

using interlock::TsTableData;

std::string Response(char group, const std::string& values) {
    return std::string("r") + group + " " + values;
}

TEST(TsRequest, IsRAndTheGroupDigitForGroupsZeroToSeven) {
    struct Row {
        int group;
        std::optional<std::string> request;
    };
    const std::vector<Row> rows = {{0, "R0"},           {3, "R3"},          {7, "R7"},
                                   {8, std::nullopt},   {-1, std::nullopt}, {127, std::nullopt},
                                   {-128, std::nullopt}};
    for (const Row& row : rows) {
        EXPECT_EQ(acquisition::TsRequest(static_cast<int8_t>(row.group)), row.request) << row.group;
    }
}

TEST(NextRequestGroup, CyclesThroughTheEightGroupsFromWhereItStands) {
    int8_t counter = 0;
    std::string sent;
    for (int i = 0; i < 10; ++i) sent += std::to_string(acquisition::NextRequestGroup(counter));
    EXPECT_EQ(sent, "0123456701");
    EXPECT_EQ(counter, 2);

    counter = 8;  // past the last group: starts again at 0
    EXPECT_EQ(acquisition::NextRequestGroup(counter), 0);
    counter = 100;
    EXPECT_EQ(acquisition::NextRequestGroup(counter), 0);
    EXPECT_EQ(counter, 1);
}

// One response applied to a prepared table: whether it reports a change and the values after it.
struct ResponseRow {
    const char* name;
    std::function<void(TsTableData&)> prepare;
    std::string datagram;
    bool changed;
    std::vector<std::pair<int, int>> expected;  // (TS, value) after the response
};

class ApplyTsResponseTest : public ::testing::TestWithParam<ResponseRow> {};

TEST_P(ApplyTsResponseTest, ChangesTheTableAsTheDatagramSays) {
    const ResponseRow& row = GetParam();
    TsTableData table;
    table.Reset();
    if (row.prepare) row.prepare(table);
    TsTableData before = table;
    EXPECT_EQ(acquisition::ApplyTsResponse(table, row.datagram), row.changed);
    for (auto [n, v] : row.expected) {
        EXPECT_EQ(table.Value[n], v) << "TS" << n;
        before.Value[n] = table.Value[n];
    }
    // Nothing but the values named changed, and no flag at all.
    EXPECT_EQ(table.Value, before.Value);
    EXPECT_EQ(table.Inverted, before.Inverted);
    EXPECT_EQ(table.PairSecond, before.PairSecond);
    EXPECT_EQ(table.FromServer, before.FromServer);
    EXPECT_EQ(table.Unreliability, before.Unreliability);
}

std::vector<std::pair<int, int>> Range(int first, int last, int v) {
    std::vector<std::pair<int, int>> values;
    for (int n = first; n <= last; ++n) values.emplace_back(n, v);
    return values;
}

const std::string kOnes(32, '1');
const std::string kZeros(32, '0');

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rows, ApplyTsResponseTest,
    ::testing::Values(
        ResponseRow{"GroupTwoAllOnes", nullptr, Response('2', kOnes), true, Range(65, 96, 1)},
        ResponseRow{"SameValuesAgainChangeNothing",
                    [](TsTableData& t) { for (int n = 65; n <= 96; ++n) t.Value[n] = 1; },
                    Response('2', kOnes), false, Range(65, 96, 1)},
        ResponseRow{"OneChangedValueIsAChange",
                    [](TsTableData& t) { for (int n = 65; n <= 95; ++n) t.Value[n] = 1; },
                    Response('2', kOnes), true, {{96, 1}}},
        ResponseRow{"GroupZeroAndSevenBounds", nullptr, Response('7', kOnes), true, Range(225, 256, 1)},
        ResponseRow{"FirstByteUpperCaseIgnored", nullptr, "R2 " + kOnes, false, {}},
        ResponseRow{"GroupEightIgnored", nullptr, Response('8', kOnes), false, {}},
        ResponseRow{"GroupNotADigitIgnored", nullptr, Response('/', kOnes), false, {}},
        ResponseRow{"EmptyDatagramIgnored", nullptr, "", false, {}},
        ResponseRow{"HeaderAloneCarriesNothing", nullptr, "r2", false, {}},
        ResponseRow{"ThirdByteIsNotExamined", nullptr, "r0X" + kOnes, true, Range(1, 32, 1)},
        ResponseRow{"ShortDatagramUpdatesOnlyItsBytes",
                    [](TsTableData& t) { for (int n = 65; n <= 96; ++n) t.Value[n] = 1; },
                    Response('2', std::string(17, '0')), true, Range(65, 81, 0)},
        ResponseRow{"OtherBytesCarryNoValue", [](TsTableData& t) { t.Value[2] = 1; },
                    Response('0', "2 " + std::string(30, 'x')), false, {{1, 0}, {2, 1}}},
        ResponseRow{"BytesAfterTheGroupIgnored", nullptr, Response('0', kZeros) + "1111", false, {{33, 0}}},
        ResponseRow{"InvertedStoresTheComplement", [](TsTableData& t) { t.Inverted[1] = 1; },
                    Response('0', "1" + std::string(31, '0')), false, {{1, 0}}},
        ResponseRow{"InvertedZeroStoresOne", [](TsTableData& t) { t.Inverted[5] = 1; },
                    Response('0', kZeros), true, {{5, 1}}},
        ResponseRow{"PairSecondFollowsTheInvertedFirst",
                    [](TsTableData& t) { t.TwoPosition[10] = 1; t.PairSecond[11] = 1; t.Inverted[10] = 1; },
                    Response('0', std::string(9, '0') + "01" + std::string(21, '0')), true, {{10, 1}, {11, 0}}},
        ResponseRow{"PairSecondInvertedItselfIsStoredAsReceived",
                    [](TsTableData& t) {
                        t.TwoPosition[10] = 1; t.PairSecond[11] = 1; t.Inverted[10] = 1; t.Inverted[11] = 1;
                    },
                    Response('0', std::string(10, '0') + "1" + std::string(21, '0')), true, {{10, 1}, {11, 1}}},
        ResponseRow{"PairAcrossTheGroupBoundary",
                    [](TsTableData& t) { t.TwoPosition[96] = 1; t.PairSecond[97] = 1; t.Inverted[96] = 1; },
                    Response('3', kZeros), true, {{97, 1}}},
        ResponseRow{"PairWithoutInversionIsPlain",
                    [](TsTableData& t) { t.TwoPosition[10] = 1; t.PairSecond[11] = 1; },
                    Response('0', std::string(10, '0') + "1" + std::string(21, '0')), true, {{11, 1}}},
        ResponseRow{"StoredValueOtherThanZeroOrOneStays",
                    [](TsTableData& t) { t.Value[1] = 5; t.Value[2] = -1; },
                    Response('0', "11" + std::string(30, '0')), false, {{1, 5}, {2, -1}}}),
    [](const ::testing::TestParamInfo<ResponseRow>& info) { return std::string(info.param.name); });
// clang-format on

TEST(LogLine, KeepsEveryByteOnOneLine) {
    EXPECT_EQ(acquisition::LogLine("r2 0101"), "r2 0101");
    EXPECT_EQ(acquisition::LogLine(std::string("r\n\r\0\x1F\x7F!", 7)), "r.....!");
    EXPECT_EQ(acquisition::LogLine("\xD2\xD1"), "\xD2\xD1");  // Windows-1251 letters stay
    EXPECT_EQ(acquisition::LogLine(""), "");
}

}  // namespace
