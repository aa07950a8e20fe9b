#include "analysis/cube.h"

#include <climits>
#include <unordered_map>

namespace analysis {
namespace {

class Search {
public:
    explicit Search(int budget) : budget_(budget) {}

    // The size of a smallest cube implying f; INT_MAX for f = false.
    int Size(const bdd& f) {
        if (f == bddtrue) return 0;
        if (f == bddfalse) return kNone;
        auto it = memo_.find(f.id());
        if (it != memo_.end()) return it->second.size;
        if (--budget_ < 0) return kOut;
        const bdd low = bdd_low(f);
        const bdd high = bdd_high(f);
        Entry e;
        e.f = f;
        e.both = low & high;
        const int sBoth = Size(e.both);
        const int sLow = Size(low);
        const int sHigh = Size(high);
        if (sBoth == kOut || sLow == kOut || sHigh == kOut) return kOut;
        e.size = sBoth;
        e.choice = 2;
        if (sLow != kNone && sLow + 1 < e.size) {
            e.size = sLow + 1;
            e.choice = 0;
        }
        if (sHigh != kNone && sHigh + 1 < e.size) {
            e.size = sHigh + 1;
            e.choice = 1;
        }
        memo_.emplace(f.id(), e);
        return e.size;
    }

    void Collect(const bdd& f, Cube& cube) const {
        if (f == bddtrue || f == bddfalse) return;
        const Entry& e = memo_.at(f.id());
        if (e.choice == 2) return Collect(e.both, cube);
        cube.push_back({BddSession::TsOfVar(bdd_var(f)), e.choice});
        Collect(e.choice ? bdd_high(f) : bdd_low(f), cube);
    }

    static constexpr int kNone = INT_MAX / 2;
    static constexpr int kOut = -1;

private:
    struct Entry {
        bdd f;     // held, so that its id is not reused while the search runs
        bdd both;  // low & high
        int size = 0;
        int choice = 2;  // 0: the variable 0, 1: the variable 1, 2: left free
    };
    int budget_;
    std::unordered_map<int, Entry> memo_;
};

// Some path to true, then every literal whose removal still implies f dropped.
Cube Irredundant(const bdd& f) {
    Cube cube;
    bdd node = f;
    while (node != bddtrue) {
        const int var = bdd_var(node);
        const bool high = bdd_high(node) != bddfalse;
        cube.push_back({BddSession::TsOfVar(var), high ? 1 : 0});
        node = high ? bdd_high(node) : bdd_low(node);
    }
    for (size_t i = cube.size(); i-- > 0;) {
        bdd c = bddtrue;
        for (size_t j = 0; j < cube.size(); ++j) {
            if (j == i) continue;
            const bdd v = BddSession::Value(cube[j].ts);
            c &= cube[j].value ? v : !v;
        }
        if ((c & !f) == bddfalse) cube.erase(cube.begin() + static_cast<long>(i));
    }
    return cube;
}

}  // namespace

std::optional<CubeResult> SmallestCube(const bdd& f, int budget) {
    if (f == bddfalse) return std::nullopt;
    Search search(budget);
    const int size = search.Size(f);
    CubeResult r;
    if (size == Search::kOut) {
        r.cube = Irredundant(f);
        r.minimum = false;
        return r;
    }
    search.Collect(f, r.cube);
    return r;
}

}  // namespace analysis
