#pragma once

// Switching sequences in the headless check: what the interlocks let an operator reach
// (--reach), the shortest switching program to a target (--plan), a written program checked
// step by step (--program), with the other TS held (--hold-ts) or free (--free-ts); and the
// invariants of a requirements file proven over the reachable states.

#include <map>
#include <memory>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "analysis/analyser.h"
#include "interlock/workspace.h"
#include "sequences/substation.h"
#include "sequences/transition_system.h"
#include "tools/check_proofs.h"
#include "storage/config_text.h"
#include "tools/ci_reports.h"

namespace check {

struct SequenceRequest {
    std::string reach;    // a condition, as in a requirements file
    std::string plan;     // a condition
    std::string program;  // a program file
    std::string from;     // with --reach: start from every state satisfying this condition
    sequences::FieldSpec field;
    std::string topology;     // a topology file; empty: NAME.top beside the configuration, if any
    bool hazards = false;     // only the hazards of the topology
    bool noTopology = false;  // leave the topology beside the configuration out

    bool Any() const { return !reach.empty() || !plan.empty() || !program.empty() || hazards; }
};

// The topology of the switching checks: `file`, or else NAME.top beside the configuration when
// there is one (none: `out` stays empty). False, with the messages on err, when the file cannot
// be read or has errors.
bool LoadSubstation(const std::string& file, const std::string& config, const interlock::Workspace& ws,
                    std::unique_ptr<sequences::Substation>& out, std::ostream& err);

// Runs the checks asked for on the configuration in `ws`; the report goes to out (text or
// JSON), bad input to err. Exit status: 0 when every target is reachable and the program is
// clean, 1 otherwise (also for "undetermined"), 2 for a malformed condition or an unreadable file.
int RunSequences(const SequenceRequest& request, analysis::Analyser& analyser, const interlock::Workspace& ws,
                 const std::string& config, const storage::ConfigLocations& where, bool json,
                 std::ostream& out, std::ostream& err, FileFindings* findings);

// Proves the NEVER REACHABLE / ALWAYS requirements of a report over the reachable states; a
// refuted one gets its shortest sequence to the violation as its reason.
// With a topology its indicators follow the positions.
void ProveInvariants(analysis::Analyser& analyser, const interlock::Workspace& ws,
                     const sequences::FieldSpec& field, RequirementsReport& report,
                     const sequences::TopologyInputs& topology = {});

}  // namespace check
