#pragma once

// What a topology adds to the switching checks: its voltage indicators follow the positions,
// and the hazards derived from it are checked for reachability without being written: each
// earthing switch closed on a live node, a live node joined to an earthed one, and each
// operation of a disconnector allowed while current can flow through it.

#include <memory>
#include <string>
#include <vector>

#include "sequences/transition_system.h"
#include "topology/network.h"
#include "topology/topology.h"

namespace sequences {

// A topology file read for the switching checks. The network and the inputs exist only when the
// file has no error (see layout.messages); they live in the analyser's session, so this object
// goes before the analyser does.
struct Substation {
    topology::Topology layout;
    std::unique_ptr<topology::Network> network;
    TopologyInputs inputs;

    bool Usable() const { return network != nullptr; }
};
std::unique_ptr<Substation> ReadSubstation(const std::vector<std::string>& lines,
                                           const interlock::Workspace& ws);

// The network's BDDs live in the analyser's session: build it after the analyser and keep the
// analyser alive while the System lives.
TopologyInputs InputsFrom(topology::Network& network, const interlock::Workspace& ws);

}  // namespace sequences
