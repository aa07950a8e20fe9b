#include "analysis/model.h"

#include <algorithm>
#include <climits>
#include <string>
#include <unordered_map>

namespace analysis {

namespace {

// The level of a term's top variable; constants sort first.
int Level(const bdd& f) { return f.id() <= 1 ? INT_MAX : bdd_var(f); }

// A term of a line with the level of its top variable.
struct Term {
    int level;
    bdd f;
};

}  // namespace

LogicModel BuildModel(BddSession& session, const interlock::CompiledLogic& form, const TsReading& reading,
                      const bdd* constantUnder) {
    LogicModel model;
    std::array<bdd, interlock::kMCount + 1> m;
    for (bdd& v : m) v = bddfalse;
    if (constantUnder) model.constant.reserve(form.lines.size());
    // An AND is the conjunction of "the operand does not read 0", an OR the disjunction of "the
    // operand reads 1": for each TS read, the term of either operation, plain and with "~"
    // (index 1), worked out once.
    struct TsTerms {
        std::array<Term, 2> ofAnd;
        std::array<Term, 2> ofOr;
    };
    std::vector<TsTerms> ts(interlock::kTsCount + 1);
    for (const interlock::CompiledLogic::FirstRead& r : form.firstReads) {
        const TsConditions c = reading(r.n);
        const bdd notZero = !c.zero;
        const bdd notOne = !c.one;
        ts[r.n].ofAnd = {Term{Level(notZero), notZero}, Term{Level(notOne), notOne}};
        ts[r.n].ofOr = {Term{Level(c.one), c.one}, Term{Level(c.zero), c.zero}};
    }
    std::vector<Term> terms;
    // A line of TS operands alone is the same function wherever it is written again: a long
    // logic made of a few lines repeated builds each once. The table is bounded.
    struct Built {
        bdd f;
        int8_t constant;
    };
    constexpr size_t kRepeatedLines = 4096;
    std::unordered_map<std::string, Built> repeated;
    std::string key;
    for (const interlock::FlipLine& line : form.lines) {
        key.clear();
        if (line.mRead == 0) {
            key.push_back(static_cast<char>(line.isAnd));
            key.push_back(static_cast<char>(line.negated));
            for (uint32_t j = line.first; j < line.last; ++j) {
                const interlock::FlipOperand& o = form.operands[j];
                key.push_back(static_cast<char>(o.n & 0xFF));
                key.push_back(static_cast<char>((o.n >> 8) | (o.inverted ? 2 : 0)));
            }
            const auto it = repeated.find(key);
            if (it != repeated.end()) {
                if (constantUnder) model.constant.push_back(it->second.constant);
                if (line.isM) {
                    m[line.target] = it->second.f;
                } else if (!model.hasOutput) {
                    model.hasOutput = true;
                    model.output = it->second.f;
                }
                continue;
            }
        }
        // The terms are joined from the deepest variable up, so that a line of plain TS
        // operands costs one node per operand.
        terms.clear();
        for (uint32_t j = line.first; j < line.last; ++j) {
            const interlock::FlipOperand& o = form.operands[j];
            if (o.kind == interlock::FlipOperand::M) {
                // An M reads 1 or 0: both operations take its value, "~" its complement.
                bdd f = o.inverted ? !m[o.n] : m[o.n];
                const int level = Level(f);
                terms.push_back(Term{level, std::move(f)});
            } else {
                const TsTerms& t = ts[o.n];
                terms.push_back((line.isAnd ? t.ofAnd : t.ofOr)[o.inverted ? 1 : 0]);
            }
        }
        std::sort(terms.begin(), terms.end(), [](const Term& a, const Term& b) { return a.level > b.level; });
        bdd acc = line.isAnd ? bddtrue : bddfalse;
        for (const Term& t : terms) acc = line.isAnd ? (acc & t.f) : (acc | t.f);
        if (line.negated) acc = !acc;
        int8_t constant = -1;
        if (constantUnder) {
            const bdd under = bdd_restrict(acc, *constantUnder);
            constant = under.id() == 1 ? 1 : under.id() == 0 ? 0 : -1;
        }
        if (session.Overflowed()) {
            model = LogicModel{};
            model.undetermined = true;
            model.timedOut = session.TimedOut();
            return model;
        }
        if (constantUnder) model.constant.push_back(constant);
        if (!key.empty() && repeated.size() < kRepeatedLines) repeated.emplace(key, Built{acc, constant});
        if (line.isM) {
            m[line.target] = std::move(acc);
        } else if (!model.hasOutput) {
            model.hasOutput = true;
            model.output = std::move(acc);
        }
    }
    return model;
}

PairBit BitOf(const interlock::TsTableData& table, int ts) {
    PairBit b{ts, false};
    // Up a chain of pairs: the second TS of pair (n, n+1) is the complement of n.
    for (int guard = 0; b.ts >= 2 && table.TwoPosition[b.ts - 1] && guard < interlock::kTsCount; ++guard) {
        --b.ts;
        b.flipped = !b.flipped;
    }
    return b;
}

TsReading DomainReading(const interlock::TsTableData& table) {
    return [&table](int ts) {
        const PairBit b = BitOf(table, ts);
        const int var = BddSession::ValueVar(b.ts);
        return b.flipped ? TsConditions{bdd_ithvarpp(var), bdd_nithvarpp(var)}
                         : TsConditions{bdd_nithvarpp(var), bdd_ithvarpp(var)};
    };
}

TsReading GeneralReading() {
    return [](int ts) {
        bdd flag = BddSession::Other(ts);
        bdd bit = BddSession::Value(ts);
        return TsConditions{(!flag) & (!bit), (!flag) & bit};
    };
}

int ValueClass(int16_t value) {
    const int low = value & 0xFF;
    return low == 0 ? 0 : low == 1 ? 1 : -1;
}

bool EvaluateGeneral(const bdd& f, const std::array<int16_t, interlock::kTsCount + 2>& values) {
    bdd node = f;
    while (node != bddtrue && node != bddfalse) {
        const int var = bdd_var(node);
        const int c = ValueClass(values[BddSession::TsOfVar(var)]);
        const bool high = BddSession::IsValueVar(var) ? c == 1 : c == -1;
        node = high ? bdd_high(node) : bdd_low(node);
    }
    return node == bddtrue;
}

}  // namespace analysis
