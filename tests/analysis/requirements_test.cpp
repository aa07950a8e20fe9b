// Requirements: the file syntax, and proofs and counterexamples on blocks worked out by hand;
// every counterexample is checked again with the evaluator.

#include <gtest/gtest.h>

#include <random>

#include "analysis/requirements.h"
#include "interlock/cp1251.h"
#include "interlock/parser.h"
#include "interlock/workspace.h"

namespace analysis::test {
namespace {

using interlock::Side;
using interlock::Workspace;

std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

TEST(RequirementsSyntax, Forms) {
    const RequirementsFile f = ParseRequirements({
        W("# комментарий"),
        "",
        W("Заземлители отключены: ON 2 REQUIRES AND(~D4,~D9)   # и комментарий после"),
        "off 3 forbidden when OR(S6, AND(S1,~S2))",
        W("Метка: с двоеточием: ON 32 POSSIBLE"),
        "  ON 1 REQUIRES ~S 7",
        "OFF 1 FORBIDDEN WHEN ~OR(S1,S256)",
    });
    ASSERT_TRUE(f.errors.empty()) << f.errors[0].message;
    ASSERT_EQ(f.requirements.size(), 5u);
    const Requirement& a = f.requirements[0];
    EXPECT_EQ(a.line, 3);
    EXPECT_EQ(a.label, W("Заземлители отключены"));
    EXPECT_EQ(a.text, "ON 2 REQUIRES AND(~D4,~D9)");
    EXPECT_EQ(a.side, Side::On);
    EXPECT_EQ(a.block, 2);
    EXPECT_EQ(a.kind, Requirement::Kind::Requires);
    EXPECT_EQ(a.condition.kind, Condition::Kind::And);
    ASSERT_EQ(a.condition.operands.size(), 2u);
    EXPECT_TRUE(a.condition.operands[1].negated);
    EXPECT_EQ(a.condition.operands[1].ts, 9);
    const Requirement& b = f.requirements[1];
    EXPECT_EQ(b.kind, Requirement::Kind::ForbiddenWhen);
    EXPECT_EQ(b.side, Side::Off);
    EXPECT_EQ(b.condition.operands[1].kind, Condition::Kind::And);
    EXPECT_EQ(f.requirements[2].label, W("Метка: с двоеточием"));
    EXPECT_EQ(f.requirements[2].kind, Requirement::Kind::Possible);
    EXPECT_EQ(f.requirements[3].condition.ts, 7);
    EXPECT_TRUE(f.requirements[3].condition.negated);
    EXPECT_TRUE(f.requirements[4].condition.negated);
    EXPECT_EQ(f.requirements[4].condition.kind, Condition::Kind::Or);
}

TEST(RequirementsSyntax, ErrorsNameLineAndPosition) {
    const struct {
        std::string line;
        int position;
        const char* message;
    } rows[] = {
        {"IN 2 POSSIBLE", 1, "ожидается ON или OFF"},
        {"ON 33 POSSIBLE", 4, "ожидается номер блока от 1 до 32"},
        {"ON 2 ALLOWS S1", 6, "ожидается REQUIRES, FORBIDDEN WHEN или POSSIBLE"},
        {"ON 2 FORBIDDEN IF S1", 16, "ожидается WHEN после FORBIDDEN"},
        {"ON 2 REQUIRES AND(S1,M2)", 22, "ожидается операнд S/D или AND(...)/OR(...)"},
        {"ON 2 REQUIRES S257", 16, "номер ТС должен быть от 1 до 256"},
        {"ON 2 REQUIRES AND S1", 19, "ожидается \"(\""},
        {"ON 2 REQUIRES AND(S1 S2)", 22, "ожидается \",\" или \")\""},
        {"ON 2 REQUIRES S1)", 17, "лишние символы в конце требования"},
        {"ON 2 POSSIBLE S1", 15, "лишние символы в конце требования"},
        {"label: ON 2", 12, "ожидается REQUIRES, FORBIDDEN WHEN или POSSIBLE"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const RequirementsFile f = ParseRequirements({"ON 1 POSSIBLE", row.line, "OFF 1 POSSIBLE"});
        EXPECT_EQ(f.requirements.size(), 2u);  // the other lines are still read
        ASSERT_EQ(f.errors.size(), 1u);
        EXPECT_EQ(f.errors[0].line, 2);
        EXPECT_EQ(f.errors[0].position, row.position);
        EXPECT_EQ(f.errors[0].message, W(row.message));
    }
}

struct Block1 {
    std::vector<int> pairs;
    std::string state;
    std::vector<std::string> on, off;
};

std::unique_ptr<Workspace> Make(const Block1& s) {
    auto ws = std::make_unique<Workspace>();
    for (int n : s.pairs) {
        ws->TsTable.TwoPosition[n] = 1;
        ws->TsTable.PairSecond[n + 1] = 1;
    }
    ws->Blocks[1].OnLogic = s.on;
    ws->Blocks[1].OffLogic = s.off;
    interlock::SetStateSignal(*ws, 1, s.state);
    interlock::RecalculateAll(*ws);
    return ws;
}

// Sets the counterexample, the state TS as held and every other TS at random (pairs valid), and
// asks the evaluator: the operation must be allowed and the condition must fail.
void CheckCounterexample(const Workspace& ws, const RequirementResult& r, std::mt19937& random) {
    ASSERT_TRUE(r.counterexample);
    ASSERT_TRUE(r.state);
    for (int round = 0; round < 20; ++round) {
        auto trial = std::make_unique<Workspace>(ws);
        auto& t = trial->TsTable;
        auto set = [&](int ts, int v) {
            t.Value[ts] = static_cast<int16_t>(v);
            for (int k = ts; k < interlock::kTsCount && t.TwoPosition[k]; ++k)
                t.Value[k + 1] = t.Value[k] ^ 1;
        };
        for (int ts = 1; ts <= interlock::kTsCount; ++ts)
            if (!(ts > 1 && t.TwoPosition[ts - 1])) set(ts, static_cast<int>(random() % 2));
        for (const Literal& l : r.counterexample->cube) set(l.ts, l.value);
        set(r.state->ts, r.state->value);
        const Requirement& q = r.requirement;
        interlock::ParseLogic(*trial, trial->Blocks[q.block], q.side);
        const auto f = trial->Blocks[q.block].Of(q.side);
        ASSERT_FALSE(f.Error) << f.ErrorMessage;
        EXPECT_EQ(f.Result, 1);
        EXPECT_EQ(EvaluateCondition(q.condition, t), q.kind == Requirement::Kind::ForbiddenWhen);
    }
}

TEST(Requirements, ProvenAndRefuted) {
    const struct {
        const char* name;
        Block1 block;
        std::string requirement;
        Verdict verdict;
        Cube counterexample;  // when refuted
    } rows[] = {
        {"required condition held",
         {{}, "S10", {"V1=AND(~S4,~S9,S2)"}, {}},
         "ON 1 REQUIRES AND(~S4,~S9)",
         Verdict::Proven,
         {}},
        {"required condition missing: one TS names it",
         {{}, "S10", {"V1=AND(~S4,S2)"}, {}},
         "ON 1 REQUIRES AND(~S4,~S9)",
         Verdict::Refuted,
         {{2, 1}, {4, 0}, {9, 1}}},
        {"an OR route that skips a condition",
         {{}, "S10", {"M1=AND(~S4,S2)", "V1=OR(M1,S3)"}, {}},
         "ON 1 REQUIRES ~S4",
         Verdict::Refuted,
         {{3, 1}, {4, 1}}},
        {"forbidden when: holds",
         {{}, "S10", {"V1=AND(~S6,S2)"}, {}},
         "ON 1 FORBIDDEN WHEN S6",
         Verdict::Proven,
         {}},
        {"forbidden when: broken",
         {{}, "S10", {"V1=OR(~S6,S2)"}, {}},
         "ON 1 FORBIDDEN WHEN S6",
         Verdict::Refuted,
         {{2, 1}, {6, 1}}},
        {"the state TS is held", {{}, "S10", {"V1=AND(S2)"}, {}}, "ON 1 REQUIRES ~S10", Verdict::Proven, {}},
        {"inverted state signal holds its TS at 1",
         {{}, "~S10", {"V1=AND(S2)"}, {}},
         "ON 1 REQUIRES S10",
         Verdict::Proven,
         {}},
        {"a pair through its second TS",
         {{4}, "S10", {"V1=AND(~D4,S2)"}, {}},
         "ON 1 REQUIRES S5",
         Verdict::Proven,
         {}},
        {"a pair counterexample names its first TS",
         {{4}, "S10", {"V1=AND(S2)"}, {}},
         "ON 1 REQUIRES S5",
         Verdict::Refuted,
         {{2, 1}, {4, 1}}},
        {"possible", {{}, "S10", {"V1=AND(S2)"}, {}}, "ON 1 POSSIBLE", Verdict::Proven, {}},
        {"not possible", {{}, "S10", {"V1=AND(S2,S10)"}, {}}, "ON 1 POSSIBLE", Verdict::Refuted, {}},
        {"the OFF side", {{}, "S10", {}, {"V1=AND(S3)"}}, "OFF 1 REQUIRES S3", Verdict::Proven, {}},
        {"an empty logic is not checked",
         {{}, "S10", {}, {"V1=AND(S3)"}},
         "ON 1 POSSIBLE",
         Verdict::NotChecked,
         {}},
        {"a logic with an error is not checked",
         {{}, "S10", {"V1=AND(S3"}, {}},
         "ON 1 POSSIBLE",
         Verdict::NotChecked,
         {}},
        {"a block without state signal is not checked",
         {{}, "", {"V1=AND(S3)"}, {}},
         "ON 1 POSSIBLE",
         Verdict::NotChecked,
         {}},
    };
    std::mt19937 random(5);
    Analyser analyser;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<Workspace> ws = Make(row.block);
        const RequirementsFile f = ParseRequirements({row.requirement});
        ASSERT_EQ(f.requirements.size(), 1u);
        const std::vector<RequirementResult> results = Prove(analyser, *ws, f.requirements);
        ASSERT_EQ(results.size(), 1u);
        const RequirementResult& r = results[0];
        EXPECT_EQ(r.verdict, row.verdict);
        if (r.verdict == Verdict::NotChecked) {
            EXPECT_FALSE(r.reason.empty());
        }
        if (r.verdict != Verdict::Refuted || row.requirement.find("POSSIBLE") != std::string::npos) continue;
        ASSERT_TRUE(r.counterexample);
        EXPECT_TRUE(r.counterexample->minimum);
        EXPECT_EQ(r.counterexample->cube, row.counterexample);
        CheckCounterexample(*ws, r, random);
    }
}

// A logic whose model outgrows the node budget gives "undetermined", never "proven".
TEST(Requirements, BudgetGivesUndetermined) {
    auto ws = std::make_unique<Workspace>();
    std::vector<std::string> blowUp;
    std::string output = "V1=OR(";
    for (int i = 1; i <= 16; ++i) {
        blowUp.push_back("M" + std::to_string(i) + "=AND(S" + std::to_string(i) + ",S" +
                         std::to_string(i + 100) + ")");
        output += (i > 1 ? ",M" : "M") + std::to_string(i);
    }
    blowUp.push_back(output + ")");
    ws->Blocks[1].OnLogic = blowUp;
    interlock::SetStateSignal(*ws, 1, "S200");
    Analyser analyser(20'000);
    const RequirementsFile f = ParseRequirements({"ON 1 REQUIRES S1", "ON 1 POSSIBLE"});
    for (const RequirementResult& r : Prove(analyser, *ws, f.requirements)) {
        EXPECT_EQ(r.verdict, Verdict::Undetermined);
        EXPECT_FALSE(r.reason.empty());
    }
}

TEST(Requirements, FileBytesCodePageAndDepth) {
    auto nested = [](int depth) {
        std::string s = "ON 1 REQUIRES ";
        for (int i = 1; i < depth; ++i) s += "OR(";
        s += "S1";
        for (int i = 1; i < depth; ++i) s += ")";
        return s;
    };
    const struct {
        const char* label;
        std::string bytes;
        std::string label1;  // the first requirement's label, Windows-1251; "" when it is an error
        std::string error;   // the first error's message
    } rows[] = {
        {"Windows-1251", W("Метка: ON 1 POSSIBLE"), W("Метка"), ""},
        {"UTF-8 with CR LF", "Метка: ON 1 POSSIBLE\r\n", W("Метка"), ""},
        {"UTF-8 beyond the code page", "Знак \xE2\x84\x96 \xF0\x9F\x94\x92: ON 1 POSSIBLE", W("Знак № ?"),
         ""},
        {"truncated UTF-8 is Windows-1251", "\xD0\x9C\xD0: ON 1 POSSIBLE", "\xD0\x9C\xD0", ""},
        {"overlong UTF-8 is Windows-1251", "\xC0\xAF: ON 1 POSSIBLE", "\xC0\xAF", ""},
        {"surrogate is Windows-1251", "\xED\xA0\x80: ON 1 POSSIBLE", "\xED\xA0\x80", ""},
        {"ASCII with a lone CR", "a: ON 1 POSSIBLE\rb: ON 2 POSSIBLE", "a", ""},
        {"100 levels", nested(100), "", ""},
        {"101 levels", nested(101), "", W("условие вложено глубже 100 уровней")},
        {"40,000 levels", nested(40000), "", W("условие вложено глубже 100 уровней")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const RequirementsFile f = ParseRequirementsFile(row.bytes);
        if (!row.error.empty()) {
            ASSERT_EQ(f.errors.size(), 1u);
            EXPECT_EQ(f.errors[0].message, row.error);
            continue;
        }
        ASSERT_TRUE(f.errors.empty()) << f.errors[0].message;
        ASSERT_FALSE(f.requirements.empty());
        EXPECT_EQ(f.requirements[0].label, row.label1);
    }
    EXPECT_EQ(ParseRequirementsFile("a: ON 1 POSSIBLE\rb: ON 2 POSSIBLE").requirements.size(), 2u);
}

TEST(Requirements, FileBesideTheConfiguration) {
    EXPECT_EQ(RequirementsFileFor("examples/substation.blk"), "examples/substation.req");
    EXPECT_EQ(RequirementsFileFor("a.b/config"), "a.b/config.req");
    EXPECT_EQ(RequirementsFileFor("Temp/1.tmp"), "Temp/1.req");
}

}  // namespace
}  // namespace analysis::test
