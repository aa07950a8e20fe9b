// The symbolic answers against the explicit breadth-first reference on generated
// configurations, held and free: reachable counts, shortest witnesses replayed with the
// evaluator, invariant verdicts, operations never allowed with their fewest changes, and
// programs checked step by step.

#include <gtest/gtest.h>

#include "sequences/program.h"
#include "sequences/transition_system.h"
#include "tests/sequences/reference.h"

namespace sequences::test {
namespace {

using analysis::Condition;
using interlock::Side;

Condition RandomCondition(std::mt19937& r, const Made& made, int depth = 0) {
    Condition c;
    c.negated = r() % 3 == 0;
    if (depth < 2 && r() % 3 == 0) {
        c.kind = r() % 2 ? Condition::Kind::And : Condition::Kind::Or;
        const int n = 2 + static_cast<int>(r() % 2);
        for (int i = 0; i < n; ++i) c.operands.push_back(RandomCondition(r, made, depth + 1));
        return c;
    }
    std::vector<int> ts;
    for (const RefApparatus& a : made.apparatus) ts.push_back(a.ts);
    for (const RefApparatus& a : made.apparatus)
        if (a.pair) ts.push_back(a.ts + 1);
    if (r() % 3 == 0)
        for (const RefField& f : made.field) ts.push_back(f.ts);
    c.kind = Condition::Kind::Ts;
    c.ts = ts[r() % ts.size()];
    return c;
}

class Checker {
public:
    Checker(System& system, Reference& ref, const interlock::Workspace& ws)
        : sys_(system), ref_(ref), ws_(ws) {}

    int Mask(const State& s) const {
        int m = 0;
        for (size_t i = 0; i < s.size(); ++i) {
            if (!s[i]) continue;
            for (size_t j = 0; j < ref_.Usable().size(); ++j)
                if (ref_.Usable()[j].ts == sys_.Apparatuses()[i].ts) m |= 1 << j;
        }
        return m;
    }
    int Bit(int ts) const {
        for (size_t j = 0; j < ref_.Usable().size(); ++j)
            if (ref_.Usable()[j].ts == ts) return 1 << j;
        return 0;
    }
    void SetField(const std::vector<analysis::Literal>& field) {
        interlock::TsTableData& t = ref_.Scratch().TsTable;
        for (const analysis::Literal& l : field) {
            t.Value[l.ts] = static_cast<int16_t>(l.value);
            if (t.TwoPosition[l.ts]) t.Value[l.ts + 1] = static_cast<int16_t>(1 - l.value);
        }
    }
    // The evaluator's verdict on op in mask with the field values given over the held ones.
    bool Allows(int mask, const Operation& op, const std::vector<analysis::Literal>& field) {
        ref_.Set(mask, 0);
        SetField(field);
        interlock::Workspace& w = ref_.Scratch();
        interlock::Recalculate(w, op.block);
        const interlock::Block& b = w.Blocks[op.block];
        const bool on = interlock::ApparatusIsOn(w, b.StateSignal);
        return op.side == Side::On ? !on && b.OnResult == 1 && !b.OnError
                                   : on && b.OffResult == 1 && !b.OffError;
    }
    // Replays a witness from the present state; its end must satisfy c (or fail it, negate).
    void Replay(const Witness& w, const Condition& c, bool negate) {
        int mask = Mask(w.start);
        ASSERT_EQ(mask, ref_.Start());
        for (const Step& s : w.steps) {
            ASSERT_TRUE(Allows(mask, s.op, s.field)) << "block " << s.op.block;
            mask ^= Bit(sys_.Apparatuses()[sys_.ApparatusOf(s.op.block)].ts);
            ASSERT_EQ(mask, Mask(s.after));
        }
        ref_.Set(mask, 0);
        SetField(w.endField);
        EXPECT_NE(analysis::EvaluateCondition(c, ref_.Scratch().TsTable), negate);
    }

