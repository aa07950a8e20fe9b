#include "analysis/model.h"

#include <algorithm>
#include <bit>
#include <bitset>
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

// A term where a cube holds, as a line of TS alone is judged without its diagram: a constant,
// one variable plain or complemented, or something else.
struct Shape {
    enum Kind : uint8_t { Zero, One, Variable, Other } kind = Other;
    bool positive = true;
    int var = 0;
};

Shape ShapeOf(const bdd& f) {
    if (f == bddfalse) return {Shape::Zero};
    if (f == bddtrue) return {Shape::One};
    const bdd low = bdd_low(f);
    const bdd high = bdd_high(f);
    if (low == bddfalse && high == bddtrue) return {Shape::Variable, true, bdd_var(f)};
    if (low == bddtrue && high == bddfalse) return {Shape::Variable, false, bdd_var(f)};
    return {};
}

// True for a conjunction of literals (true included): restricting to it sets variables, so a
// line restricted is its terms restricted and joined.
bool IsCube(const bdd& f) {
    bdd node = f;
    while (node != bddtrue) {
        if (node == bddfalse) return false;
        const bdd low = bdd_low(node);
        const bdd high = bdd_high(node);
        if (low == bddfalse) {
            node = high;
        } else if (high == bddfalse) {
            node = low;
        } else {
            return false;
        }
    }
    return true;
}

// The value of a line of terms that are constants or single variables: 0 or 1 when it is that
// constant, -1 otherwise; kUnknown when it is not decided and some term is neither. An AND of
// literals is 0 when one of them is 0 or when it holds a variable both plain and complemented,
// 1 when none is left; an OR likewise the other way.
constexpr int8_t kUnknown = 2;

class LiteralFold {
public:
    template <typename ShapeAt>
    int8_t Fold(uint32_t first, uint32_t last, bool isAnd, bool negated, const ShapeAt& shapeAt) {
        const Shape::Kind decider = isAnd ? Shape::Zero : Shape::One;
        bool decided = false;
        bool unknown = false;
        bool anyVariable = false;
        for (uint32_t j = first; j < last && !decided; ++j) {
            const Shape& s = shapeAt(j);
            if (s.kind == decider) {
                decided = true;
            } else if (s.kind == Shape::Variable) {
                anyVariable = true;
                const auto var = static_cast<size_t>(s.var);
                (s.positive ? plain_ : complemented_).set(var);
                decided = plain_.test(var) && complemented_.test(var);
            } else if (s.kind == Shape::Other) {
                unknown = true;
            }
        }
        plain_.reset();
        complemented_.reset();
        // Decided: the deciding constant, whatever the other terms; nothing decided and no
        // variable: the neutral one.
        if (!decided && unknown) return kUnknown;
        if (!decided && anyVariable) return -1;
        const int8_t value = (decided == isAnd) ? 0 : 1;
        return static_cast<int8_t>(value ^ (negated ? 1 : 0));
    }

private:
    std::bitset<2 * interlock::kTsCount + 2> plain_, complemented_;
};

}  // namespace

LogicModel BuildModel(BddSession& session, const interlock::CompiledLogic& form, const TsReading& reading,
                      const bdd* constantUnder) {
    LogicModel model;
    std::array<bdd, interlock::kMCount + 1> m;
    for (bdd& v : m) v = bddfalse;
    const size_t count = form.lines.size();
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

    // A line of TS alone whose terms, where the restriction holds, are constants or single
    // variables is judged from them without its diagram; the others are built.
    const bool judgeByTerms = constantUnder && IsCube(*constantUnder);
    struct TsShapes {
        std::array<Shape, 2> ofAnd;
        std::array<Shape, 2> ofOr;
    };
    std::vector<TsShapes> shapes;
    if (judgeByTerms) {
        shapes.resize(interlock::kTsCount + 1);
        for (const interlock::CompiledLogic::FirstRead& r : form.firstReads) {
            for (int inverted : {0, 1}) {
                shapes[r.n].ofAnd[inverted] =
                    ShapeOf(bdd_restrict(ts[r.n].ofAnd[inverted].f, *constantUnder));
                shapes[r.n].ofOr[inverted] = ShapeOf(bdd_restrict(ts[r.n].ofOr[inverted].f, *constantUnder));
            }
        }
    }
    auto shapeAt = [&](const interlock::FlipLine& line) {
        return [&shapes, &form, &line](uint32_t j) -> const Shape& {
            const interlock::FlipOperand& o = form.operands[j];
            const TsShapes& s = shapes[static_cast<size_t>(o.n)];
            return (line.isAnd ? s.ofAnd : s.ofOr)[o.inverted ? 1 : 0];
        };
    };
    LiteralFold fold;

    // Which lines are built, from the last line up: the V line, a line whose M a built line
    // below reads before it is assigned again, and, when lines are judged, a line that reads an
    // M or cannot be judged by its terms. Bit 0 of plan[i]: line i is built; bits 1..16: the M
    // values a built line below line i reads before they are assigned again. A long logic of a
    // small function then builds the few lines its output reads; the diagram of an M goes as
    // soon as no later line reads it.
    if (constantUnder) model.constant.assign(count, -1);
    std::vector<uint32_t> plan(count);
    uint32_t live = 0;
    for (size_t i = count; i-- > 0;) {
        const interlock::FlipLine& line = form.lines[i];
        plan[i] = live & ~1u;
        bool build = line.isM ? (live >> line.target & 1u) != 0 : true;
        if (constantUnder && !build) {
            const int8_t v = judgeByTerms && line.mRead == 0
                                 ? fold.Fold(line.first, line.last, line.isAnd, line.negated, shapeAt(line))
                                 : kUnknown;
            if (v == kUnknown) {
                build = true;
            } else {
                model.constant[i] = v;
            }
        }
        if (line.isM) live &= ~(1u << line.target);
        if (build) {
            plan[i] |= 1u;
            live |= line.mRead;
        }
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
    auto assign = [&](const interlock::FlipLine& line, const bdd& f) {
        if (line.isM) {
            m[line.target] = f;
        } else if (!model.hasOutput) {
            model.hasOutput = true;
            model.output = f;
        }
    };
    for (size_t i = 0; i < count; ++i) {
        const interlock::FlipLine& line = form.lines[i];
        if (!(plan[i] & 1u)) {
            if (line.isM) m[line.target] = bddfalse;  // no built line reads it
            continue;
        }
        key.clear();
        bool done = false;
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
                if (constantUnder) model.constant[i] = it->second.constant;
                assign(line, it->second.f);
                done = true;
            }
        }
        if (!done) {
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
            std::sort(terms.begin(), terms.end(),
                      [](const Term& a, const Term& b) { return a.level > b.level; });
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
            if (constantUnder) model.constant[i] = constant;
            if (!key.empty() && repeated.size() < kRepeatedLines) repeated.emplace(key, Built{acc, constant});
            assign(line, acc);
        }
        // The M values no later built line reads go now.
        for (uint32_t gone = ~plan[i] & (((1u << interlock::kMCount) - 1) << 1); gone != 0; gone &= gone - 1)
            m[static_cast<size_t>(std::countr_zero(gone))] = bddfalse;
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
