#pragma once

// What the page "Топология" of the analysis window shows, as plain values: one row per
// operation of every bound apparatus, and one more per rule it breaks; a violation's row applies
// its counterexample (with the operated apparatus in the position the proof held it) and a
// double-click shows the block's logic at its V line. Texts are Windows-1251.

#include <string>
#include <vector>

#include "topology/proof.h"
#include "ui/model/analysis_pages.h"

namespace ui {

// `file`: the topology file as named; `error`: why it could not be read (no rows then).
Page TopologyRows(const std::string& file, const std::string& error, const topology::Topology& t,
                  const std::vector<topology::OperationResult>& results, const interlock::Workspace& ws);

}  // namespace ui
