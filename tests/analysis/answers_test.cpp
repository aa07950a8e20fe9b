// The analyser's answers on blocks worked out by hand.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analyser.h"
#include "interlock/workspace.h"

namespace analysis::test {
namespace {

using interlock::Side;
using interlock::Workspace;
using Lines = std::vector<std::string>;
using Sets = std::vector<std::vector<int>>;

struct Given {
    std::vector<int> pairs;            // first TS of each two-position pair
    std::map<int, int> values;         // TS -> value (others 0)
    std::map<int, int> unreliability;  // TS -> code
    std::string state;                 // state entry of block 1
    Lines on, off;
};

std::unique_ptr<Workspace> Make(const Given& s) {
    auto ws = std::make_unique<Workspace>();
    for (int n : s.pairs) {
        ws->TsTable.TwoPosition[n] = 1;
        ws->TsTable.PairSecond[n + 1] = 1;
    }
    for (auto [t, v] : s.values) ws->TsTable.Value[t] = static_cast<int16_t>(v);
    for (auto [t, c] : s.unreliability) ws->TsTable.Unreliability[t] = static_cast<uint8_t>(c);
    ws->Blocks[1].OnLogic = s.on;
    ws->Blocks[1].OffLogic = s.off;
    interlock::SetStateSignal(*ws, 1, s.state);
    interlock::RecalculateAll(*ws);
    return ws;
}

struct MinCase {
    const char* name;
    Given setup;
    std::optional<Side> governing;
    std::optional<int> size;  // nullopt: no min_changes; -1: no set exists
    Sets sets;
    bool truncated = false;
};

const Lines kOrOf20 = {"V1=OR(S1,S2,S3,S4,S5,S6,S7,S8,S9,S11,S12,S13,S14,S15,S16,S17,S18,S19,S20,S21)"};

TEST(Answers, MinimumChangeSets) {
    const MinCase cases[] = {
        {"two changes needed", {{}, {}, {}, "S10", {"V1=AND(S1,S2)"}, {}}, Side::On, 2, {{1, 2}}},
        {"each of two single changes", {{}, {}, {}, "S10", {"V1=OR(S1,S2)"}, {}}, Side::On, 1, {{1}, {2}}},
        {"a negated AND", {{}, {{1, 1}, {2, 1}}, {}, "S10", {"V1=~AND(S1,S2)"}, {}}, Side::On, 1, {{1}, {2}}},
        {"allowed now: nothing to find",
         {{}, {{1, 1}}, {}, "S10", {"V1=AND(S1)"}, {}},
         Side::On,
         std::nullopt,
         {}},
        {"no set exists", {{}, {}, {}, "S10", {"V1=AND(S1,~S1)"}, {}}, Side::On, -1, {}},
        {"the state TS is held", {{}, {}, {}, "S10", {"V1=AND(S10,S1)"}, {}}, Side::On, -1, {}},
        {"M reassigned",
         {{}, {}, {}, "S10", {"M1=AND(S1)", "M1=OR(S2,S3)", "V1=AND(M1,~S4)"}, {}},
         Side::On,
         1,
         {{2}, {3}}},
        {"inverted state signal: OFF while its TS is 1",
         {{}, {{10, 1}}, {}, "~S10", {"V1=AND(S10,S1)"}, {"V1=AND(S2)"}},
         Side::On,
         1,
         {{1}}},
        {"inverted state signal: ON while its TS is 0",
         {{}, {}, {}, "~S10", {"V1=AND(S1)"}, {"V1=AND(S2,~S10)"}},
         Side::Off,
         1,
         {{2}}},
        {"a pair changes as one, named by its first TS",
         {{4}, {{4, 1}}, {}, "S10", {"V1=AND(~D4,S5)"}, {}},
         Side::On,
         1,
         {{4}}},
        {"both TS of a pair cannot agree",
         {{4}, {{4, 1}}, {}, "S10", {"V1=AND(~D4,~S5)"}, {}},
         Side::On,
         -1,
         {}},
        {"the partner of a pair state signal is held too",
         {{4}, {{4, 1}}, {}, "D4", {}, {"V1=AND(S5,S2)"}},
         Side::Off,
         -1,
         {}},
        {"value 2 decides nothing: S1 alone",
         {{}, {{2, 2}}, {}, "S10", {"V1=AND(S1,S2)"}, {}},
         Side::On,
         1,
         {{1}}},
        {"value 2 may be set to 0 or 1",
         {{}, {{2, 2}, {3, 1}}, {}, "S10", {"V1=~AND(S2,S3)"}, {}},
         Side::On,
         1,
         {{2}, {3}}},
        {"an OR of a value 2 needs it set", {{}, {{2, 2}}, {}, "S10", {"V1=OR(S2)"}, {}}, Side::On, 1, {{2}}},
        {"lines after V do not count",
         {{}, {}, {}, "S10", {"V1=AND(S1)", "M1=AND(S2)"}, {}},
         Side::On,
         1,
         {{1}}},
        {"more than 16 sets",
         {{}, {}, {}, "S10", kOrOf20, {}},
         Side::On,
         1,
         {{1}, {2}, {3}, {4}, {5}, {6}, {7}, {8}, {9}, {11}, {12}, {13}, {14}, {15}, {16}, {17}},
         true},
        {"no state signal: no governing logic",
         {{}, {}, {}, "", {"V1=AND(S1)"}, {}},
         std::nullopt,
         std::nullopt,
         {}},
        {"invalid pair state signal: no governing logic",
         {{4}, {}, {}, "D4", {"V1=AND(S1)"}, {}},
         std::nullopt,
         std::nullopt,
         {}},
        {"an invalid pair read: the logic has an error now",
         {{4}, {}, {}, "S10", {"V1=AND(D4,S1)"}, {}},
         Side::On,
         std::nullopt,
         {}},
    };
    Analyser analyser;
    for (const MinCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Workspace> ws = Make(c.setup);
        const BlockAnalysis a = analyser.Analyse(*ws, 1);
        EXPECT_EQ(a.governing, c.governing);
        ASSERT_EQ(a.minChanges.has_value(), c.size.has_value());
        if (!c.size) continue;
        EXPECT_EQ(a.minChanges->exists, *c.size >= 0);
        if (*c.size >= 0) {
            EXPECT_EQ(a.minChanges->size, *c.size);
        }
        EXPECT_EQ(a.minChanges->sets, c.sets);
        EXPECT_EQ(a.minChanges->truncated, c.truncated);
    }
}

TEST(Answers, ChangesKeepTheStateGroupAndNameTheStateTheyGoTo) {
    // Each change as the values it gives; -1 as size: no set exists.
    using Values = std::vector<std::vector<Literal>>;
    const struct {
        const char* name;
        Given setup;
        int size;
        Values values;
    } cases[] = {
        {"state TS 257 reads 1 while the apparatus is OFF: ~S1 stays 0",
         {{}, {{1, 257}}, {}, "S1", {"V1=AND(~S1,S2)"}, {}},
         -1,
         {}},
        {"state TS 257 reads 1 while the apparatus is OFF: S1 holds",
         {{}, {{1, 257}}, {}, "S1", {"V1=AND(S1,S2)"}, {}},
         1,
         {{{2, 1}}}},
        {"state pair 0/256: its partner reads 0 and keeps it",
         {{1}, {{2, 256}}, {}, "D1", {"V1=AND(S2,S3)"}, {}},
         -1,
         {}},
        {"pair 0/0 read through its second TS goes to 0/1",
         {{4}, {}, {}, "S10", {"V1=AND(S5)"}, {}},
         1,
         {{{4, 0}, {5, 1}}}},
        {"pair 1/2 read through both TS goes to the state that allows",
         {{4}, {{4, 1}, {5, 2}}, {}, "S10", {"V1=OR(~D4,S5)"}, {}},
         1,
         {{{4, 0}, {5, 1}}}},
        {"a valid pair flips with both TS named",
         {{4}, {{4, 1}}, {}, "S10", {"V1=AND(~D4,S6)"}, {}},
         2,
         {{{4, 0}, {5, 1}, {6, 1}}}},
        {"value 2 goes to the value that allows",
         {{}, {{2, 2}}, {}, "S10", {"V1=OR(~S2)"}, {}},
         1,
         {{{2, 0}}}},
    };
    Analyser analyser;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Workspace> ws = Make(c.setup);
        const BlockAnalysis a = analyser.Analyse(*ws, 1);
        ASSERT_EQ(a.governing, Side::On);
        ASSERT_EQ(ws->Blocks[1].OnResult, 0);
        ASSERT_TRUE(a.minChanges);
        EXPECT_EQ(a.minChanges->exists, c.size >= 0);
        if (c.size >= 0) {
            EXPECT_EQ(a.minChanges->size, c.size);
        }
        Values values;
        for (const std::vector<Change>& set : a.minChanges->changes) {
            values.emplace_back();
            for (const Change& change : set) {
                EXPECT_EQ(change.flip, change.values.size() == 1 && (ws->TsTable.Value[change.ts] == 0 ||
                                                                     ws->TsTable.Value[change.ts] == 1));
                values.back().insert(values.back().end(), change.values.begin(), change.values.end());
            }
        }
        EXPECT_EQ(values, c.values);
    }
}

TEST(Answers, DecisiveUnreliability) {
    const struct {
        const char* name;
        Given setup;
        std::vector<int> decisive;
    } cases[] = {
        {"both decide while the reliable TS is 0",
         {{}, {}, {{1, 2}, {2, 1}}, "S10", {"M1=AND(S1,S2)", "V1=OR(M1,S3)"}, {}},
         {1, 2}},
        {"none decides while the reliable TS is 1",
         {{}, {{3, 1}}, {{1, 2}, {2, 1}}, "S10", {"M1=AND(S1,S2)", "V1=OR(M1,S3)"}, {}},
         {}},
        {"an unreliable TS that only matters with a reliable one at 1",
         {{}, {}, {{1, 2}}, "S10", {"V1=AND(S1,S2)"}, {}},
         {}},
        {"the same with the reliable one at 1", {{}, {{2, 1}}, {{1, 2}}, "S10", {"V1=AND(S1,S2)"}, {}}, {1}},
        {"a reliable value 2 decides nothing", {{}, {{2, 2}}, {{1, 1}}, "S10", {"V1=AND(S1,S2)"}, {}}, {1}},
        {"read after the V line only", {{}, {}, {{2, 2}}, "S10", {"V1=OR(S1)", "M1=AND(S2)"}, {}}, {}},
        {"the state TS is held, not free", {{}, {}, {{10, 2}}, "S10", {"V1=OR(S10,S1)"}, {}}, {}},
        {"only the governing logic counts", {{}, {}, {{2, 2}}, "S10", {"V1=AND(S1)"}, {"V1=AND(S2)"}}, {}},
        {"pair TS decide for their pair", {{4}, {{4, 1}}, {{5, 2}}, "S10", {"V1=AND(S5,S1)"}, {}}, {}},
        {"pair TS decide for their pair, other TS at 1",
         {{4}, {{4, 1}, {1, 1}}, {{5, 2}}, "S10", {"V1=AND(S5,S1)"}, {}},
         {5}},
        {"state TS 257 holds the verdict at 0", {{}, {{1, 257}}, {{2, 1}}, "S1", {"V1=AND(~S1,S2)"}, {}}, {}},
        {"state TS 257 leaves the verdict to S2",
         {{}, {{1, 257}}, {{2, 1}}, "S1", {"V1=AND(S1,S2)"}, {}},
         {2}},
    };
    Analyser analyser;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Workspace> ws = Make(c.setup);
        const BlockAnalysis a = analyser.Analyse(*ws, 1);
        EXPECT_FALSE(a.decisive.undetermined);
        EXPECT_EQ(a.decisive.ts, c.decisive);
    }
}

