#include "analysis/model.h"

#include <algorithm>
#include <climits>

namespace analysis {

namespace {

// The level of a term's top variable; constants sort first.
int Level(const bdd& f) { return f == bddtrue || f == bddfalse ? INT_MAX : bdd_var(f); }

}  // namespace

LogicModel BuildModel(BddSession& session, const LogicStructure& structure, const TsReading& reading,
                      const bdd* constantUnder) {
    LogicModel model;
    std::array<bdd, interlock::kMCount + 1> m;
    for (bdd& v : m) v = bddfalse;
    if (constantUnder) model.constant.reserve(structure.lines.size());
    std::vector<bdd> terms;
    for (const LogicLine& line : structure.lines) {
        // An AND is the conjunction of "the operand does not read 0", an OR the disjunction of
        // "the operand reads 1". The terms are joined from the deepest variable up, so that a
        // line of plain TS operands costs one node per operand.
        terms.clear();
        for (const Operand& o : line.operands) {
            bdd zero;
            bdd one;
            if (o.letter == 'M') {
                one = m[o.number];
                zero = !one;
            } else {
                TsConditions c = reading(o.number);
                zero = c.zero;
                one = c.one;
            }
            if (o.inverted) std::swap(zero, one);
            terms.push_back(line.isAnd ? !zero : one);
        }
        std::sort(terms.begin(), terms.end(), [](const bdd& a, const bdd& b) { return Level(a) > Level(b); });
        bdd acc = line.isAnd ? bddtrue : bddfalse;
        for (const bdd& t : terms) acc = line.isAnd ? (acc & t) : (acc | t);
        if (line.negated) acc = !acc;
        int8_t constant = -1;
        if (constantUnder) {
            const bdd under = bdd_restrict(acc, *constantUnder);
            constant = under == bddtrue ? 1 : under == bddfalse ? 0 : -1;
        }
        if (session.Overflowed()) {
            model = LogicModel{};
            model.undetermined = true;
            model.timedOut = session.TimedOut();
            return model;
        }
        if (constantUnder) model.constant.push_back(constant);
        if (line.target == 'M') {
            m[line.targetNumber] = acc;
        } else if (!model.hasOutput) {
            model.hasOutput = true;
            model.output = acc;
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
