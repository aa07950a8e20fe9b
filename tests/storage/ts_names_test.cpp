// The TS names file: both line formats, the points file's lines of other RTUs, the lines it
// does not understand, and names the window already has.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interlock/cp1251.h"
#include "storage/ts_names.h"

namespace {

struct NamesCase {
    const char* name;
    const char* text;  // UTF-8, converted to Windows-1251
    int channel, rtu;
    std::vector<std::pair<int, const char*>> named;  // TS and its name (UTF-8)
    int count;
    std::vector<int> badLines;
};

class Names : public ::testing::TestWithParam<NamesCase> {};

TEST_P(Names, Parsed) {
    const NamesCase& c = GetParam();
    const storage::TsNames n = storage::ParseTsNames(cp1251::FromUtf8(c.text), c.channel, c.rtu);
    for (const auto& [ts, name] : c.named) EXPECT_EQ(cp1251::ToUtf8(n.name[ts]), name) << "TS" << ts;
    EXPECT_EQ(n.count, c.count);
    std::vector<int> bad;
    for (const storage::TsNamesError& e : n.errors) {
        bad.push_back(e.line);
        EXPECT_FALSE(e.message.empty());
    }
    EXPECT_EQ(bad, c.badLines);
}

INSTANTIATE_TEST_SUITE_P(
    TsNames, Names,
    ::testing::Values(
        NamesCase{"number_and_name",
                  "# comment\r\n\r\n14 Q1 Выключатель - включен\r\n256\tПоследний  \r\n",
                  0,
                  1,
                  {{14, "Q1 Выключатель - включен"}, {256, "Последний"}, {1, ""}},
                  2,
                  {}},
        // Only the configuration's channel and RTU name TS; "server" and "rtu" lines are skipped.
        NamesCase{"points_file",
                  "server .\\TMS\nts 0 1 12 1 0x0001 Аварийная сигнализация\nts 0 2 12 0 0 Чужой КП\n"
                  "rtu 0 2\nts 3 1 5 0 0 Другой канал\n",
                  0,
                  1,
                  {{12, "Аварийная сигнализация"}, {5, ""}},
                  1,
                  {}},
        NamesCase{"points_file_other_rtu", "ts 0 2 12 0 0 Чужой КП\n", 0, 2, {{12, "Чужой КП"}}, 1, {}},
        // A later line replaces an earlier one; an empty name takes the name away.
        NamesCase{"later_line_wins", "3 Первое\n3 Второе\n4 Имя\n4\n", 0, 1, {{3, "Второе"}, {4, ""}}, 1, {}},
        NamesCase{"bad_lines_skipped",
                  "0 Ноль\n257 Много\nS12 Буква\n12x Имя\nts 0 1 300 0 0 Нет точки\nts 0 1 7 0 Имя\n"
                  "8 Хороший\n",
                  0,
                  1,
                  {{8, "Хороший"}, {12, ""}},
                  1,
                  {1, 2, 3, 4, 5, 6}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TsNames, FileBesideTheConfiguration) {
    EXPECT_EQ(storage::NamesFileFor("/a/b/sub.blk"), "/a/b/sub.names");
    EXPECT_EQ(storage::NamesFileFor("/a/b.d/sub"), "/a/b.d/sub.names");
    EXPECT_EQ(storage::NamesFileFor("sub.v2.blk"), "sub.v2.names");
    EXPECT_EQ(storage::NamesFileFor("/a/.blk"), "/a/.blk.names");
}

TEST(TsNames, OnlyUnnamedTsTakeANameAndTheServerChannelSelects) {
    interlock::Workspace ws;
    ws.Fields.Server_channel_Number = "2";
    ws.Fields.Server_RTU_Number = "7";
    EXPECT_EQ(storage::ServerChannelOf(ws), 2);
    EXPECT_EQ(storage::ServerRtuOf(ws), 7);
    ws.Fields.Server_RTU_Number = "x";
    EXPECT_EQ(storage::ServerRtuOf(ws), 1);

    ws.TsTable.Name[1] = "server";
    storage::TsNames names;
    names.name[1] = "file";
    names.name[2] = "file";
    EXPECT_EQ(storage::FillMissingNames(ws.TsTable, names), 1);
    EXPECT_EQ(ws.TsTable.Name[1], "server");
    EXPECT_EQ(ws.TsTable.Name[2], "file");
}

TEST(TsNames, MissingFileIsAnErrorOnlyWhenNamed) {
    interlock::Workspace ws;
    const storage::NamesRead quiet = storage::GiveNamesFromFile(ws, "/nonexistent/x.names", false);
    EXPECT_FALSE(quiet.read);
    EXPECT_TRUE(quiet.error.empty());
    const storage::NamesRead named = storage::GiveNamesFromFile(ws, "/nonexistent/x.names", true);
    EXPECT_FALSE(named.read);
    EXPECT_FALSE(named.error.empty());
}

}  // namespace