struct ProblemRow {
    std::string check;
    std::optional<Side> side;
    int line;
};

TEST(Answers, Problems) {
    const struct {
        const char* name;
        Given setup;
        std::vector<ProblemRow> expected;  // of block 1, besides "state_not_read" and the like
    } cases[] = {
        {"a clean block", {{}, {}, {}, "S10", {"V1=AND(~S10,S1)"}, {"V1=AND(S10,S2)"}}, {}},
        {"never allowed, always allowed, no TS",
         {{}, {}, {}, "S10", {"V1=AND(S1,~S1)"}, {"V1=OR(S2,~S2,S10)"}},
         {{check::kNeverAllowed, Side::On, 1},
          {check::kNoTs, Side::On, 1},
          {check::kAlwaysAllowed, Side::Off, 1},
          {check::kNoTs, Side::Off, 1}}},
        {"a constant line, counted with the empty lines",
         {{}, {}, {}, "S10", {"", "M1=AND(S5,~S5)", "V1=OR(M1,S10,S2)"}, {"V1=AND(S10)"}},
         {{check::kConstantLine, Side::On, 2}, {check::kAlwaysAllowed, Side::Off, 1}}},
        {"a line constant in the apparatus state",
         {{}, {}, {}, "S10", {"M1=AND(S10,S3)", "V1=OR(M1,S2)"}, {}},
         {{check::kConstantLine, Side::On, 1}}},
        {"an M value overwritten unread",
         {{}, {}, {}, "S10", {"M1=AND(S1)", "M1=AND(S2)", "V1=AND(M1,~S10)"}, {}},
         {{check::kMNeverRead, Side::On, 1}}},
        {"an M assigned after the last reader",
         {{}, {}, {}, "S10", {"V1=AND(S1,~S10)", "M2=AND(S2)"}, {}},
         {{check::kMNeverRead, Side::On, 2}}},
        {"pair misuse",
         {{4}, {{4, 1}}, {}, "S10", {"M1=AND(S5,D3,~D4)", "V1=OR(M1,S4,S10)"}, {}},
         {{check::kPairSecondRead, Side::On, 1},
          {check::kDNotPair, Side::On, 1},
          {check::kSOnPair, Side::On, 2}}},
        {"a logic with an error is not judged", {{}, {}, {}, "S10", {"V1=AND(S1,~S1"}, {}}, {}},
    };
    Analyser analyser;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Workspace> ws = Make(c.setup);
        analyser.Update(*ws);
        std::vector<ProblemRow> got;
        for (const Problem& p : analyser.Problems()) {
            EXPECT_EQ(p.block, 1);
            EXPECT_FALSE(p.message.empty());
            if (p.side) got.push_back({p.check, p.side, p.line});
        }
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].check, c.expected[i].check) << i;
            EXPECT_EQ(got[i].side, c.expected[i].side) << i;
            EXPECT_EQ(got[i].line, c.expected[i].line) << i;
        }
    }
}

