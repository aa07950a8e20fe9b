#pragma once

// The proofs of the headless check: requirements proven or refuted (`--requirements`,
// `--prove`) and the behaviour diff of two configurations (`--diff`), as readable text and JSON.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis/diff.h"
#include "analysis/requirements.h"
#include "interlock/workspace.h"

namespace check {

struct RequirementsReport {
    std::string file;  // the requirements file, UTF-8
    analysis::RequirementsFile parsed;
    std::vector<analysis::RequirementResult> results;

    // Every requirement proven and the file without malformed lines.
    bool AllProven() const;
};

nlohmann::ordered_json RequirementsJson(const RequirementsReport& r, const interlock::Workspace& ws);
std::string RequirementsText(const RequirementsReport& r, const interlock::Workspace& ws);

// A = the other configuration (before), B = the checked one (after).
nlohmann::ordered_json DiffJson(const analysis::DiffResult& d, const interlock::Workspace& a,
                                const interlock::Workspace& b);
std::string DiffText(const analysis::DiffResult& d, const interlock::Workspace& a,
                     const interlock::Workspace& b);

// "ТС5=1 (Q1), ТС7=0": a partial assignment with the names known in `ws`, UTF-8. A TS of
// `flipped` (read inverted by B of a diff) also gets its value in B's reading:
// "ТС5=1 {в B: ТС5=0}", and "value_b" in JSON.
std::string CubeText(const analysis::Cube& cube, const interlock::Workspace& ws,
                     const std::vector<int>& flipped = {});
nlohmann::ordered_json CubeJson(const analysis::Cube& cube, const interlock::Workspace& ws,
                                const std::vector<int>& flipped = {});

const char* VerdictName(analysis::Verdict v);  // "proven", "refuted", "not_checked", "undetermined"

}  // namespace check
