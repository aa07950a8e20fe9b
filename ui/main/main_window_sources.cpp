// The main window's side of the TS sources: the RTU reception and the telemechanics server
// link, the one-receiver rule between them, the handlers of their controls, the "TS values
// changed" cascade they run, and the start-up and exit steps.

#include <QCheckBox>
#include <QFrame>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTimer>

#include "acquisition/rtu_reception.h"
#include "acquisition/server_link.h"
#include "acquisition/tm_host_library.h"
#include "acquisition/tm_host_loop.h"
#include "acquisition/tm_library.h"
#include "interlock/ts_cascade.h"
#include "storage/file_io.h"
#include "ui/main/form1_sources.h"
#include "ui/main/main_window.h"

namespace ui {

void TForm1::SetUpSources() {
    sourcePort_ = std::make_unique<TForm1SourcePort>(*this);

    // The RTU: the receipt log keeps the newest lines only.
    Memo1->setMaximumBlockCount(kMemoLineLimit);
    rtuControls_ = std::make_unique<TForm1RtuControls>(*this);
    rtu_ = std::make_unique<acquisition::RtuReception>(ws_, *sourcePort_, *rtuControls_);
    connect(Check_Get_TS_Orvesk, &QCheckBox::toggled, this, &TForm1::Check_Get_TS_OrveskClick);
    connect(Get_TS_Orvesk_Timer, &QTimer::timeout, this, &TForm1::Get_TS_Orvesk_TimerTimer);

    // The server: the library is looked for beside the program's executable, then through the
    // system, and is held by the helper process beside the executable: a library that crashes
    // or hangs costs the link, never the program.
    const std::string exeDir = storage::ExecutableDir();
    auto host = std::make_unique<acquisition::HostTmLibrary>(exeDir + acquisition::TmHostFileName(),
                                                             acquisition::DefaultTmLibraryCandidates(exeDir));
    // The calls of a server operation started from the event loop wait in it; those made
    // while the window starts, ends or runs another operation simply wait.
    tmLoop_ = new acquisition::QtTmHostLoop(this);
    tmLoop_->SetGate([this] { return serverOperation_ && windowReady_ && !destroyed_; });
    tmLoop_->SetWaitingHook([this](bool waiting) { ServerCallWaiting(waiting); });
    host->SetLoop(tmLoop_);
    tmLibrary_ = std::move(host);
    serverControls_ = std::make_unique<TForm1ServerControls>(*this);
    serverLink_ = std::make_unique<acquisition::ServerLink>(ws_, *tmLibrary_, *sourcePort_, *serverControls_,
                                                            serverName_, acquisition::ExecutableFileName());
    connect(Check_Server, &QCheckBox::toggled, this, &TForm1::Check_ServerClick);
    connect(Check_Get_Names_Server, &QCheckBox::toggled, this, &TForm1::Check_Get_Names_ServerClick);
    connect(Check_Get_TS_Server, &QCheckBox::toggled, this, &TForm1::Check_Get_TS_ServerClick);
    connect(Get_TS_Server_Timer, &QTimer::timeout, this, &TForm1::Get_TS_Server_TimerTimer);

    // Only one source receives at a time; the server is the stronger.
    reception_ = std::make_unique<acquisition::ReceptionRule>();
    reception_->Add(*rtu_);
    reception_->Add(*serverLink_);
}

acquisition::ServerLink& TForm1::Server() { return *serverLink_; }
acquisition::RtuReception& TForm1::Rtu() { return *rtu_; }

void TForm1::RunOperation(const std::function<void()>& operation) {
    // A box that an operation checks or unchecks runs its handler inside the operation: only the
    // outermost call moves data between the widgets and the workspace.
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

void TForm1::TsValuesChanged(const interlock::TsCascade& cascade) {
    RunOperation([&] {
        interlock::RunTsCascade(ws_, cascade);
        if (cascade.refillList) FillTsList();
    });
}

// ---- The RTU ----

void TForm1::Check_Get_TS_OrveskClick() { rtu_->Check_Get_TS_OrveskClick(); }

void TForm1::Get_TS_Orvesk_TimerTimer() { rtu_->Get_TS_Orvesk_TimerTimer(); }

// ---- The server ----

bool TForm1::ServerCallPending() const { return tmLoop_ && tmLoop_->Waiting(); }

void TForm1::RunServerOperation(void (acquisition::ServerLink::*operation)()) {
    // Only an operation started from the event loop (not inside another) may wait in it.
    const bool outermost = operationDepth_ == 0 && !serverOperation_;
    if (outermost) serverOperation_ = true;
    RunOperation([&] { ((*serverLink_).*operation)(); });
    if (!outermost) return;
    serverOperation_ = false;
    if (closeAfterServer_) {
        closeAfterServer_ = false;
        QTimer::singleShot(0, this, [this] {
            // The settings keep the boxes as the user left them, not as the cancel left them.
            const QSignalBlocker a(Check_Server), b(Check_Get_TS_Server), c(Check_Get_Names_Server);
            Check_Server->setChecked(serverBoxesAtClose_[0]);
            Check_Get_TS_Server->setChecked(serverBoxesAtClose_[1]);
            Check_Get_Names_Server->setChecked(serverBoxesAtClose_[2]);
            exitConfirmed_ = true;
            close();
        });
    }
}

bool TForm1::CloseAfterServerCall() {
    if (!ServerCallPending()) return false;
    serverBoxesAtClose_ = {Check_Server->isChecked(), Check_Get_TS_Server->isChecked(),
                           Check_Get_Names_Server->isChecked()};
    closeAfterServer_ = true;
    tmLoop_->Cancel();
    return true;
}

void TForm1::ServerCallWaiting(bool waiting) {
    if (waiting) {
        // What the operation did so far is shown, and every other handler runs as from the
        // event loop, with its own Pull and Push.
        Push();
        suspendedDepth_ = operationDepth_;
        operationDepth_ = 0;
        Server_Panel->setEnabled(false);
    } else {
        Server_Panel->setEnabled(true);
        operationDepth_ = suspendedDepth_;
        // The operation goes on with what the user has changed meanwhile.
        Pull();
    }
}

void TForm1::Check_ServerClick() {
    if (!windowReady_) return;
    if (ServerCallPending()) {
        // The user disconnects while a call waits: the call is cancelled and the operation
        // that made it drops the link without a word.
        if (!Check_Server->isChecked()) tmLoop_->Cancel();
        return;
    }
    RunServerOperation(&acquisition::ServerLink::Check_ServerClick);
}

void TForm1::Check_Get_Names_ServerClick() {
    if (!windowReady_ || ServerCallPending()) return;
    RunServerOperation(&acquisition::ServerLink::Check_Get_Names_ServerClick);
}

void TForm1::Check_Get_TS_ServerClick() {
    if (!windowReady_ || ServerCallPending()) return;
    // Releasing the server values rebuilds only the TS grid: show it again all the same.
    if (!Check_Get_TS_Server->isChecked()) shownRefresh_ = ~0u;
    RunServerOperation(&acquisition::ServerLink::Check_Get_TS_ServerClick);
}

void TForm1::Get_TS_Server_TimerTimer() {
    // A tick while a server operation runs (its call waits, or it shows a box) is skipped: the
    // next tick polls.
    if (serverOperation_) return;
    RunServerOperation(&acquisition::ServerLink::Get_TS_Server_TimerTimer);
}

// ---- Start-up and exit ----

void TForm1::StartUpSources(const std::function<void()>& step) {
    // The handlers are held back while the window is built: the fields go into the workspace
    // for the sources to read, and nothing is shown until the window is ready.
    ++operationDepth_;
    Pull();
    step();
    --operationDepth_;
}

void TForm1::SourcesStartUp() {
    // The server link: connect without prompting, or leave both server reception boxes off.
    StartUpSources([this] { serverLink_->StartUpConnect(); });
    // Reception from one source at a time: the server wins.
    reception_->Settle();
    if (Check_Get_TS_Orvesk->isChecked())
        Get_TS_Orvesk_Timer->start();
    else
        Get_TS_Orvesk_Timer->stop();
    if (Check_Get_TS_Server->isChecked())
        Get_TS_Server_Timer->start();
    else
        Get_TS_Server_Timer->stop();
    // The names from the server, then one poll at once, as the boxes say.
    StartUpSources([this] { serverLink_->StartUpFetchAndPoll(); });
}

void TForm1::SourcesClose() {
    if (serverLink_) serverLink_->Close();
}

}  // namespace ui
