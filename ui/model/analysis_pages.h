#pragma once

// What the pages of the analysis window show, as plain values: a heading, column titles and
// rows, each row with the place a double-click shows and the TS values an apply action sets.
// The window only translates these into widgets. Texts are Windows-1251.

#include <optional>
#include <string>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/diff.h"
#include "analysis/requirements.h"
#include "interlock/ts_edit_rule.h"
#include "interlock/workspace.h"
#include "ui/model/analysis_page_texts.h"

namespace ui {

// One TS value an apply action sets (the second TS of a pair follows its first).
struct TsValue {
    int ts = 0;
    int value = 0;

    bool operator==(const TsValue&) const = default;
};

// Where a double-click on a row lands: a block, and within it a side and a line (0: none).
struct Place {
    int block = 0;  // 0: the row shows nothing in the main window
    std::optional<interlock::Side> side;
    int line = 0;

    bool operator==(const Place&) const = default;
};

struct PageRow {
    std::vector<std::string> cells;
    Place place;
    std::vector<TsValue> apply;  // empty: the row has nothing to apply
    bool emphasised = false;     // an error, a refuted requirement, a different logic

    bool operator==(const PageRow&) const = default;
};

struct Page {
    std::string heading;  // one or a few lines above the rows
    std::vector<std::string> columns;
    std::vector<PageRow> rows;
    std::string empty;  // said in words when there are no rows

    bool operator==(const Page&) const = default;
};

// "Почему запрещено": the governing operation of the current block, its verdict and the
// smallest sets of TS changes that allow it, one row per set with the values to apply.
Page WhyPage(analysis::Analyser& analyser, const interlock::Workspace& ws);

// "Недостоверность": the decisive unreliable TS of the governing logic beside every unreliable
// TS that logic reads.
Page UnreliablePage(analysis::Analyser& analyser, const interlock::Workspace& ws);

// "Проблемы": the analyser's problem list as of its last update.
Page ProblemsPage(const analysis::Analyser& analyser, const interlock::Workspace& ws);

// The blocks' own errors, as the main window paints their tabs red: a text error of either
// logic (with its line), a missing state signal, an invalid two-position state signal.
std::vector<analysis::Problem> BlockErrors(const interlock::Workspace& ws);

// The logic that governs block `block` now (OFF while its apparatus is on), or `fallback` when
// its state is unknown: what a row without a side of its own shows.
interlock::Side GoverningSide(const interlock::Workspace& ws, int block, interlock::Side fallback);

// "Требования": the results of a requirements file, its malformed lines first.
Page RequirementsPage(const std::string& file, const analysis::RequirementsFile& parsed,
                      const std::vector<analysis::RequirementResult>& results,
                      const interlock::Workspace& ws);

// "Сравнение": per block and side, equivalent or the witness with both verdicts.
Page ComparePage(const std::string& file, const analysis::DiffResult& diff, const interlock::Workspace& a,
                 const interlock::Workspace& b);

// "Где используется": every block, side and line that reads TS ts.
Page WhereUsedPage(const analysis::Analyser& analyser, const interlock::Workspace& ws, int ts);

// Whether an apply action may change TS values now, and why not, from the operator's TS-edit
// rule for values applied at once (interlock::TsEditRule).
struct ApplyGate {
    bool allowed = false;
    std::string reason;  // the tooltip of a disabled action
};
ApplyGate ApplyAllowed(interlock::TsEditRefusal refusal);

// The values `changes` sets in the table: a pair's second TS takes the complement of its first.
std::vector<TsValue> ExpandPairs(const interlock::TsTableData& table, const std::vector<TsValue>& changes);

// "ТС5 (Name) = 1" lists.
std::string TsText(const interlock::TsTableData& table, int ts);

}  // namespace ui
