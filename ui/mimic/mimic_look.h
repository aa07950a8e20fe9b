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
