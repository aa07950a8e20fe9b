#pragma once

// Where the mimic draws what: busbars, bays, apparatus symbols, labels and the wires between
// them, computed from a topology (plain C++, no Qt). Coordinates are in drawing units with y
// growing downwards; a node or element with "AT x y" in the topology file keeps that place.

#include <string>
#include <vector>

#include "topology/topology.h"

namespace mimic {

struct Rect {
    double x = 0, y = 0, w = 0, h = 0;
    bool Contains(topology::Point p) const { return p.x >= x && p.x <= x + w && p.y >= y && p.y <= y + h; }
};

enum class SymbolKind { Breaker, Disconnector, Earthing, Cable, Transformer, Source, Load };

struct Symbol {
    SymbolKind kind = SymbolKind::Breaker;
    int index = -1;        // Topology::elements, ::sources or ::loads, by kind
    Rect box;              // the symbol's body
    bool vertical = true;  // drawn along a vertical wire
    topology::Point pinA;  // where the wire of the first node meets the symbol
    topology::Point pinB;  // the second node's (for an earthing switch: the earth)
    Rect labelBox;
    std::string label;  // Windows-1251
    // The verdict lights of the ON and OFF operations (an apparatus bound to a block); empty
    // rectangles for the rest.
    Rect onLight;
    Rect offLight;
};

// A node drawn as a horizontal bar (a busbar): the nodes many elements join.
struct Bus {
    int node = -1;
    Rect bar;
    std::string label;
    Rect labelBox;  // above the bar's left end
};

// A polyline at the potential of one node.
struct Wire {
    int node = -1;
    std::vector<topology::Point> points;
};

struct Layout {
    std::vector<Bus> buses;
    std::vector<Symbol> symbols;
    std::vector<Wire> wires;
    Rect bounds;

    // The symbol under a point, or -1.
    int SymbolAt(topology::Point p) const;
    // The symbol of topology element `element`, or -1.
    int SymbolOfElement(int element) const;
};

Layout LayOut(const topology::Topology& topology);

}  // namespace mimic
