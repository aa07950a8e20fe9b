// The analyser's answers against an oracle that asks the evaluator about every state: small
// generated blocks over eight TS, every answer found again by trying all states with
// ParseLogic.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "analysis/analyser.h"
#include "interlock/parser.h"
#include "interlock/workspace.h"
#include "tests/analysis/random_logic.h"

namespace analysis::test {
namespace {

using interlock::Side;
using interlock::Workspace;

constexpr int kTs = 8;
constexpr int kLast = kTs + 1;  // the partner of a pair started by TS 8
constexpr int kBlock = 3;

// TS groups as the domain has them: a TS alone, or a pair (or chain of pairs) named by its
// first TS; a member reads the group's bit or its complement.
struct Groups {
    std::map<int, std::vector<std::pair<int, int>>> members;  // group -> (TS, parity)

    explicit Groups(const Workspace& ws) {
        std::vector<std::pair<int, int>> of(kLast + 1);
        for (int t = 1; t <= kLast; ++t) {
            of[t] = (t >= 2 && ws.TsTable.TwoPosition[t - 1])
                        ? std::pair{of[t - 1].first, 1 - of[t - 1].second}
                        : std::pair{t, 0};
            members[of[t].first].push_back({t, of[t].second});
        }
    }
    int Of(int t) const {
        for (const auto& [g, list] : members)
            for (auto [m, parity] : list)
                if (m == t) return g;
        return 0;
    }
    void Set(Workspace& ws, int group, int bit) const {
        for (auto [t, parity] : members.at(group)) ws.TsTable.Value[t] = static_cast<int16_t>(bit ^ parity);
    }
};

// The evaluator's verdict of one logic of the block: -1 for an error.
int Verdict(Workspace& ws, Side side) {
    interlock::ParseLogic(ws, ws.Blocks[kBlock], side);
    const auto f = ws.Blocks[kBlock].Of(side);
    return f.Error ? -1 : f.Result;
}

std::set<int> ReadTs(Workspace& ws, Side side) {
    interlock::ClearUsedTs(ws);
    interlock::ParseLogic(ws, ws.Blocks[kBlock], side);
    std::set<int> read;
    for (int t = 1; t <= kLast; ++t)
        if (ws.TsTable.UsedInLogic[t]) read.insert(t);
    return read;
}

class Oracle : public ::testing::Test {
protected:
    std::mt19937 random{777};

