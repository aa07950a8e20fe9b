// The model of a logic against the evaluator: many generated logics, each evaluated by the
// plain parse of its text (the twin of the compiled form both otherwise share) and by its model
// under many TS assignments.

#include <gtest/gtest.h>

#include <random>

#include "analysis/bdd_session.h"
#include "analysis/logic_reader.h"
#include "analysis/model.h"
#include "interlock/parser.h"
#include "interlock/workspace.h"
#include "tests/analysis/random_logic.h"
#include "tests/support/text_parser.h"

namespace analysis::test {
namespace {

using interlock::Side;
using interlock::Workspace;

constexpr int kTs = 8;

class Differential : public ::testing::Test {
protected:
    BddSession session;
    std::mt19937 random{20261209};

    // The verdict of block n's ON logic under the values in ws, read from its text.
    static std::pair<bool, int> Engine(Workspace& ws, int n) {
        interlock::twin::ParseText(ws, ws.Blocks[n], Side::On);
        return {ws.Blocks[n].OnError, ws.Blocks[n].OnResult};
    }
};

// 0/1 values with every pair valid: the model of the domain gives the evaluator's verdict.
TEST_F(Differential, DomainModelAgreesWithTheEvaluator) {
    int logics = 0;
    int compared = 0;
    int refused = 0;
    while (logics < 3000) {
        auto ws = std::make_unique<Workspace>();
        ws->CurrentBlock = 0;  // no candidate search
        RandomPairs(random, *ws, kTs);
        const int n = 1 + static_cast<int>(random() % 32);
        LogicShape shape;
        shape.unassignedM = random() % 10 == 0;
        ws->Blocks[n].Number = static_cast<int8_t>(n);
        ws->Blocks[n].OnLogic = RandomLogic(random, n, shape);
        TextCheck check(*ws);
        if (!check.Accepted(*ws, n, Side::On)) {
            ++refused;
            continue;
        }
        ++logics;
        const LogicModel model = BuildModel(session, interlock::CompiledFormOf(ws->Blocks[n].OnLogic, n),
                                            DomainReading(ws->TsTable));
        ASSERT_FALSE(model.undetermined);
        ASSERT_TRUE(model.hasOutput);
        for (int a = 0; a < 12; ++a) {
            for (int t = 1; t <= kTs + 1; ++t) {
                ws->TsTable.Value[t] = static_cast<int16_t>(
                    t >= 2 && ws->TsTable.TwoPosition[t - 1] ? 1 - ws->TsTable.Value[t - 1] : random() % 2);
            }
            auto [error, result] = Engine(*ws, n);
            ASSERT_FALSE(error) << ws->Blocks[n].OnErrorMessage;
            ASSERT_EQ(EvaluateGeneral(model.output, ws->TsTable.Value), result == 1)
                << ::testing::PrintToString(ws->Blocks[n].OnLogic);
            ++compared;
        }
    }
    EXPECT_GT(refused, 0);  // the generator also writes texts the parser refuses
    EXPECT_GE(compared, 30000);
}

// Any 16-bit values and any pair states: the general model gives the verdict whenever the
// evaluator finds no error, and an error exactly when a pair the logic reads is invalid.
TEST_F(Differential, GeneralModelAgreesWithTheEvaluatorOnAnyValues) {
    static const int16_t kValues[] = {0, 1, 0, 1, 2, 255, 256, 257, -1, 3, 0x101, -256};
    int compared = 0;
    int errors = 0;
    for (int logic = 0; logic < 2000; ++logic) {
        auto ws = std::make_unique<Workspace>();
        ws->CurrentBlock = 0;
        RandomPairs(random, *ws, kTs);
        const int n = 1 + static_cast<int>(random() % 32);
        ws->Blocks[n].Number = static_cast<int8_t>(n);
        ws->Blocks[n].OnLogic = RandomLogic(random, n, LogicShape{});
        if (!TextCheck(*ws).Accepted(*ws, n, Side::On)) continue;
        const LogicStructure structure = ReadLogic(ws->Blocks[n].OnLogic, n);
        const LogicModel model =
            BuildModel(session, interlock::CompiledFormOf(ws->Blocks[n].OnLogic, n), GeneralReading());
        for (int a = 0; a < 12; ++a) {
            for (int t = 1; t <= kTs + 1; ++t) {
                ws->TsTable.Value[t] = kValues[random() % std::size(kValues)];
                ws->TsTable.FromServer[t] = random() % 4 == 0;
            }
            bool pairError = false;
            for (const LogicLine& line : structure.lines) {
                for (const Operand& o : line.operands) {
                    pairError = pairError || (o.letter != 'M' && ws->TsTable.TwoPosition[o.number] &&
                                              interlock::PairInvalid(*ws, o.number));
                }
            }
            auto [error, result] = Engine(*ws, n);
            ASSERT_EQ(error, pairError) << ws->Blocks[n].OnErrorMessage;
            if (error) {
                ++errors;
                continue;
            }
            ASSERT_EQ(EvaluateGeneral(model.output, ws->TsTable.Value), result == 1)
                << ::testing::PrintToString(ws->Blocks[n].OnLogic);
            ++compared;
        }
    }
    EXPECT_GT(errors, 100);
    EXPECT_GE(compared, 10000);
}

// Which texts the analysis takes and the message of those it does not: as the plain parse of
// the text says with every pair read as delivered.
TEST_F(Differential, TextCheckSaysWhatTheParseSays) {
    const std::vector<std::vector<std::string>> fixed = {
        {},
        {""},
        {"M1=AND(S1)"},
        {"V2=AND(S1)"},
        {"V1=AND(S1)", "V1=OR(S2)"},
        {"V1=AND(S1,M3)"},
        {"M1=AND(S1)", "V1=XOR(M1)"},
        {"V1=AND(D256)"},
        {"M1=AND(S2)", "V1=OR(M1,~D256,S3)"},
    };
    int refused = 0;
    for (int round = 0; round < 1500; ++round) {
        auto ws = std::make_unique<Workspace>();
        ws->CurrentBlock = 0;
        RandomPairs(random, *ws, kTs);
        if (round % 3 == 0) ws->TsTable.TwoPosition[interlock::kTsCount] = 1;  // D256 is refused
        for (int t = 1; t <= interlock::kTsCount; ++t)
            ws->TsTable.Value[t] = static_cast<int16_t>(random() % 3);
        LogicShape shape;
        shape.unassignedM = random() % 3 == 0;
        ws->Blocks[1].OnLogic =
            round < static_cast<int>(fixed.size()) ? fixed[round] : RandomLogic(random, 1, shape);
        std::string message = "unchanged";
        const bool accepted = TextCheck(*ws).Accepted(*ws, 1, Side::On, &message);

        auto twin = std::make_unique<Workspace>(*ws);
        twin->TsTable.FromServer.fill(1);
        interlock::twin::ParseText(*twin, twin->Blocks[1], Side::On);
        const interlock::Block& b = twin->Blocks[1];
        const std::string context = ::testing::PrintToString(ws->Blocks[1].OnLogic);
        EXPECT_EQ(accepted, !b.OnError && !b.OnEmpty) << context;
        EXPECT_EQ(message, b.OnError ? b.OnErrorMessage : std::string()) << context;
        refused += !accepted;
    }
    EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace analysis::test
