#include "acquisition/rtu_reception.h"

#include "acquisition/rtu_exchange.h"
#include "acquisition/texts.h"
#include "acquisition/udp_socket.h"

namespace acquisition {

RtuReception::RtuReception(interlock::Workspace& ws, SourcePort& port, RtuControls& controls)
    : ws_(ws),
      port_(port),
      controls_(controls),
      socket_(std::make_unique<TfndUDPSocket>()),
      requestPort_(kRtuRequestPort) {
    socket_->SetLocalHost(kRtuHost);
    socket_->SetLocalPort(kRtuLocalPort);
    socket_->SetUseSendBuffer(true);
    // Datagrams wait in the receive queue only while the window is busy. The latest answer of
    // each group is what counts: a burst beyond the bound loses its oldest answers, and the
    // system is asked to hold a burst of that size (4096 bytes at most each) meanwhile.
    socket_->SetMaxReceiveBufferPacketCount(kReceiveQueueLimit);
    socket_->SetDropOldestWhenFull(true);
    socket_->SetSystemReceiveBufferSize(kReceiveQueueLimit * 4096);
    socket_->OnDataAvailable = [this](TfndUDPSocket&) { DataAvailable(); };
}

RtuReception::~RtuReception() = default;

void RtuReception::SetPorts(const std::string& localPort, const std::string& requestPort) {
    socket_->SetLocalPort(localPort);
    requestPort_ = requestPort;
}

void RtuReception::Check_Get_TS_OrveskClick() {
    if (!controls_.WindowReady()) return;
    controls_.SetTimerEnabled(controls_.Checked());
    ReceptionChanged();
}

void RtuReception::Get_TS_Orvesk_TimerTimer() { SendTsRequest(NextRequestGroup(group_)); }

void RtuReception::SendTsRequest(int8_t group) {
    const std::optional<std::string> request = TsRequest(group);
    if (!request) return;
    try {
        socket_->SendTo(kRtuHost, requestPort_, *request);
    } catch (const std::exception&) {
        // No message: reception simply stops, and another source may be chosen again.
        controls_.SetChecked(false);
        ReceptionChanged();
    }
}

void RtuReception::DataAvailable() {
    try {
        std::string data;
        SenderAddress sender;
        if (!socket_->ReadPacket(data, sender)) return;
        ReceiveTsData(data);
    } catch (const std::exception&) {
        ReadFailed();
    }
}

void RtuReception::ReadFailed() {
    FlushLog();
    Recalculate();  // what was applied before the failure is shown
    controls_.SetChecked(false);
    ReceptionChanged();
    // The box runs a nested event loop while datagrams keep arriving: no datagram is taken until
    // it is closed, and a second failure meanwhile opens no second box.
    if (errorBoxOpen_) return;
    errorBoxOpen_ = true;
    const bool notifications = socket_->ReadNotificationsEnabled();
    socket_->SetReadNotificationsEnabled(false);
    struct Restore {
        RtuReception* reception;
        bool notifications;
        ~Restore() {
            reception->socket_->SetReadNotificationsEnabled(notifications);
            reception->errorBoxOpen_ = false;
        }
    } restore{this, notifications};
    port_.ShowError(Texts().rtuReadError);
}

void RtuReception::ReceiveTsData(const std::string& text) {
    if (pendingLog_.empty()) logSince_ = std::chrono::steady_clock::now();
    pendingLog_.push_back(LogLine(text));
    if (ApplyTsResponse(ws_.TsTable, text) && !recalcPending_) {
        recalcPending_ = true;
        pendingSince_ = std::chrono::steady_clock::now();
    }
    // While further responses already wait in the socket's queue, the log and the recalculation
    // wait for the last of them: the screen shows the values they leave, and a burst that
    // arrived while the window was busy costs one recalculation and one update of the log
    // instead of one each. Each waiting response is taken by an event of its own right after
    // this one.
    const auto now = std::chrono::steady_clock::now();
    const bool last = socket_->ReceiveQueueSize() == 0;
    if (last || now - logSince_ >= kRecalcDelayLimit || pendingLog_.size() >= kReceiveQueueLimit) FlushLog();
    if (last || now - pendingSince_ >= kRecalcDelayLimit) Recalculate();
}

void RtuReception::FlushLog() {
    if (pendingLog_.empty()) return;
    std::vector<std::string> lines;
    lines.swap(pendingLog_);
    controls_.AppendLog(lines);
}

void RtuReception::Recalculate() {
    if (!recalcPending_) return;
    recalcPending_ = false;
    port_.TsValuesChanged({});
}

}  // namespace acquisition
