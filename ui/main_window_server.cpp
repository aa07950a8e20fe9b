// The main window's part of the telemechanics server link: the link itself, the handlers of
// its controls and the start-up and exit steps.

#include <QCheckBox>
#include <QTimer>

#include "ui/form1_server_controls.h"
#include "storage/file_io.h"
#include "ui/main_window.h"
#include "acquisition/server_link.h"
#include "acquisition/tm_host_library.h"
#include "acquisition/tm_library.h"

namespace ui {

void TForm1::SetUpServerLink() {
    // The library is looked for beside the program's executable, then through the system, and
    // is held by the helper process beside the executable: a library that crashes or hangs
    // costs the link, never the program.
    const std::string exeDir = storage::ExecutableDir();
    tmLibrary_ = std::make_unique<acquisition::HostTmLibrary>(
        exeDir + acquisition::TmHostFileName(), acquisition::DefaultTmLibraryCandidates(exeDir));
    serverControls_ = std::make_unique<TForm1ServerControls>(*this);
    serverLink_ = std::make_unique<acquisition::ServerLink>(ws_, *tmLibrary_, dialogs_, *serverControls_,
                                                            serverName_, acquisition::ExecutableFileName());
    connect(Check_Server, &QCheckBox::toggled, this, &TForm1::Check_ServerClick);
    connect(Check_Get_Names_Server, &QCheckBox::toggled, this, &TForm1::Check_Get_Names_ServerClick);
    connect(Check_Get_TS_Server, &QCheckBox::toggled, this, &TForm1::Check_Get_TS_ServerClick);
    connect(Get_TS_Server_Timer, &QTimer::timeout, this, &TForm1::Get_TS_Server_TimerTimer);
}

acquisition::ServerLink& TForm1::Server() { return *serverLink_; }

void TForm1::RunServerOperation(void (acquisition::ServerLink::*operation)()) {
    // A box that the link checks or unchecks runs its handler inside the link's operation:
    // only the outermost call moves data between the widgets and the workspace.
    if (serverDepth_ > 0) {
        ((*serverLink_).*operation)();
        return;
    }
    ++serverDepth_;
    Pull();
    ((*serverLink_).*operation)();
    Push();
    --serverDepth_;
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

void TForm1::ServerStartUpConnect() {
    // The handlers are held back while the window is built; the link reads the two fields.
    Pull();
    serverLink_->StartUpConnect();
}

void TForm1::ServerStartUpFetchAndPoll() {
    Pull();
    serverLink_->StartUpFetchAndPoll();
}

void TForm1::ServerClose() {
    if (serverLink_) serverLink_->Close();
}

}  // namespace ui
