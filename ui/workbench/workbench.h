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
#include "storage/file_places.h"
#include "ui/workbench/step_queue.h"

namespace analysis {
class Analyser;
}

namespace ui {

class Dialogs;
class Document;

// What the main window does for the workbench: it holds the widgets the workspace is shown in.
class WorkbenchHost {
public:
    // Copies the fields into the workspace before a core operation; shows the workspace again.
    virtual void Pull() = 0;
    virtual void Push() = 0;
    // TS values changed outside the main window: the cascade, the TS list, the window again.
    virtual void TsValuesChanged(const interlock::TsCascade& cascade) = 0;
    virtual void ShowLogicLine(int block, interlock::Side side, int line) = 0;
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
    // `places` are the folders of the program's files (one folder: all beside each other),
    // ending in "/", as Windows-1251 text like every path the windows keep (file names become
    // UTF-8 only where a file is opened).
    Workbench(interlock::Workspace& ws, Dialogs& dialogs, storage::FilePlaces places);
    ~Workbench() override;

    interlock::Workspace& Ws() const { return ws_; }
    Dialogs& Boxes() const { return dialogs_; }
    const storage::FilePlaces& Places() const { return places_; }
    // The configuration and its file operations.
    Document& Doc() { return *document_; }

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

    // Runs `operation` between Pull and Push, unless an operation already runs: a box that an
    // operation checks or unchecks runs its handler inside it, and only the outermost call moves
    // data between the widgets and the workspace.
    void RunOperation(const std::function<void()>& operation);
    bool OperationRunning() const { return operationDepth_ > 0; }
    // A call of the running operation waits in the event loop: what the operation did so far is
    // shown and every other handler runs as from the event loop, with its own Pull and Push;
    // afterwards the operation goes on with what the user has changed meanwhile.
    void SuspendOperation();
    void ResumeOperation();
    // Start-up: `step` runs with the fields in the workspace and the handlers it sets off held
    // back; nothing is shown.
    void RunHeldBack(const std::function<void()>& step);
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
    // The size, in bytes of its lines, from which a logic (or a configuration's logics) is shown
    // (loaded) in steps, and the characters a step puts into the editor's document.
    void SetStaging(size_t logicBytes, size_t charactersPerStep) {
        stagedLogicBytes_ = logicBytes;
        charactersPerStep_ = charactersPerStep;
    }
    size_t StagedLogicBytes() const { return stagedLogicBytes_; }
    size_t CharactersPerStep() const { return charactersPerStep_; }
    static constexpr size_t kStagedLogicBytes = 1 << 20;
    static constexpr size_t kCharactersPerStep = 2 << 20;

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
    storage::FilePlaces places_;
    WorkbenchHost* host_ = nullptr;
    size_t stagedLogicBytes_ = kStagedLogicBytes;
    size_t charactersPerStep_ = kCharactersPerStep;
    std::unique_ptr<analysis::Analyser> analyser_;
    int operationDepth_ = 0;
    int suspendedDepth_ = 0;     // operationDepth_ of the operation put aside
    std::thread aside_;          // joined before the analyser is used or destroyed
    bool asideRunning_ = false;  // read and written on the GUI thread only
    StepQueue steps_;
    QTimer* stepTimer_ = nullptr;  // a turn of the event loop between two steps
    std::unique_ptr<Document> document_;
    void RunStep();
};

}  // namespace ui
