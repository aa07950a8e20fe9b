// Runs the built interlocks-check on the example configuration and on broken input.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/tools/check_runner.h"

namespace {

using namespace check_test;

struct CliRow {
    const char* label;
    std::string args;
    int status;
    std::string outPart;  // UTF-8, expected within standard output
    std::string errPart;  // UTF-8, expected within standard error
};

void PrintTo(const CliRow& row, std::ostream* os) { *os << row.label; }

class CheckCli : public ::testing::TestWithParam<CliRow> {};

TEST_P(CheckCli, ExitStatusAndOutput) {
    const CliRow& row = GetParam();
    Outcome run = Check(row.args);
    EXPECT_EQ(run.status, row.status) << run.err;
    EXPECT_NE(run.out.find(row.outPart), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(row.errPart), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CheckCli,
    ::testing::Values(
        CliRow{"example", Example(), 1, "Блоков: нормальных 8, ошибочных 1, пустых 23\n", ""},
        CliRow{"example_error_line", Example(), 1,
               " 9 Q4 Выключатель ТСН [S20]: отключен, Включение: ошибка! - В логике включения: "
               "Неизвестная входная переменная \"M3\"",
               ""},
        CliRow{"one_normal_block", "--block 1 " + Example(), 0,
               " 1 Q1 Выключатель ввода 10 кВ [S1]: включен, Отключение: разрешено\n", ""},
        CliRow{"what_if_values", "--block 2 --set 1=0,2=1 " + Example(), 0, "Отключение: разрешено\n", ""},
        CliRow{"what_if_hardware", "--block 1 --unreliable 14=2 " + Example(), 1, "запрещено** - ", ""},
        CliRow{"missing_file", "'" + (Scratch() / "missing.blk").string() + "'", 2, "",
               "Не удалось прочитать файл"},
        CliRow{
            "invalid_block_number",
            "'" + WriteFile("bad.blk", "@\r\n##1 - Q1\r\n##33\r\n@\r\n").string() + "'", 2, "",
            "Некорректный файл конфигурации (задан недопустимый номер блокировки).\nЗагрузка остановлена."},
        CliRow{"no_config", "", 2, "", "CONFIG"}, CliRow{"bad_set", "--set 1=a " + Example(), 2, "", "--set"},
        CliRow{"bad_unreliable", "--unreliable 1=3 " + Example(), 2, "", "--unreliable"},
        CliRow{"bad_block", "--block 33 " + Example(), 2, "", "--block"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CheckCliJson, ExampleReport) {
    Outcome run = Check("--json " + Example());
    ASSERT_EQ(run.status, 1) << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["erroneous"], nlohmann::json::array({9}));
    ASSERT_EQ(j["blocks"].size(), 32u);
    const auto& q1 = j["blocks"][0];
    EXPECT_EQ(q1["name"], "Q1 Выключатель ввода 10 кВ");
    EXPECT_EQ(q1["status"], "normal");
    EXPECT_EQ(q1["view"], "off");
    EXPECT_EQ(q1["report"]["verdict"], "разрешено");
    EXPECT_EQ(q1["report"]["verdict_color"], "0x008000");
    const auto& q3 = j["blocks"][7];
    EXPECT_EQ(q3["state_signal"], "~S10");
    EXPECT_EQ(q3["on"]["candidates"], nlohmann::json::array({1, 6}));
    EXPECT_EQ(j["blocks"][9]["name"], "Q5 Резерв");
    EXPECT_EQ(j["blocks"][9]["status"], "empty");
    EXPECT_EQ(j["blocks"][8]["on"]["error_line"], "V9=AND(M1,M3,S14)");
}

TEST(CheckCliJson, ValuesOfTheFileAreRead) {
    // Block 1 allowed only while TS 1 is 1 in the value line of the file.
    std::string one(32, '0');
    one[0] = '1';
    std::string text = "@\r\n#TS0=" + one +
                       "\r\n##1\r\n#On->Off\r\nIF (S2)\r\nEND\r\n#Off->On\r\nIF (~S2)\r\n"
                       "V1=AND(S1)\r\nEND\r\n@\r\n";
    Outcome run = Check("--json '" + WriteFile("values.blk", text).string() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["blocks"][0]["on"]["result"], 1);
    EXPECT_EQ(j["blocks"][0]["report"]["verdict"], "разрешено");
}

}  // namespace
