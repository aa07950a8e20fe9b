#pragma once

// The access library kept in a helper process of the program's own (tmaccess-host), so that a
// library that crashes, hangs or scribbles takes only the helper with it. The calls are those
// of TmLibrary, passed on in the same order with the same results; the caller waits for each,
// never longer than its bound, and with a TmHostLoop the wait runs the caller's event loop
// instead of blocking it. A call that runs past its bound, a helper that dies, an answer that
// is not what was asked for and a cancelled call all make a failed call: the helper is ended,
// LastCallFailed() holds, and the next Init starts a new helper.
//
// The helper runs in a process group of its own, and the whole group is ended with it: at
// Close (the link ends), when an Init does not connect, when a call fails and when this object
// goes (the program exits); the helper itself ends its group when the program dies.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "acquisition/tm_library.h"

namespace acquisition {

// How long the caller waits for each call. tmInit may reach out over the network, so it gets
// the longest; a status poll must end well inside the 2000 ms polling interval; a name is
// asked 256 times in a row, so each gets little.
struct TmCallBounds {
    std::chrono::milliseconds start{3000};   // the helper started, the library loaded
    std::chrono::milliseconds init{5000};    // tmInit
    std::chrono::milliseconds close{1000};   // tmClose
    std::chrono::milliseconds status{1500};  // tmStatusByList
    std::chrono::milliseconds name{500};     // tmGetObjectName
};

// The helper's file name, looked for beside the executable.
const char* TmHostFileName();

// The caller's event loop, as the helper's calls use it.
class TmHostLoop {
public:
    virtual ~TmHostLoop() = default;
    enum class Outcome { Readable, TimedOut, Cancelled, Block };
    // Runs the loop until `fd` is readable (Readable), `deadline` passes (TimedOut) or the wait
    // is cancelled (Cancelled). Answers Block at once, without running the loop, when the caller
    // may not be re-entered now: the call then blocks on `fd` until its deadline.
    virtual Outcome Wait(int fd, std::chrono::steady_clock::time_point deadline) = 0;
    // Between calls: `onReadable` runs whenever `fd` turns readable (the helper died or spoke
    // out of turn). `fd` -1 ends the watch.
    virtual void WatchIdle(int fd, std::function<void()> onReadable) = 0;
};

class HostTmLibrary : public TmLibrary {
public:
    // `hostPath`: the helper executable; `candidates`: the library's places, tried in order by
    // the helper as DlTmLibrary does.
    HostTmLibrary(std::string hostPath, std::vector<std::string> candidates, TmCallBounds bounds = {});
    ~HostTmLibrary() override;
    HostTmLibrary(const HostTmLibrary&) = delete;
    HostTmLibrary& operator=(const HostTmLibrary&) = delete;

    // Names that cannot travel whole to the helper (see tmhost::InitNamesFit) are refused.
    bool AcceptsNames(const std::string& serverName, const std::string& clientName) const override;
    // 0 when the helper cannot be started, loads no library, or fails the call; refused names
    // answer 0 without a call. A result other than 1 ends the helper.
    int16_t Init(const std::string& serverName, const std::string& clientName) override;
    // tmClose, then the helper is ended with its process group.
    void Close() override;
    // Without a helper, or when the call fails, every point answers "no data" (0xFFFF).
    void StatusByList(const std::vector<TmStatusRequest>& request,
                      std::vector<TmStatusResult>& result) override;
    // 0 without a helper or when the call fails.
    int16_t GetObjectName(uint16_t kind, int16_t channel, int16_t rtu, int16_t point, char* buffer,
                          int16_t size) override;
    bool LastCallFailed() const override { return failed_; }
    bool LastCallCancelled() const override { return cancelled_; }

    // The loop the calls wait in (null: they block); it must outlive this object's calls.
    void SetLoop(TmHostLoop* loop);
    // Ends a helper that died or spoke out of turn while no call ran, and reaps it. The loop's
    // idle watch calls this; it does nothing to a helper that is waiting for its next request.
    void CheckIdle();

    // The running helper's process id, or -1.
    pid_t HostPid() const { return pid_; }
    // Why the last start or call failed, for diagnostics (the library's load errors included).
    const std::string& FailureReason() const { return reason_; }

private:
    bool Start();
    // Sends `request` and takes the helper's answer packet.
    bool Call(const std::string& request, std::chrono::milliseconds bound, std::string& answer);
    // The answer does not read as the answer to what was asked.
    void OutOfTurn();
    bool Receive(std::chrono::steady_clock::time_point deadline, std::string& packet);
    void Fail(const std::string& why);
    // Ends the helper: closes the socket, waits a little, then kills it.
    void Stop(std::chrono::milliseconds grace);
    void WatchIdle();

    std::string hostPath_;
    std::vector<std::string> candidates_;
    TmCallBounds bounds_;
    pid_t pid_ = -1;
    int socket_ = -1;
    bool failed_ = false;
    bool cancelled_ = false;
    bool calling_ = false;
    TmHostLoop* loop_ = nullptr;
    std::string reason_;
};

}  // namespace acquisition
