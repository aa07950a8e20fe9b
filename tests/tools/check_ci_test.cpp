// What CI reads from the tools: SARIF and JUnit that show erroneous blocks, URI references,
// several files each with its section, requirements files of any shape, the diff's witness
// in both readings, and the report tool's messages and outputs.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include <string>
#include <thread>

#include "tests/tools/check_runner.h"
#include "tools/ci_reports.h"

namespace {

using namespace check_test;
using nlohmann::json;

// Block 1 with the state signal S2 and the ON logic given.
std::string OneBlock(const std::string& on) {
    return "@\n##1 - Q1\n#On->Off\nIF (S2)\nV1=AND(S3)\nEND\n#Off->On\nIF (~S2)\n" + on + "\nEND\n@\n";
}

TEST(CheckCi, ErroneousBlockFailsItsCaseAndIsAnErrorAtItsLine) {
    const std::string sarif = (Scratch() / "e.sarif").string();
    const std::string junit = (Scratch() / "e.xml").string();
    for (const std::string& mode : {std::string(), std::string("--analyse "), std::string("--prove ")}) {
        SCOPED_TRACE(mode);
        const Outcome run = Check(mode + "--sarif '" + sarif + "' --junit '" + junit + "' " + Example());
        EXPECT_EQ(run.status, 1) << run.err;
        const json log = json::parse(Slurp(sarif));
        int errors = 0;
        for (const json& r : log["runs"][0]["results"]) {
            if (r["ruleId"] != "logic_error") continue;
            ++errors;
            EXPECT_EQ(r["level"], "error");
            EXPECT_EQ(r["locations"][0]["physicalLocation"]["region"]["startLine"],
                      100);  // V9=AND(M1,M3,S14)
            EXPECT_NE(r["message"]["text"].get<std::string>().find("Блок 9 on: "), std::string::npos);
        }
        EXPECT_EQ(errors, 1);
        const std::string xml = Slurp(junit);
        EXPECT_NE(xml.find("name=\"блок 9\">\n      <failure message=\"ошибка в логике: "), std::string::npos)
            << xml;
    }
}

TEST(CheckCi, SarifUrisAreUriReferences) {
    const struct {
        std::string path, uri;
    } rows[] = {
        {"examples/substation.blk", "examples/substation.blk"},
        {"dir with space/50% подстанция.blk",
         "dir%20with%20space/50%25%20%D0%BF%D0%BE%D0%B4%D1%81%D1%82%D0%B0%D0%BD%D1%86%D0%B8%D1%8F.blk"},
        {"/srv/a#b?c.blk", "file:///srv/a%23b%3Fc.blk"},
        {"c:x.blk", "c%3Ax.blk"},  // no scheme read into a relative reference
    };
    for (const auto& row : rows) EXPECT_EQ(check::UriReference(row.path), row.uri) << row.path;

    check::FileFindings f{"dir with space/a.blk", {{"r", "error", "m", 3}}, {}};
    const json log = json::parse(check::ToSarif({f}));
    const json& where = log["runs"][0]["results"][0]["locations"][0]["physicalLocation"]["artifactLocation"];
    EXPECT_EQ(where["uri"], "dir%20with%20space/a.blk");
    EXPECT_EQ(where["uriBaseId"], "%SRCROOT%");
}

TEST(CheckCi, EveryFileOfSeveralIsCountedWithItsSectionAndMessage) {
    const fs::path folder = Scratch() / "several";
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy_file(fs::path(EXAMPLES_DIR) / "substation.blk", folder / "a.blk");
    WriteFile("several/b.blk", "@\r\n##1 - Q1\r\n##33\r\n@\r\n");
    fs::create_symlink(folder / "gone.blk", folder / "c.blk");
    const std::string junit = (Scratch() / "several.xml").string();
    const Outcome run = Check("--junit '" + junit + "' '" + folder.string() + "'");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("Файлов: 3; код 0: 0, код 1: 1, код 2: 2\n"), std::string::npos) << run.out;
    const struct {
        const char* file;
        const char* message;
    } rows[] = {
        {"b.blk", "Некорректный файл конфигурации (задан недопустимый номер блокировки)."},
        {"c.blk", "Не удалось прочитать файл"},
    };
    const std::string xml = Slurp(junit);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string name = (folder / row.file).string();
        const size_t section = run.out.find("== " + name + " ==\n");
        ASSERT_NE(section, std::string::npos) << run.out;
        // The section holds the file's message under its name, as standard error does.
        EXPECT_EQ(run.out.find(name + ": ", section), section + name.size() + 7) << run.out;
        EXPECT_NE(run.out.find(row.message, section), std::string::npos);
        EXPECT_NE(run.err.find(name + ": "), std::string::npos) << run.err;
        EXPECT_NE(xml.find("<testsuite name=\"" + name + "\" tests=\"1\" failures=\"1\""), std::string::npos)
            << xml;
    }
}

