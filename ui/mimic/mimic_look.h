#pragma once

// What the mimic shows of the present moment: the position and verdict lights of every
// apparatus and the energy of every node, as plain values computed from the workspace's TS
// values and the topology. One entry per element, source and node of the topology, by index.
// Texts are Windows-1251, as everywhere in the core; the widgets convert them.

#include <string>
#include <vector>

namespace mimic {

enum class Position {
    None,  // a cable or a transformer: nothing to draw but the symbol
    Closed,
    Open,
    Travel,  // a two-position pair between its positions
    Unknown  // an invalid pair, no usable state TS
};

enum class Energy { Dead, Live, Earthed, Unknown };

enum class Light {
    None,  // not an operation of this apparatus (no block, fixed position)
    Allowed,
    Forbidden,
    ForbiddenHint,  // forbidden, and a single TS change would allow it
    Error           // the governing logic has an error
};

struct ElementLook {
    Position position = Position::None;
    bool unreliable = false;  // the state TS is unreliable: marked as the main window marks it
    Light on = Light::None;
    Light off = Light::None;
    std::string onHint;  // the verdict and its reason, shown on hover
    std::string offHint;
};

struct Look {
    std::vector<ElementLook> elements;  // index: Topology::elements
    std::vector<Energy> nodes;          // index: Topology::nodes
    std::vector<bool> sourcesOn;        // index: Topology::sources
};

}  // namespace mimic

namespace interlock {
struct Workspace;
enum class Side;
}  // namespace interlock
namespace topology {
struct Topology;
}
namespace analysis {
class Analyser;
struct MinChanges;
}  // namespace analysis

namespace mimic {

// The look of the present moment: positions from the bindings, node energy by a search over
// the graph of present positions, and the verdict lights as the main window judges the blocks.
// The blocks must be recalculated. With an analyser, a forbidden next operation whose smallest
// set of TS changes has one change lights as ForbiddenHint and its hint names that change.
Look ComputeLook(const topology::Topology& topology, const interlock::Workspace& ws,
                 analysis::Analyser* analyser = nullptr);

// The light of operation `side` of block `block` and its hint (the verdict as the main window
// words it; for the next operation with an analyser, the smallest sets of changes that allow a
// forbidden one).
Light JudgeOperation(const interlock::Workspace& ws, int block, interlock::Side side,
                     analysis::Analyser* analyser, std::string* hint);

// The verdict of a light in one word: "разрешено", "запрещено", "ошибка", "???".
std::string LightWord(Light light);

// The position of one element, and whether its state TS is unreliable.
Position PositionOf(const topology::Topology& topology, const interlock::Workspace& ws, int element,
                    bool* unreliable = nullptr);

// Node energy from given positions (index: elements) and sources (index: sources; 0 off, 1 on,
// 2 unknown). Travel counts as open. A node is earthed when it is so in every reading of the
// unknown positions, live when it is live in every reading and earthed in none, dead when it is
// neither in any reading, and unknown otherwise.
std::vector<Energy> NodeEnergy(const topology::Topology& topology, const std::vector<Position>& positions,
                               const std::vector<int>& sources);

// The smallest sets of TS changes as one line each ("ТС5 name: 0 -> 1; ..."), the reason of a
// refusal; Windows-1251.
std::string ChangeSetsText(const analysis::MinChanges& changes, const interlock::Workspace& ws);

}  // namespace mimic
