#include "tools/check_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/config_text.h"
#include "interlock/cp1251.h"

namespace check {
namespace {

using interlock::BlockStatus;
using interlock::Side;
using interlock::Workspace;

std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

// A configuration with block 1 only: state token, OFF logic and ON logic.
storage::Lines OneBlock(const std::string& token, const std::vector<std::string>& off,
                        const std::vector<std::string>& on) {
    storage::Lines lines{"@", "##1 - Q1", "#On->Off", "IF (" + token + ")"};
    lines.insert(lines.end(), off.begin(), off.end());
    lines.push_back("END");
    lines.push_back("#Off->On");
    lines.insert(lines.end(), on.begin(), on.end());
    lines.push_back("END");
    lines.push_back("@");
    return lines;
}

struct ScenarioRow {
    const char* label;
    std::string token;
    std::vector<std::string> off, on;
    Request request;
    BlockStatus status;
    Side view;
    const char* state;            // UTF-8
    const char* verdict;          // UTF-8
    std::vector<int> candidates;  // of the governing logic
    bool warning;
};

void PrintTo(const ScenarioRow& row, std::ostream* os) { *os << row.label; }

class Scenarios : public ::testing::TestWithParam<ScenarioRow> {};

TEST_P(Scenarios, ReportOfBlockOne) {
    const ScenarioRow& row = GetParam();
    Workspace ws;
    ASSERT_TRUE(storage::Read_Config_Text(ws, OneBlock(row.token, row.off, row.on)));
    CheckResult result = RunCheck(ws, row.request);
    ASSERT_EQ(result.blocks.size(), row.request.block ? 1u : 32u);
    const BlockReport& b = result.blocks[0];
    EXPECT_EQ(b.number, 1);
    EXPECT_EQ(b.status, row.status);
    EXPECT_EQ(b.view, row.view);
    EXPECT_EQ(b.labels.state, W(row.state));
    EXPECT_EQ(b.labels.verdict, W(row.verdict));
    const LogicReport& governing = row.view == Side::Off ? b.off : b.on;
    EXPECT_EQ(governing.candidates, row.candidates);
    EXPECT_EQ(b.labels.warningVisible, row.warning);
    EXPECT_EQ(result.erroneous,
              row.status == BlockStatus::Erroneous ? std::vector<int>{1} : std::vector<int>{});
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Check, Scenarios,
    ::testing::Values(
        ScenarioRow{"allowed", "S5", {"V1=AND(S1)"}, {"V1=AND(S2)"}, {{{5, 1}, {1, 1}}, {}, 0},
                    BlockStatus::Normal, Side::Off, "включен", "разрешено", {}, false},
        ScenarioRow{"forbidden_with_candidate", "S5", {"V1=AND(S1)"}, {"V1=AND(S2)"}, {{{5, 1}}, {}, 0},
                    BlockStatus::Normal, Side::Off, "включен", "запрещено*", {1}, false},
        ScenarioRow{"forbidden_two_candidates", "S5", {}, {"V1=OR(S1,S3,~S4)"}, {{{4, 1}}, {}, 0},
                    BlockStatus::Normal, Side::On, "отключен", "запрещено*", {1, 3, 4}, false},
        ScenarioRow{"forbidden_no_candidate", "S5", {"V1=AND(S1,S2)"}, {}, {{{5, 1}}, {}, 0},
                    BlockStatus::Normal, Side::Off, "включен", "запрещено", {}, false},
        ScenarioRow{"inverted_state", "~S5", {"V1=AND(S1)"}, {"V1=AND(S2)"}, {{{5, 1}, {2, 1}}, {}, 0},
                    BlockStatus::Normal, Side::On, "отключен", "разрешено", {}, false},
        ScenarioRow{"hardware_unreliability", "S5", {"V1=AND(S1)"}, {}, {{{5, 1}, {1, 1}}, {{1, 2}}, 0},
                    BlockStatus::Erroneous, Side::Off, "включен", "запрещено**", {}, true},
        ScenarioRow{"manual_unreliability", "S5", {"V1=AND(S1)"}, {}, {{{5, 1}, {1, 1}}, {{1, 1}}, 0},
                    BlockStatus::Normal, Side::Off, "включен", "разрешено", {}, true},
        ScenarioRow{"unreliable_state_signal", "S5", {"V1=AND(S1)"}, {}, {{{5, 1}, {1, 1}}, {{5, 1}}, 0},
                    BlockStatus::Normal, Side::Off, "включен*", "разрешено", {}, false},
        ScenarioRow{"no_state_signal", "ERROR", {"V1=AND(S1)"}, {}, {{}, {}, 0}, BlockStatus::Erroneous,
                    Side::On, "неизвестно", "ошибка!", {}, false},
        ScenarioRow{"error_in_other_logic", "S5", {"V1=AND(S1)"}, {"V1=AND(M3)"}, {{{5, 1}, {1, 1}}, {}, 1},
                    BlockStatus::Erroneous, Side::Off, "включен", "разрешено", {}, false},
        ScenarioRow{"empty_governing_logic", "S5", {}, {"V1=AND(S1)"}, {{{5, 1}}, {}, 1}, BlockStatus::Normal,
                    Side::Off, "включен", "???", {}, false}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST(Check, BlockFilterAndStatusesOfAllBlocks) {
    Workspace ws;
    storage::Lines lines = OneBlock("ERROR", {"V1=AND(S1)"}, {});
    lines.insert(lines.end() - 1, {"##20 - Q20", "#On->Off", "IF (S7)", "V20=AND(S1)", "END"});
    ASSERT_TRUE(storage::Read_Config_Text(ws, lines));
    CheckResult all = RunCheck(ws, {});
    ASSERT_EQ(all.blocks.size(), 32u);
    EXPECT_EQ(all.erroneous, std::vector<int>{1});
    EXPECT_EQ(all.blocks[19].status, BlockStatus::Normal);
    EXPECT_EQ(all.blocks[1].status, BlockStatus::Empty);

    CheckResult one = RunCheck(ws, {{}, {}, 20});
    ASSERT_EQ(one.blocks.size(), 1u);
    EXPECT_EQ(one.blocks[0].number, 20);
    EXPECT_TRUE(one.erroneous.empty());
}

TEST(Check, CandidatesOfNamedTs) {
    Workspace ws;
    ASSERT_TRUE(storage::Read_Config_Text(ws, OneBlock("S5", {}, {"V1=OR(S1,S12)"})));
    ws.TsTable.Name[1] = W("Привод (ТС2) 5");
    ws.TsTable.Name[12] = W("ТС-12");
    CheckResult result = RunCheck(ws, {});
    EXPECT_EQ(result.blocks[0].on.candidates, (std::vector<int>{1, 12}));
}

TEST(Check, JsonShape) {
    Workspace ws;
    ASSERT_TRUE(storage::Read_Config_Text(ws, OneBlock("S5", {"V1=AND(S1)"}, {"V1=AND(M3)"})));
    nlohmann::ordered_json j = ToJson(RunCheck(ws, {{{5, 1}}, {{1, 1}}, 0}), "dir/cfg.blk");
    EXPECT_EQ(j["file"], "dir/cfg.blk");
    EXPECT_EQ(j["erroneous"], nlohmann::ordered_json::array({1}));
    ASSERT_EQ(j["blocks"].size(), 32u);

    const auto& b = j["blocks"][0];
    EXPECT_EQ(b["number"], 1);
    EXPECT_EQ(b["name"], "Q1");
    EXPECT_EQ(b["state_signal"], "S5");
    EXPECT_EQ(b["status"], "erroneous");
    EXPECT_EQ(b["view"], "off");
    EXPECT_EQ(b["off"]["result"], 0);
    // An erroneous block has no candidate search.
    EXPECT_EQ(b["off"]["candidates"], nlohmann::ordered_json::array());
    EXPECT_EQ(b["off"]["unreliability"]["max"], 1);
    EXPECT_EQ(b["off"]["unreliability"]["ts"], nlohmann::ordered_json::parse("[[1, 1]]"));
    EXPECT_EQ(b["on"]["error"], true);
    EXPECT_EQ(b["on"]["empty"], false);
    EXPECT_EQ(b["on"]["error_line"], "V1=AND(M3)");
    EXPECT_EQ(b["on"]["message"], "Неизвестная входная переменная \"M3\" в строке: \r\rV1=AND(M3)");
    EXPECT_EQ(b["report"]["verdict"], "запрещено");
    EXPECT_EQ(b["report"]["verdict_color"], "0x0000FF");
    EXPECT_EQ(b["report"]["state_color"], "0x000000");
    EXPECT_EQ(b["report"]["state_hint"], "");  // the state marker is off
    EXPECT_EQ(b["report"]["warning_visible"], true);
    EXPECT_EQ(b["report"]["warning_hint"], "Ручная недостоверность данных ТС: \n\r\n\rТС1");
    EXPECT_NE(j.dump().find(R"(\n\r\n\rТС1")"), std::string::npos);  // LF CR stays visible

    const auto& empty = j["blocks"][1];
    EXPECT_EQ(empty["status"], "empty");
    EXPECT_EQ(empty["state_signal"], "---");
    EXPECT_EQ(empty["on"]["empty"], true);
    EXPECT_EQ(empty["off"]["empty"], true);
    EXPECT_EQ(empty["report"]["name"], "");
    EXPECT_EQ(empty["report"]["name_hint"], "");  // the name label is hidden
    EXPECT_EQ(empty["report"]["verdict"], "???");
    EXPECT_EQ(empty["report"]["warning_hint"], "");
    std::vector<std::string> keys;
    for (const auto& item : b.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"number", "name", "state_signal", "status", "view", "on", "off",
                                              "report"}));
}

TEST(Check, ReadableLines) {
    Workspace ws;
    storage::Lines lines = OneBlock("S5", {"V1=AND(S1)"}, {"V1=AND(M3)"});
    lines.insert(lines.end() - 1, {"##3 - Q3", "#On->Off", "IF (S7)", "V3=AND(S1)", "END", "##4 - Q4"});
    ASSERT_TRUE(storage::Read_Config_Text(ws, lines));
    std::string text = ToText(RunCheck(ws, {{{5, 1}}, {}, 0}));
    EXPECT_EQ(
        text,
        " 1 Q1 [S5]: включен, Отключение: запрещено - В логике включения: Неизвестная входная переменная "
        "\"M3\" в строке: V1=AND(M3)\n"
        " 3 Q3 [S7]: отключен, Включение: ???\n"
        "Блоков: нормальных 1, ошибочных 1, пустых 30\n");
}

TEST(Check, ParseAssignments) {
    struct Row {
        const char* text;
        bool ok;
        std::map<int, int> values;
    };
    for (const Row& row :
         {Row{"1=0", true, {{1, 0}}}, Row{"1=1,256=-5,3=$10", true, {{1, 1}, {256, -5}, {3, 16}}},
          Row{"7=1,7=0", true, {{7, 0}}}, Row{"", false, {}}, Row{"1", false, {}}, Row{"0=1", false, {}},
          Row{"257=1", false, {}}, Row{"1=x", false, {}}, Row{"1=1,", false, {}}, Row{"1=40000", false, {}},
          Row{"1==1", false, {}}}) {
        auto parsed = ParseAssignments(row.text, 1, 256, -32768, 32767);
        ASSERT_EQ(parsed.has_value(), row.ok) << row.text;
        if (row.ok) {
            EXPECT_EQ(*parsed, row.values) << row.text;
        }
    }
}

}  // namespace
}  // namespace check
