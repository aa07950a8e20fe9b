#pragma once

// The substation behind the interlocks: its nodes, apparatus, sources, loads, voltage
// indicators and permanent connections, read from a topology file kept beside the
// configuration (NAME.top). Plain C++, no Qt. Texts are Windows-1251.
//
// The file: "#" starts a comment, one element a line, keywords in either case, names are any
// words without blanks; every line may end with "AT x y" (a position for a hand layout of the
// mimic; read and kept, never judged):
//
//     NODE name                                   a connection point
//     SOURCE node [WHEN [~]Sn]                     energised from outside, always or while TS n
//     LOAD node                                   current flows out of it when it is live
//     INDICATOR [~]Sn node                        TS n reads 1 exactly while the node is live
//     BREAKER [label] node node position           a breaker between two nodes
//     DISCONNECTOR [label] node node position      a disconnector between two nodes
//     EARTHING [label] node position               an earthing switch between a node and earth
//     CABLE [label] node node                      joins two nodes for every purpose
//     TRANSFORMER [label] node node                passes energisation, never earthing
//
// position: BLOCK n (the block's state signal: apparatus ON = closed), CLOSED, OPEN, or
// TS [~]Sn (an apparatus this unit does not control: closed while TS n is 1, 0 with "~").
// The label of a block's apparatus defaults to the first word of the block's name.
//
//     DISCONNECTOR QS1 Ввод A BLOCK 2
//
// Public use (the proofs, the switching sequences, the mimic):
//   ReadTopology        the file and the checks against a configuration, messages with lines;
//   topology::Network   (network.h) the positions, "live", "earthed", the rules and the hazards
//                       as BDDs over the TS value bits of the analysis engine's session;
//   topology::Prove     (proof.h) the verdict of every operation of every bound block.

#include <optional>
#include <string>
#include <vector>

#include "interlock/workspace.h"

namespace topology {

enum class Kind { Breaker, Disconnector, Earthing, Cable, Transformer };

// A TS as written: S15 or ~S15.
struct TsRef {
    int ts = 0;
    bool inverted = false;
};

struct Point {
    double x = 0, y = 0;
};

struct Node {
    std::string name;
    int line = 0;
    std::optional<Point> at;
};

// How the position of an apparatus is known.
enum class Binding {
    Block,  // the state signal of `block`; without a state signal the position is unknown
    Fixed,  // `fixedClosed`
    Ts,     // `ts` (an apparatus of another unit)
    None    // a cable or a transformer: no position
};

struct Element {
    Kind kind = Kind::Breaker;
    std::string label;
    int a = -1;  // node index
    int b = -1;  // node index; -1 for an earthing switch
    Binding binding = Binding::None;
    int block = 0;
    bool fixedClosed = false;
    TsRef ts;
    int line = 0;
    std::optional<Point> at;

    bool IsSwitch() const { return kind == Kind::Breaker || kind == Kind::Disconnector; }
    bool IsApparatus() const { return kind != Kind::Cable && kind != Kind::Transformer; }
};

struct Source {
    int node = -1;
    std::optional<TsRef> when;  // none: always on
    int line = 0;
    std::optional<Point> at;
};

struct Load {
    int node = -1;
    int line = 0;
    std::optional<Point> at;
};

struct Indicator {
    TsRef ts;
    int node = -1;
    int line = 0;
};

enum class Severity { Error, Warning, Information };

struct Message {
    Severity severity = Severity::Error;
    int line = 0;      // from 1 in the file; 0: the file as a whole
    int position = 0;  // from 1 in the line; 0: the line as a whole
    std::string text;
};

struct Topology {
    std::vector<Node> nodes;
    std::vector<Element> elements;  // in file order
    std::vector<Source> sources;
    std::vector<Load> loads;
    std::vector<Indicator> indicators;
    std::vector<Message> messages;  // in line order

    int NodeIndex(const std::string& name) const;  // -1 when absent
    // The apparatus bound to block n, or -1.
    int ElementOfBlock(int block) const;
    bool HasErrors() const;
};

// Reads the file's lines and checks them against the blocks of `ws` (numbers, state signals,
// names for the default labels). A malformed line gives a message and the rest is still read.
Topology ReadTopology(const std::vector<std::string>& lines, const interlock::Workspace& ws);

// The topology file kept beside a configuration: its name with the extension ".top".
std::string TopologyFileFor(const std::string& configPath);

}  // namespace topology
