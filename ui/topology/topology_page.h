#pragma once

// The page "Топология" of the analysis window: every apparatus of the topology file beside the
// configuration (NAME.top) with its rules and verdicts. A violation's counterexample applies as
// TS values under the same rule as the window's other apply actions; a double-click shows the
// block's logic at its V line. The page follows the window's refreshes while it is visible;
// the proofs run again only when a logic, a state signal, the pairs or the file changed.

#include <QWidget>
#include <memory>
#include <string>

#include "topology/proof.h"
#include "ui/model/analysis_pages.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace ui {

class Workbench;
class TForm_Analysis;

class TopologyPage : public QWidget {
    Q_OBJECT
public:
    TopologyPage(Workbench& workbench, TForm_Analysis& analysisWindow, QWidget* parent);
    ~TopologyPage() override;

    QTreeWidget* Tree = nullptr;
    QLabel* Heading = nullptr;
    QPushButton* Apply_Button = nullptr;
    const Page& Shown() const { return shown_; }

    void refresh();
    void ApplyClick();
    void RowDoubleClick(int row);
    void UpdateActions();

private:
    void Fill(Page page);

    Workbench& workbench_;
    TForm_Analysis& analysis_;
    std::string file_, bytes_, error_;
    std::unique_ptr<topology::Topology> topology_;
    topology::ProofCache cache_;
    Page shown_;
    bool filled_ = false;
};

// The page, following `analysisWindow`'s refreshes; the window adds it as a tab.
QWidget* CreateTopologyPage(Workbench& workbench, TForm_Analysis& analysisWindow, QWidget* parent);

}  // namespace ui
