#pragma once

// The analysis part of the headless check (`--analyse`): for every reported block the answers
// of the analysis engine, added to the JSON report as "analysis" and to the readable report as
// one line per finding. Without it the check's output stays exactly as it is.

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis/analyser.h"
#include "interlock/workspace.h"
#include "tools/check_report.h"

namespace check {

struct AnalysisResult {
    std::map<int, analysis::BlockAnalysis> blocks;  // by block number, for the reported blocks
    std::optional<int> whereTs;                     // --where N
    std::vector<analysis::Use> whereUsed;
    bool hasErrorClass = false;  // a problem of the error class among the reported blocks
};

// Runs after RunCheck on the same workspace (its blocks recalculated with the request's values).
AnalysisResult RunAnalysis(analysis::Analyser& analyser, const interlock::Workspace& ws,
                           const CheckResult& check, std::optional<int> whereTs);

// Adds "analysis" to every block of the JSON report and, with --where, "where_used".
void AddToJson(nlohmann::ordered_json& report, const AnalysisResult& result);

// One UTF-8 line per finding, in block order, then the where-used lines, written to `out` as
// they are made (a long logic may have hundreds of thousands).
void WriteAnalysisText(std::ostream& out, const CheckResult& check, const AnalysisResult& result);

}  // namespace check
