#pragma once

// The telemechanics server link (unit UServer): connecting to a named server through the
// access library, polling the status of the 256 TS of one RTU on one channel into the TS
// table, fetching their names, and the four handlers of the main window's server controls.
//
// The link works on the Workspace and reaches the window's check boxes, panel and timer only
// through ServerControls, and its boxes through SourcePort, so that the same code runs under the
// Qt window and under tests.

#include <cstdint>
#include <string>

#include "acquisition/texts.h"
#include "acquisition/tm_library.h"
#include "acquisition/ts_source.h"
#include "interlock/workspace.h"

namespace acquisition {

// The check boxes of the server link.
enum class ServerBox {
    Check_Server,            // "Связь с сервером ТМ"
    Check_Get_TS_Server,     // "Принимать данные ТС"
    Check_Get_Names_Server,  // "Принять заголовки ТС"
};

// The window controls the link reads and sets. Setting a box to a state it does not have must
// run that box's click handler (ServerLink::Check_*Click), exactly as a user's click does;
// setting it to the state it already has does nothing.
class ServerControls {
public:
    virtual ~ServerControls() = default;

    virtual bool WindowReady() const = 0;
    virtual bool Checked(ServerBox box) const = 0;
    virtual void SetChecked(ServerBox box, bool checked) = 0;
    virtual void SetServerPanelVisible(bool visible) = 0;
    // Get_TS_Server_Timer (2000 ms): enabling a running timer leaves its rhythm alone.
    virtual void SetServerTimerEnabled(bool enabled) = 0;
    // Enables or disables "Принимать данные ТС" (while another source receives).
    virtual void SetReceptionBoxEnabled(bool enabled) = 0;
};

// The classification of a status word.
enum class TsStatusWord {
    Error,             // "error": the word is 0xFFFF
    UnreliableHdw,     // "unreliable_hdw": bit 0x0001
    UnreliableManual,  // "unreliable_manual": bit 0x0002
    UnreliableBoth,    // "unreliable_both": bits 0x0001 and 0x0002
};
bool TsStatusIs(uint16_t status, TsStatusWord word);

class ServerLink : public TsSource {
public:
    static constexpr int kPoints = interlock::kTsCount;  // points polled per RTU
    static constexpr int kNameSize = TM_NAME_SIZE;
    static constexpr int kTooManyErrors = 250;  // more errors than this abort a poll

    // `serverName` is the window's ServerName (settings "server_name"), read and changed here.
    // `clientName` is passed to tmInit.
    ServerLink(interlock::Workspace& ws, TmLibrary& library, SourcePort& port, ServerControls& controls,
               std::string& serverName, std::string clientName);

    bool Receiving() const override { return controls_.Checked(ServerBox::Check_Get_TS_Server); }
    void StopReceiving() override { controls_.SetChecked(ServerBox::Check_Get_TS_Server, false); }
    void AllowReception(bool allowed) override { controls_.SetReceptionBoxEnabled(allowed); }

    bool ServerConnected() const { return connected_; }
    // Makes the next completed poll recalculate the blocks even when no TS changed.
    bool ForceRecalc = false;
    const std::string& ServerName() const { return serverName_; }

    // Establishes the link; `ask` prompts for the server name first (the user's click; the
    // start-up connects without asking).
    void ServerConnect(bool ask);
    // Drops the link and resets the server state, the server controls and the verdicts.
    void ServerDisconnect();
    // ServerConnected; when it is false, disconnects first.
    bool ServerIsConnected();
    // One status poll of the 256 TS.
    void ServerPollTs();
    // Fetches the 256 names into TsTable.Name.
    void ServerFetchNames();
    // One name: `lost` becomes true (and `name` stays as it was) when the link is gone.
    void ServerGetTsName(int channel, int rtu, int point, std::string& name, bool& lost);
    // The server values go back to the operator: FromServer cleared, the second TS of each
    // server pair set to the complement of the first; then the TS grid is rebuilt.
    void ReleaseServerValues();

    // The handlers of the window's server controls (the check box ones do nothing while the
    // window is not ready).
    void Check_ServerClick();
    void Check_Get_Names_ServerClick();
    void Check_Get_TS_ServerClick();
    void Get_TS_Server_TimerTimer();

    // Start-up, after the settings have set the boxes: connects without prompting when
    // Check_Server is checked, otherwise unchecks the two reception boxes.
    void StartUpConnect();
    // Start-up, after the timers are set: fetches the names and polls once, as the boxes say.
    void StartUpFetchAndPoll();
    // Exit: closes the library's connection when the link is up. The controls are not touched.
    void Close();

private:
    void StopReception();
    // The checks before a poll or a name fetch: the box checked, the link up, the channel and
    // RTU numbers valid. On failure the error box is shown and, unless the link is missing, the
    // box goes off.
    struct RequestTexts {
        const std::string& noLink;
        const std::string& badChannel;
        const std::string& badRtu;
    };
    bool StartRequest(ServerBox box, const RequestTexts& texts, int& channel, int& rtu);
    // The channel and RTU texts as numbers; false when one is out of range (`badChannel` tells which).
    bool ReadNumbers(int& channel, int& rtu, bool& badChannel) const;

    interlock::Workspace& ws_;
    TmLibrary& library_;
    SourcePort& port_;
    ServerControls& controls_;
    std::string& serverName_;
    std::string clientName_;
    bool connected_ = false;
};

}  // namespace acquisition
