#include "acquisition/server_link.h"

#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "interlock/cp1251.h"
#include "interlock/int_rule.h"
#include "interlock/report.h"
#include "interlock/ts_cascade.h"

namespace acquisition {

using interlock::kTsCount;

bool TsStatusIs(uint16_t status, TsStatusWord word) {
    switch (word) {
        case TsStatusWord::Error:
            return status == TM_STATUS_ERROR;
        case TsStatusWord::UnreliableHdw:
            return (status & TM_STATUS_UNRELIABLE_HDW) != 0;
        case TsStatusWord::UnreliableManual:
            return (status & TM_STATUS_UNRELIABLE_MANUAL) != 0;
        case TsStatusWord::UnreliableBoth: {
            const uint16_t both = TM_STATUS_UNRELIABLE_HDW | TM_STATUS_UNRELIABLE_MANUAL;
            return (status & both) == both;
        }
    }
    return false;
}

ServerLink::ServerLink(interlock::Workspace& ws, TmLibrary& library, SourcePort& port,
                       ServerControls& controls, std::string& serverName, std::string clientName)
    : ws_(ws),
      library_(library),
      port_(port),
      controls_(controls),
      serverName_(serverName),
      clientName_(std::move(clientName)) {}

// ---- Connection ----

void ServerLink::ServerConnect(bool ask) {
    connected_ = false;
    if (ask) {
        const std::string kept = serverName_;
        std::optional<std::string> entered =
            port_.AskText(Texts().connectCaption, Texts().connectPrompt, serverName_);
        if (!entered) {
            ServerDisconnect();
            return;
        }
        if (entered->empty()) {
            serverName_ = kept;
            ServerDisconnect();
            return;
        }
        serverName_ = *entered;
    }
    // A name the library would get cut short is never passed on.
    const bool fit = library_.AcceptsNames(serverName_, clientName_);
    if (fit && library_.Init(serverName_, clientName_) == 1) {
        connected_ = true;
        if (controls_.Checked(ServerBox::Check_Server)) controls_.SetServerPanelVisible(true);
        return;
    }
    // A connect the user cancelled (by unchecking the box) needs no word.
    if (!fit) {
        port_.ShowError(Texts().connectNamesTooLong);
    } else if (!library_.LastCallCancelled()) {
        port_.ShowError(Texts().connectFailed + serverName_ + Texts().connectCheck);
    }
    if (controls_.WindowReady()) {
        ServerDisconnect();
        return;
    }
    // Start-up: the handlers are held back, so every control is set here.
    library_.Close();
    controls_.SetServerPanelVisible(false);
    controls_.SetChecked(ServerBox::Check_Server, false);
    controls_.SetChecked(ServerBox::Check_Get_TS_Server, false);
    controls_.SetServerTimerEnabled(false);
    controls_.SetChecked(ServerBox::Check_Get_Names_Server, false);
    ReceptionChanged();
}

void ServerLink::ServerDisconnect() {
    controls_.SetServerPanelVisible(false);
    controls_.SetChecked(ServerBox::Check_Server, false);
    // Releases the server values through the box's handler once the window is ready.
    controls_.SetChecked(ServerBox::Check_Get_TS_Server, false);
    controls_.SetServerTimerEnabled(false);
    controls_.SetChecked(ServerBox::Check_Get_Names_Server, false);
    ReceptionChanged();
    if (connected_) library_.Close();
    connected_ = false;
    interlock::TsTableData& t = ws_.TsTable;
    for (int n = 0; n <= kTsCount; ++n) {
        t.Unreliability[n] = 0;
        t.FromServer[n] = 0;
    }
    // Unreliability and the server marks are gone: the verdicts change, the TS list stays.
    port_.TsValuesChanged({.refillList = false});
}

bool ServerLink::ServerIsConnected() {
    if (!connected_) ServerDisconnect();
    return connected_;
}

void ServerLink::Close() {
    if (connected_) library_.Close();
    connected_ = false;
}

// ---- Reception ----

void ServerLink::ReleaseServerValues() {
    interlock::TsTableData& t = ws_.TsTable;
    for (int n = 1; n <= kTsCount; ++n) {
        if (!t.FromServer[n]) continue;
        if (t.PairSecond[n]) t.Value[n] = static_cast<int16_t>(t.Value[n - 1] ^ 1);
        t.FromServer[n] = 0;
    }
    interlock::FillTsGrid(ws_);
}

void ServerLink::StopReception() {
    controls_.SetChecked(ServerBox::Check_Get_TS_Server, false);
    controls_.SetServerTimerEnabled(false);
    ReceptionChanged();
}

bool ServerLink::ReadNumbers(int& channel, int& rtu, bool& badChannel) const {
    int32_t c = 0;
    int32_t r = 0;
    badChannel = !interlock::IsIntInRange(ws_.Fields.Server_channel_Number, 0, 256, &c);
    if (badChannel) return false;
    if (!interlock::IsIntInRange(ws_.Fields.Server_RTU_Number, 1, 256, &r)) return false;
    channel = c;
    rtu = r;
    return true;
}

bool ServerLink::StartRequest(ServerBox box, const RequestTexts& texts, int& channel, int& rtu) {
    if (!controls_.Checked(box)) return false;
    if (!ServerIsConnected()) {
        port_.ShowError(texts.noLink);
        return false;
    }
    bool badChannel = false;
    if (!ReadNumbers(channel, rtu, badChannel)) {
        // The box goes off first: unchecking "Принимать данные ТС" also stops its timer.
        if (box == ServerBox::Check_Get_TS_Server) {
            StopReception();
        } else {
            controls_.SetChecked(box, false);
        }
        port_.ShowError(badChannel ? texts.badChannel : texts.badRtu);
        return false;
    }
    return true;
}

void ServerLink::ServerPollTs() {
    const AcquisitionTexts& tx = Texts();
    int channel = 0;
    int rtu = 0;
    if (!StartRequest(ServerBox::Check_Get_TS_Server, {tx.pollNoLink, tx.pollBadChannel, tx.pollBadRtu},
                      channel, rtu))
        return;

    std::vector<TmStatusRequest> request(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        request[i] = {static_cast<int16_t>(channel), static_cast<int16_t>(rtu), static_cast<int16_t>(i + 1)};
    }
    std::vector<TmStatusResult> result(kPoints, TmStatusResult{0, 0});
    library_.StatusByList(request, result);
    if (library_.LastCallFailed()) {
        // The library died or hung: the link is gone, as when a poll finds it missing.
        connected_ = false;
        ServerIsConnected();
        if (!library_.LastCallCancelled()) port_.ShowError(tx.pollNoLink);
        return;
    }
    result.resize(kPoints, TmStatusResult{0, TM_STATUS_ERROR});

    // First pass: the errors; too many of them leave the table untouched.
    std::array<bool, kTsCount + 1> error{};
    int errors = 0;
    for (int n = 1; n <= kTsCount; ++n) {
        error[n] = TsStatusIs(result[n - 1].status, TsStatusWord::Error);
        if (error[n]) ++errors;
    }
    if (errors > kTooManyErrors) {
        StopReception();
        port_.ShowError(tx.pollTooManyErrors);
        return;
    }

    // Second pass: unreliability, values and the from-server marks.
    interlock::TsTableData& t = ws_.TsTable;
    bool changed = false;
    for (int n = 1; n <= kTsCount; ++n) {
        const TmStatusResult& r = result[n - 1];
        // Only the first byte of the value field counts, as a signed number.
        unsigned char first = 0;
        std::memcpy(&first, &r, 1);
        const int16_t v = static_cast<int8_t>(first);
        const uint16_t s = r.status;

        uint8_t code = 0;
        if (TsStatusIs(s, TsStatusWord::UnreliableManual)) {
            code = 1;
        } else if (TsStatusIs(s, TsStatusWord::UnreliableHdw) ||
                   TsStatusIs(s, TsStatusWord::UnreliableBoth)) {
            code = 2;
        }
        if (code != t.Unreliability[n]) changed = true;
        t.Unreliability[n] = code;

        if (v != t.Value[n] && !error[n] && !t.PairSecond[n]) {
            t.Value[n] = v;
            changed = true;
        }
        if (!error[n]) t.FromServer[n] = 1;
        // The server delivers a pair as one value: the second TS follows the first here, before
        // the blocks are evaluated, not only when the grid is next filled.
        if (t.PairSecond[n] && t.FromServer[n]) {
            const int16_t derived = static_cast<int16_t>(t.Value[n - 1] ^ 1);
            if (derived != t.Value[n]) {
                t.Value[n] = derived;
                changed = true;
            }
        }
    }
    if ((changed || ForceRecalc) && controls_.WindowReady()) port_.TsValuesChanged({});
    ForceRecalc = false;
}

// ---- Names ----

void ServerLink::ServerGetTsName(int channel, int rtu, int point, std::string& name, bool& lost) {
    if (!ServerIsConnected()) {
        lost = true;
        return;
    }
    std::array<char, kNameSize> buffer{};
    int16_t r = library_.GetObjectName(TM_OBJECT_TS, static_cast<int16_t>(channel), static_cast<int16_t>(rtu),
                                       static_cast<int16_t>(point), buffer.data(), kNameSize);
    if (library_.LastCallFailed()) {
        // The library died or hung: the link is lost in the middle of the fetch.
        connected_ = false;
        lost = !ServerIsConnected();
        return;
    }
    if (r <= 0) {
        name.clear();
        return;
    }
    // A name that fills the whole buffer has no zero byte: it is taken as its 80 bytes.
    const char* end = static_cast<const char*>(std::memchr(buffer.data(), 0, buffer.size()));
    name.assign(buffer.data(), end ? static_cast<size_t>(end - buffer.data()) : buffer.size());
}

void ServerLink::ServerFetchNames() {
    const AcquisitionTexts& tx = Texts();
    int channel = 0;
    int rtu = 0;
    if (!StartRequest(ServerBox::Check_Get_Names_Server, {tx.namesNoLink, tx.namesBadChannel, tx.namesBadRtu},
                      channel, rtu))
        return;
    for (int n = 1; n <= kTsCount; ++n) {
        std::string name;
        bool lost = false;
        ServerGetTsName(channel, rtu, n, name, lost);
        if (lost) {
            // The entries not fetched keep what they held: no name is guessed for them.
            if (!library_.LastCallCancelled()) port_.ShowError(tx.namesLost);
            break;
        }
        ws_.TsTable.Name[n] = name.substr(0, kNameSize);
    }
    if (controls_.WindowReady()) {
        interlock::Recalculate(ws_, ws_.CurrentBlock);
        interlock::RefreshBlockDisplay(ws_);
    }
}

// ---- Handlers ----

void ServerLink::Check_ServerClick() {
    if (!controls_.WindowReady()) return;
    if (controls_.Checked(ServerBox::Check_Server)) {
        ServerConnect(true);
    } else {
        ServerDisconnect();
    }
}

void ServerLink::Check_Get_Names_ServerClick() {
    if (!controls_.WindowReady()) return;
    if (controls_.Checked(ServerBox::Check_Get_Names_Server)) ServerFetchNames();
}

void ServerLink::Check_Get_TS_ServerClick() {
    if (!controls_.WindowReady()) return;
    const bool on = controls_.Checked(ServerBox::Check_Get_TS_Server);
    ForceRecalc = true;
    if (on) {
        ServerPollTs();
    } else {
        ReleaseServerValues();
    }
    // The poll may have stopped the reception itself: the box says what holds now.
    const bool still = controls_.Checked(ServerBox::Check_Get_TS_Server);
    controls_.SetServerTimerEnabled(still);
    ReceptionChanged();
}

void ServerLink::Get_TS_Server_TimerTimer() { ServerPollTs(); }

// ---- Start-up ----

void ServerLink::StartUpConnect() {
    if (controls_.Checked(ServerBox::Check_Server)) {
        ServerConnect(false);
    } else {
        controls_.SetChecked(ServerBox::Check_Get_TS_Server, false);
        controls_.SetChecked(ServerBox::Check_Get_Names_Server, false);
    }
}

void ServerLink::StartUpFetchAndPoll() {
    if (controls_.Checked(ServerBox::Check_Get_Names_Server)) ServerFetchNames();
    if (controls_.Checked(ServerBox::Check_Get_TS_Server)) {
        ForceRecalc = true;
        ServerPollTs();
    }
}

}  // namespace acquisition
