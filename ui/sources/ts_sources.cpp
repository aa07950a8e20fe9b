#include "ui/sources/ts_sources.h"

#include <QCheckBox>
#include <QFrame>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTimer>

#include <utility>

#include "acquisition/rtu_reception.h"
#include "acquisition/server_link.h"
#include "acquisition/tm_host_library.h"
#include "acquisition/tm_host_loop.h"
#include "acquisition/tm_library.h"
#include "storage/file_io.h"
#include "ui/model/dialogs.h"
#include "ui/model/texts.h"
#include "ui/widgets/qt_text.h"
#include "ui/workbench/workbench.h"

namespace ui {

namespace {

void EnableTimer(QTimer* timer, bool enabled) {
    if (!enabled) {
        timer->stop();
    } else if (!timer->isActive()) {
        timer->start();
    }
}

QTimer* MakeTimer(QObject* parent, int ms) {
    auto* timer = new QTimer(parent);
    timer->setInterval(ms);
    return timer;
}

}  // namespace

// ---- The sources' view of the program: boxes and the "TS values changed" cascade ----

class TsSources::Port : public acquisition::SourcePort {
public:
    explicit Port(Workbench& workbench) : workbench_(workbench) {}

    void ShowError(const std::string& text) override {
        workbench_.Boxes().Message({text, Texts().errorCaption, interlock::Icon::Error});
    }
    std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                       const std::string& value) override {
        return workbench_.Boxes().InputBox(caption, prompt, value);
    }
    void TsValuesChanged(const interlock::TsCascade& cascade) override {
        workbench_.TsValuesChanged(cascade);
    }

private:
    Workbench& workbench_;
};

// ---- The RTU reception's controls ----

class TsSources::RtuControls : public acquisition::RtuControls {
public:
    explicit RtuControls(TsSources& sources) : s_(sources) {}

    bool WindowReady() const override { return s_.ready_; }
    bool Checked() const override { return s_.w_.Check_Get_TS_Orvesk->isChecked(); }
    void SetChecked(bool checked) override { s_.w_.Check_Get_TS_Orvesk->setChecked(checked); }
    void SetEnabled(bool enabled) override { s_.w_.Check_Get_TS_Orvesk->setEnabled(enabled); }
    void SetTimerEnabled(bool enabled) override { EnableTimer(s_.Get_TS_Orvesk_Timer, enabled); }

    // The log is brought up to date right after the handler that logged, so that the verdict
    // of a response reaches the screen first. Only the lines the log keeps are added: a burst
    // longer than the log shows its newest lines.
    void AppendLog(const std::vector<std::string>& lines) override {
        const bool idle = pending_.empty();
        pending_.insert(pending_.end(), lines.begin(), lines.end());
        const int keep = s_.w_.Memo1->maximumBlockCount();
        if (keep > 0 && pending_.size() > static_cast<size_t>(keep))
            pending_.erase(pending_.begin(), pending_.end() - keep);
        if (idle)
            QMetaObject::invokeMethod(
                &s_, [this] { FlushLog(); }, Qt::QueuedConnection);
    }

private:
    // A slice of the waiting lines a turn of the event loop: laying out a burst of long lines
    // (a datagram may be kilobytes of noise) at once would hold the window up for a second.
    void FlushLog() {
        constexpr size_t kSliceChars = 32 * 1024;
        if (pending_.empty()) return;
        QString text;
        size_t taken = 0, chars = 0;
        while (taken < pending_.size() && (taken == 0 || chars < kSliceChars)) {
            if (taken > 0) text += '\n';
            text += ToQString(pending_[taken]);
            chars += pending_[taken].size();
            ++taken;
        }
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(taken));
        s_.w_.Memo1->appendPlainText(text);
        if (!pending_.empty())
            QMetaObject::invokeMethod(
                &s_, [this] { FlushLog(); }, Qt::QueuedConnection);
    }

    TsSources& s_;
    std::vector<std::string> pending_;
};

// ---- The server link's controls ----

// QCheckBox::setChecked emits toggled only on a change, which runs the box's handler as a
// click does.
class TsSources::ServerControls : public acquisition::ServerControls {
public:
    explicit ServerControls(TsSources& sources) : s_(sources) {}

