#include "ui/topology/topology_page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "interlock/cp1251.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "topology/topology_texts.h"
#include "ui/analysis/analysis_form.h"
#include "ui/workbench/workbench.h"
#include "ui/topology/topology_rows.h"
#include "ui/widgets/colours.h"
#include "ui/widgets/qt_text.h"

namespace ui {
namespace {

QString Q(const std::string& cp1251Text) { return ToQString(cp1251Text); }

}  // namespace

TopologyPage::TopologyPage(Workbench& workbench, TForm_Analysis& analysisWindow, QWidget* parent)
    : QWidget(parent), workbench_(workbench), analysis_(analysisWindow) {
    setObjectName("Topology_Page");
    auto* box = new QVBoxLayout(this);
    Heading = new QLabel(this);
    Heading->setWordWrap(true);
    Heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Tree = new QTreeWidget(this);
    Tree->setRootIsDecorated(false);
    Tree->setUniformRowHeights(true);
    Tree->setAlternatingRowColors(true);
    box->addWidget(Heading);
    box->addWidget(Tree, 1);
    auto* actions = new QHBoxLayout;
    box->addLayout(actions);
    Apply_Button = new QPushButton(Q(AnalysisPageTexts().apply), this);
    actions->addWidget(Apply_Button);
    actions->addStretch(1);
    connect(Apply_Button, &QPushButton::clicked, this, &TopologyPage::ApplyClick);
    connect(Tree, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { RowDoubleClick(Tree->indexOfTopLevelItem(item)); });
    connect(Tree, &QTreeWidget::currentItemChanged, this, &TopologyPage::UpdateActions);
}

TopologyPage::~TopologyPage() = default;

void TopologyPage::refresh() {
    if (!isVisible()) return;
    const interlock::Workspace& ws = workbench_.Ws();
    // The file beside the configuration, read again each time: it is small, and an edit of it
    // must show without reopening the configuration.
    const std::string file = topology::TopologyFileFor(cp1251::ToUtf8(ws.ConfigFileName));
    storage::ReadResult read = storage::ReadWholeFile(file);
    const std::string error = read ? std::string() : read.error;
    if (!topology_ || file != file_ || read.bytes != bytes_ || error != error_) {
        file_ = file;
        bytes_ = read.bytes;
        error_ = error;
        topology_ = std::make_unique<topology::Topology>(
            error.empty() ? topology::ReadTopology(storage::SplitLines(bytes_), ws) : topology::Topology{});
        cache_.Invalidate();
    }
    cache_.Refresh(analysis_.Analyser(), ws, *topology_);
    // Filled every time (an unchanged page costs a comparison): the example texts read TS names.
    Fill(TopologyRows(cp1251::FromUtf8(file_), error_, *topology_, cache_.Results(), ws));
    UpdateActions();
}

void TopologyPage::Fill(Page page) {
    if (filled_ && page == shown_) return;
    Heading->setText(Q(page.rows.empty() ? page.heading + "\n" + page.empty : page.heading));
    const int current = Tree->currentItem() ? Tree->indexOfTopLevelItem(Tree->currentItem()) : -1;
    const QSignalBlocker block(Tree);
    QStringList labels;
    for (const std::string& c : page.columns) labels << Q(c);
    Tree->clear();
    Tree->setColumnCount(static_cast<int>(labels.size()));
    Tree->setHeaderLabels(labels);
    for (const PageRow& row : page.rows) {
        auto* item = new QTreeWidgetItem(Tree);
        for (int c = 0; c < static_cast<int>(row.cells.size()); ++c) {
            item->setText(c, Q(row.cells[static_cast<size_t>(c)]));
            if (row.emphasised) item->setForeground(c, QBrush(ToQColor(interlock::colour::kRed)));
        }
    }
    for (int c = 0; c < Tree->columnCount(); ++c) Tree->resizeColumnToContents(c);
    const int count = static_cast<int>(page.rows.size());
    if (current >= 0 && current < count) Tree->setCurrentItem(Tree->topLevelItem(current));
    shown_ = std::move(page);
    filled_ = true;
}

void TopologyPage::UpdateActions() {
    const ApplyGate gate = ApplyAllowed(workbench_.TsEditRefusal(interlock::TsEdit::Applied));
    const int row = Tree->currentItem() ? Tree->indexOfTopLevelItem(Tree->currentItem()) : -1;
    const bool hasValues = row >= 0 && row < static_cast<int>(shown_.rows.size()) &&
                           !shown_.rows[static_cast<size_t>(row)].apply.empty();
    Apply_Button->setEnabled(gate.allowed && hasValues);
    Apply_Button->setToolTip(Q(!gate.allowed ? gate.reason
                               : hasValues   ? std::string()
                                             : AnalysisPageTexts().noApplyRow));
}

void TopologyPage::ApplyClick() {
    const ApplyGate gate = ApplyAllowed(workbench_.TsEditRefusal(interlock::TsEdit::Applied));
    const int row = Tree->currentItem() ? Tree->indexOfTopLevelItem(Tree->currentItem()) : -1;
    if (!gate.allowed || row < 0 || row >= static_cast<int>(shown_.rows.size())) return;
    std::vector<std::pair<int, int>> values;
    for (const TsValue& v : shown_.rows[static_cast<size_t>(row)].apply) values.emplace_back(v.ts, v.value);
    if (values.empty()) return;
    workbench_.ApplyTsValues(values);
    refresh();
}

void TopologyPage::RowDoubleClick(int row) {
    if (row < 0 || row >= static_cast<int>(shown_.rows.size())) return;
    const Place& place = shown_.rows[static_cast<size_t>(row)].place;
    if (place.block < 1 || place.block > interlock::kBlockCount) return;
    workbench_.ShowLogicLine(place.block, place.side.value_or(workbench_.Ws().CurrentView), place.line);
}

QWidget* CreateTopologyPage(Workbench& workbench, TForm_Analysis& analysisWindow, QWidget* parent) {
    auto* page = new TopologyPage(workbench, analysisWindow, parent);
    QObject::connect(&analysisWindow, &TForm_Analysis::Refreshed, page, &TopologyPage::refresh);
    return page;
}

}  // namespace ui
