// interlocks-check with requirements, the behaviour diff, and several files at once.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "interlock/cp1251.h"
#include "tests/tools/check_runner.h"

namespace {

using namespace check_test;
using nlohmann::json;

const char* kBlock1 =
    "@\n##1\n#On->Off\nIF (S2)\nV1=AND(S3)\nEND\n#Off->On\nIF "
    "(~S2)\nM1=AND(~S4,~S5)\nV1=AND(M1,S6)\nEND\n@\n";

TEST(CheckProofs, RequirementsOfTheExample) {
    const Outcome run = Check("--prove " + Example());
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find("[доказано] стр. 4 QS1 включается при отключенном Q1 (ON 2 REQUIRES ~D1)\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("[опровергнуто] стр. 14 QS2 включается при отключенном QE3 (ON 4 REQUIRES ~S9) - "
                           "контрпример: ТС1=0 [ТС2=1], ТС4=0, ТС6=0 [ТС7=1], ТС9=1; состояние: ТС5=0\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("[не проверено] стр. 11 Q4 можно включить (ON 9 POSSIBLE) - ошибка в логике: "),
              std::string::npos);
    EXPECT_NE(run.out.find("Требований: доказано 7, опровергнуто 1, не проверено 1"), std::string::npos);

    const json j = json::parse(Check("--json --prove " + Example()).out);
    const json& refuted = j["requirements"][8];
    EXPECT_EQ(refuted["result"], "refuted");
    EXPECT_EQ(refuted["counterexample"],
              json::parse(R"([{"ts":1,"name":"","value":0,"pair_second":{"ts":2,"value":1}},
        {"ts":4,"name":"","value":0},{"ts":6,"name":"","value":0,"pair_second":{"ts":7,"value":1}},
        {"ts":9,"name":"","value":1}])"));
    EXPECT_EQ(refuted["state"], json::parse(R"({"ts":5,"value":0})"));
    EXPECT_TRUE(refuted["minimal"].get<bool>());
    EXPECT_EQ(j["requirements"][7]["result"], "not_checked");
}

TEST(CheckProofs, RequirementsFilesAndStatus) {
    const std::string config = File("one.blk", kBlock1);
    const struct {
        const char* label;
        std::string args;
        int status;
        std::string outPart;
        std::string errPart;
    } rows[] = {
        {"all proven",
         "--requirements " +
             File("ok.req", "# все выполняются\nON 1 REQUIRES AND(~S4,~S5)\nON 1 POSSIBLE\n") + " " + config,
         0, "Требований: доказано 2, опровергнуто 0", ""},
        {"a malformed line: the others still checked",
         "--requirements " + File("bad.req", "ON 1 REQUIRES ~S4\nON 1 REQIRES S5\nON 1 FORBIDDEN WHEN S5\n") +
             " " + config,
         1, "bad.req:2:6: ошибка: ожидается REQUIRES, FORBIDDEN WHEN или POSSIBLE\n[доказано] стр. 1", ""},
        {"refuted", "--requirements " + File("no.req", "Нужен S7: ON 1 REQUIRES S7\n") + " " + config, 1,
         "[опровергнуто] стр. 1 Нужен S7 (ON 1 REQUIRES S7) - контрпример: ТС4=0, ТС5=0, ТС6=1, ТС7=0; "
         "состояние: ТС2=0",
         ""},
        {"no file beside the configuration", "--prove " + config, 2, "", "one.req"},
        {"--diff excludes --prove", "--prove --diff " + config + " " + config, 2, "", "не задаются вместе"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const Outcome run = Check(row.args);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_NE(run.out.find(row.outPart), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(row.errPart), std::string::npos) << run.err;
    }
}

TEST(CheckProofs, DiffOfTheExamples) {
    Outcome run = Check("--diff " + Example() + " " + Example("substation-b.blk"));
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find(" 3 QE1 Заземляющий нож ввода: on: то же поведение; off: то же поведение\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(" 5 Q2 Выключатель линии Л-1: on: различается (B разрешает то, что A запрещает)"),
              std::string::npos);
    EXPECT_NE(run.out.find("Блоков с другим поведением: 1\n"), std::string::npos);
    EXPECT_EQ(Check("--diff " + Example() + " " + Example()).status, 0);
    EXPECT_EQ(Check("--diff '" + (Scratch() / "missing.blk").string() + "' " + Example()).status, 2);

    const json j = json::parse(Check("--json --diff " + Example() + " " + Example("substation-b.blk")).out);
    ASSERT_EQ(j["diff"]["blocks"].size(), 2u);
    EXPECT_EQ(j["diff"]["blocks"][0]["on"]["status"], "equivalent");
    EXPECT_TRUE(j["diff"]["blocks"][0]["text_changed"].get<bool>());
    const json& q2 = j["diff"]["blocks"][1]["on"];
    EXPECT_EQ(q2["status"], "different");
    EXPECT_EQ(q2["direction"], "b_allows_more");
    EXPECT_EQ(q2["verdict_a"], 0);
    EXPECT_EQ(q2["verdict_b"], 1);
}

TEST(CheckProofs, SeveralFilesAtOnce) {
    const fs::path folder = Scratch() / "units";
    fs::create_directories(folder);
    fs::copy_file(fs::path(EXAMPLES_DIR) / "substation.blk", folder / "a.blk",
                  fs::copy_options::overwrite_existing);
    fs::copy_file(fs::path(EXAMPLES_DIR) / "substation-b.blk", folder / "b.blk",
                  fs::copy_options::overwrite_existing);
    std::ofstream(folder / "notes.txt") << "not a configuration";
    const Outcome run = Check("'" + folder.string() + "' " + File("one.blk", kBlock1));
    EXPECT_EQ(run.status, 1);  // the examples have an erroneous block; one.blk has none
    const size_t a = run.out.find("== " + (folder / "a.blk").string() + " ==\n");
    const size_t b = run.out.find("== " + (folder / "b.blk").string() + " ==\n");
    const size_t one = run.out.find("one.blk ==\n");
    ASSERT_NE(a, std::string::npos) << run.out;
    ASSERT_NE(b, std::string::npos);
    ASSERT_NE(one, std::string::npos);
    EXPECT_LT(a, b);
    EXPECT_LT(b, one);
    EXPECT_EQ(run.out.find("notes.txt"), std::string::npos);
    EXPECT_NE(run.out.find("Файлов: 3; код 0: 1, код 1: 2, код 2: 0\n"), std::string::npos) << run.out;

    const Outcome missing =
        Check(File("one.blk", kBlock1) + " '" + (Scratch() / "missing.blk").string() + "'");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.out.find("код 0: 1, код 1: 0, код 2: 1"), std::string::npos) << missing.out;
}

}  // namespace

