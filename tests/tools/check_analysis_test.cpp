// interlocks-check --analyse on the example configuration and on small files.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/tools/check_runner.h"

namespace {

using namespace check_test;
using nlohmann::json;

// A configuration of the test, as written; its quoted path.
std::string Raw(const std::string& name, const std::string& text) {
    return "'" + WriteFile(name, text).string() + "'";
}

// Block 1: OFF logic allowed with TS 3, ON logic never allowed; nothing erroneous.
const std::string kNeverOn =
    "@\r\n##1\r\n#On->Off\r\nIF (S2)\r\nV1=AND(S3)\r\nEND\r\n#Off->On\r\nIF "
    "(~S2)\r\nV1=AND(S1,~S1)\r\nEND\r\n@\r\n";

TEST(CheckAnalysis, AddsToTheReportAndChangesNothingElse) {
    for (const std::string& extra : {std::string(), std::string("--block 8 "), std::string("--set 1=0 ")}) {
        SCOPED_TRACE(extra);
        const Outcome plain = Check(extra + Example());
        const Outcome analysed = Check("--analyse " + extra + Example());
        EXPECT_EQ(plain.status, analysed.status);
        ASSERT_LT(plain.out.size(), analysed.out.size());
        EXPECT_EQ(analysed.out.substr(0, plain.out.size()), plain.out);

        json plainJson = json::parse(Check("--json " + extra + Example()).out);
        json analysedJson = json::parse(Check("--json --analyse " + extra + Example()).out);
        for (json& block : analysedJson["blocks"]) {
            EXPECT_TRUE(block.contains("analysis"));
            block.erase("analysis");
        }
        EXPECT_EQ(analysedJson, plainJson);
    }
}

TEST(CheckAnalysis, ExampleAnswers) {
    const Outcome run = Check("--json --analyse --where 6 " + Example());
    ASSERT_EQ(run.status, 1);
    const json j = json::parse(run.out);
    const json& q3 = j["blocks"][7]["analysis"];  // ON forbidden: one of two pair changes
    EXPECT_EQ(q3["governing"], "on");
    // Each pair change names the state it goes to, both TS with their values.
    EXPECT_EQ(q3["min_changes"], json::parse(R"({"size": 1, "sets": [[1], [6]],
        "values": [[{"ts": 1, "value": 0}, {"ts": 2, "value": 1}], [{"ts": 6, "value": 0}, {"ts": 7, "value": 1}]],
        "truncated": false})"));
    EXPECT_EQ(q3["on"], json::parse(R"({"never": false, "always": false})"));
    const json& qe1 = j["blocks"][2]["analysis"];  // the pair, and both TS of an OR
    EXPECT_EQ(qe1["min_changes"]["sets"], json::parse("[[1, 3, 5]]"));
    const json& q4 = j["blocks"][8]["analysis"];  // ON logic with a text error
    EXPECT_EQ(q4["governing"], "on");
    EXPECT_TRUE(q4["min_changes"].is_null());
    EXPECT_TRUE(q4["on"].is_null());
    EXPECT_FALSE(q4["off"].is_null());
    const json& q1 = j["blocks"][0]["analysis"];  // allowed: nothing to change
    EXPECT_EQ(q1["governing"], "off");
    EXPECT_TRUE(q1["min_changes"].is_null());
    const json& empty = j["blocks"][9]["analysis"];
    EXPECT_TRUE(empty["governing"].is_null());
    EXPECT_TRUE(empty["on"].is_null());
    EXPECT_EQ(empty["problems"], json::array());
    EXPECT_EQ(j["where_used"], json::parse(R"([[4, "on", 1, "~D6"], [4, "off", 1, "~D6"], [6, "on", 1, "~D6"],
        [6, "off", 1, "~D6"], [7, "on", 2, "~D6"], [7, "off", 1, "~D6"], [8, "on", 1, "~D6"]])"));
}

TEST(CheckAnalysis, ExitStatusAndFindingLines) {
    const struct {
        const char* label;
        std::string args;
        int status;
        std::string outPart;
    } rows[] = {
        {"a problem alone keeps 0", "--analyse " + Raw("never.blk", kNeverOn), 0,
         " 1 - on стр. 1: never_allowed - Операция не разрешается ни в одном состоянии ТС\n"},
        {"--strict makes it 1", "--analyse --strict " + Raw("never.blk", kNeverOn), 1, "never_allowed"},
        {"no set of changes", "--analyse --set 2=0 " + Raw("never.blk", kNeverOn), 0,
         " 1 - on: разрешить нельзя никаким изменением ТС\n"},
        {"where used", "--analyse --where 3 " + Raw("never.blk", kNeverOn), 0,
         "ТС3:\n  блок 1 off стр. 1: S3\n"},
        {"--where needs --analyse", "--where 3 " + Example(), 2, ""},
        {"--strict needs --analyse", "--strict " + Example(), 2, ""},
        {"--where out of range", "--analyse --where 257 " + Example(), 2, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const Outcome run = Check(row.args);
        EXPECT_EQ(run.status, row.status);
        EXPECT_NE(run.out.find(row.outPart), std::string::npos) << run.out;
    }
}

}  // namespace
