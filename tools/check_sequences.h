#pragma once

// Switching sequences in the headless check: what the interlocks let an operator reach
// (--reach), the shortest switching program to a target (--plan), a written program checked
// step by step (--program), with the other TS held (--hold-ts) or free (--free-ts); and the
// invariants of a requirements file proven over the reachable states.

#include <map>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "analysis/analyser.h"
#include "interlock/workspace.h"
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

    bool Any() const { return !reach.empty() || !plan.empty() || !program.empty(); }
};

// Runs the checks asked for on the configuration in `ws`; the report goes to out (text or
// JSON), bad input to err. Exit status: 0 when every target is reachable and the program is
// clean, 1 otherwise (also for "undetermined"), 2 for a malformed condition or an unreadable file.
int RunSequences(const SequenceRequest& request, analysis::Analyser& analyser, const interlock::Workspace& ws,
                 const std::string& config, const storage::ConfigLocations& where, bool json,
                 std::ostream& out, std::ostream& err, FileFindings* findings);

// Proves the NEVER REACHABLE / ALWAYS requirements of a report over the reachable states; a
// refuted one gets its shortest sequence to the violation as its reason.
void ProveInvariants(analysis::Analyser& analyser, const interlock::Workspace& ws,
                     const sequences::FieldSpec& field, RequirementsReport& report);

}  // namespace check
