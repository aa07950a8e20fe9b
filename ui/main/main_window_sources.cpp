// The main window's side of the TS sources: the RTU reception and the telemechanics server
// link, the one-receiver rule between them, the handlers of their controls, the "TS values
// changed" cascade they run, and the start-up and exit steps.

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTimer>

#include "acquisition/rtu_reception.h"
#include "acquisition/server_link.h"
#include "acquisition/tm_host_library.h"
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
    tmLibrary_ = std::make_unique<acquisition::HostTmLibrary>(
        exeDir + acquisition::TmHostFileName(), acquisition::DefaultTmLibraryCandidates(exeDir));
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

void TForm1::RunServerOperation(void (acquisition::ServerLink::*operation)()) {
    RunOperation([&] { ((*serverLink_).*operation)(); });
}

void TForm1::Check_ServerClick() {
    if (!windowReady_) return;
    RunServerOperation(&acquisition::ServerLink::Check_ServerClick);
}

void TForm1::Check_Get_Names_ServerClick() {
    if (!windowReady_) return;
    RunServerOperation(&acquisition::ServerLink::Check_Get_Names_ServerClick);
}

void TForm1::Check_Get_TS_ServerClick() {
    if (!windowReady_) return;
    // Releasing the server values rebuilds only the TS grid: show it again all the same.
    if (!Check_Get_TS_Server->isChecked()) shownRefresh_ = ~0u;
    RunServerOperation(&acquisition::ServerLink::Check_Get_TS_ServerClick);
}

void TForm1::Get_TS_Server_TimerTimer() {
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