    std::unique_ptr<Workspace> RandomBlock() {
        auto ws = std::make_unique<Workspace>();
        RandomPairs(random, *ws, kTs);
        Groups groups(*ws);
        for (const auto& [g, list] : groups.members) groups.Set(*ws, g, random() % 2);
        // Now and then a value other than 0 and 1, alone or in a pair, the state TS included:
        // some an operand reads as 0 or 1 (256, 257), some as neither (2, 255).
        constexpr int16_t kOdd[] = {2, 255, 256, 257};
        if (random() % 3 == 0) ws->TsTable.Value[1 + random() % kTs] = kOdd[random() % 4];
        for (int t = 1; t <= kTs; ++t)
            if (random() % 6 == 0) ws->TsTable.Unreliability[t] = static_cast<uint8_t>(1 + random() % 2);
        interlock::Block& b = ws->Blocks[kBlock];
        LogicShape shape;
        shape.maxLines = 5;
        b.OnLogic = RandomLogic(random, kBlock, shape);
        b.OffLogic = RandomLogic(random, kBlock, shape);
        const int s = 1 + static_cast<int>(random() % kTs);
        b.StateSignal = static_cast<int16_t>(random() % 2 ? s : -s);
        if (random() % 4 == 0) ws->TsTable.Value[s + random() % 2] = kOdd[random() % 4];
        ws->CurrentBlock = 0;  // keeps the candidate search out of the oracle's evaluations
        interlock::RecalculateAll(*ws);
        return ws;
    }
};

TEST_F(Oracle, AnswersAgreeWithTryingEveryState) {
    int minChecked = 0;
    int decisiveChecked = 0;
    int verdictsChecked = 0;
    for (int round = 0; round < 600; ++round) {
        std::unique_ptr<Workspace> ws = RandomBlock();
        Analyser analyser;
        const BlockAnalysis a = analyser.Analyse(*ws, kBlock);
        const Groups groups(*ws);
        const int s = ws->Blocks[kBlock].StateSignal;
        const int stateGroup = groups.Of(std::abs(s));
        auto trial = std::make_unique<Workspace>(*ws);
        std::vector<int> others;
        for (const auto& [g, list] : groups.members)
            if (g != stateGroup) others.push_back(g);
        const std::string context = ::testing::PrintToString(ws->Blocks[kBlock].OnLogic) + " / " +
                                    ::testing::PrintToString(ws->Blocks[kBlock].OffLogic) +
                                    " s=" + std::to_string(s);

        // Never and always, in the apparatus state in which each logic governs.
        for (Side side : {Side::On, Side::Off}) {
            const std::optional<LogicVerdicts>& v = side == Side::On ? a.on : a.off;
            if (!v) continue;
            const bool on = side == Side::Off;
            bool any = false, all = true;
            for (unsigned bits = 0; bits < (1u << others.size()); ++bits) {
                for (size_t i = 0; i < others.size(); ++i) groups.Set(*trial, others[i], (bits >> i) & 1);
                groups.Set(*trial, stateGroup, 0);
                if (interlock::ApparatusIsOn(*trial, s) != on) groups.Set(*trial, stateGroup, 1);
                const int r = Verdict(*trial, side);
                ASSERT_NE(r, -1) << context;
                any = any || r == 1;
                all = all && r == 1;
            }
            EXPECT_EQ(v->never, !any) << context;
            EXPECT_EQ(v->always, all) << context;
            ++verdictsChecked;
        }

        if (!a.governing) continue;
        const Side side = *a.governing;
        const auto f = ws->Blocks[kBlock].Of(side);
        ASSERT_EQ(a.minChanges.has_value(), !f.Error && !f.Empty && f.Result == 0) << context;

        if (a.minChanges) {
            // Every set of group changes by size; a group whose present values are not a 0/1
            // state may go to either.
            std::vector<std::vector<int>> found;
            size_t size = 0;
            for (; size <= others.size() && found.empty(); ++size) {
                std::vector<bool> pick(others.size());
                std::fill(pick.end() - static_cast<long>(size), pick.end(), true);
                do {
                    std::vector<int> set;
                    for (size_t i = 0; i < others.size(); ++i)
                        if (pick[i]) set.push_back(others[i]);
                    bool allowed = false;
                    for (unsigned choice = 0; choice < (1u << set.size()) && !allowed; ++choice) {
                        *trial = *ws;
                        bool meaningful = true;
                        for (size_t i = 0; i < set.size(); ++i) {
                            const auto& [t0, parity0] = groups.members.at(set[i]).front();
                            const int present = ws->TsTable.Value[t0];
                            bool regular = true;
                            for (auto [t, parity] : groups.members.at(set[i])) {
                                const int v = ws->TsTable.Value[t] & 0xFF;
                                regular = regular && (v == 0 || v == 1) &&
                                          (v ^ parity) == ((present & 0xFF) ^ parity0);
                            }
                            int bit = (choice >> i) & 1;
                            if (regular) {
                                if (bit) meaningful = false;  // one change of a 0/1 group: the flip
                                bit = ((present & 0xFF) ^ parity0) ^ 1;
                            }
                            groups.Set(*trial, set[i], bit);
                        }
                        if (meaningful) allowed = Verdict(*trial, side) == 1;
                    }
                    if (allowed) found.push_back(set);
                } while (std::next_permutation(pick.begin(), pick.end()));
            }
            std::sort(found.begin(), found.end());
            const MinChanges& m = *a.minChanges;
            ASSERT_FALSE(m.undetermined);
            EXPECT_EQ(m.exists, !found.empty()) << context;
            if (!found.empty()) {
                EXPECT_EQ(static_cast<size_t>(m.size), size - 1) << context;
                EXPECT_EQ(m.truncated, found.size() > MinChanges::kMaxSets) << context;
                if (found.size() > MinChanges::kMaxSets) found.resize(MinChanges::kMaxSets);
                EXPECT_EQ(m.sets, found) << context;
            }
            // Each set listed, applied with the values it names, allows the operation and
            // leaves the apparatus state alone; a pair is named with both its TS.
            ASSERT_EQ(m.changes.size(), m.sets.size()) << context;
            for (size_t i = 0; i < m.changes.size(); ++i) {
                *trial = *ws;
                std::vector<int> named;
                for (const Change& c : m.changes[i]) {
                    named.push_back(c.ts);
                    EXPECT_NE(groups.Of(c.ts), stateGroup) << context;
                    EXPECT_EQ(c.values.size(), groups.members.at(groups.Of(c.ts)).size()) << context;
                    for (const Literal& v : c.values)
                        trial->TsTable.Value[v.ts] = static_cast<int16_t>(v.value);
                }
                EXPECT_EQ(named, m.sets[i]) << context;
                EXPECT_EQ(interlock::ApparatusIsOn(*trial, s), interlock::ApparatusIsOn(*ws, s)) << context;
                EXPECT_EQ(Verdict(*trial, side), 1) << context << " set " << i;
            }
            ++minChecked;
        }

        // Decisive unreliability: the unreliable TS read, their groups free, the rest present.
        if (f.Error || f.Empty) continue;
        std::set<int> read = ReadTs(*trial = *ws, side);
        std::vector<int> unreliable;
        std::vector<int> free;
        for (int t : read) {
            if (ws->TsTable.Unreliability[t] == 0 || groups.Of(t) == stateGroup) continue;
            unreliable.push_back(t);
            if (std::find(free.begin(), free.end(), groups.Of(t)) == free.end()) free.push_back(groups.Of(t));
        }
        std::vector<int> expected;
        for (int u : unreliable) {
            bool decisive = false;
            for (unsigned bits = 0; bits < (1u << free.size()) && !decisive; ++bits) {
                *trial = *ws;
                for (size_t i = 0; i < free.size(); ++i) groups.Set(*trial, free[i], (bits >> i) & 1);
                const int before = Verdict(*trial, side);
                const int uBit =
                    (bits >> (std::find(free.begin(), free.end(), groups.Of(u)) - free.begin())) & 1;
                groups.Set(*trial, groups.Of(u), 1 - uBit);
                decisive = before != Verdict(*trial, side);
            }
            if (decisive) expected.push_back(u);
        }
        EXPECT_EQ(a.decisive.ts, expected) << context;
        if (!unreliable.empty()) ++decisiveChecked;
    }
    EXPECT_GT(minChecked, 150);
    EXPECT_GT(decisiveChecked, 100);
    EXPECT_GT(verdictsChecked, 600);
}

// The lines found constant in the apparatus state in which their logic governs, against every
// state tried: each M line is evaluated as the output of the text cut after it.
TEST_F(Oracle, ConstantLinesAgreeWithTryingEveryState) {
    int judged = 0;
    int constant = 0;
    for (int round = 0; round < 300; ++round) {
        std::unique_ptr<Workspace> ws = RandomBlock();
        Analyser analyser;
        analyser.Update(*ws);
        const Groups groups(*ws);
        const int s = ws->Blocks[kBlock].StateSignal;
        const int stateGroup = groups.Of(std::abs(s));
        std::vector<int> others;
        for (const auto& [g, list] : groups.members)
            if (g != stateGroup) others.push_back(g);
        for (Side side : {Side::On, Side::Off}) {
            if (!analyser.Model(kBlock, side)) continue;
            const std::vector<std::string> text = ws->Blocks[kBlock].Of(side).Logic;
            const std::string context = ::testing::PrintToString(text) + " s=" + std::to_string(s);
            std::set<int> reported;
            for (const Problem& p : analyser.Problems())
                if (p.check == check::kConstantLine && p.side == side) reported.insert(p.line);
            std::set<int> expected;
            for (size_t t = 0; t < text.size(); ++t) {
                if (text[t].empty() || text[t][0] != 'M') continue;
                // The text up to this line, its V line made an M nobody reads, and a V line
                // that gives this line's value.
                std::vector<std::string> cut;
                for (size_t k = 0; k <= t; ++k)
                    cut.push_back(!text[k].empty() && text[k][0] == 'V' ? "M16" + text[k].substr(2)
                                                                        : text[k]);
                cut.push_back("V" + std::to_string(kBlock) + "=AND(" + text[t].substr(0, text[t].find('=')) +
                              ")");
                auto trial = std::make_unique<Workspace>(*ws);
                trial->Blocks[kBlock].Of(side).Logic = cut;
                std::set<int> values;
                for (unsigned bits = 0; bits < (1u << others.size()); ++bits) {
                    for (size_t i = 0; i < others.size(); ++i) groups.Set(*trial, others[i], (bits >> i) & 1);
                    groups.Set(*trial, stateGroup, 0);
                    if (interlock::ApparatusIsOn(*trial, s) != (side == Side::Off))
                        groups.Set(*trial, stateGroup, 1);
                    const int r = Verdict(*trial, side);
                    ASSERT_NE(r, -1) << context << " line " << t + 1;
                    values.insert(r);
                }
                if (values.size() == 1) expected.insert(static_cast<int>(t) + 1);
                ++judged;
            }
            EXPECT_EQ(reported, expected) << context;
            constant += static_cast<int>(expected.size());
        }
    }
    EXPECT_GT(judged, 500);
    EXPECT_GT(constant, 50);
}

}  // namespace
}  // namespace analysis::test
