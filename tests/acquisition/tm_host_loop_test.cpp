// The helper's calls waiting in the Qt event loop, against a library that is slow, hangs or
// dies: the loop keeps running while a call waits (measured by the longest gap between the
// ticks of a 5 ms timer, a blocking wait shown beside for comparison), a cancel ends the call at
// once, a call made from inside another's wait is refused without harm to it, and a helper that
// dies between calls is reaped by the loop.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "acquisition/tm_host_library.h"
#include "acquisition/tm_host_loop.h"

namespace acquisition {
namespace {

using namespace std::chrono_literals;

const std::string kHost = TMACCESS_HOST;
const std::string kBadLibrary = BAD_TMACCESS_LIBRARY;

void Mode(const char* mode) { ::setenv("BAD_TMACCESS", mode, 1); }

std::vector<TmStatusRequest> Points() {
    std::vector<TmStatusRequest> list;
    for (int16_t p = 1; p <= 256; ++p) list.push_back({0, 1, p});
    return list;
}

// The longest time the event loop went without running a 5 ms timer.
class FreezeProbe {
public:
    FreezeProbe() {
        timer_.setInterval(5);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        clock_.start();
        timer_.start();
    }
    void Tick() {
        longest_ = std::max(longest_, clock_.restart());
        ++ticks_;
    }
    // Counts the time since the last tick too: a freeze at the end is a freeze.
    qint64 LongestMs() {
        Tick();
        return longest_;
    }
    int Ticks() const { return ticks_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
    int ticks_ = 0;
};

enum class Slow { Connect, Poll };

struct FreezeRow {
    const char* name;
    Slow slow;
    bool inTheLoop;
};

void PrintTo(const FreezeRow& r, std::ostream* os) { *os << r.name; }

class CallFreeze : public testing::TestWithParam<FreezeRow> {
protected:
    void TearDown() override {
        Mode("good");
        ::unsetenv("BAD_TMACCESS_DELAY_MS");
    }
};

constexpr int kDelayMs = 1400;

TEST_P(CallFreeze, TheLoopRunsWhileASlowCallWaits) {
    const FreezeRow& row = GetParam();
    Mode(row.slow == Slow::Connect ? "slow-init" : "slow-poll");
    ::setenv("BAD_TMACCESS_DELAY_MS", std::to_string(kDelayMs).c_str(), 1);
    QtTmHostLoop loop;
    HostTmLibrary lib(kHost, {kBadLibrary});
    if (row.inTheLoop) lib.SetLoop(&loop);

    std::vector<TmStatusResult> result;
    FreezeProbe probe;
    QElapsedTimer took;
    took.start();
    // The call starts from the event loop, as a timer or a click starts it in the window.
    QTimer::singleShot(0, [&] {
        ASSERT_EQ(lib.Init("S", "t"), 1) << lib.FailureReason();
        if (row.slow == Slow::Poll) lib.StatusByList(Points(), result);
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    const qint64 longest = probe.LongestMs();

    EXPECT_GE(took.elapsed(), kDelayMs);
    if (row.slow == Slow::Poll) {
        ASSERT_FALSE(lib.LastCallFailed()) << lib.FailureReason();
        ASSERT_EQ(result.size(), 256u);
        EXPECT_EQ(result[0].value, 1);
        EXPECT_EQ(result[1].value, 0);
    }
    if (row.inTheLoop) {
        EXPECT_LT(longest, kDelayMs / 4) << "the loop stood still while the call waited";
    } else {
        EXPECT_GE(longest, kDelayMs - 50);
    }
    std::printf("%s: the event loop stood still for at most %lld ms during a %d ms call (%d ticks)\n",
                row.name, static_cast<long long>(longest), kDelayMs, probe.Ticks());
    RecordProperty("longest_freeze_ms", static_cast<int>(longest));
}

INSTANTIATE_TEST_SUITE_P(Library, CallFreeze,
                         testing::Values(FreezeRow{"SlowPollBlocking", Slow::Poll, false},
                                         FreezeRow{"SlowPollInTheLoop", Slow::Poll, true},
                                         FreezeRow{"SlowConnectBlocking", Slow::Connect, false},
                                         FreezeRow{"SlowConnectInTheLoop", Slow::Connect, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CallInTheLoop, ACancelEndsAHangingCallAtOnceAndTheHelperWithIt) {
    Mode("hang-poll");
    QtTmHostLoop loop;
    TmCallBounds bounds;
    bounds.status = 10s;
    HostTmLibrary lib(kHost, {kBadLibrary}, bounds);
    lib.SetLoop(&loop);
    ASSERT_EQ(lib.Init("S", "t"), 1);
    const pid_t helper = lib.HostPid();
    std::vector<TmStatusResult> result;
    QElapsedTimer took;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(100, [&] { loop.Cancel(); });
        took.start();
        lib.StatusByList(Points(), result);
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    EXPECT_LT(took.elapsed(), 2000);
    EXPECT_TRUE(lib.LastCallFailed());
    EXPECT_TRUE(lib.LastCallCancelled());
    EXPECT_EQ(lib.HostPid(), -1);
    EXPECT_NE(::kill(helper, 0), 0) << "the helper was left running or unreaped";
    ASSERT_EQ(result.size(), 256u);
    EXPECT_EQ(result[0].status, TM_STATUS_ERROR);
    Mode("good");
}

TEST(CallInTheLoop, ACallMadeInsideAnotherCallsWaitIsRefusedAndTheFirstGoesOn) {
    Mode("slow-poll");
    ::setenv("BAD_TMACCESS_DELAY_MS", "300", 1);
    QtTmHostLoop loop;
    HostTmLibrary lib(kHost, {kBadLibrary});
    lib.SetLoop(&loop);
    ASSERT_EQ(lib.Init("S", "t"), 1);
    std::vector<TmStatusResult> outer;
    std::vector<TmStatusResult> inner;
    bool innerFailed = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(50, [&] {
            lib.StatusByList(Points(), inner);
            innerFailed = lib.LastCallFailed();
        });
        lib.StatusByList(Points(), outer);
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    EXPECT_TRUE(innerFailed);
    ASSERT_EQ(inner.size(), 256u);
    EXPECT_EQ(inner[0].status, TM_STATUS_ERROR);
    EXPECT_FALSE(lib.LastCallFailed()) << lib.FailureReason();
    ASSERT_EQ(outer.size(), 256u);
    EXPECT_EQ(outer[0].value, 1);
    EXPECT_EQ(outer[0].status, 0);
    ::unsetenv("BAD_TMACCESS_DELAY_MS");
    Mode("good");
}

TEST(CallInTheLoop, AnAnswerThatCameWhileAnInnerLoopHeldTheWaitCounts) {
    Mode("slow-poll");
    ::setenv("BAD_TMACCESS_DELAY_MS", "100", 1);
    QtTmHostLoop loop;
    TmCallBounds bounds;
    bounds.status = 300ms;
    HostTmLibrary lib(kHost, {kBadLibrary}, bounds);
    lib.SetLoop(&loop);
    ASSERT_EQ(lib.Init("S", "t"), 1);
    std::vector<TmStatusResult> result;
    QTimer::singleShot(0, [&] {
        // A modal box of another window, open past the call's bound: the wait cannot end
        // before the box is closed, though the answer came long before.
        QTimer::singleShot(10, [] {
            QEventLoop box;
            QTimer::singleShot(600, &box, &QEventLoop::quit);
            box.exec();
        });
        lib.StatusByList(Points(), result);
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    EXPECT_FALSE(lib.LastCallFailed()) << lib.FailureReason();
    ASSERT_EQ(result.size(), 256u);
    EXPECT_EQ(result[0].value, 1);
    ::unsetenv("BAD_TMACCESS_DELAY_MS");
    Mode("good");
}

TEST(CallInTheLoop, AHelperKilledBetweenCallsIsReapedByTheLoop) {
    Mode("good");
    QtTmHostLoop loop;
    HostTmLibrary lib(kHost, {kBadLibrary});
    lib.SetLoop(&loop);
    ASSERT_EQ(lib.Init("S", "t"), 1);
    const pid_t helper = lib.HostPid();
    ::kill(helper, SIGKILL);
    QElapsedTimer waited;
    waited.start();
    while (lib.HostPid() != -1 && waited.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(lib.HostPid(), -1);
    EXPECT_NE(::kill(helper, 0), 0) << "a zombie is left";
    // The link finds out at its next call, as before.
    std::vector<TmStatusResult> result;
    lib.StatusByList(Points(), result);
    EXPECT_TRUE(lib.LastCallFailed());
}

}  // namespace
}  // namespace acquisition

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
