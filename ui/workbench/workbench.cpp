#include "ui/workbench/workbench.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>

#include "analysis/analyser.h"
#include "analysis/bdd_session.h"
#include "ui/workbench/document.h"

namespace ui {

Workbench::Workbench(interlock::Workspace& ws, Dialogs& dialogs, storage::FilePlaces places)
    : ws_(ws), dialogs_(dialogs), places_(std::move(places)) {
    stepTimer_ = new QTimer(this);
    stepTimer_->setSingleShot(true);
    stepTimer_->setInterval(0);
    connect(stepTimer_, &QTimer::timeout, this, &Workbench::RunStep);
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
    document_ = std::make_unique<Document>(*this);
}

Workbench::~Workbench() { WaitForAnalysis(); }

analysis::Analyser& Workbench::Analyser() {
    WaitForAnalysis();
    if (!analyser_) {
        analyser_ = std::make_unique<analysis::Analyser>(analysis::BddSession::kDefaultMaxNodes,
                                                         analysis::Analyser::InitialNodesFor(ws_));
    }
    return *analyser_;
}

bool Workbench::AnalyseAside(AsideJob job) {
    if (asideRunning_) return false;
    // A modal box's loop runs inside a handler that may still hold diagrams of its own, whose
    // release would race with the worker.
    if (QThread::currentThread()->loopLevel() > 1) return false;
    analysis::Analyser& analyser = Analyser();  // opened here, and the last job joined
    asideRunning_ = true;
    aside_ = std::thread([this, &analyser, job = std::move(job)] {
        std::function<void()> deliver = job(analyser);
        // Running until the answer is handed over: no other job starts in between, so the
        // join below waits for this thread alone, which is ending.
        QMetaObject::invokeMethod(
            this,
            [this, deliver = std::move(deliver)] {
                WaitForAnalysis();
                asideRunning_ = false;
                if (deliver) deliver();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void Workbench::WaitForAnalysis() {
    if (aside_.joinable() && aside_.get_id() != std::this_thread::get_id()) aside_.join();
}

void Workbench::Pull() {
    if (host_) host_->Pull();
}

void Workbench::Push() {
    if (host_) host_->Push();
}

void Workbench::TsValuesChanged(const interlock::TsCascade& cascade) {
    if (host_) host_->TsValuesChanged(cascade);
}

void Workbench::RunOperation(const std::function<void()>& operation) {
    if (operationDepth_ > 0) {
        operation();
        return;
    }
    ++operationDepth_;
    Pull();
    operation();
    Push();
    --operationDepth_;
}

void Workbench::SuspendOperation() {
    Push();
    suspendedDepth_ = operationDepth_;
    operationDepth_ = 0;
}

void Workbench::ResumeOperation() {
    operationDepth_ = suspendedDepth_;
    Pull();
}

void Workbench::RunHeldBack(const std::function<void()>& step) {
    ++operationDepth_;
    Pull();
    step();
    --operationDepth_;
}

void Workbench::PostStep(StepOwner owner, StepQueue::Step step) {
    steps_.Post(owner, std::move(step));
    stepTimer_->start();
}

void Workbench::RunStep() {
    if (steps_.RunOne()) stepTimer_->start();
}

interlock::TsEditRefusal Workbench::TsEditRefusal(interlock::TsEdit edit) const {
    return interlock::TsEditRule(host_ ? host_->TsEditState() : interlock::TsEditState{}, edit);
}

void Workbench::ApplyTsValues(const std::vector<std::pair<int, int>>& values) {
    if (!MayEditTs(interlock::TsEdit::Applied)) return;
    interlock::TsTableData& t = ws_.TsTable;
    const int s = ws_.CurrentBlockRef().StateSignal;
    bool stateChanged = false;
    for (const auto& [n, v] : values) {
        if (!interlock::OperatorSetsTs(t, n)) continue;
        t.Value[n] = static_cast<int16_t>(v);
        stateChanged = stateChanged || n == (s < 0 ? -s : s);
    }
    using View = interlock::TsCascade::View;
    TsValuesChanged(
        {.fillGrid = true, .view = stateChanged ? View::AfterRecalculation : View::Keep, .refillList = true});
}

void Workbench::ShowLogicLine(int block, interlock::Side side, int line) {
    if (block < 1 || block > interlock::kBlockCount || !host_) return;
    host_->ShowLogicLine(block, side, line);
}

bool Workbench::eventFilter(QObject* watched, QEvent* event) {
    if (StepsPending()) {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::InputMethod:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::TouchBegin:
            case QEvent::DragEnter:
            case QEvent::Drop:
            case QEvent::Close:
                Finish();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ui
