#include "analysis/model.h"

namespace analysis {

LogicModel BuildModel(BddSession& session, const LogicStructure& structure, const TsReading& reading) {
    LogicModel model;
    std::array<bdd, interlock::kMCount + 1> m;
    for (bdd& v : m) v = bddfalse;
    model.lines.reserve(structure.lines.size());
    for (const LogicLine& line : structure.lines) {
        bdd acc = line.isAnd ? bddtrue : bddfalse;
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
            acc = line.isAnd ? (acc & !zero) : (acc | one);
        }
        if (line.negated) acc = !acc;
        if (session.Overflowed()) {
            model = LogicModel{};
            model.undetermined = true;
            return model;
        }
        model.lines.push_back(acc);
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
        PairBit b = BitOf(table, ts);
        bdd bit = BddSession::Value(b.ts);
        if (b.flipped) bit = !bit;
        return TsConditions{!bit, bit};
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
