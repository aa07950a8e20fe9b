// Long logics of a small function, the scaled-down kin of a 20 MB one: their models are
// answered within the time budget, and are the function the plain parse of the text computes;
// a logic too heavy for the budget is "undetermined" within it.

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "analysis/analyser.h"
#include "analysis/model.h"
#include "interlock/workspace.h"
#include "tests/support/text_parser.h"

namespace analysis::test {
namespace {

using interlock::Side;

// Lines of M assignments about 100 characters long, each M assigned again every 16 lines,
// then V1 from the last M1.
interlock::LogicText LongLogic(int lines) {
    std::vector<std::string> text;
    for (int i = 0; i < lines; ++i) {
        std::string line = "M" + std::to_string(i % 16 + 1) + "=AND(";
        for (int ts = i % 200 + 2; line.size() < 88; ++ts) line += "S" + std::to_string(ts) + ",";
        text.push_back(line + "~S1)");
    }
    text.push_back("V1=AND(M1,S14)");
    return interlock::LogicText(std::move(text));
}

// Like LongLogic, but every line reads its own choice of TS: no line is built again from one
// alike.
interlock::LogicText DifferentLines(int lines) {
    std::mt19937 random(24);
    std::vector<std::string> text;
    for (int i = 0; i < lines; ++i) {
        std::string line = "M" + std::to_string(i % 16 + 1) + "=AND(";
        for (int k = 0; k < 17; ++k) line += "S" + std::to_string(2 + random() % 255) + ",";
        text.push_back(line + "~S1)");
    }
    text.push_back("V1=AND(M1,S14)");
    return interlock::LogicText(std::move(text));
}

// Every line reads the M of the line before: each must be built.
interlock::LogicText Chained(int lines) {
    std::vector<std::string> text = {"M1=AND(S2,S3)"};
    for (int i = 1; i < lines; ++i) {
        const int a = 2 + i % 120;
        text.push_back("M" + std::to_string(i % 16 + 1) + "=" + (i % 2 ? "OR" : "AND") + "(M" +
                       std::to_string((i - 1) % 16 + 1) + ",S" + std::to_string(a) + ",~S" +
                       std::to_string(a + 120) + ")");
    }
    text.push_back("V1=AND(M" + std::to_string((lines - 1) % 16 + 1) + ",S14)");
    return interlock::LogicText(std::move(text));
}

std::unique_ptr<interlock::Workspace> WithOnLogic(interlock::LogicText logic) {
    auto ws = std::make_unique<interlock::Workspace>();
    interlock::Block& b = ws->Blocks[1];
    b.Name = "Q1";
    b.StateSignal = 1;
    b.OnLogic = std::move(logic);
    b.OffLogic = {"V1=AND(S14)"};
    interlock::RecalculateAll(*ws);
    return ws;
}

TEST(HostileSizes, ALongLogicOfASmallFunctionIsAnswered) {
    const struct {
        const char* name;
        interlock::LogicText logic;
    } cases[] = {
        {"a few lines repeated", LongLogic(20000)},
        // Built line by line, these took longer than the budget.
        {"no two lines alike", DifferentLines(60000)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto ws = WithOnLogic(c.logic);
        interlock::Block& b = ws->Blocks[1];
        Analyser analyser;
        analyser.SetTimeBudget(std::chrono::milliseconds(150));
        const std::vector<BlockAnalysis> all = analyser.AnalyseAll(*ws, {1});
        ASSERT_EQ(all.size(), 1u);
        ASSERT_TRUE(all[0].on);
        EXPECT_FALSE(all[0].on->undetermined);
        const LogicModel* model = analyser.Model(1, Side::On);
        ASSERT_NE(model, nullptr);
        ASSERT_FALSE(model->undetermined);
        // Every line but the last M1 goes unread: each is said so, none is constant.
        int neverRead = 0;
        for (const Problem& p : all[0].problems) {
            EXPECT_NE(p.check, check::kConstantLine) << p.line;
            neverRead += p.check == check::kMNeverRead;
        }
        EXPECT_EQ(neverRead, static_cast<int>(c.logic.size()) - 2);

        // The model against the parse of the text, on values that reach both outcomes.
        ws->CurrentBlock = 0;  // no candidate search
        std::mt19937 random(7);
        int allowed = 0;
        for (int round = 0; round < 40; ++round) {
            for (int t = 1; t <= interlock::kTsCount; ++t)
                ws->TsTable.Value[t] = static_cast<int16_t>(random() % 8 != 0);
            if (round % 2) ws->TsTable.Value[1] = 0;
            interlock::twin::ParseText(*ws, b, Side::On);
            ASSERT_FALSE(b.OnError);
            EXPECT_EQ(EvaluateGeneral(model->output, ws->TsTable.Value), b.OnResult == 1)
                << "round " << round;
            allowed += b.OnResult;
        }
        EXPECT_GT(allowed, 0);
    }
}

// A logic whose every line must be built takes longer than a small budget: its answer is
// "undetermined", given when the budget ends, and the other logic is answered.
TEST(HostileSizes, TheBudgetEndsAHeavyLogic) {
    auto ws = WithOnLogic(Chained(200000));
    Analyser analyser;
    analyser.SetTimeBudget(std::chrono::milliseconds(40));
    const auto start = std::chrono::steady_clock::now();
    const std::vector<BlockAnalysis> all = analyser.AnalyseAll(*ws, {1});
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(all[0].on);
    EXPECT_TRUE(all[0].on->undetermined);
    ASSERT_TRUE(all[0].off);
    EXPECT_FALSE(all[0].off->undetermined);
    // Bounded by the budget and the passes over the text, not by the lines built: generous
    // for a loaded machine.
    EXPECT_LT(took, std::chrono::seconds(5));
}

}  // namespace
}  // namespace analysis::test
