// The main window's part of the RTU exchange: the request timer, the socket `UDP`, the receipt
// log in Memo1 and the recalculation after a response that changed TS values.

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTimer>

#include "interlock/cp1251.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "interlock/report.h"
#include "acquisition/rtu_exchange.h"
#include "acquisition/udp_socket.h"

namespace ui {

namespace {
constexpr std::chrono::milliseconds kRtuRecalcDelayLimit{50};
}

void TForm1::SetUpRtuExchange() {
    UDP = new TfndUDPSocket(this);
    UDP->SetLocalHost(acquisition::kRtuHost);
    UDP->SetLocalPort(acquisition::kRtuLocalPort);
    UDP->SetUseSendBuffer(true);
    // Datagrams wait in the receive queue only while the window is busy; a flood beyond this is
    // dropped instead of filling the memory (4096 bytes at most each: 1 MiB).
    UDP->SetMaxReceiveBufferPacketCount(kRtuReceiveQueueLimit);
    // The latest answer of each group is what counts: a burst beyond the bound loses its oldest
    // answers, and the system holds a burst of that size while the window is busy.
    UDP->SetDropOldestWhenFull(true);
    UDP->SetSystemReceiveBufferSize(kRtuReceiveQueueLimit * 4096);
    UDP->OnDataAvailable = [this](TfndUDPSocket&) { UDPDataAvailable(); };
    // The receipt log keeps the newest lines only.
    Memo1->setMaximumBlockCount(kMemoLineLimit);
    connect(Check_Get_TS_Orvesk, &QCheckBox::toggled, this, &TForm1::Check_Get_TS_OrveskClick);
    connect(Get_TS_Orvesk_Timer, &QTimer::timeout, this, &TForm1::Get_TS_Orvesk_TimerTimer);
}

void TForm1::SetRtuPorts(const std::string& localPort, const std::string& requestPort) {
    UDP->SetLocalPort(localPort);
    rtuRequestPort_ = requestPort;
}

void TForm1::Check_Get_TS_OrveskClick() {
    if (!windowReady_) return;
    const bool on = Check_Get_TS_Orvesk->isChecked();
    if (on) {
        if (!Get_TS_Orvesk_Timer->isActive()) Get_TS_Orvesk_Timer->start();
    } else {
        Get_TS_Orvesk_Timer->stop();
    }
    Check_Get_TS_Server->setEnabled(!on);
}

void TForm1::Get_TS_Orvesk_TimerTimer() { SendTsRequest(acquisition::NextRequestGroup(rtuGroup_)); }

void TForm1::SendTsRequest(int8_t group) {
    const std::optional<std::string> request = acquisition::TsRequest(group);
    if (!request) return;
    try {
        UDP->SendTo(acquisition::kRtuHost, rtuRequestPort_, *request);
    } catch (const std::exception&) {
        // No message: reception simply stops, and the server reception may be chosen again.
        Check_Get_TS_Orvesk->setChecked(false);
        Check_Get_TS_Server->setEnabled(true);
    }
}

void TForm1::UDPDataAvailable() {
    try {
        std::string data;
        SenderAddress sender;
        if (!UDP->ReadPacket(data, sender)) return;
        ReceiveTsData(data);
    } catch (const std::exception&) {
        RtuReadFailed();
    }
}

void TForm1::RtuReadFailed() {
    RtuRecalculate();  // what was applied before the failure is shown
    Check_Get_TS_Orvesk->setChecked(false);
    Check_Get_TS_Server->setEnabled(true);
    // The box runs a nested event loop while datagrams keep arriving: no datagram is taken until
    // it is closed, and a second failure meanwhile opens no second box.
    if (rtuErrorBoxOpen_) return;
    rtuErrorBoxOpen_ = true;
    const bool notifications = UDP->ReadNotificationsEnabled();
    UDP->SetReadNotificationsEnabled(false);
    struct Restore {
        TForm1* window;
        bool notifications;
        ~Restore() {
            window->UDP->SetReadNotificationsEnabled(notifications);
            window->rtuErrorBoxOpen_ = false;
        }
    } restore{this, notifications};
    dialogs_.Message({cp1251::FromUtf8("Ошибка при чтении данных ТС с КП.\n\rПроверьте соединение."),
                      cp1251::FromUtf8("Ошибка"), interlock::Icon::Error});
}

void TForm1::ReceiveTsData(const std::string& text) {
    Memo1->appendPlainText(ToQString(acquisition::LogLine(text)));
    if (acquisition::ApplyTsResponse(ws_.TsTable, text) && !rtuRecalcPending_) {
        rtuRecalcPending_ = true;
        rtuPendingSince_ = std::chrono::steady_clock::now();
    }
    // While further responses already wait in the socket's queue, the recalculation waits for the
    // last of them: the screen shows the values they leave, and a burst that arrived while the
    // window was busy costs one recalculation instead of one each. Each waiting response is
    // taken by an event of its own right after this one; under a stream that never lets the
    // queue run dry the screen is still brought up to date every kRtuRecalcDelayLimit.
    if (UDP->ReceiveQueueSize() == 0 ||
        std::chrono::steady_clock::now() - rtuPendingSince_ >= kRtuRecalcDelayLimit)
        RtuRecalculate();
}

void TForm1::RtuRecalculate() {
    if (!rtuRecalcPending_) return;
    rtuRecalcPending_ = false;
    Pull();
    interlock::SelectViewByState(ws_);
    interlock::RecalculateAll(ws_);
    interlock::RefreshBlockDisplay(ws_);
    FillTsList();
    Push();
}

}  // namespace ui