    bool WindowReady() const override { return s_.ready_; }
    bool Checked(acquisition::ServerBox box) const override { return Box(box)->isChecked(); }
    void SetChecked(acquisition::ServerBox box, bool checked) override { Box(box)->setChecked(checked); }
    void SetServerPanelVisible(bool visible) override { s_.w_.Server_Panel->setVisible(visible); }
    void SetServerTimerEnabled(bool enabled) override { EnableTimer(s_.Get_TS_Server_Timer, enabled); }
    void SetReceptionBoxEnabled(bool enabled) override { s_.w_.Check_Get_TS_Server->setEnabled(enabled); }

private:
    QCheckBox* Box(acquisition::ServerBox box) const {
        switch (box) {
            case acquisition::ServerBox::Check_Server:
                return s_.w_.Check_Server;
            case acquisition::ServerBox::Check_Get_TS_Server:
                return s_.w_.Check_Get_TS_Server;
            case acquisition::ServerBox::Check_Get_Names_Server:
                return s_.w_.Check_Get_Names_Server;
        }
        return s_.w_.Check_Server;
    }

    TsSources& s_;
};

// ---- The controller ----

TsSources::TsSources(Workbench& workbench, const SourceWidgets& widgets, QObject* parent)
    : QObject(parent), workbench_(workbench), w_(widgets) {
    Get_TS_Orvesk_Timer = MakeTimer(this, 1000);
    Get_TS_Server_Timer = MakeTimer(this, 2000);
    port_ = std::make_unique<Port>(workbench_);

    // The RTU: the receipt log keeps the newest lines only.
    w_.Memo1->setMaximumBlockCount(kMemoLineLimit);
    rtuControls_ = std::make_unique<RtuControls>(*this);
    rtu_ = std::make_unique<acquisition::RtuReception>(workbench_.Ws(), *port_, *rtuControls_);
    connect(w_.Check_Get_TS_Orvesk, &QCheckBox::toggled, this, &TsSources::Check_Get_TS_OrveskClick);
    connect(Get_TS_Orvesk_Timer, &QTimer::timeout, this, &TsSources::Get_TS_Orvesk_TimerTimer);

    // The server. The calls of a server operation started from the event loop wait in it;
    // those made while the window starts, ends or runs another operation simply wait.
    const std::string exeDir = storage::ExecutableDir();
    auto host = std::make_unique<acquisition::HostTmLibrary>(exeDir + acquisition::TmHostFileName(),
                                                             acquisition::DefaultTmLibraryCandidates(exeDir));
    tmLoop_ = new acquisition::QtTmHostLoop(this);
    tmLoop_->SetGate([this] { return serverOperation_ && ready_ && !closed_; });
    tmLoop_->SetWaitingHook([this](bool waiting) { ServerCallWaiting(waiting); });
    host->SetLoop(tmLoop_);
    tmLibrary_ = std::move(host);
    serverControls_ = std::make_unique<ServerControls>(*this);
    serverLink_ =
        std::make_unique<acquisition::ServerLink>(workbench_.Ws(), *tmLibrary_, *port_, *serverControls_,
                                                  serverName_, acquisition::ExecutableFileName());
    connect(w_.Check_Server, &QCheckBox::toggled, this, &TsSources::Check_ServerClick);
    connect(w_.Check_Get_Names_Server, &QCheckBox::toggled, this, &TsSources::Check_Get_Names_ServerClick);
    connect(w_.Check_Get_TS_Server, &QCheckBox::toggled, this, &TsSources::Check_Get_TS_ServerClick);
    connect(Get_TS_Server_Timer, &QTimer::timeout, this, &TsSources::Get_TS_Server_TimerTimer);

    // Only one source receives at a time; the server is the stronger.
    reception_ = std::make_unique<acquisition::ReceptionRule>();
    reception_->Add(*rtu_);
    reception_->Add(*serverLink_);
}

TsSources::~TsSources() = default;

// ---- The RTU ----

void TsSources::Check_Get_TS_OrveskClick() { rtu_->Check_Get_TS_OrveskClick(); }

