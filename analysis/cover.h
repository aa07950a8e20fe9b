#pragma once

// A logic written back as a short formula: an irredundant sum of products of a function over
// the TS value bits (Minato-Morreale), read from its diagram. Used where a person reads the
// condition (the printed interlock table), not where the engine decides anything.

#include <optional>
#include <vector>

#include "analysis/bdd_session.h"
#include "analysis/cube.h"

namespace analysis {

// Cubes whose disjunction is f, none of them implied by the others and none with a literal
// that could go; nothing when more than `maxCubes` would be needed. f = false gives no cubes,
// f = true one empty cube. Only value variables may occur in f.
std::optional<std::vector<Cube>> IrredundantCover(const bdd& f, size_t maxCubes = 64);

// A formula of at most two levels read from a cover: literals every term shares, then the
// terms left joined by the other operation. `conjunctive` false: common AND (t1 OR t2 ...),
// each t a conjunction; true: common OR (t1 AND t2 ...) read from the cover of the complement.
struct TwoLevel {
    bool conjunctive = false;
    Cube common;
    std::vector<Cube> terms;

    size_t Literals() const;
};

// The shorter of the sum of products and the product of sums of f (by literal count; the sum
// of products on a tie), or nothing for a constant f or when neither fits in `maxCubes`.
std::optional<TwoLevel> ReadableFormula(const bdd& f, size_t maxCubes = 64);

}  // namespace analysis
