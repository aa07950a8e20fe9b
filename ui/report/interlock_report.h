#pragma once

// The printed interlock table: an A4 PDF in Russian, a title page with the counts and the
// signatures, then one sheet per non-empty block with its conditions, diagrams, problems and
// requirement results.

#include <memory>
#include <string>
#include <vector>

#include "interlock/workspace.h"
#include "ui/model/report_model.h"

class QIODevice;
class QPagedPaintDevice;

namespace analysis {
class Analyser;
}

namespace ui::report {

// Where the blocks' sheets fall: the contents and the "Лист N из M" of every sheet need it before
// the sheets are painted, so the table is painted twice.
struct Pagination {
    int total = 0;               // 0: not known yet
    std::vector<int> blockPage;  // the first sheet of each block of the report, in order
};

// Paints the table onto a PDF written into `device`, numbering the sheets as `known` says, and
// reports where they fell into `found`; false when the writer could not start.
bool PaintPdf(const Report& r, const interlock::Workspace& ws, QIODevice& device,
              const Pagination& known = {}, Pagination* found = nullptr);
// The same onto any paged device: a printer is set to A4 at the table's resolution.
bool PaintPages(const Report& r, const interlock::Workspace& ws, QPagedPaintDevice& device,
                const Pagination& known = {}, Pagination* found = nullptr);

// The table ready to paint: its contents, the recalculated copy of the configuration its
// diagrams read, and where its sheets fall.
struct PreparedTable {
    Report report;
    std::shared_ptr<interlock::Workspace> ws;
    Pagination pages;
    bool ready = false;  // false: the sheets could not be laid out
};
PreparedTable PrepareInterlockTable(const interlock::Workspace& ws, const std::string& configPath,
                                    analysis::Analyser* analyser = nullptr,
                                    const std::string& requirementsPath = {},
                                    const sequences::SwitchingForm* form = nullptr);
// Paints a prepared table onto a printer (the print dialog's or the preview's); false when it
// could not.
bool PrintInterlockTable(const PreparedTable& table, QPagedPaintDevice& printer);

// The table of the configuration in `ws` into the PDF file `outPath` (UTF-8), replaced only
// when complete. `configPath` is the configuration's name as the program keeps it
// (Windows-1251); its requirements file is looked for beside it. Without an analyser one is
// opened for the call; `requirementsPath` (UTF-8) names another requirements file. Empty
// result: success; otherwise the reason.
// With `form` the table ends with that checked switching program as a form.
std::string WriteInterlockTable(const interlock::Workspace& ws, const std::string& configPath,
                                const std::string& outPath, analysis::Analyser* analyser = nullptr,
                                const std::string& requirementsPath = {},
                                const sequences::SwitchingForm* form = nullptr);

}  // namespace ui::report
