// The optimised candidate search and ReevaluateWithFlip against a plain full re-evaluation:
// many generated logics and TS tables, every TS the logic reads complemented in turn on a copy
// of the workspace and the whole logic parsed again. Any difference names the seed, the logic
// and the TS.

#include <algorithm>
#include <memory>
#include <random>
#include <sstream>

#include "interlock/parser.h"
#include "tests/interlock/engine_fixture.h"

namespace interlock::test {
namespace {

constexpr int kTsRange = 14;  // few TS, so that flips often change the outcome

class LogicGenerator {
public:
    explicit LogicGenerator(unsigned seed) : random_(seed) {}

    int Pick(int from, int to) { return std::uniform_int_distribution<int>(from, to)(random_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }

    std::string Operand(int definedM) {
        const int kind = Pick(0, 9);
        std::string s = Chance(35) ? "~" : "";
        if (kind <= 5) return s + "S" + std::to_string(SingleOrFirst());
        if (kind <= 7 && !pairs_.empty())
            return s + "D" + std::to_string(pairs_[Pick(0, int(pairs_.size()) - 1)]);
        if (definedM == 0) return s + "S" + std::to_string(SingleOrFirst());
        return s + "M" + std::to_string(Pick(1, definedM));  // an M assigned above
    }

    std::string Line(const std::string& target, int definedM) {
        std::string line = target + "=" + (Chance(25) ? "~" : "") + (Chance(50) ? "AND(" : "OR(");
        const int count = Pick(1, 5);
        for (int i = 0; i < count; ++i) line += (i ? "," : "") + Operand(definedM);
        return line + ")";
    }

    // M lines, an output line (sometimes two, or M lines after it), for output `n`.
    Lines Logic(int n) {
        Lines lines;
        const int mLines = Pick(0, 6);
        int defined = 0;
        for (int i = 0; i < mLines; ++i) {
            const int m = defined == 0 || Chance(70) ? defined + 1 : Pick(1, defined);
            lines.push_back(Line("M" + std::to_string(m), defined));
            defined = std::max(defined, m);
        }
        lines.push_back(Line("V" + std::to_string(n), defined));
        if (Chance(15)) lines.push_back(Line("M" + std::to_string(Pick(1, 4)), defined));
        if (Chance(10)) lines.push_back(Line("V" + std::to_string(n), defined));
        return lines;
    }

    void Table(Workspace& ws) {
        for (int k = 1; k <= kTsRange + 1; ++k) {
            ws.TsTable.Value[k] = static_cast<int16_t>(Pick(0, 1));
            ws.TsTable.Inverted[k] = static_cast<uint8_t>(Chance(15));
            ws.TsTable.Name[k] = Chance(30) ? "N" + std::to_string(k) : "";
        }
        // Pairs hold complementary values, as a consistent table does.
        for (int k = 1; k < kTsRange; k += 2) {
            if (!Chance(30)) continue;
            MakePair(ws, k);
            ws.TsTable.Value[k + 1] = static_cast<int16_t>(ws.TsTable.Value[k] ^ 1);
            pairs_.push_back(k);
        }
    }

private:
    // A TS that is not the second of a pair: the logics here read a pair through its first TS.
    int SingleOrFirst() {
        for (;;) {
            const int n = Pick(1, kTsRange);
            if (std::find(pairs_.begin(), pairs_.end(), n - 1) == pairs_.end()) return n;
        }
    }

    std::mt19937 random_;
    std::vector<int> pairs_;
};

std::string Entry(const Workspace& ws, int n) {
    const std::string value = std::to_string(ws.TsTable.Value[n]);
    const std::string& name = ws.TsTable.Name[n];
    if (!name.empty()) return "\n\r- " + name + " = " + value + " (" + W("ТС") + std::to_string(n) + ")";
    return "\n\r- " + W("ТС") + std::to_string(n) + " = " + value;
}

// Whether the logic of `side` allows the operation with TS k complemented, by parsing it afresh.
// A pair changes as a whole (the parser refuses a pair with equal values); the logics read only
// its first TS, which is all the re-evaluation complements.
bool FullReevaluation(const Workspace& ws, int number, Side side, int k) {
    auto copy = std::make_unique<Workspace>(ws);
    copy->CurrentBlock = 0;  // no candidate search in the reference
    copy->TsTable.Value[k] = static_cast<int16_t>(copy->TsTable.Value[k] ^ 1);
    if (copy->TsTable.TwoPosition[k])
        copy->TsTable.Value[k + 1] = static_cast<int16_t>(copy->TsTable.Value[k + 1] ^ 1);
    ParseLogic(*copy, copy->Blocks[number], side);
    return copy->Blocks[number].Of(side).Result == 1;
}

TEST(CandidateSearch, MatchesAFullReevaluationOnGeneratedLogics) {
    constexpr int kCases = 1500;
    int compared = 0;
    int withCandidates = 0;
    int erroneous = 0;
    for (unsigned seed = 1; seed <= kCases; ++seed) {
        LogicGenerator gen(seed);
        auto ws = std::make_unique<Workspace>();
        gen.Table(*ws);
        const int n = gen.Pick(1, kBlockCount);
        Block& b = ws->Blocks[n];
        b.Number = static_cast<int8_t>(n);
        b.StateSignal = kTsRange + 3;  // a state TS the logic never reads
        b.OnLogic = gen.Logic(n);
        b.OffLogic = gen.Logic(n);
        ws->CurrentBlock = n;
        Recalculate(*ws, n);
        if (IsErroneous(*ws, b)) {
            ++erroneous;
            continue;
        }

        for (Side side : {Side::On, Side::Off}) {
            const auto f = b.Of(side);
            std::ostringstream logic;
            for (const std::string& line : f.Logic) logic << line << "; ";
            const std::string where = "seed " + std::to_string(seed) + ", logic " + logic.str();

            std::string expected;
            for (int k = 1; k <= kTsCount; ++k) {
                if (!ws->TsTable.UsedInLogic[k]) continue;
                const bool full = FullReevaluation(*ws, n, side, k);
                ASSERT_EQ(ReevaluateWithFlip(*ws, b, k, side), full) << where << " TS " << k;
                if (f.Result == 0 && full) expected += Entry(*ws, k);
                ++compared;
            }
            ASSERT_EQ(f.Candidates, expected) << where;
            ASSERT_EQ(f.HasCandidates, !expected.empty()) << where;
            if (!expected.empty()) ++withCandidates;
        }
    }
    RecordProperty("compared", compared);
    RecordProperty("withCandidates", withCandidates);
    RecordProperty("erroneous", erroneous);
    // The generator must exercise the search, not only trivial logics.
    EXPECT_GT(compared, 5000);
    EXPECT_GT(withCandidates, 200);
    EXPECT_LT(erroneous, kCases / 2);
}

}  // namespace
}  // namespace interlock::test
