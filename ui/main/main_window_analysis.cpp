// The main window's side of the analysis window: F9, the right-click menus that open it, the
// TS values it applies and the places it shows.

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>

#include "ui/analysis/analysis_form.h"
#include "ui/main/main_window.h"
#include "ui/widgets/qt_text.h"
#include "ui/widgets/signal_grids.h"
#include "ui/main/ts_captions_form.h"
#include "ui/widgets/ts_list_grid.h"

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

void TForm1::SetUpAnalysisWindow() {
    analysisForm_ = new TForm_Analysis(workbench_, this);
    auto* f9 = new QShortcut(QKeySequence(Qt::Key_F9), this);
    connect(f9, &QShortcut::activated, analysisForm_, &TForm_Analysis::Open);
    Top_Label6->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Top_Label6, &QWidget::customContextMenuRequested, this, &TForm1::VerdictContextMenu);
    TS_Grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TS_Grid, &QWidget::customContextMenuRequested, this, &TForm1::TsGridContextMenu);
    tsCaptionsForm_->StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tsCaptionsForm_->StringGrid1, &QWidget::customContextMenuRequested, this,
            &TForm1::TsListContextMenu);
}

void TForm1::VerdictContextMenu(QPoint pos) {
    PopUp(Top_Label6, pos, AnalysisPageTexts().analysisMenu,
          [this] { analysisForm_->OpenPage(TForm_Analysis::Why); });
}

void TForm1::TsGridContextMenu(QPoint pos) {
    for (int col = 1; col < TS_Grid->ColumnCount(); ++col) {
        if (!TS_Grid->CellRect(col, 0).united(TS_Grid->CellRect(col, 1)).contains(pos)) continue;
        const int ts = TS_Grid->Cell(col, 0).toInt();
        if (ts < 1 || ts > interlock::kTsCount) return;
        PopUp(TS_Grid, pos, AnalysisPageTexts().whereMenu + " " + std::to_string(ts),
              [this, ts] { analysisForm_->ShowWhereUsed(ts); });
        return;
    }
}

void TForm1::TsListContextMenu(QPoint pos) {
    TsListGrid* grid = tsCaptionsForm_->StringGrid1;
    const QModelIndex index = grid->indexAt(pos);
    if (!index.isValid()) return;
    const int ts = std::atoi(grid->CellText(kTsNumberColumn, index.row() + 1).c_str());
    if (ts < 1 || ts > interlock::kTsCount) return;
    PopUp(grid->viewport(), pos, AnalysisPageTexts().whereMenu + " " + std::to_string(ts),
          [this, ts] { analysisForm_->ShowWhereUsed(ts); });
}

void TForm1::ShowLogicLine(int block, interlock::Side side, int line) {
    if (block < 1 || block > interlock::kBlockCount) return;
    workbench_.FinishLoad();
    const int group = (block - 1) / 16;
    if (group != ws_.TabGroup) GroupTabClick(group);
    if (ws_.CurrentBlock != block) BlockTabClick(block - 16 * group);
    if (ws_.CurrentView != side) ViewTabClick(side);
    workbench_.Finish();
    if (line > 0) {
        const QTextBlock text = Logic->document()->findBlockByNumber(line - 1);
        if (text.isValid()) {
            Logic->setTextCursor(QTextCursor(text));
            Logic->ensureCursorVisible();
        }
    }
    raise();
    activateWindow();
    Logic->setFocus();
}

}  // namespace ui
