#pragma once

// The reception of TS values from the RTU over UDP on the loopback address: the request cycle
// (one group of 32 TS a second), the socket on port 955 with its bounded receive queue, the
// receipt log, and the recalculation after the responses that changed TS values, coalesced
// while further responses wait in the queue.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/ts_source.h"
#include "interlock/workspace.h"

class TfndUDPSocket;

namespace acquisition {

// The window controls the reception reads and sets. Setting the box to a state it does not have
// runs RtuReception::Check_Get_TS_OrveskClick, as a user's click does.
class RtuControls {
public:
    virtual ~RtuControls() = default;
    virtual bool WindowReady() const = 0;
    // "Принимать ТС с КП".
    virtual bool Checked() const = 0;
    virtual void SetChecked(bool checked) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // Get_TS_Orvesk_Timer (1000 ms): enabling a running timer leaves its rhythm alone.
    virtual void SetTimerEnabled(bool enabled) = 0;
    // Lines of the receipt log, oldest first.
    virtual void AppendLog(const std::vector<std::string>& lines) = 0;
};

class RtuReception : public TsSource {
public:
    // Datagrams waiting while the window is busy; a flood beyond this is dropped instead of
    // filling the memory (4096 bytes at most each: 1 MiB).
    static constexpr int kReceiveQueueLimit = 256;
    // Under a stream that never lets the queue run dry the screen is still brought up to date
    // this often.
    static constexpr std::chrono::milliseconds kRecalcDelayLimit{50};

    RtuReception(interlock::Workspace& ws, SourcePort& port, RtuControls& controls);
    ~RtuReception() override;

    bool Receiving() const override { return controls_.Checked(); }
    void StopReceiving() override { controls_.SetChecked(false); }
    void AllowReception(bool allowed) override { controls_.SetEnabled(allowed); }

    // The handlers of the reception box and of the request timer.
    void Check_Get_TS_OrveskClick();
    void Get_TS_Orvesk_TimerTimer();
    // One request for `group`; a failed send switches the reception off without a message.
    void SendTsRequest(int8_t group);
    // The socket's data-available event: one datagram taken and applied.
    void DataAvailable();
    // One response: logged, applied to the TS table, the recalculation run or held back. While
    // further responses wait in the queue, its log line waits with the recalculation, so that
    // a burst reaches the log at once.
    void ReceiveTsData(const std::string& text);

    int8_t RequestGroup() const { return group_; }
    TfndUDPSocket& Socket() { return *socket_; }
    // For tests and benchmarks only: listen on another local port and send the requests to
    // another port (the program always uses 955 and 956). Takes effect before the first binding.
    void SetPorts(const std::string& localPort, const std::string& requestPort);

private:
    void ReadFailed();
    void FlushLog();
    void Recalculate();

    interlock::Workspace& ws_;
    SourcePort& port_;
    RtuControls& controls_;
    std::unique_ptr<TfndUDPSocket> socket_;
    int8_t group_ = 0;
    std::string requestPort_;
    bool errorBoxOpen_ = false;
    bool recalcPending_ = false;           // values changed, the recalculation waits for the queue
    std::vector<std::string> pendingLog_;  // receipt log lines waiting with it
    std::chrono::steady_clock::time_point logSince_;
    std::chrono::steady_clock::time_point pendingSince_;
};

}  // namespace acquisition
