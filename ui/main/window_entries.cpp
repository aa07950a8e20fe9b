#include "ui/main/window_entries.h"

#include <QLabel>
#include <QMenu>
#include <QShortcut>

#include <cstdlib>
#include <functional>
#include <string>

#include "ui/analysis/analysis_form.h"
#include "ui/mimic/mimic_window.h"
#include "ui/widgets/color_button.h"
#include "ui/widgets/qt_text.h"
#include "ui/widgets/signal_grids.h"
#include "ui/widgets/ts_list_grid.h"
#include "ui/workbench/workbench.h"

namespace ui {

namespace {

// A menu of one action at `pos` of `widget`; it deletes itself once closed.
void PopUp(QWidget* widget, QPoint pos, const std::string& text, std::function<void()> action) {
    auto* menu = new QMenu(widget);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName("Analysis_Menu");
    QObject::connect(menu->addAction(ToQString(text)), &QAction::triggered, widget, std::move(action));
    menu->popup(widget->mapToGlobal(pos));
}

}  // namespace

WindowEntries::WindowEntries(Workbench& workbench, TForm_Analysis& analysis, mimic::MimicWindow& mimic,
                             const Widgets& w)
    : QObject(w.window), workbench_(workbench), analysis_(analysis), w_(w) {
    auto* f9 = new QShortcut(QKeySequence(Qt::Key_F9), w_.window);
    connect(f9, &QShortcut::activated, &analysis_, &TForm_Analysis::Open);
    w_.verdict->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w_.verdict, &QWidget::customContextMenuRequested, this, &WindowEntries::VerdictMenu);
    w_.tsGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w_.tsGrid, &QWidget::customContextMenuRequested, this, &WindowEntries::TsGridMenu);
    w_.tsList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w_.tsList, &QWidget::customContextMenuRequested, this, &WindowEntries::TsListMenu);

    connect(w_.mimicButton, &TColorButton::onclick, &mimic, &mimic::MimicWindow::Open);
    auto* f8 = new QShortcut(QKeySequence(Qt::Key_F8), w_.window);
    connect(f8, &QShortcut::activated, &mimic, &mimic::MimicWindow::Open);
    connect(&mimic, &mimic::MimicWindow::AnalysisRequested, this, [this](int block) {
        workbench_.ShowLogicLine(block, workbench_.Ws().CurrentView, 0);
        analysis_.OpenPage(TForm_Analysis::Why);
    });
}

void WindowEntries::VerdictMenu(QPoint pos) {
    PopUp(w_.verdict, pos, AnalysisPageTexts().analysisMenu,
          [this] { analysis_.OpenPage(TForm_Analysis::Why); });
}

void WindowEntries::TsGridMenu(QPoint pos) {
    TsGridWidget* grid = w_.tsGrid;
    for (int col = 1; col < grid->ColumnCount(); ++col) {
        if (!grid->CellRect(col, 0).united(grid->CellRect(col, 1)).contains(pos)) continue;
        const int ts = grid->Cell(col, 0).toInt();
        if (ts < 1 || ts > interlock::kTsCount) return;
        PopUp(grid, pos, AnalysisPageTexts().whereMenu + " " + std::to_string(ts),
              [this, ts] { analysis_.ShowWhereUsed(ts); });
        return;
    }
}

void WindowEntries::TsListMenu(QPoint pos) {
    TsListGrid* grid = w_.tsList;
    const QModelIndex index = grid->indexAt(pos);
    if (!index.isValid()) return;
    const int ts = std::atoi(grid->CellText(kTsNumberColumn, index.row() + 1).c_str());
    if (ts < 1 || ts > interlock::kTsCount) return;
    PopUp(grid->viewport(), pos, AnalysisPageTexts().whereMenu + " " + std::to_string(ts),
          [this, ts] { analysis_.ShowWhereUsed(ts); });
}

}  // namespace ui
