// Short formulas read back from a logic's diagram: whatever shape is chosen, it must be the
// same function, and the common shapes of interlocks must come out as an engineer writes them.

#include <gtest/gtest.h>

#include <random>

#include "analysis/cover.h"
#include "analysis/logic_reader.h"
#include "analysis/model.h"
#include "random_logic.h"

namespace analysis {
namespace {

bdd Lit(const Literal& l) { return l.value ? BddSession::Value(l.ts) : !BddSession::Value(l.ts); }

// The function a two-level formula stands for.
bdd Rebuild(const TwoLevel& t) {
    if (!t.conjunctive) {
        bdd common = bddtrue, terms = t.terms.empty() ? bddtrue : bddfalse;
        for (const Literal& l : t.common) common &= Lit(l);
        for (const Cube& c : t.terms) {
            bdd x = bddtrue;
            for (const Literal& l : c) x &= Lit(l);
            terms |= x;
        }
        return common & terms;
    }
    bdd common = bddfalse, clauses = t.terms.empty() ? bddfalse : bddtrue;
    for (const Literal& l : t.common) common |= Lit(l);
    for (const Cube& c : t.terms) {
        bdd x = bddfalse;
        for (const Literal& l : c) x |= Lit(l);
        clauses &= x;
    }
    return common | clauses;
}

bdd ModelOf(BddSession& session, const std::vector<std::string>& lines) {
    interlock::Workspace ws;
    return BuildModel(session, *interlock::CompileLogic(lines, 1), DomainReading(ws.TsTable)).output;
}

TEST(Cover, GeneratedLogicsReadBackAsTheSameFunction) {
    BddSession session;
    std::mt19937 r(11);
    int formulas = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::vector<std::string> lines = test::RandomLogic(r, 1, test::LogicShape{});
        const bdd f = ModelOf(session, lines);
        const std::optional<TwoLevel> t = ReadableFormula(f);
        if (f == bddtrue || f == bddfalse) {
            EXPECT_FALSE(t);
            continue;
        }
        ASSERT_TRUE(t);
        ++formulas;
        ASSERT_TRUE(Rebuild(*t) == f) << lines.front();
        // Irredundant: each cube of the plain cover implies f and no literal of it can go.
        const std::optional<std::vector<Cube>> cover = IrredundantCover(f);
        ASSERT_TRUE(cover);
        for (const Cube& c : *cover) {
            bdd x = bddtrue;
            for (const Literal& l : c) x &= Lit(l);
            EXPECT_TRUE((x & !f) == bddfalse);
            for (size_t k = 0; k < c.size(); ++k) {
                bdd wider = bddtrue;
                for (size_t j = 0; j < c.size(); ++j)
                    if (j != k) wider &= Lit(c[j]);
                EXPECT_FALSE((wider & !f) == bddfalse);
            }
        }
    }
    EXPECT_GT(formulas, 1000);
}

struct Shape {
    const char* name;
    std::vector<std::string> lines;
    bool conjunctive;
    Cube common;
    std::vector<Cube> terms;
};

class Shapes : public ::testing::TestWithParam<Shape> {};

TEST_P(Shapes, ReadAsWritten) {
    BddSession session;
    const Shape& s = GetParam();
    const std::optional<TwoLevel> t = ReadableFormula(ModelOf(session, s.lines));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->conjunctive, s.conjunctive);
    EXPECT_EQ(t->common, s.common);
    EXPECT_EQ(t->terms, s.terms);
}

INSTANTIATE_TEST_SUITE_P(
    Cover, Shapes,
    ::testing::Values(
        Shape{"and_of_literals", {"V1=AND(S3,~S4,S14)"}, false, {{3, 1}, {4, 0}, {14, 1}}, {}},
        Shape{"or_of_literals", {"V1=OR(S3,S5)"}, false, {}, {{{3, 1}}, {{5, 1}}}},
        // (S8 OR S9) AND S2 AND S3: the shared literals first, then the choice.
        Shape{
            "factored", {"M1=OR(S8,S9)", "V1=AND(M1,S2,S3)"}, false, {{2, 1}, {3, 1}}, {{{8, 1}}, {{9, 1}}}},
        // Two choices: the product of sums is shorter than its four products.
        Shape{"product_of_sums",
              {"M1=OR(S1,S2)", "M2=OR(S3,S4)", "V1=AND(M1,M2)"},
              true,
              {},
              {{{1, 1}, {2, 1}}, {{3, 1}, {4, 1}}}},
        Shape{"nor_through_m", {"M1=AND(S2)", "M2=~OR(S1,M1)", "V1=AND(M2)"}, false, {{1, 0}, {2, 0}}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace analysis