TEST(Answers, BlockFindings) {
    auto ws = std::make_unique<Workspace>();
    for (int n : {1, 2, 3}) ws->Blocks[n].OnLogic = {"V" + std::to_string(n) + "=AND(S1)"};
    interlock::SetStateSignal(*ws, 1, "S10");
    interlock::SetStateSignal(*ws, 2, "~S10");  // the same TS, inverted: the same signal
    interlock::SetStateSignal(*ws, 3, "S1");
    interlock::RecalculateAll(*ws);
    Analyser analyser;
    analyser.Update(*ws);
    std::vector<std::pair<int, std::string>> got;
    for (const Problem& p : analyser.Problems()) {
        if (!p.side) got.emplace_back(p.block, p.check);
    }
    const std::vector<std::pair<int, std::string>> expected = {{1, check::kSharedStateSignal},
                                                               {1, check::kStateNotRead},
                                                               {2, check::kSharedStateSignal},
                                                               {2, check::kStateNotRead}};
    EXPECT_EQ(got, expected);
}

// The message of a logic with a text error stands in reasons, tables and report lines: it keeps
// the offending line of logic but no line break (a carriage return in a terminal would write the
// logic over the start of the message).
TEST(Answers, LogicErrorsReadOnOneLine) {
    const struct {
        Lines on;
        std::string contains;
    } cases[] = {
        {{"V1=AND(M1,M3,S14)"}, " V1=AND(M1,M3,S14)"},
        {{"M1=AND(S1)", "V1=AND(M1,S2"}, " V1=AND(M1,S2"},
        {{"V1=AND(S1,Q7)"}, " V1=AND(S1,Q7)"},
    };
    for (const auto& c : cases) {
        auto ws = std::make_unique<Workspace>();
        ws->Blocks[1].OnLogic = c.on;
        interlock::RecalculateAll(*ws);
        Analyser analyser;
        analyser.Update(*ws);
        const std::string& e = analyser.LogicError(1, Side::On);
        ASSERT_FALSE(e.empty()) << c.on.back();
        EXPECT_EQ(e.find_first_of("\r\n"), std::string::npos) << e;
        EXPECT_NE(e.find(c.contains), std::string::npos) << e;
        EXPECT_EQ(e.find("  "), std::string::npos) << e;
    }
}

