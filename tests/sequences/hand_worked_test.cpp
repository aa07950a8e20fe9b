// Hand-worked switching cases: a bay whose earthing switch is reachable only in the right
// order; an interlock wrong alone but harmless because its bad state is unreachable; and the
// reverse, every interlock right alone and the hazard reachable in several steps.

#include <gtest/gtest.h>

#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "sequences/form.h"
#include "sequences/program.h"
#include "sequences/sequences_texts.h"
#include "sequences/substation.h"
#include "sequences/transition_system.h"
#include "topology/topology_texts.h"

namespace sequences {
namespace {

using analysis::Condition;
using interlock::Side;

struct Apparatus {
    const char* name;
    int ts;
    bool on;
    std::vector<std::string> onLogic, offLogic;
};

// Block n+1 for the n-th apparatus, state signal S<ts>.
void Build(interlock::Workspace& ws, const std::vector<Apparatus>& list) {
    for (size_t i = 0; i < list.size(); ++i) {
        interlock::Block& b = ws.Blocks[static_cast<int>(i) + 1];
        b.Name = list[i].name;
        b.StateSignal = static_cast<int16_t>(list[i].ts);
        b.OnLogic = list[i].onLogic;
        b.OffLogic = list[i].offLogic;
        ws.TsTable.Value[list[i].ts] = list[i].on;
    }
    interlock::RecalculateAll(ws);
}

Condition Cond(const std::string& text) { return *analysis::ParseConditionText(text); }

std::vector<Operation> Ops(const Witness& w) {
    std::vector<Operation> ops;
    for (const Step& s : w.steps) ops.push_back(s.op);
    return ops;
}

class HandWorked : public ::testing::Test {
protected:
    analysis::Analyser analyser_;
};

// QS1 (S1), Q1 (S2), QE1 (S3): the disconnector moves with the breaker off and the earthing
// switch off; the earthing switch closes with both off; the breaker closes with QS1 on.
const std::vector<Apparatus> kBay = {
    {"QS1 disconnector", 1, true, {"V1=AND(~S2,~S3)"}, {"V1=AND(~S2,~S3)"}},
    {"Q1 breaker", 2, true, {"V2=AND(S1,~S3)"}, {"V2=OR(S1,~S1)"}},
    {"QE1 earthing switch", 3, false, {"V3=AND(~S1,~S2)"}, {"V3=AND(~S1)"}},
};

TEST_F(HandWorked, EarthingOnlyInTheRightOrder) {
    interlock::Workspace ws;
    Build(ws, kBay);
    System sys(analyser_, ws, {});
    const Plan plan = sys.MakePlan(Cond("S3"));
    ASSERT_EQ(plan.witness.answer, Answer::Yes);
    const std::vector<Operation> want = {{2, Side::Off}, {1, Side::Off}, {3, Side::On}};
    EXPECT_EQ(Ops(plan.witness), want);
    // Reached: all on; Q1 off; both off; QE1 on; and QS1 on with Q1 off back to all on.
    EXPECT_EQ(sys.Reach().states, 4);

    // The same operations in the wrong order: QS1 under load, then QE1 with QS1 still on.
    std::vector<std::string> lines;
    for (const char* l : {"ОТКЛ QS1", "OFF 2", "ВКЛ QE1", "ВКЛ Q1"}) lines.push_back(cp1251::FromUtf8(l));
    const Program program = ParseProgram(lines, ws);
    const ProgramCheck check = CheckProgram(sys, program);
    ASSERT_EQ(check.steps.size(), 4u);
    const std::vector<StepVerdict> verdicts = {StepVerdict::Forbidden, StepVerdict::Allowed,
                                               StepVerdict::Forbidden, StepVerdict::Allowed};
    for (size_t i = 0; i < verdicts.size(); ++i) EXPECT_EQ(check.steps[i].check.verdict, verdicts[i]) << i;
    // The engine's fewest changes for QS1 OFF: Q1 (TS 2) off.
    ASSERT_TRUE(check.steps[0].check.changes.exists);
    EXPECT_EQ(check.steps[0].check.changes.sets.front(), std::vector<int>{2});
}

TEST_F(HandWorked, WrongAloneHarmlessWhenUnreachable) {
    // QE1 ON forgets the breaker, but the breaker is on only with QS1 on (Q1 ON needs QS1,
    // QS1 OFF needs Q1 off), so QE1 never closes under a closed breaker.
    interlock::Workspace ws;
    Build(ws, {
                  {"QS1", 1, false, {"V1=AND(~S3)"}, {"V1=AND(~S2)"}},
                  {"Q1", 2, false, {"V2=AND(S1,~S3)"}, {"V2=OR(S2,~S2)"}},
                  {"QE1", 3, false, {"V3=AND(~S1)"}, {"V3=OR(S3,~S3)"}},
              });
    // Alone, the logic is wrong: some state allows QE1 ON with Q1 on.
    analysis::RequirementsFile req =
        analysis::ParseRequirements({"ON 3 REQUIRES ~S2", "NEVER REACHABLE AND(S3,S2)"});
    ASSERT_TRUE(req.errors.empty());
    const auto results = analysis::Prove(analyser_, ws, {req.requirements[0]});
    EXPECT_EQ(results[0].verdict, analysis::Verdict::Refuted);
    // Over the reachable states it is harmless.
    System sys(analyser_, ws, {});
    ASSERT_TRUE(req.requirements[1].IsInvariant());
    EXPECT_EQ(sys.Violation(req.requirements[1]).answer, Answer::No);
}

TEST_F(HandWorked, RightAloneHazardInSeveralSteps) {
    // Two feeders onto one node: QS1 and QS2. QE1 earths the node and checks QS1 only (its
    // own bay); QS2 checks its breaker Q2 only. Each logic meets its own rule, yet QE1 on
    // with QS2 on is reachable: QE1 ON, then Q2 OFF, then QS2 ON.
    interlock::Workspace ws;
    Build(ws, {
                  {"QS1", 1, false, {"V1=AND(~S3)"}, {"V1=OR(S1,~S1)"}},
                  {"Q2", 2, true, {"V2=OR(S2,~S2)"}, {"V2=OR(S2,~S2)"}},
                  {"QE1", 3, false, {"V3=AND(~S1)"}, {"V3=OR(S3,~S3)"}},
                  {"QS2", 4, false, {"V4=AND(~S2)"}, {"V4=AND(~S2)"}},
              });
    analysis::RequirementsFile req =
        analysis::ParseRequirements({"ON 3 REQUIRES ~S1", "ON 4 REQUIRES ~S2", "NEVER REACHABLE AND(S3,S4)"});
    ASSERT_TRUE(req.errors.empty());
    for (const auto& r : analysis::Prove(analyser_, ws, {req.requirements[0], req.requirements[1]}))
        EXPECT_EQ(r.verdict, analysis::Verdict::Proven);
    System sys(analyser_, ws, {});
    const Witness w = sys.Violation(req.requirements[2]);
    ASSERT_EQ(w.answer, Answer::Yes);
    EXPECT_EQ(w.steps.size(), 3u);
}

TEST_F(HandWorked, FreeFieldAndHeldValues) {
    // QE3 closes only without voltage (TS 15). Held at 1 it never closes and no program
    // exists; held at 0, or free, one step does it, and the free step names the value.
    interlock::Workspace ws;
    Build(ws, {{"QE3", 9, false, {"V1=AND(~S15)"}, {"V1=AND(S9)"}}});
    ws.TsTable.Value[15] = 1;
    {
        System held(analyser_, ws, {});
        const Plan plan = held.MakePlan(Cond("S9"));
        EXPECT_EQ(plan.witness.answer, Answer::No);
        // ON needs no voltage; OFF needs QE3 on, which it never is.
        ASSERT_EQ(plan.neverAllowed.size(), 2u);
        EXPECT_EQ(plan.neverAllowed[0].changes, (std::vector<analysis::Literal>{{15, 0}}));
        EXPECT_EQ(plan.neverAllowed[1].changes, (std::vector<analysis::Literal>{{9, 1}}));
    }
    {
        System zero(analyser_, ws, {FieldMode::Held, {{15, 0}}});
        EXPECT_EQ(zero.Find(Cond("S9")).steps.size(), 1u);
    }
    System free(analyser_, ws, {FieldMode::Free, {}});
    const Witness w = free.Find(Cond("S9"));
    ASSERT_EQ(w.steps.size(), 1u);
    EXPECT_EQ(w.steps[0].field, (std::vector<analysis::Literal>{{15, 0}}));
    EXPECT_EQ(free.Reach().states, 2);
}

TEST_F(HandWorked, IndicatorsFollowThePositionsAndHazardsNeedNoText) {
    // TS 15 reads 1 while QS1 is closed (a voltage indicator). QE3 checks TS 15 only; held at
    // its present 1 it would never close, but the indicator follows QS1: QS1 OFF, then QE3 ON.
    interlock::Workspace ws;
    Build(ws, {
                  {"QS1", 1, true, {"V1=AND(~S9)"}, {"V1=OR(S1,~S1)"}},
                  {"QE3", 9, false, {"V2=AND(~S15)"}, {"V2=OR(S9,~S9)"}},
              });
    ws.TsTable.Value[15] = 1;
    TopologyInputs topology;
    topology.indicators.push_back({15, analysis::BddSession::Value(1)});
    topology.hazards.push_back({"QE3 on a live node",
                                analysis::BddSession::Value(9) & analysis::BddSession::Value(1),
                                "earthing_on_live"});
    System sys(analyser_, ws, {}, topology);
    const Witness w = sys.Find(Cond("S9"));
    ASSERT_EQ(w.answer, Answer::Yes);
    EXPECT_EQ(Ops(w), (std::vector<Operation>{{1, Side::Off}, {2, Side::On}}));
    const auto hazards = sys.Hazards();
    ASSERT_EQ(hazards.size(), 1u);
    EXPECT_EQ(hazards[0].second.answer, Answer::No);
}

TEST_F(HandWorked, TopologyHazardsOfABay) {
    // Source - QS1 - A - Q1 - B (load), QE1 earths A; an indicator on A (TS 15). QS1 forgets
    // the breaker; QE1 checks the indicator only. The derived hazards: QS1 switched under load
    // is reachable at once; QE1 closes only with A dead, so it never closes onto a live node,
    // and nothing joins a live node to an earthed one while the logics hold.
    interlock::Workspace ws;
    Build(ws, {
                  {"QS1", 1, true, {"V1=AND(~S3)"}, {"V1=AND(~S3)"}},
                  {"Q1", 2, true, {"V2=AND(S1,~S3)"}, {"V2=OR(S2,~S2)"}},
                  {"QE1", 3, false, {"V3=AND(~S15)"}, {"V3=OR(S3,~S3)"}},
              });
    ws.TsTable.Value[15] = 0;  // as read before the positions are followed
    const std::unique_ptr<Substation> sub =
        ReadSubstation({"NODE IN", "NODE A", "NODE B", "SOURCE IN", "LOAD B", "INDICATOR S15 A",
                        "DISCONNECTOR IN A BLOCK 1", "BREAKER A B BLOCK 2", "EARTHING A BLOCK 3"},
                       ws);
    ASSERT_TRUE(sub->Usable());
    System sys(analyser_, ws, {}, sub->inputs);
    // Held at 0 the indicator would let QE1 close at once; following QS1 it needs QS1 off.
    const Witness earth = sys.Find(Cond("S3"));
    ASSERT_EQ(earth.answer, Answer::Yes);
    EXPECT_EQ(Ops(earth), (std::vector<Operation>{{1, Side::Off}, {3, Side::On}}));
    std::map<std::string, std::pair<Answer, size_t>> got;
    for (const auto& [name, w] : sys.Hazards()) got[name] = {w.answer, w.steps.size()};
    const SequenceTexts& tx = Texts();
    EXPECT_EQ(got[tx.earthingOnLive + "QE1"].first, Answer::No);
    EXPECT_EQ(got[tx.liveEarthed].first, Answer::No);
    EXPECT_EQ(got[tx.underLoad + tx.opOff + " QS1"], (std::pair<Answer, size_t>{Answer::Yes, 1}));
    // Switching QS1 on again with Q1 on: open it, close it, both without Q1 moving.
    EXPECT_EQ(got[tx.underLoad + tx.opOn + " QS1"], (std::pair<Answer, size_t>{Answer::Yes, 2}));
}

TEST_F(HandWorked, FormOfACheckedProgram) {
    interlock::Workspace ws;
    Build(ws, kBay);
    System sys(analyser_, ws, {});
    std::vector<std::string> lines;
    for (const char* l : {"# вывод в ремонт", "ВКЛ QE1", "ОТКЛ Q1", "ОТКЛ QS1", "??", "ВКЛ QE1", "ВКЛ QE1"})
        lines.push_back(cp1251::FromUtf8(l));
    const Program program = ParseProgram(lines, ws);
    const SwitchingForm f = MakeForm(sys, ws, program, CheckProgram(sys, program), "bay.prog");
    const SequenceTexts& tx = Texts();
    struct Row {
        int line;
        const std::string& verdict;
        bool bad;
        const char* state;
    };
    const Row want[] = {
        {2, interlock::Texts().forbidden, true, "QS1 вкл, Q1 вкл, QE1 откл"},
        {3, interlock::Texts().allowed, false, "QS1 вкл, Q1 откл, QE1 откл"},
        {4, interlock::Texts().allowed, false, "QS1 откл, Q1 откл, QE1 откл"},
        {6, interlock::Texts().allowed, false, "QS1 откл, Q1 откл, QE1 вкл"},
        {7, tx.already, false, "QS1 откл, Q1 откл, QE1 вкл"},
    };
    ASSERT_EQ(f.rows.size(), std::size(want));
    for (size_t i = 0; i < f.rows.size(); ++i) {
        EXPECT_EQ(f.rows[i].number, static_cast<int>(i) + 1);
        EXPECT_EQ(f.rows[i].line, want[i].line);
        EXPECT_EQ(f.rows[i].verdict.substr(0, want[i].verdict.size()), want[i].verdict) << i;
        EXPECT_EQ(f.rows[i].bad, want[i].bad) << i;
        EXPECT_EQ(cp1251::ToUtf8(f.rows[i].state), want[i].state) << i;
    }
    // The forbidden step names what to change first: Q1 and QS1 off.
    EXPECT_NE(f.rows[0].verdict.find(tx.changes), std::string::npos);
    ASSERT_EQ(f.errors.size(), 1u);
    EXPECT_EQ(f.errors[0].rfind(topology::Texts().lineWord + " 5, ", 0), 0u);
    EXPECT_FALSE(f.clean);
    EXPECT_EQ(cp1251::ToUtf8(f.start), "QS1 вкл, Q1 вкл, QE1 откл");
}

}  // namespace
}  // namespace sequences
