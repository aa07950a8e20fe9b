#pragma once

// The topology as Boolean functions of the TS value bits, in the analysis engine's BDD session
// (open one analysis::Analyser first; a Network must go before the session does).
//
// Positions: a block's apparatus is closed while its state signal reads ON (pairs and inverted
// state signals read as the block reads them); an apparatus of another unit while its TS reads
// 1 (0 when marked "~"); a source is on while its TS reads 1. An apparatus whose block has no
// state signal may be in either position: it has a free variable of its own that the rules
// quantify over (it never appears in an answer).
//
// "Live": joined to a source that is on through closed breakers and disconnectors, cables and
// transformers. "Earthed": joined to a closed earthing switch through closed breakers and
// disconnectors and cables (never through a transformer). Earth joins nothing.

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "analysis/bdd_session.h"
#include "analysis/cube.h"
#include "interlock/workspace.h"
#include "topology/topology.h"

namespace topology {

// One topological rule: which operations it governs and, as a function, where it allows them.
struct Rule {
    int number = 0;
    bool (*governs)(Kind kind, interlock::Side side);
    const std::string& (*words)();  // the rule in words, Windows-1251
};
// Every rule, in order of number.
const std::vector<Rule>& Rules();

// A step of a path: a node, or an element (apparatus or permanent connection) passed.
struct Step {
    bool isNode = true;
    int index = 0;
    bool operator==(const Step&) const = default;
};
using Path = std::vector<Step>;

class Network {
public:
    Network(const Topology& topology, const interlock::Workspace& ws);
    ~Network();
    Network(const Network&) = delete;
    Network& operator=(const Network&) = delete;

    const Topology& Layout() const { return topology_; }

    // The apparatus is closed (true for a cable or a transformer).
    bdd Closed(int element) const;
    // The source is on.
    bdd On(int source) const;
    // The node is live / earthed; `without` >= 0 leaves that element out of every path.
    bdd Live(int node, int without = -1);
    bdd Earthed(int node, int without = -1);

    // Where rule `rule` allows operation `side` of apparatus `element` (true where it does not
    // govern that operation). The free positions of unknown apparatus are quantified: the rule
    // allows only what it allows in every position of them.
    // quantify false: the function before that, over the unknown positions too.
    bdd Allows(int rule, int element, interlock::Side side, bool quantify = true);

    // The voltage indicators: the TS value bit each stands for and the function it follows
    // (the node live; its complement for "~" or for the second TS of a pair). Indicators with a
    // message of their own are left out.
    struct IndicatorFunction {
        int bit = 0;  // the first TS of its group
        bdd value;
    };
    std::vector<IndicatorFunction> Indicators();
    // f with every indicator bit replaced by the function it follows.
    bdd WithIndicators(const bdd& f);

    // The hazards a sequence of operations must never reach: an earthing switch closed on a
    // live node; a node both live and earthed (each possible in some unknown position).
    bdd EarthingOnLive();
    bdd LiveEarthed();

    // The variables of the unknown positions (to quantify them away).
    bdd UnknownVars() const { return unknownVars_; }

    // The connection points the BDDs are kept for: nodes joined by connections that are closed
    // whatever the TS (cables, apparatus fixed closed) count as one; apparatus fixed open are
    // left out. Proofs refuse a topology with more of them than kMaxPoints.
    int Points() const { return static_cast<int>(graph_.first.size()) - 1; }
    static constexpr int kMaxPoints = 20000;

private:
    // The graph the functions spread over: nodes merged into points, and for each point its
    // arcs (the other point, the element, whether it is a transformer) in compressed rows.
    struct Arc {
        int to;
        int element;
        bool transformer;
    };
    struct Graph {
        std::vector<int> point;  // node -> point
        std::vector<int> first;  // point -> its first arc; one more entry at the end
        std::vector<Arc> arcs;
    };
    Graph BuildGraph(int without) const;
    // The graph with `without` kept apart: the shared one unless that element was merged.
    const Graph& GraphWithout(int without, Graph& scratch) const;
    std::vector<bdd> Spread(const Graph& g, std::vector<bdd> seed, bool throughTransformers, int without);
    std::vector<bdd> LiveSpread(const Graph& g, int without);
    std::vector<bdd> EarthedSpread(const Graph& g, int without);
    const std::vector<bdd>& LiveAll();
    const std::vector<bdd>& EarthedAll();
    bool Merged(int element, int without) const;

    const Topology& topology_;
    const interlock::Workspace& ws_;
    std::vector<bdd> closed_;
    std::vector<bdd> on_;
    bdd unknownVars_;
    Graph graph_;
    // Over the points of graph_, with no element left out.
    std::optional<std::vector<bdd>> live_, earthed_;
    std::map<int, bdd> rule1_;  // element -> where rule 1 allows operating it (either way)
};

// The plain twin of the rules on one state, by path search on the graph (no BDDs): the values
// of `values`, and for each apparatus of unknown position whether it is closed (indexed by
// element; absent means open). Returns the path that breaks the rule, or nothing when the rule
// allows the operation.
struct State {
    const interlock::Workspace* ws = nullptr;  // the blocks' state signals
    const interlock::TsTableData* values = nullptr;
    std::vector<char> unknownClosed;
};
bool ClosedIn(const Topology& t, const State& s, int element);
// For each node whether it is live in the state: joined to a source that is on through closed
// breakers and disconnectors, cables and transformers.
std::vector<char> LiveNodes(const Topology& t, const State& s);
std::optional<Path> Breaks(const Topology& t, const State& s, int rule, int element, interlock::Side side);

}  // namespace topology
