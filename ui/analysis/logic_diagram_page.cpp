#include "ui/analysis/logic_diagram_page.h"

#include "ui/analysis/analysis_form.h"
#include "ui/report/logic_diagram.h"
#include "ui/workbench/workbench.h"

namespace ui {

// The diagram follows the analysis window: it is drawn anew after each of the window's
// refreshes (at most once per burst of changes) while it is the page on view; another page on
// view costs it nothing, and it catches up when it is shown.
QWidget* CreateAnalysisDiagramPage(Workbench& workbench, TForm_Analysis& analysisWindow, QWidget* parent) {
    auto* page = new LogicDiagramPage(workbench.Ws(), &workbench.Boxes(), parent);
    QObject::connect(&analysisWindow, &TForm_Analysis::Refreshed, page, [page] {
        if (page->isVisible()) page->refresh();
    });
    // A gate or an input shows its line in the editor; a TS input's menu, where it is used.
    QObject::connect(page, &LogicDiagramPage::LineClicked, &workbench, [&workbench](int line) {
        const interlock::Workspace& ws = workbench.Ws();
        workbench.ShowLogicLine(ws.CurrentBlock, ws.CurrentView, line);
    });
    QObject::connect(page, &LogicDiagramPage::WhereUsedRequested, &analysisWindow,
                     &TForm_Analysis::ShowWhereUsed);
    return page;
}

}  // namespace ui
