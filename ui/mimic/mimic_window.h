#pragma once

// The window "Мнемосхема": the substation's single-line diagram from the topology file beside
// the configuration, live from the TS values, with the verdict lights of every apparatus, and
// the simulator's journal under it. It works over the workbench only; the main window opens it
// (a button on the control panel and F8) and answers its request for the analysis window.
//
// It follows the workbench's refresh signal: a short timer after the main window's refresh
// computes the look again and repaints, so a burst of TS changes costs one repaint and the
// main window never waits for it. The smallest change sets behind the amber lights come after,
// one apparatus per pass of the event loop, so a datagram arriving meanwhile waits for one
// apparatus' answer at most.

#include <QWidget>
#include <deque>
#include <memory>
#include <string>

#include "topology/topology.h"
#include "ui/mimic/mimic_layout.h"
#include "ui/mimic/mimic_look.h"
#include "ui/mimic/mimic_simulator.h"

class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class QTimer;
class QTreeWidget;

namespace ui {
class Workbench;
}

namespace mimic {

class MimicCanvas;

class MimicWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshDelayMs = 15;

    MimicWindow(ui::Workbench& workbench, QWidget* parent = nullptr);
    ~MimicWindow() override;

    // Shows and raises the window, read afresh.
    void Open();
    // Reads the topology file again when it changed, computes the look and repaints.
    void Refresh();
    bool RefreshPending() const;
    // The amber lights and change sets still to find after a refresh; FinishHints finds them now.
    bool HintsPending() const;
    void FinishHints();
    // How long the last refresh took (look and repaint request), in ms.
    double LastRefreshMs() const { return lastRefreshMs_; }

    bool HasTopology() const { return topology_ && !topology_->HasErrors() && !topology_->elements.empty(); }
    const topology::Topology* Topology() const { return topology_.get(); }
    const Layout& Drawn() const { return layout_; }
    const Look& Shown() const { return look_; }
    Simulator& Sim() { return *simulator_; }

    // Where the canvas draws a point of the layout, and back.
    QPointF ToWidget(topology::Point p) const;
    topology::Point ToLayout(QPointF p) const;
    // The symbol at a point of the canvas, -1 for none.
    int SymbolAtWidget(QPointF p) const;
    // The hover text of symbol `symbol` (Windows-1251).
    std::string HintOf(int symbol) const;

    // The operator's actions (public so that the tests reach them as the user does).
    void SymbolClicked(int symbol);
    void SymbolDoubleClicked(int symbol);
    // The right-click menu of a symbol (null for one without operations); the caller shows it.
    QMenu* MenuFor(int symbol, QWidget* parent);
    void SaveClick();
    void LoadClick();
    void StepClick();
    void ClearClick();
    // Saves the mimic as it is now into an SVG or a PDF file chosen in the file dialog.
    void ExportClick(bool pdf);

    MimicCanvas* Canvas = nullptr;
    QLabel* Message_Label = nullptr;  // no topology, or operations not possible now
    QTreeWidget* Journal_Tree = nullptr;
    QPushButton* Save_Button = nullptr;
    QPushButton* Load_Button = nullptr;
    QPushButton* Step_Button = nullptr;
    QPushButton* Clear_Button = nullptr;
    QPushButton* Svg_Button = nullptr;
    QPushButton* Pdf_Button = nullptr;
    QSpinBox* Travel_Spin = nullptr;

signals:
    // A double-click on an apparatus: the analysis window on its block.
    void AnalysisRequested(int block);
    void Refreshed();

private:
    friend class MimicCanvas;
    void ScheduleRefresh();
    void NextHint();
    void ReadTopology();
    void FillJournal();
    void UpdateActions();
    int ElementOfSymbol(int symbol) const;

    ui::Workbench& workbench_;
    std::unique_ptr<topology::Topology> topology_;
    std::string file_, bytes_, error_;
    Layout layout_;
    Look look_;
    Simulator* simulator_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    QTimer* hintTimer_ = nullptr;
    std::deque<int> hints_;  // elements whose next operation's change sets are still to find
    double lastRefreshMs_ = 0;
};

// The drawing: PaintMimic over the whole widget, hover hints, clicks and the menu.
class MimicCanvas : public QWidget {
    Q_OBJECT
public:
    explicit MimicCanvas(MimicWindow& window);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    MimicWindow& window_;
};

}  // namespace mimic