TEST(CheckCi, RequirementsFilesOfAnyShape) {
    const std::string config = File("req.blk", OneBlock("V1=AND(S3)"));
    const std::string deep = "ON 1 REQUIRES " + std::string(40000, '~') + "S3\n" + "ON 1 REQUIRES " + [] {
        std::string s;
        for (int i = 0; i < 37000; ++i) s += "AND(";
        s += "S3";
        for (int i = 0; i < 37000; ++i) s += ")";
        return s;
    }();
    const struct {
        const char* label;
        std::string bytes;  // the requirements file as stored
        int status;
        std::string outPart;
    } rows[] = {
        {"nested 37,000 levels", deep, 1, "ошибка: условие вложено глубже 100 уровней"},
        {"UTF-8 labels read as such", "Нужен S3: ON 1 REQUIRES S3\n", 0,
         "[доказано] стр. 1 Нужен S3 (ON 1 REQUIRES S3)"},
        {"Windows-1251 labels", cp1251::FromUtf8("Нужен S3: ON 1 REQUIRES S3\r\n"), 0,
         "[доказано] стр. 1 Нужен S3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const fs::path req = WriteFile("shape.req", row.bytes);
        const Outcome run = Check("--requirements '" + req.string() + "' " + config);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_NE(run.out.find(row.outPart), std::string::npos) << run.out;
    }
}

// Block 1 with the state signal given, both logics as given.
std::string Block(const std::string& state, const std::string& off, const std::string& on,
                  const std::string& attributes) {
    return "@\nF=" + attributes + "\n##1 - Q1\n#On->Off\nIF (" + state + ")\n" + off +
           "\nEND\n#Off->On\nIF (~" + state + ")\n" + on + "\nEND\n@\n";
}

TEST(CheckCi, DiffWitnessHoldsInBothReadings) {
    // TS 5 read inverted by B only: where A reads TS5=0, B reads 1.
    const std::string plain(256, '0');
    const std::string inverted = "00001" + std::string(251, '0');
    const struct {
        const char* label;
        std::string a, b, outPart;
    } rows[] = {
        {"a TS of the witness", Block("S2", "V1=AND(S3)", "V1=AND(S5)", plain),
         Block("S2", "V1=AND(S3)", "V1=AND(S5)", inverted), "при ТС5=0 {в B: ТС5=1} (состояние: ТС2=0)"},
        {"the state TS", Block("S5", "V1=AND(S3)", "V1=AND(S3)", plain),
         Block("S5", "V1=AND(S3)", "V1=AND(S4)", inverted), "(состояние: ТС5=0 {в B: ТС5=1})"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const std::string a = File("inv-a.blk", row.a);
        const std::string b = File("inv-b.blk", row.b);
        const Outcome run = Check("--diff " + a + " " + b);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.out.find(row.outPart), std::string::npos) << run.out;
        const json j = json::parse(Check("--json --diff " + a + " " + b).out);
        const json& on = j["diff"]["blocks"][0]["on"];
        json literals = on["witness"];
        for (const json& x : on["state"]) literals.push_back(x);
        for (const json& literal : literals) {
            if (literal["ts"] == 5) {
                EXPECT_EQ(literal["value_b"], 1 - literal["value"].get<int>());
            } else {
                EXPECT_FALSE(literal.contains("value_b"));
            }
        }
    }
}

#ifdef REPORT_BINARY
Outcome Report(const std::string& args) { return Run(REPORT_BINARY, args); }

TEST(ReportTool, MessagesInRussianAndExitStatus) {
    const std::string config = Example();
    const std::string pdf = "'" + (Scratch() / "r.pdf").string() + "'";
    const struct {
        const char* label;
        std::string args;
        int status;
        std::string errPart;
    } rows[] = {
        {"no --out", config, 2, "Не задан обязательный параметр --out"},
        {"an extra argument", config + " --out " + pdf + " --bogus", 2, "Лишний аргумент: --bogus"},
        {"missing configuration", "'" + (Scratch() / "none.blk").string() + "' --out " + pdf, 2,
         "Не удалось прочитать файл"},
        {"missing --requirements",
         config + " --out " + pdf + " --requirements '" + (Scratch() / "none.req").string() + "'", 2,
         "Файл или каталог не существует"},
        {"written", config + " --out " + pdf, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const Outcome run = Report(row.args);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_NE(run.err.find(row.errPart), std::string::npos) << run.err;
        for (const char* english : {"required", "expected", "No such", "Run with"})
            EXPECT_EQ(run.err.find(english), std::string::npos) << run.err;
    }
}

TEST(ReportTool, SpecialTargetsAreWrittenThrough) {
    const fs::path fifo = Scratch() / "pipe.pdf";
    fs::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = Slurp(fifo); });
    const Outcome piped = Report(Example() + " --out '" + fifo.string() + "'");
    reader.join();
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(received.substr(0, 4), "%PDF");
    EXPECT_TRUE(fs::is_fifo(fifo));

    const fs::path full = Scratch() / "full.pdf";
    fs::remove(full);
    fs::create_symlink("/dev/full", full);
    const Outcome failed = Report(Example() + " --out '" + full.string() + "'");
    EXPECT_EQ(failed.status, 2);
    EXPECT_NE(failed.err.find("На устройстве не осталось места"), std::string::npos) << failed.err;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));

    const Outcome out = Report(Example() + " --out /dev/stdout");
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(out.out.substr(0, 4), "%PDF");
}
#endif

}  // namespace
