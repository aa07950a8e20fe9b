#pragma once

// Workbench: what every window of the program shares, created in main beside the workspace.
// It owns nothing on screen; the windows take it instead of reaching into the main window:
// the workspace and the dialogs, the process's one analyser, the operator's TS-edit rule, the
// steps a large load or logic runs in and the one way to finish them, "show this block, side
// and line", and the signals the windows follow.

#include <QObject>

class QTimer;
class QWidget;
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "interlock/ts_cascade.h"
#include "interlock/ts_edit_rule.h"
#include "interlock/workspace.h"
#include "storage/config_text.h"
#include "ui/workbench/step_queue.h"

namespace analysis {
class Analyser;
}

namespace ui {

class Dialogs;

// What the main window does for the workbench: it holds the widgets the workspace is shown in.
class WorkbenchHost {
public:
    // Copies the fields into the workspace before a core operation; shows the workspace again.
    virtual void Pull() = 0;
    virtual void Push() = 0;
    // TS values changed outside the main window: the cascade, the TS list, the window again.
    virtual void TsValuesChanged(const interlock::TsCascade& cascade) = 0;
    virtual void ShowLogicLine(int block, interlock::Side side, int line) = 0;
    virtual void ApplyViewerText(const storage::Lines& lines) = 0;
    // What the TS-edit rule looks at, as the controls show it now.
    virtual interlock::TsEditState TsEditState() const = 0;
    // The main window itself, for placing other windows beside it.
    virtual QWidget* MainWidget() = 0;

protected:
    ~WorkbenchHost() = default;
};

class Workbench : public QObject {
    Q_OBJECT
public:
    Workbench(interlock::Workspace& ws, Dialogs& dialogs);
    ~Workbench() override;

    interlock::Workspace& Ws() const { return ws_; }
    Dialogs& Boxes() const { return dialogs_; }

    // The process's one analysis engine (one BDD session per process), opened on first use.
    // On the GUI thread; it first waits for a job aside (below) to end.
    analysis::Analyser& Analyser();

    // Work on the analyser off the event loop. The BDD library keeps its state process-wide and
    // is not thread-safe, so the analyser has one user at a time: a job started here has it to
    // itself on a worker thread, and every Analyser() call on the GUI thread waits for the job
    // to end first. The job works on its own copy of what it reads and returns what to do with
    // its answer, which runs on the GUI thread after the worker has ended (not at all when the
    // workbench goes first). False (nothing started) while another job runs, or inside a nested
    // event loop (a modal box), where a caller may still hold diagrams of its own.
    using AsideJob = std::function<std::function<void()>(analysis::Analyser&)>;
    bool AnalyseAside(AsideJob job);
    bool AnalysingAside() const { return asideRunning_; }  // until its answer is handed over
    void WaitForAnalysis();

    // The main window attaches itself while it exists; without it the requests do nothing.
    void Attach(WorkbenchHost* host) { host_ = host; }
    QWidget* MainWidget() const { return host_ ? host_->MainWidget() : nullptr; }

    void Pull();
    void Push();
    void TsValuesChanged(const interlock::TsCascade& cascade);
    void ApplyViewerText(const storage::Lines& lines);

    // The staged load and editor steps, one queue: the event loop runs a step a turn. No input
    // acts on a half-shown logic: a key or mouse press on any of the program's windows first
    // runs the steps left (the one event filter).
    void PostStep(StepOwner owner, StepQueue::Step step);
    void CancelSteps(StepOwner owner) { steps_.Cancel(owner); }
    bool StepsPending() const { return steps_.Pending(); }
    bool StepsPending(StepOwner owner) const { return steps_.Pending(owner); }
    void FinishLoad() {
        steps_.Finish(StepOwner::Load);
    }                                   // the workspace complete: blocks read are recalculated
    void Finish() { steps_.Finish(); }  // every step left, the editor's included

    // The operator's TS-edit rule, asked of the controls as they are now.
    interlock::TsEditRefusal TsEditRefusal(interlock::TsEdit edit) const;
    bool MayEditTs(interlock::TsEdit edit) const {
        return TsEditRefusal(edit) == interlock::TsEditRefusal::None;
    }
    // Sets TS values as an operator's edit applied at once (n, value): nothing happens unless the
    // rule allows it; the second TS of a pair fed by the server is left alone.
    void ApplyTsValues(const std::vector<std::pair<int, int>>& values);

    // Shows block `block` (1..32) on side `side` with the cursor on line `line` (from 1; 0: none).
    void ShowLogicLine(int block, interlock::Side side, int line);

    // Called by the main window: it has shown the workspace again; the TS-edit rule's controls
    // (the check box, a reception) may have changed.
    void NotifyRefreshed() { emit Refreshed(); }
    void NotifyTsEditChanged() { emit TsEditChanged(); }

signals:
    void Refreshed();
    void TsEditChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    interlock::Workspace& ws_;
    Dialogs& dialogs_;
    WorkbenchHost* host_ = nullptr;
    std::unique_ptr<analysis::Analyser> analyser_;
    std::thread aside_;          // joined before the analyser is used or destroyed
    bool asideRunning_ = false;  // read and written on the GUI thread only
    StepQueue steps_;
    QTimer* stepTimer_ = nullptr;  // a turn of the event loop between two steps
    void RunStep();
};

}  // namespace ui
