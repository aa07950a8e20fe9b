#pragma once

// Partial TS assignments read from a diagram: the fewest TS whose values force a function to 1.

#include <optional>
#include <vector>

#include "analysis/bdd_session.h"

namespace analysis {

// One TS (the first TS of its group) and the value its bit takes.
struct Literal {
    int ts = 0;
    int value = 0;

    bool operator==(const Literal&) const = default;
};
using Cube = std::vector<Literal>;  // in TS order

struct CubeResult {
    Cube cube;
    bool minimum = true;  // false when the search ran out of budget and the cube is only irredundant
};

// A smallest cube every completion of which makes f true, over value variables; nothing for
// f = false. An exact search: a cube either fixes the top variable (and implies that cofactor)
// or leaves it free (and implies both cofactors). Past `budget` steps it falls back to the
// shortest path with every literal that can go dropped.
std::optional<CubeResult> SmallestCube(const bdd& f, int budget = 50'000);

}  // namespace analysis
