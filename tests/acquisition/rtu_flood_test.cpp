// A flood on the RTU port: 100,000 datagrams of random bytes and random lengths up to 5000, with
// valid responses mixed in, sent to the main window running offscreen on 127.0.0.1:955. The window
// must not crash, must keep answering its event loop, must keep its memory bounded (receive queue
// and receipt log), and must apply the valid responses.

#include <QCheckBox>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <random>
#include <thread>

#include "acquisition/rtu_exchange.h"
#include "tests/acquisition/rtu_test_rig.h"
#include "acquisition/udp_socket.h"

using namespace rtu_test;

// Under AddressSanitizer freed memory is held back in a quarantine, 256 MB by default, to catch
// uses after free. The flood frees hundreds of megabytes of datagrams, so that quarantine alone
// would break the memory bound below, which is about what the window keeps. A small quarantine
// still catches a use of anything freed recently; the bound then holds in both builds. (The
// environment's ASAN_OPTIONS still take precedence; without ASan this function is never called.)
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

namespace {

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
long StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

// The CPU time the calling thread has used, in ms. The event loop's pulse measures its gaps in
// the main thread's own CPU time: work done without returning to the loop, which a machine
// busy with other processes does not stretch (wall-clock gaps there say more about the
// scheduler than about the window).
qint64 ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

constexpr int kDatagrams = 100000;
constexpr int kValidEvery = 100;  // every 100th datagram is a valid response for group 2
constexpr int kMaxLength = 5000;

}  // namespace

class RtuFloodTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        const std::string problem = FixedPortProblem();
        if (!problem.empty()) QFAIL(problem.c_str());
    }

    void floodOfRandomDatagrams() {
        QElapsedTimer total;
        total.start();
        UdpPeer responder(kResponderPort);
        Rig rig;
        ui::TForm1& f = rig.Start();
        rig.ShowTestBlock();
        f.Check_Get_TS_Orvesk->setChecked(true);
        f.Sources().Get_TS_Orvesk_TimerTimer();
        QVERIFY(f.Sources().Rtu().Socket().Bound());
        const long rssBefore = StatusKb("VmRSS");

        // The event loop's pulse: a 10 ms timer whose longest gap tells whether the window kept
        // answering; it also watches TS 65, which only the valid responses change.
        QElapsedTimer pulseClock;
        pulseClock.start();
        qint64 lastPulse = 0;
        qint64 longestGap = 0;  // wall clock
        qint64 lastPulseCpu = ThreadCpuMs();
        qint64 longestCpuGap = 0;  // the main thread's CPU time
        int ts65Changes = 0;
        int verdictChanges = 0;
        int16_t ts65 = rig.ws.TsTable.Value[65];
        std::string verdict = rig.Verdict();
        QTimer pulse;
        pulse.setInterval(10);
        QObject::connect(&pulse, &QTimer::timeout, [&] {
            const qint64 now = pulseClock.elapsed();
            longestGap = std::max(longestGap, now - lastPulse);
            lastPulse = now;
            const qint64 cpu = ThreadCpuMs();
            longestCpuGap = std::max(longestCpuGap, cpu - lastPulseCpu);
            lastPulseCpu = cpu;
            if (rig.ws.TsTable.Value[65] != ts65) {
                ts65 = rig.ws.TsTable.Value[65];
                ++ts65Changes;
            }
            if (rig.Verdict() != verdict) {
                verdict = rig.Verdict();
                ++verdictChanges;
            }
        });
        pulse.start();

        std::atomic<bool> done{false};
        std::atomic<int> sendFailures{0};
        std::thread sender([&] {
            UdpPeer out;
            std::mt19937 random(20240611);
            std::uniform_int_distribution<int> length(0, kMaxLength);
            // Random bytes are cut from a pool at random places: cheap enough to flood with.
            std::string pool(1 << 20, '\0');
            for (char& c : pool) c = static_cast<char>(random());
            std::uniform_int_distribution<std::size_t> place(0, pool.size() - kMaxLength);
            std::string data;
            auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < kDatagrams; ++i) {
                if (i % kValidEvery == 0) {
                    data = "r2 " + std::string(32, (i / kValidEvery) % 2 ? '0' : '1');
                } else {
                    data.assign(pool, place(random), static_cast<std::size_t>(length(random)));
                }
                if (!out.SendTo(kProgramPort, data)) sendFailures.fetch_add(1);
                // At most 100 datagrams a millisecond: a flood, yet the loopback keeps up with it.
                if (i % 100 == 99)
                    std::this_thread::sleep_until(start + std::chrono::milliseconds(i / 100 + 1));
            }
            done = true;
        });
        const bool finished = PumpUntil([&] { return done.load(); }, 60000);
        sender.join();
        QVERIFY2(finished, "the sender did not finish in time");

        // Everything that got through is taken, then the log stays still.
        int lines = -1;
        QElapsedTimer still;
        still.start();
        QVERIFY2(PumpUntil(
                     [&] {
                         if (rig.MemoLines() != lines || f.Sources().Rtu().Socket().ReceiveQueueSize() != 0) {
                             lines = rig.MemoLines();
                             still.restart();
                         }
                         return still.elapsed() > 300;
                     },
                     20000),
                 "the window did not catch up with what it had queued");
        pulse.stop();
        const long peak = StatusKb("VmHWM");
        qInfo(
            "flood: %d datagrams (%d send failures), %lld ms; longest event-loop gap %lld ms "
            "(%lld ms of CPU time); "
            "TS 65 changed %d times, the verdict %d times; %llu dropped by the receive queue; RSS %ld kB "
            "before, peak %ld kB",
            kDatagrams, sendFailures.load(), static_cast<long long>(total.elapsed()),
            static_cast<long long>(longestGap), static_cast<long long>(longestCpuGap), ts65Changes,
            verdictChanges, static_cast<unsigned long long>(f.Sources().Rtu().Socket().DroppedPacketCount()),
            rssBefore, peak);

        QVERIFY2(longestCpuGap < 500, "the window stopped answering during the flood");
        QVERIFY2(ts65Changes > 0, "no valid response of the flood was applied");
        QVERIFY2(verdictChanges > 0, "the verdict did not follow the valid responses during the flood");
        QVERIFY(rig.MemoLines() <= ui::TsSources::kMemoLineLimit);
        QVERIFY2(peak - rssBefore < 150 * 1024, "memory grew without bound under the flood");
        QVERIFY(f.Sources().Rtu().Socket().ReceiveQueueSize() == 0);

        // The window still answers: a queued timer fires, and the next responses are applied.
        bool fired = false;
        QTimer::singleShot(0, [&] { fired = true; });
        QVERIFY(PumpUntil([&] { return fired; }, 1000));
        for (char v : {'1', '0'}) {
            const std::string last = "r2 " + std::string(32, v);
            QVERIFY(responder.SendTo(kProgramPort, last));
            QVERIFY(PumpUntil([&] { return rig.LastMemoLine() == last; }, 2000));
            for (int n = 65; n <= 96; ++n) QCOMPARE(int(rig.ws.TsTable.Value[n]), v - '0');
            QCOMPARE(rig.Verdict(), W(v == '1' ? "разрешено" : "запрещено*"));
        }
        QVERIFY(rig.dialogs.Log().empty());
        QVERIFY2(total.elapsed() < 60000, "the flood test took longer than a minute");
    }
};

QTEST_MAIN(RtuFloodTest)
#include "rtu_flood_test.moc"
