#pragma once

// The contents of the printed interlock table, in plain C++: per block its apparatus, state
// signal, the ON and OFF conditions as short formulas with TS names (read from the analysis
// model, not from the raw lines), its problems and requirement results. Texts are
// Windows-1251.

#include <optional>
#include <string>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/requirements.h"
#include "interlock/workspace.h"
#include "topology/topology.h"

namespace ui::report {

// One condition as a reader meets it: a heading, then terms one per line, every term after
// the first starting with the joiner ("И" / "ИЛИ"). Without terms, `sentence` says why
// (never allowed, always allowed, empty logic, an error in the logic).
struct Condition {
    std::string heading;  // "Включение разрешено, если:"
    std::string joiner;
    std::vector<std::string> terms;
    std::string sentence;
};

struct BlockEntry {
    int number = 0;
    std::string name;
    interlock::BlockStatus status = interlock::BlockStatus::Empty;
    std::string stateSignal;  // "S6: включен при ТС6 = 1", or a sentence when there is none
    Condition on, off;
    std::vector<analysis::Problem> problems;
    std::vector<analysis::RequirementResult> requirements;
    // The topology's rules of the block's apparatus and their verdicts, one line each: a rule
    // in words ("Правило 3: ..."), an operation's verdict, a violation's example and path.
    std::vector<std::string> topology;
    std::vector<bool> topologyBad;  // per line: a violation
};

struct Report {
    std::string file;  // as given
    std::string date;  // dd.mm.yyyy
    // The file on disk a signature names: its full path, modification time and SHA-256 (hex);
    // all empty when there is no such file (the table then shows the configuration in memory).
    std::string fullPath, modified, sha256;
    int normal = 0, erroneous = 0, empty = 0;
    int errors = 0, warnings = 0, information = 0;
    std::string requirementsFile;  // empty when none was found
    std::vector<analysis::RequirementError> requirementErrors;
    int proven = 0, refuted = 0, notChecked = 0;
    std::string topologyFile;        // empty when none was found
    topology::Topology topology;     // as read from it: drawn on the sheet after the title page
    std::vector<BlockEntry> blocks;  // the non-empty blocks, in order
};

// The table of the configuration in `ws` (left as it is: the work happens on a copy), with the
// requirements file read from `requirementsPath` (UTF-8; empty or missing: none).
// With `topologyPath` (UTF-8; empty or missing: none) every bound apparatus' sheet gets its
// rules and verdicts.
Report Build(analysis::Analyser& analyser, const interlock::Workspace& ws, const std::string& file,
             const std::string& requirementsPath, const std::string& date,
             const std::string& topologyPath = {});

// One TS value as the reader names it: the apparatus whose state signal it is ("Q1 ... отключен
// (ТС1 = 0)"), or the TS with its name ("ТС12 «Напряжение» = 1").
std::string LiteralText(const interlock::Workspace& ws, const analysis::Literal& l);

// The condition under which the operation of `side` is allowed, in the apparatus state in
// which it governs.
Condition ConditionOf(analysis::Analyser& analyser, const interlock::Workspace& ws, int block,
                      interlock::Side side);

}  // namespace ui::report
