#pragma once

// The access library kept in a helper process of the program's own (tmaccess-host), so that a
// library that crashes, hangs or scribbles takes only the helper with it. The calls are those
// of TmLibrary, passed on in the same order with the same results; the caller still waits for
// each, but never longer than its bound. A call that runs past its bound, a helper that dies,
// and an answer that is not what was asked for all make a failed call: the helper is ended,
// LastCallFailed() holds, and the next Init starts a new helper.

#include <sys/types.h>

#include <chrono>
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

class HostTmLibrary : public TmLibrary {
public:
    // `hostPath`: the helper executable; `candidates`: the library's places, tried in order by
    // the helper as DlTmLibrary does.
    HostTmLibrary(std::string hostPath, std::vector<std::string> candidates, TmCallBounds bounds = {});
    ~HostTmLibrary() override;
    HostTmLibrary(const HostTmLibrary&) = delete;
    HostTmLibrary& operator=(const HostTmLibrary&) = delete;

    // 0 when the helper cannot be started, loads no library, or fails the call.
    int16_t Init(const std::string& serverName, const std::string& clientName) override;
    void Close() override;
    // Without a helper, or when the call fails, every point answers "no data" (0xFFFF).
    void StatusByList(const std::vector<TmStatusRequest>& request,
                      std::vector<TmStatusResult>& result) override;
    // 0 without a helper or when the call fails.
    int16_t GetObjectName(uint16_t kind, int16_t channel, int16_t rtu, int16_t point, char* buffer,
                          int16_t size) override;
    bool LastCallFailed() const override { return failed_; }

    // The running helper's process id, or -1.
    pid_t HostPid() const { return pid_; }
    // Why the last start or call failed, for diagnostics (the library's load errors included).
    const std::string& FailureReason() const { return reason_; }

private:
    bool Start();
    // Sends `request` and takes the answer of exactly `answerSize` bytes with the same first byte.
    bool Call(const std::string& request, size_t answerSize, std::chrono::milliseconds bound,
              std::string& answer);
    bool Receive(std::chrono::steady_clock::time_point deadline, std::string& packet);
    void Fail(const std::string& why);
    // Ends the helper: closes the socket, waits a little, then kills it.
    void Stop(std::chrono::milliseconds grace);

    std::string hostPath_;
    std::vector<std::string> candidates_;
    TmCallBounds bounds_;
    pid_t pid_ = -1;
    int socket_ = -1;
    bool failed_ = false;
    std::string reason_;
};

}  // namespace acquisition
