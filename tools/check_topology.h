#pragma once

// The topology check of the headless checker (`--topology`): the file's messages and the
// verdict of every operation of every bound apparatus, as readable text, JSON and CI findings.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "interlock/workspace.h"
#include "storage/config_text.h"
#include "tools/ci_reports.h"
#include "topology/proof.h"

namespace check {

struct TopologyReport {
    std::string file;  // the topology file, as named
    topology::Topology topology;
    std::vector<topology::OperationResult> results;

    // Every operation complies and the file has no error.
    bool AllComply() const;
};

// Reads the file and proves every operation; false (with a message on `error`) when the file
// cannot be read. `analyser` must be up to date with `ws`.
bool RunTopology(analysis::Analyser& analyser, const interlock::Workspace& ws, const std::string& file,
                 TopologyReport& report, std::string& error);

nlohmann::ordered_json TopologyJson(const TopologyReport& r, const interlock::Workspace& ws);
std::string TopologyText(const TopologyReport& r, const interlock::Workspace& ws);
// A result per violation at the logic's V line; a test case per apparatus and operation.
void AddTopologyFindings(const TopologyReport& r, const interlock::Workspace& ws,
                         const storage::ConfigLocations& where, FileFindings& f);

}  // namespace check
