#pragma once

// The TS sources of the main window: the RTU reception over UDP and the telemechanics server
// link through the access library's helper process, the rule that only one receives at a time,
// the handlers of their check boxes and timers, the receipt log and the server call that waits
// in the event loop. The controller works over the workbench and the widgets it drives; the
// window builds those widgets and hands them over.

#include <QObject>
#include <array>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QFrame;
class QPlainTextEdit;
class QTimer;

namespace acquisition {
class ReceptionRule;
class RtuReception;
class QtTmHostLoop;
class ServerLink;
class TmLibrary;
}  // namespace acquisition

namespace ui {

class Workbench;

// The window's controls of the sources, named as the design names them.
struct SourceWidgets {
    QCheckBox* Check_Get_TS_Orvesk = nullptr;     // "Принимать ТС с КП"
    QCheckBox* Check_Server = nullptr;            // "Связь с сервером ТМ"
    QCheckBox* Check_Get_Names_Server = nullptr;  // "Принять заголовки ТС"
    QCheckBox* Check_Get_TS_Server = nullptr;     // "Принимать данные ТС"
    QFrame* Server_Panel = nullptr;               // the server's channel, RTU and boxes
    QPlainTextEdit* Memo1 = nullptr;              // the receipt log of the RTU
};

class TsSources : public QObject {
    Q_OBJECT
public:
    static constexpr int kMemoLineLimit = 1000;  // newest receipt log lines kept in Memo1

    // Connects the handlers to the widgets' boxes and to its own timers. The server library is
    // looked for beside the program's executable, then through the system, and is held by the
    // helper process beside the executable: a library that crashes or hangs costs the link,
    // never the program.
    TsSources(Workbench& workbench, const SourceWidgets& widgets, QObject* parent = nullptr);
    ~TsSources() override;

    // The timers of the design: the RTU request once a second, the server poll every two.
    QTimer* Get_TS_Orvesk_Timer = nullptr;
    QTimer* Get_TS_Server_Timer = nullptr;

    acquisition::RtuReception& Rtu() { return *rtu_; }
    acquisition::ServerLink& Server() { return *serverLink_; }
    // The settings' server name, read and changed by the link.
    std::string& ServerName() { return serverName_; }

    // The handlers of the boxes do nothing until the window is ready.
    void SetWindowReady() { ready_ = true; }
    // Start-up, once the settings have set the boxes: the server connected without prompting,
    // one receiving source, the timers as the boxes say, the names and one poll.
    void StartUp();
    // Exit: the library's connection closed; the controls are left as they are.
    void Close();

    // A server call waits for the helper's answer.
    bool ServerCallPending() const;
    // The window closing while a server call waits: the call is cancelled, the operation ends,
    // then the boxes are put back as they were and `close` runs (the question already
    // answered). True when the close must wait for that.
    bool CloseAfterServerCall(std::function<void()> close);

    void Check_Get_TS_OrveskClick();
    void Get_TS_Orvesk_TimerTimer();
    void Check_ServerClick();
    void Check_Get_Names_ServerClick();
    void Check_Get_TS_ServerClick();
    void Get_TS_Server_TimerTimer();

signals:
    // The server values go back to the operator: only the TS grid is rebuilt, and the window
    // must show itself whole again all the same.
    void ServerValuesReleasing();

private:
    class Port;
    class RtuControls;
    class ServerControls;

    void RunServerOperation(void (acquisition::ServerLink::*operation)());
    void ServerCallWaiting(bool waiting);

    Workbench& workbench_;
    SourceWidgets w_;
    bool ready_ = false;
    bool closed_ = false;
    std::string serverName_;
    bool serverOperation_ = false;  // a server operation runs (its calls may wait in the loop)
    std::function<void()> closeAfterServer_;
    std::array<bool, 3> serverBoxesAtClose_{};
    acquisition::QtTmHostLoop* tmLoop_ = nullptr;  // a child: it outlives tmLibrary_
    std::unique_ptr<Port> port_;
    std::unique_ptr<RtuControls> rtuControls_;
    std::unique_ptr<acquisition::RtuReception> rtu_;
    std::unique_ptr<acquisition::TmLibrary> tmLibrary_;
    std::unique_ptr<ServerControls> serverControls_;
    std::unique_ptr<acquisition::ServerLink> serverLink_;
    std::unique_ptr<acquisition::ReceptionRule> reception_;
};

}  // namespace ui
