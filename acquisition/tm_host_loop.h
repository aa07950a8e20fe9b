#pragma once

// The helper's calls waiting in the Qt event loop: while the helper works on a call, the loop
// goes on (painting, typing, the RTU), and the call's answer, its deadline or a cancel end the
// wait. The window decides when a wait may run the loop and what it does around it.

#include <QObject>

#include <functional>
#include <memory>

#include "acquisition/tm_host_library.h"

class QSocketNotifier;

namespace acquisition {

class QtTmHostLoop : public QObject, public TmHostLoop {
public:
    explicit QtTmHostLoop(QObject* parent = nullptr);
    ~QtTmHostLoop() override;

    // Whether a wait may run the event loop now; without it, every wait does.
    void SetGate(std::function<bool()> mayRun) { mayRun_ = std::move(mayRun); }
    // Runs with true before the loop runs for a call and with false once it has stopped.
    void SetWaitingHook(std::function<void(bool)> hook) { waitingHook_ = std::move(hook); }

    Outcome Wait(int fd, std::chrono::steady_clock::time_point deadline) override;
    void WatchIdle(int fd, std::function<void()> onReadable) override;

    // Ends the running wait as cancelled; nothing when no wait runs.
    void Cancel();
    bool Waiting() const { return cancel_ != nullptr; }

private:
    std::function<bool()> mayRun_;
    std::function<void(bool)> waitingHook_;
    std::function<void()> cancel_;
    QSocketNotifier* idle_ = nullptr;
    std::function<void()> onIdle_;
};

}  // namespace acquisition
