#include "acquisition/tm_host_loop.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

namespace acquisition {

QtTmHostLoop::QtTmHostLoop(QObject* parent) : QObject(parent) {}

QtTmHostLoop::~QtTmHostLoop() { WatchIdle(-1, {}); }

TmHostLoop::Outcome QtTmHostLoop::Wait(int fd, std::chrono::steady_clock::time_point deadline) {
    // One wait at a time: a call made from inside a wait blocks.
    if (cancel_ || (mayRun_ && !mayRun_())) return Outcome::Block;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return Outcome::TimedOut;

    QEventLoop loop;
    QSocketNotifier answer(fd, QSocketNotifier::Read);
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    Outcome outcome = Outcome::TimedOut;
    connect(&answer, &QSocketNotifier::activated, &loop, [&] {
        answer.setEnabled(false);
        outcome = Outcome::Readable;
        loop.quit();
    });
    connect(&timer, &QTimer::timeout, &loop, [&] { loop.quit(); });
    cancel_ = [&] {
        outcome = Outcome::Cancelled;
        loop.quit();
    };
    timer.start(static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
    if (waitingHook_) waitingHook_(true);
    // -1: the application is quitting and no loop runs any more.
    if (outcome != Outcome::Cancelled && loop.exec() < 0) outcome = Outcome::Cancelled;
    cancel_ = nullptr;
    if (waitingHook_) waitingHook_(false);
    return outcome;
}

void QtTmHostLoop::Cancel() {
    if (cancel_) cancel_();
}

void QtTmHostLoop::WatchIdle(int fd, std::function<void()> onReadable) {
    if (idle_) {
        // It may be the notifier whose signal runs now.
        idle_->setEnabled(false);
        idle_->deleteLater();
        idle_ = nullptr;
    }
    onIdle_ = std::move(onReadable);
    if (fd < 0 || !onIdle_) return;
    idle_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(idle_, &QSocketNotifier::activated, this, [this] {
        // A copy: the callback may end the watch.
        const std::function<void()> callback = onIdle_;
        if (callback) callback();
    });
}

}  // namespace acquisition