    System& sys_;
    Reference& ref_;
    const interlock::Workspace& ws_;
};

void CheckConfig(std::mt19937& r, analysis::Analyser& analyser, const interlock::Workspace& ws,
                 const Made& made, FieldMode mode) {
    Reference ref(ws, made, mode == FieldMode::Free);
    System sys(analyser, ws, FieldSpec{mode, {}});
    Checker check(sys, ref, ws);
    ASSERT_EQ(sys.Apparatuses().size(), ref.Usable().size());

    const ReachInfo reach = sys.Reach();
    ASSERT_EQ(reach.answer, Answer::Yes);
    EXPECT_EQ(reach.states, ref.Reached());

    for (int i = 0; i < 3; ++i) {
        const Condition c = RandomCondition(r, made);
        const int d = ref.DistanceTo(c);
        const Witness w = sys.Find(c);
        ASSERT_EQ(w.answer, d >= 0 ? Answer::Yes : Answer::No);
        if (d >= 0) {
            EXPECT_EQ(static_cast<int>(w.steps.size()), d);
            check.Replay(w, c, false);
        }
        // The invariants over the same condition.
        analysis::Requirement never{};
        never.kind = analysis::Requirement::Kind::NeverReachable;
        never.condition = c;
        EXPECT_EQ(sys.Violation(never).answer, d >= 0 ? Answer::Yes : Answer::No);
        analysis::Requirement always = never;
        always.kind = analysis::Requirement::Kind::Always;
        const int bad = ref.DistanceTo(c, true);
        const Witness v = sys.Violation(always);
        ASSERT_EQ(v.answer, bad >= 0 ? Answer::Yes : Answer::No);
        if (bad >= 0) {
            EXPECT_EQ(static_cast<int>(v.steps.size()), bad);
            check.Replay(v, c, true);
        }
        if (d >= 0) continue;
        // No program: the operations never allowed, each with its fewest changes.
        const Plan plan = sys.MakePlan(c);
        for (int n = 1; n <= interlock::kBlockCount; ++n) {
            if (sys.ApparatusOf(n) < 0) continue;
            for (Side side : {Side::On, Side::Off}) {
                auto it = std::find_if(plan.neverAllowed.begin(), plan.neverAllowed.end(),
                                       [&](const NeverAllowed& x) {
                                           return x.op == Operation{n, side};
                                       });
                ASSERT_EQ(it != plan.neverAllowed.end(), ref.NeverAllowed(n, side)) << n;
                if (it == plan.neverAllowed.end() || !it->possible) continue;
                const int at = check.Mask(it->at);
                ASSERT_GE(ref.Distance(at), 0);
                int mask = at;
                std::vector<analysis::Literal> field;
                for (const analysis::Literal& l : it->changes) {
                    if (int bit = check.Bit(l.ts)) {
                        mask = l.value ? mask | bit : mask & ~bit;
                    } else {
                        field.push_back(l);
                    }
                }
                if (!made.regular) continue;
                const int fewest = ref.FewestChanges(n, side);
                if (mode == FieldMode::Free) {
                    EXPECT_EQ(static_cast<int>(it->changes.size()), fewest);
                    EXPECT_TRUE(ref.Allowed(mask, n, side));
                } else {
                    if (fewest >= 0) {
                        EXPECT_LE(static_cast<int>(it->changes.size()), fewest);
                    }
                    EXPECT_TRUE(check.Allows(mask, {n, side}, field));
                }
            }
        }
    }

    // A random program, step by step.
    Program program;
    for (int i = 0; i < 6; ++i) {
        ProgramStep s;
        s.op = {1 + static_cast<int>(r() % (made.apparatus.size() + 1)), r() % 2 ? Side::On : Side::Off};
        program.steps.push_back(s);
    }
    const ProgramCheck pc = CheckProgram(sys, program);
    int mask = ref.Start();
    for (const CheckedStep& s : pc.steps) {
        const int a = sys.ApparatusOf(s.step.op.block);
        StepVerdict want;
        if (a < 0) {
            want = StepVerdict::NotOperated;
        } else {
            ref.Set(mask, 0);
            const bool on = interlock::ApparatusIsOn(ref.Scratch(), ws.Blocks[s.step.op.block].StateSignal);
            if (on == (s.step.op.side == Side::On)) {
                want = StepVerdict::Already;
            } else if (ref.Allowed(mask, s.step.op.block, s.step.op.side)) {
                want = StepVerdict::Allowed;
                EXPECT_TRUE(check.Allows(mask, s.step.op, s.check.field));
                mask ^= check.Bit(sys.Apparatuses()[a].ts);
            } else {
                want = StepVerdict::Forbidden;
            }
        }
        ASSERT_EQ(s.check.verdict, want) << "block " << s.step.op.block;
        ASSERT_EQ(check.Mask(s.check.after), mask);
    }
}

TEST(SequencesDifferential, AgreesWithBreadthFirstSearch) {
    analysis::Analyser analyser;
    std::mt19937 r(20261209);
    int checked = 0;
    for (int i = 0; i < 1200; ++i) {
        const bool large = i % 100 == 99;
        const int k = large ? 9 + static_cast<int>(r() % 4) : 1 + static_cast<int>(r() % 7);
        const int f = large ? static_cast<int>(r() % 2) : static_cast<int>(r() % 4);
        interlock::Workspace ws;
        const Made made = Generate(r, ws, k, f, r() % 3 == 0);
        for (FieldMode mode : {FieldMode::Held, FieldMode::Free}) {
            SCOPED_TRACE("configuration " + std::to_string(i) +
                         (mode == FieldMode::Free ? " free" : " held"));
            CheckConfig(r, analyser, ws, made, mode);
            if (HasFatalFailure()) return;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 2400);
}

// A budget too small for the answer gives "undetermined" or the right answer, never a wrong one.
TEST(SequencesDifferential, SmallBudgetNeverAnswersWrongly) {
    analysis::Analyser analyser(4000, 1000);
    std::mt19937 r(77);
    int undetermined = 0;
    for (int i = 0; i < 16; ++i) {
        interlock::Workspace ws;
        const Made made = Generate(r, ws, 10 + static_cast<int>(r() % 3), 3, false);
        Reference ref(ws, made, true);
        System sys(analyser, ws, FieldSpec{FieldMode::Free, {}});
        const ReachInfo reach = sys.Reach();
        if (reach.answer == Answer::Undetermined) {
            ++undetermined;
            EXPECT_FALSE(reach.reason.empty());
            continue;
        }
        EXPECT_EQ(reach.states, ref.Reached());
    }
    RecordProperty("undetermined", undetermined);
}

}  // namespace
}  // namespace sequences::test
