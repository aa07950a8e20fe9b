// A long logic of a small function, the scaled-down kin of a 20 MB one: its model is answered
// within the time budget, and it is the function the plain parse of the text computes.

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

TEST(HostileSizes, ALongLogicOfASmallFunctionIsAnswered) {
    auto ws = std::make_unique<interlock::Workspace>();
    interlock::Block& b = ws->Blocks[1];
    b.Name = "Q1";
    b.StateSignal = 1;
    b.OnLogic = LongLogic(20000);
    b.OffLogic = {"V1=AND(S14)"};
    interlock::RecalculateAll(*ws);

    Analyser analyser;
    analyser.SetTimeBudget(std::chrono::milliseconds(150));
    const std::vector<BlockAnalysis> all = analyser.AnalyseAll(*ws, {1});
    ASSERT_EQ(all.size(), 1u);
    ASSERT_TRUE(all[0].on);
    EXPECT_FALSE(all[0].on->undetermined);
    const LogicModel* model = analyser.Model(1, Side::On);
    ASSERT_NE(model, nullptr);
    ASSERT_FALSE(model->undetermined);

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
        EXPECT_EQ(EvaluateGeneral(model->output, ws->TsTable.Value), b.OnResult == 1) << "round " << round;
        allowed += b.OnResult;
    }
    EXPECT_GT(allowed, 0);
}

}  // namespace
}  // namespace analysis::test
