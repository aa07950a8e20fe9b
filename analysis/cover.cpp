#include "analysis/cover.h"

#include <algorithm>
#include <map>
#include <utility>

namespace analysis {
namespace {

// Minato-Morreale: a cover R with L <= R <= U, together with its cubes.
class Isop {
public:
    explicit Isop(size_t maxCubes) : maxCubes_(maxCubes) {}

    // False when the cover grew beyond the limit.
    bool Run(const bdd& lower, const bdd& upper, bdd& cover, std::vector<Cube>& cubes) {
        if (lower == bddfalse) {
            cover = bddfalse;
            return true;
        }
        if (upper == bddtrue) {
            cover = bddtrue;
            cubes.push_back({});
            return cubes.size() <= maxCubes_;
        }
        const auto key = std::make_pair(lower.id(), upper.id());
        if (auto it = memo_.find(key); it != memo_.end()) {
            cover = it->second.first;
            cubes.insert(cubes.end(), it->second.second.begin(), it->second.second.end());
            return cubes.size() <= maxCubes_;
        }
        const int var = std::min(Top(lower), Top(upper));
        const bdd x = bdd_ithvar(var);
        const bdd l0 = bdd_restrict(lower, !x), l1 = bdd_restrict(lower, x);
        const bdd u0 = bdd_restrict(upper, !x), u1 = bdd_restrict(upper, x);

        bdd r0, r1, rd;
        std::vector<Cube> c0, c1, cd;
        if (!Run(l0 & (!u1), u0, r0, c0) || !Run(l1 & (!u0), u1, r1, c1)) return false;
        const bdd rest = (l0 & (!r0)) | (l1 & (!r1));
        if (!Run(rest, u0 & u1, rd, cd)) return false;

        const int ts = BddSession::TsOfVar(var);
        std::vector<Cube> mine;
        for (Cube& c : c0) mine.push_back(With(std::move(c), Literal{ts, 0}));
        for (Cube& c : c1) mine.push_back(With(std::move(c), Literal{ts, 1}));
        for (Cube& c : cd) mine.push_back(std::move(c));
        cover = ((!x) & r0) | (x & r1) | rd;
        memo_.emplace(key, std::make_pair(cover, mine));
        cubes.insert(cubes.end(), mine.begin(), mine.end());
        return cubes.size() <= maxCubes_ && mine.size() <= maxCubes_;
    }

private:
    static int Top(const bdd& f) {
        if (f == bddtrue || f == bddfalse) return 1 << 30;
        return bdd_var(f);
    }
    static Cube With(Cube c, Literal l) {
        c.insert(std::lower_bound(c.begin(), c.end(), l,
                                  [](const Literal& a, const Literal& b) { return a.ts < b.ts; }),
                 l);
        return c;
    }

    size_t maxCubes_;
    std::map<std::pair<int, int>, std::pair<bdd, std::vector<Cube>>> memo_;
};

TwoLevel Factor(std::vector<Cube> cubes, bool conjunctive) {
    TwoLevel t;
    t.conjunctive = conjunctive;
    if (!cubes.empty()) {
        for (const Literal& l : cubes.front()) {
            const bool shared = std::all_of(cubes.begin(), cubes.end(), [&](const Cube& c) {
                return std::find(c.begin(), c.end(), l) != c.end();
            });
            if (shared) t.common.push_back(l);
        }
    }
    for (Cube& c : cubes) {
        Cube rest;
        for (const Literal& l : c)
            if (std::find(t.common.begin(), t.common.end(), l) == t.common.end()) rest.push_back(l);
        if (!rest.empty()) t.terms.push_back(std::move(rest));
    }
    std::sort(t.terms.begin(), t.terms.end(), [](const Cube& a, const Cube& b) {
        if (a.size() != b.size()) return a.size() < b.size();
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](const Literal& x, const Literal& y) {
                                                return x.ts != y.ts ? x.ts < y.ts : x.value < y.value;
                                            });
    });
    return t;
}

}  // namespace

std::optional<std::vector<Cube>> IrredundantCover(const bdd& f, size_t maxCubes) {
    Isop isop(maxCubes);
    bdd cover;
    std::vector<Cube> cubes;
    if (!isop.Run(f, f, cover, cubes)) return std::nullopt;
    return cubes;
}

size_t TwoLevel::Literals() const {
    size_t n = common.size();
    for (const Cube& c : terms) n += c.size();
    return n;
}

std::optional<TwoLevel> ReadableFormula(const bdd& f, size_t maxCubes) {
    if (f == bddtrue || f == bddfalse) return std::nullopt;
    std::optional<TwoLevel> best;
    if (auto sop = IrredundantCover(f, maxCubes)) best = Factor(std::move(*sop), false);
    if (auto pos = IrredundantCover(!f, maxCubes)) {
        // The complement's cubes, each negated, are the clauses of f.
        for (Cube& c : *pos)
            for (Literal& l : c) l.value = 1 - l.value;
        TwoLevel t = Factor(std::move(*pos), true);
        if (!best || t.Literals() < best->Literals()) best = std::move(t);
    }
    return best;
}

}  // namespace analysis