TEST(Answers, WhereUsed) {
    auto ws = std::make_unique<Workspace>();
    ws->Blocks[2].OnLogic = {"M1=AND(S5,~S6)", "", "V2=OR(M1,~S05)"};
    ws->Blocks[2].OffLogic = {"V2=AND(D5"};  // an error later in the line: the operand still counts
    ws->Blocks[7].OffLogic = {"V7=AND(S 5)"};
    Analyser analyser;
    analyser.Update(*ws);
    const std::vector<Use> expected = {
        {2, Side::On, 1, "S5"}, {2, Side::On, 3, "~S05"}, {7, Side::Off, 1, "S 5"}};
    EXPECT_EQ(analyser.WhereUsed(5), expected);
    EXPECT_TRUE(analyser.WhereUsed(9).empty());
}

// A model that outgrows the node budget gives "undetermined", and the next one is built as usual.
TEST(Answers, BudgetGivesUndetermined) {
    auto ws = std::make_unique<Workspace>();
    Lines blowUp;
    std::string output = "V1=OR(";
    for (int i = 1; i <= 16; ++i) {
        blowUp.push_back("M" + std::to_string(i) + "=AND(S" + std::to_string(i) + ",S" +
                         std::to_string(i + 100) + ")");
        output += (i > 1 ? ",M" : "M") + std::to_string(i);
    }
    blowUp.push_back(output + ")");
    ws->Blocks[1].OnLogic = blowUp;
    ws->Blocks[1].OffLogic = {"V1=AND(S3)"};  // built right after the overflow
    ws->Blocks[2].OnLogic = {"V2=AND(S1,S2)"};
    interlock::SetStateSignal(*ws, 1, "S200");
    interlock::SetStateSignal(*ws, 2, "S201");
    interlock::RecalculateAll(*ws);
    Analyser analyser(20'000);
    const BlockAnalysis a = analyser.Analyse(*ws, 1);
    ASSERT_TRUE(a.on);
    EXPECT_TRUE(a.on->undetermined);
    ASSERT_TRUE(a.minChanges);
    EXPECT_TRUE(a.minChanges->undetermined);
    ASSERT_TRUE(a.off);
    EXPECT_FALSE(a.off->undetermined);
    const BlockAnalysis b = analyser.Analyse(*ws, 2);
    ASSERT_TRUE(b.minChanges);
    EXPECT_FALSE(b.minChanges->undetermined);
    EXPECT_EQ(b.minChanges->sets, (Sets{{1, 2}}));
}

}  // namespace
}  // namespace analysis::test