void TsSources::Get_TS_Orvesk_TimerTimer() { rtu_->Get_TS_Orvesk_TimerTimer(); }

// ---- The server ----

bool TsSources::ServerCallPending() const { return tmLoop_->Waiting(); }

void TsSources::RunServerOperation(void (acquisition::ServerLink::*operation)()) {
    // Only an operation started from the event loop (not inside another) may wait in it.
    const bool outermost = !workbench_.OperationRunning() && !serverOperation_;
    if (outermost) serverOperation_ = true;
    workbench_.RunOperation([&] { ((*serverLink_).*operation)(); });
    if (!outermost) return;
    serverOperation_ = false;
    if (closeAfterServer_) {
        QTimer::singleShot(0, this, [this, close = std::exchange(closeAfterServer_, {})] {
            // The settings keep the boxes as the user left them, not as the cancel left them.
            const QSignalBlocker a(w_.Check_Server), b(w_.Check_Get_TS_Server), c(w_.Check_Get_Names_Server);
            w_.Check_Server->setChecked(serverBoxesAtClose_[0]);
            w_.Check_Get_TS_Server->setChecked(serverBoxesAtClose_[1]);
            w_.Check_Get_Names_Server->setChecked(serverBoxesAtClose_[2]);
            close();
        });
    }
}

bool TsSources::CloseAfterServerCall(std::function<void()> close) {
    if (!ServerCallPending()) return false;
    serverBoxesAtClose_ = {w_.Check_Server->isChecked(), w_.Check_Get_TS_Server->isChecked(),
                           w_.Check_Get_Names_Server->isChecked()};
    closeAfterServer_ = std::move(close);
    tmLoop_->Cancel();
    return true;
}

void TsSources::ServerCallWaiting(bool waiting) {
    if (waiting) {
        workbench_.SuspendOperation();
        w_.Server_Panel->setEnabled(false);
    } else {
        w_.Server_Panel->setEnabled(true);
        workbench_.ResumeOperation();
    }
}

void TsSources::Check_ServerClick() {
    if (!ready_) return;
    if (ServerCallPending()) {
        // The user disconnects while a call waits: the call is cancelled and the operation
        // that made it drops the link without a word.
        if (!w_.Check_Server->isChecked()) tmLoop_->Cancel();
        return;
    }
    RunServerOperation(&acquisition::ServerLink::Check_ServerClick);
}

void TsSources::Check_Get_Names_ServerClick() {
    if (!ready_ || ServerCallPending()) return;
    RunServerOperation(&acquisition::ServerLink::Check_Get_Names_ServerClick);
}

void TsSources::Check_Get_TS_ServerClick() {
    if (!ready_ || ServerCallPending()) return;
    if (!w_.Check_Get_TS_Server->isChecked()) emit ServerValuesReleasing();
    RunServerOperation(&acquisition::ServerLink::Check_Get_TS_ServerClick);
}

void TsSources::Get_TS_Server_TimerTimer() {
    // A tick while a server operation runs (its call waits, or it shows a box) is skipped: the
    // next tick polls.
    if (serverOperation_) return;
    RunServerOperation(&acquisition::ServerLink::Get_TS_Server_TimerTimer);
}

// ---- Start-up and exit ----

void TsSources::StartUp() {
    // The handlers are held back while the window is built: the fields go into the workspace
    // for the sources to read, and nothing is shown until the window is ready.
    // The server link: connect without prompting, or leave both server reception boxes off.
    workbench_.RunHeldBack([this] { serverLink_->StartUpConnect(); });
    // Reception from one source at a time: the server wins.
    reception_->Settle();
    for (auto [timer, box] : {std::pair{Get_TS_Orvesk_Timer, w_.Check_Get_TS_Orvesk},
                              std::pair{Get_TS_Server_Timer, w_.Check_Get_TS_Server}}) {
        if (box->isChecked())
            timer->start();
        else
            timer->stop();
    }
    // The names from the server, then one poll at once, as the boxes say.
    workbench_.RunHeldBack([this] { serverLink_->StartUpFetchAndPoll(); });
}

void TsSources::Close() {
    closed_ = true;
    serverLink_->Close();
}

}  // namespace ui