// Switching sequences: the exit status in each mode and for bad input, and a JUnit case per
// program step and per malformed line.
TEST(CheckSequences, StatusInEachModeAndJunitCases) {
    const std::string out = Example("substation-line1-out.prog");
    const std::string wrong = Example("substation-line1-wrong-order.prog");
    const struct {
        std::string args;
        int status;
    } cases[] = {
        {"--program " + out, 1},  // TS 15 held at 1: QE3 stays forbidden
        {"--free-ts --program " + out, 0},
        {"--free-ts --program " + wrong, 1},
        {"--hold-ts 15=0 --program " + out, 0},
        {"--plan S9", 1},
        {"--hold-ts 15=0 --plan S9", 0},
        {"--free-ts --reach 'AND(S9,S8)'", 1},
        {"--free-ts --reach 'AND(S9,~D6)' --from 'AND(~D6,~S8)'", 0},
        {"--reach 'AND(S9'", 2},
        {"--plan S300", 2},
        {"--hold-ts 15", 2},
        {"--free-ts --hold-ts 15=0 --plan S9", 2},
        {"--program '" + (Scratch() / "missing.prog").string() + "'", 2},
    };
    // The example's topology (substation.top) is left out here: these are the held and free modes.
    for (const auto& c : cases) {
        const Outcome run = Check("--no-topology " + c.args + " " + Example());
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.out << run.err;
    }
    // With the topology, TS 15 follows the positions: QE3's logic reads the indicator of
    // section I, which stays live while the line is taken out, so step 3 is refused; a plan to
    // S9 exists, and no hazard is reachable.
    const struct {
        std::string args;
        int status;
    } withTopology[] = {
        {"--free-ts --program " + out, 1},
        {"--plan S9", 0},
        {"--hazards", 0},
    };
    for (const auto& c : withTopology) {
        const Outcome run = Check(c.args + " " + Example());
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.out << run.err;
    }

    const std::string program = File("steps.prog", "ОТКЛ Q2\nвключить\nОТКЛ QS3\nВКЛ 7 # заземлить\n");
    const fs::path junit = Scratch() / "steps.xml";
    const Outcome run = Check("--no-topology --free-ts --program " + program + " --junit '" + junit.string() +
                              "' " + Example());
    EXPECT_EQ(run.status, 1);
    const std::string xml = Slurp(junit);
    size_t cases_ = 0;
    for (size_t at = 0; (at = xml.find("<testcase", at)) != std::string::npos; ++at) ++cases_;
    EXPECT_EQ(cases_, 4u) << xml;  // three steps and the malformed line 2
}