namespace analysis::test {
namespace {

// Models follow the texts, the pairs and the state signals; TS values alone rebuild nothing.
TEST(Answers, UpdateFollowsTextsAttributesAndStateSignals) {
    auto ws = std::make_unique<Workspace>();
    ws->Blocks[1].OnLogic = {"V1=AND(S5,~S6)"};
    ws->Blocks[2].OnLogic = {"V2=AND(S1)"};
    interlock::SetStateSignal(*ws, 1, "S10");
    interlock::SetStateSignal(*ws, 2, "S1");
    Analyser analyser;
    analyser.Update(*ws);
    const int block2 = analyser.Model(2, Side::On)->output.id();
    EXPECT_FALSE(analyser.Analyse(*ws, 1).on->never);
    EXPECT_TRUE(analyser.Analyse(*ws, 2).on->never);  // S1 is held at 0 while the ON logic governs

    ws->TsTable.Value[5] = 1;
    analyser.Update(*ws);
    EXPECT_EQ(analyser.Model(2, Side::On)->output.id(), block2);

    ws->TsTable.TwoPosition[5] = 1;  // now S6 is the complement of S5: AND(S5,~S6) = S5
    ws->TsTable.PairSecond[6] = 1;
    EXPECT_FALSE(analyser.Analyse(*ws, 1).on->never);
    EXPECT_EQ(analyser.Model(1, Side::On)->output, BddSession::Value(5));

    ws->Blocks[1].OnLogic = {"V1=AND(S5,S6)"};  // and S5 with S6 is never true
    EXPECT_TRUE(analyser.Analyse(*ws, 1).on->never);

    interlock::SetStateSignal(*ws, 2, "~S1");  // now S1 is held at 1
    EXPECT_TRUE(analyser.Analyse(*ws, 2).on->always);
    EXPECT_EQ(analyser.Model(2, Side::On)->output.id(), block2);
}

}  // namespace
}  // namespace analysis::test
