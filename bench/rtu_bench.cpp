// The RTU exchange over loopback on the heaviest configuration: the latency from sending a
// datagram that changes a TS to the new verdict in Top_Label6 (median and 99th percentile), and
// the highest sustained rate of such datagrams that the window keeps up with.
//
// The latency is measured twice. Spaced: each datagram is sent once the window has been idle
// for a while (20 ms after the previous verdict, far more often than the RTU's one response a
// second), so that it finds the window with nothing left to do; this is the latency of one
// changing datagram, the figure the goal is about. Back to back: each datagram is sent as soon
// as the previous verdict is seen, so that it meets the window still busy with the previous
// one (its paint); a stress figure. Each interval runs from just before the send to the return
// of the window's data-available handler that put the new verdict into Top_Label6 (the text is
// compared there; the handler sets it before it recolours the editor, so the interval is an
// upper bound); the time to the start of the label's next paint is given beside it.
//
// Goals: spaced latency median within 1 ms and 99th percentile within 2 ms on an idle machine,
// and at least 10,000 changing datagrams a second kept up with back to back.
//
// Both latencies are then measured again with the analysis window open on "Почему запрещено",
// with the time from each verdict to the end of the analysis window's refresh that follows it
// (goal: at most 50 ms) and the time that refresh takes; and once more with the mimic open over
// a topology of the 32 blocks (goal: the spaced median still within 1 ms), with the time from
// each verdict to the end of the mimic's refresh and the time that refresh takes.
//
// The configuration is the one ui-bench uses: all 32 blocks with 40 lines on each side, every
// line close to the 100 characters the parser reads, the 256 TS all referenced by the logic on
// view, the current block forbidden on both sides so that its candidate search runs. Only the
// output line of block 1's ON logic differs: it reads S65 and S66 and otherwise operands that
// hold, so that TS 66 switches the verdict between "запрещено*" (TS 65 alone would allow it) and
// "запрещено" (two changes needed) while the operation stays forbidden.
//
// Runs headless (QT_QPA_PLATFORM=offscreen unless the environment says otherwise). The window
// listens on a free port and sends its requests to another one, so no privileges are needed;
// --fixed-ports uses 955 and 956 as the program does.
//
//   rtu-bench [--count N] [--spaced N] [--gap MS] [--no-rate] [--fixed-ports]
//     --count   datagrams sent back to back (2000)
//     --spaced  datagrams sent spaced (300)
//     --gap     the idle time before each spaced datagram, in ms (20)
//     --no-rate skips the sustained rate search

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <optional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "storage/config_text.h"
#include "interlock/cp1251.h"
#include "tests/support/scripted_dialogs.h"
#include "acquisition/rtu_reception.h"
#include "ui/analysis/analysis_form.h"
#include "ui/mimic/mimic_window.h"
#include "ui/main/main_window.h"
#include "ui/workbench/document.h"
#include "ui/sources/ts_sources.h"
#include "ui/widgets/qt_text.h"
#include "acquisition/udp_socket.h"
#include "interlock/workspace.h"
#include "bench/machine.h"
#include "bench/worst_case.h"

namespace {

using Clock = std::chrono::steady_clock;
using interlock::kBlockCount;
using interlock::kTsCount;

using worst_case::kLineLimit;
constexpr double kMedianGoalMs = 1.0;
constexpr double kP99GoalMs = 2.0;
constexpr int kRateGoal = 10000;

// ---- The configuration ----

// The output line of block 1's ON logic: S65, S66, then operands that hold with `values` (TS
// outside group 2, each read the way that gives 1).
std::string SwitchingOutput(const std::vector<char>& values) {
    std::string line = "V1=AND(S65,S66";
    for (int ts = 100;; ++ts) {
        const std::string operand = (values[ts] == '1' ? ",S" : ",~S") + std::to_string(ts);
        if (line.size() + operand.size() + 1 > kLineLimit) break;
        line += operand;
    }
    return line + ")";
}

// The heaviest configuration as the program writes it, with block 1 set up to switch on a
// single RTU value.
storage::Lines WorstCaseText() {
    auto ws = std::make_unique<interlock::Workspace>();
    worst_case::Build(*ws);
    interlock::TsTableData& t = ws->TsTable;
    t.Value[3] = 0;   // block 1's state TS: the apparatus is off, the ON logic governs
    t.Value[65] = 0;  // forbidden ...
    t.Value[66] = 1;  // ... but TS 65 alone would allow it
    std::vector<char> values(kTsCount + 1, '0');
    for (int ts = 1; ts <= kTsCount; ++ts) values[ts] = t.Value[ts] ? '1' : '0';
    std::vector<std::string> on = ws->Blocks[1].OnLogic.lines();
    on.back() = SwitchingOutput(values);
    ws->Blocks[1].OnLogic = std::move(on);
    storage::Lines text;
    storage::Write_Config_Text(*ws, text, true);
    return text;
}

// The group 2 response that sets TS 66 to `ts66`, the other TS as the configuration has them.
std::string Response(const interlock::Workspace& ws, char ts66) {
    std::string datagram = "r2 ";
    for (int ts = 65; ts <= 96; ++ts) datagram += ws.TsTable.Value[ts] ? '1' : '0';
    datagram[3 + 1] = ts66;
    return datagram;
}

// ---- Loopback ----

class Sender {
public:
    Sender() { fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0); }
    ~Sender() { ::close(fd_); }
    void SendTo(uint16_t port, const std::string& data) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(port);
        ::sendto(fd_, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }

private:
    int fd_ = -1;
};

// What the window did, counted on its thread and waited for on the sender's: the datagrams it
// took (one per data-available event), the verdicts that reached Top_Label6 and the label's
// first paint after each verdict.
struct Progress {
    std::mutex mutex;
    std::condition_variable moved;
    long taken = 0;
    long verdicts = 0;
    long painted = 0;
    Clock::time_point lastTaken;
    Clock::time_point lastVerdict;
    Clock::time_point lastPainted;
    // The window's thread only.
    bool awaitingPaint = false;
    double wallMs = 0;  // time spent in the data-available events of changing datagrams
    double cpuMs = 0;   // the same in CPU time of the window's thread
    long measured = 0;

    void Record(Clock::time_point at, bool verdict) {
        std::lock_guard lock(mutex);
        ++taken;
        lastTaken = at;
        if (verdict) {
            ++verdicts;
            lastVerdict = at;
        }
        moved.notify_all();
    }
    void RecordPaint(Clock::time_point at) {
        std::lock_guard lock(mutex);
        ++painted;
        lastPainted = at;
        moved.notify_all();
    }
    // Waits until the counter reaches `target`; the time it was reached, or nothing.
    std::optional<Clock::time_point> WaitFor(long Progress::*counter, Clock::time_point Progress::*at,
                                             long target, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex);
        if (!moved.wait_for(lock, timeout, [&] { return this->*counter >= target; })) return std::nullopt;
        return this->*at;
    }
    long Get(long Progress::*counter) {
        std::lock_guard lock(mutex);
        return this->*counter;
    }
    void ResetHandlerTimes() {
        wallMs = cpuMs = 0;
        measured = 0;
    }
};

// Notes the start of the label's first paint after a verdict.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(Progress& progress) : progress_(progress) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && progress_.awaitingPaint) {
            progress_.awaitingPaint = false;
            progress_.RecordPaint(Clock::now());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Progress& progress_;
};

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::string LoadAverage() { return machine::LoadAverages(); }

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
    return v[i];
}

// Runs the window's event loop while `work` runs on another thread.
void RunWhile(const std::function<void()>& work) {
    QEventLoop loop;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int count = 2000;
    int spaced = 300;
    int gapMs = 20;
    bool rate = true;
    bool fixedPorts = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--count" && i + 1 < argc) {
            count = std::max(10, std::atoi(argv[++i]));
        } else if (arg == "--spaced" && i + 1 < argc) {
            spaced = std::max(10, std::atoi(argv[++i]));
        } else if (arg == "--gap" && i + 1 < argc) {
            gapMs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--no-rate") {
            rate = false;
        } else if (arg == "--fixed-ports") {
            fixedPorts = true;
        } else {
            std::fprintf(
                stderr, "usage: rtu-bench [--count N] [--spaced N] [--gap MS] [--no-rate] [--fixed-ports]\n");
            return 2;
        }
    }

    QTemporaryDir dir;
    QDir(dir.path()).mkdir("Temp");
    interlock::Workspace ws;
    ui::ScriptedDialogs dialogs;
    ui::TForm1 form(ws, dialogs, dir.path().toStdString() + "/");
    form.CreateSecondaryWindows();
    form.show();
    form.Bench().Doc().ApplyViewerText(WorstCaseText());
    QApplication::processEvents();

    // The responder's port only takes the one request that binds the window's socket.
    int sink = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in sinkAddress{};
    sinkAddress.sin_family = AF_INET;
    sinkAddress.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(sink, reinterpret_cast<sockaddr*>(&sinkAddress), sizeof sinkAddress);
    socklen_t length = sizeof sinkAddress;
    ::getsockname(sink, reinterpret_cast<sockaddr*>(&sinkAddress), &length);
    if (!fixedPorts) form.Sources().Rtu().SetPorts("0", std::to_string(ntohs(sinkAddress.sin_port)));
    try {
        form.Sources().Rtu().SendTsRequest(0);
    } catch (...) {
    }
    if (!form.Sources().Rtu().Socket().Bound()) {
        std::fprintf(stderr, "rtu-bench: the window's socket could not bind%s\n",
                     fixedPorts ? " 127.0.0.1:955 (see docs/rtu.md)" : "");
        return 1;
    }
    const uint16_t port = form.Sources().Rtu().Socket().LocalAddress().Port;
    std::printf("rtu-bench: resident size with the configuration loaded: %ld KiB\n", machine::ResidentKib());

    Progress progress;
    PaintWatch paintWatch(progress);
    form.Top_Label6->installEventFilter(&paintWatch);
    auto handler = form.Sources().Rtu().Socket().OnDataAvailable;
    std::string shown = ui::FromQString(form.Top_Label6->text());
    form.Sources().Rtu().Socket().OnDataAvailable = [&](TfndUDPSocket& socket) {
        const double cpu = ThreadCpuMs();
        const auto start = Clock::now();
        handler(socket);
        const auto end = Clock::now();
        std::string now = ui::FromQString(form.Top_Label6->text());
        const bool verdict = now != shown;
        if (verdict) {
            shown = std::move(now);
            progress.wallMs += Ms(end - start);
            progress.cpuMs += ThreadCpuMs() - cpu;
            ++progress.measured;
            progress.awaitingPaint = true;
        }
        progress.Record(end, verdict);
    };
    // Datagram i of a run flips TS 66 from where the run found it, so that each one changes it.
    const std::string datagrams[2] = {Response(ws, '0'), Response(ws, '1')};
    auto datagramFor = [&](int start66, long i) -> const std::string& {
        return datagrams[(start66 + 1 + i) % 2];
    };
    // The verdict that TS 66 leads to: TS 65 alone allows the operation only while TS 66 is 1.
    const std::string forbiddenStar = ui::FromQString(form.Top_Label6->text());
    const std::string forbidden = cp1251::FromUtf8("запрещено");

    std::printf(
        "rtu-bench: worst-case configuration, block 1 on view, verdict \"%s\"; window on 127.0.0.1:%u; "
        "load average at start %s\n",
        form.Top_Label6->text().toUtf8().constData(), port, LoadAverage().c_str());

    // Latency: one datagram at a time, each waited for; `gap` is the idle time before each send
    // (none: back to back). Spaced runs also wait for the label's paint before the gap starts.
    struct Latencies {
        std::vector<double> verdict;
        std::vector<double> painted;
    };
    auto measure = [&](int n, std::chrono::milliseconds gap) -> std::optional<Latencies> {
        Latencies result;
        bool lost = false;
        const int start66 = ws.TsTable.Value[66];
        const long verdictsBefore = progress.Get(&Progress::verdicts);
        progress.ResetHandlerTimes();
        RunWhile([&] {
            Sender sender;
            for (long i = 0; i < n && !lost; ++i) {
                if (gap.count() > 0) std::this_thread::sleep_for(gap);
                const long paintedBefore = progress.Get(&Progress::painted);
                const auto sent = Clock::now();
                sender.SendTo(port, datagramFor(start66, i));
                const auto shownAt =
                    progress.WaitFor(&Progress::verdicts, &Progress::lastVerdict, verdictsBefore + i + 1,
                                     std::chrono::milliseconds(2000));
                if (!shownAt) {
                    lost = true;
                    break;
                }
                result.verdict.push_back(Ms(*shownAt - sent));
                if (gap.count() == 0) continue;
                const auto paintedAt = progress.WaitFor(&Progress::painted, &Progress::lastPainted,
                                                        paintedBefore + 1, std::chrono::milliseconds(2000));
                if (paintedAt) result.painted.push_back(Ms(*paintedAt - sent));
            }
        });
        if (lost || result.verdict.empty()) return std::nullopt;
        return result;
    };
    auto handlerTimes = [&] {
        std::printf(
            "  the window's data-available event of a changing datagram: %.3f ms, %.3f ms of it on the CPU\n",
            progress.wallMs / static_cast<double>(progress.measured),
            progress.cpuMs / static_cast<double>(progress.measured));
    };

    const std::optional<Latencies> idle = measure(spaced, std::chrono::milliseconds(gapMs));
    if (!idle) {
        std::fprintf(stderr, "rtu-bench: a verdict did not arrive within 2 s\n");
        return 1;
    }
    const double median = Percentile(idle->verdict, 0.5);
    const double p99 = Percentile(idle->verdict, 0.99);
    std::printf(
        "latency, spaced (%d ms idle before each of %zu datagrams): median %.3f ms, 99th percentile %.3f ms, "
        "max %.3f ms (goal: median <= %.1f ms, 99th percentile <= %.1f ms) %s\n",
        gapMs, idle->verdict.size(), median, p99, Percentile(idle->verdict, 1.0), kMedianGoalMs, kP99GoalMs,
        median <= kMedianGoalMs && p99 <= kP99GoalMs ? "MET" : "MISSED");
    if (!idle->painted.empty()) {
        std::printf(
            "  to the start of the label's paint (%zu painted): median %.3f ms, 99th percentile %.3f ms\n",
            idle->painted.size(), Percentile(idle->painted, 0.5), Percentile(idle->painted, 0.99));
    }
    handlerTimes();

    const std::optional<Latencies> busy = measure(count, std::chrono::milliseconds(0));
    if (!busy) {
        std::fprintf(stderr, "rtu-bench: a verdict did not arrive within 2 s\n");
        return 1;
    }
    std::printf(
        "latency, back to back (each of %zu datagrams sent as the previous verdict is seen; stress figure): "
        "median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n",
        busy->verdict.size(), Percentile(busy->verdict, 0.5), Percentile(busy->verdict, 0.99),
        Percentile(busy->verdict, 1.0));
    handlerTimes();

    // How far a window that follows the verdicts is behind them: from the first verdict it has
    // not yet followed to the end of its refresh, and the time that refresh took. One follower
    // per window, each with its own clock, for the analysis window and for the mimic alike.
    struct Follower {
        std::vector<double> lags, refreshMs;
        Clock::time_point verdictAt{};
        bool awaiting = false;
    };
    auto follow = [&](auto* window) {
        auto f = std::make_shared<Follower>();
        QObject::connect(&form.Bench(), &ui::Workbench::Refreshed, window, [f] {
            if (f->awaiting) return;
            f->verdictAt = Clock::now();
            f->awaiting = true;
        });
        QObject::connect(window, &std::remove_pointer_t<decltype(window)>::Refreshed, window, [f, window] {
            const auto now = Clock::now();
            if (!f->awaiting) return;
            f->awaiting = false;
            f->lags.push_back(Ms(now - f->verdictAt));
            f->refreshMs.push_back(window->LastRefreshMs());
        });
        return f;
    };
    // Prints what the follower measured since the last print, against `goalMs` when there is one.
    auto printBehind = [](Follower& f, const char* what, double goalMs) {
        if (f.lags.empty()) {
            std::printf("  the %s did not refresh\n", what);
            return;
        }
        const double worst = Percentile(f.lags, 1.0);
        std::printf(
            "  %s behind the verdict (%zu refreshes): median %.3f ms, 99th percentile %.3f ms, max %.3f ms",
            what, f.lags.size(), Percentile(f.lags, 0.5), Percentile(f.lags, 0.99), worst);
        if (goalMs > 0) std::printf(" (goal: <= %.0f ms) %s", goalMs, worst <= goalMs ? "MET" : "MISSED");
        std::printf("; one refresh median %.3f ms, max %.3f ms\n", Percentile(f.refreshMs, 0.5),
                    Percentile(f.refreshMs, 1.0));
        f.lags.clear();
        f.refreshMs.clear();
    };

    // The same with the analysis window open: its refresh runs after the verdict's event.
    ui::TForm_Analysis* analysis = form.AnalysisForm();
    analysis->OpenPage(ui::TForm_Analysis::Why);
    const std::shared_ptr<Follower> analysisFollows = follow(analysis);
    auto printLags = [&] { printBehind(*analysisFollows, "analysis window", 50); };
    QApplication::processEvents();
    const std::optional<Latencies> idleOpen = measure(spaced, std::chrono::milliseconds(gapMs));
    if (!idleOpen) {
        std::fprintf(stderr, "rtu-bench: a verdict did not arrive within 2 s\n");
        return 1;
    }
    const double medianOpen = Percentile(idleOpen->verdict, 0.5);
    const double p99Open = Percentile(idleOpen->verdict, 0.99);
    std::printf(
        "latency with the analysis window open, spaced: median %.3f ms, 99th percentile %.3f ms, max %.3f ms "
        "(goal: median <= %.1f ms, 99th percentile <= %.1f ms) %s\n",
        medianOpen, p99Open, Percentile(idleOpen->verdict, 1.0), kMedianGoalMs, kP99GoalMs,
        medianOpen <= kMedianGoalMs && p99Open <= kP99GoalMs ? "MET" : "MISSED");
    printLags();
    const std::optional<Latencies> busyOpen = measure(count, std::chrono::milliseconds(0));
    if (!busyOpen) {
        std::fprintf(stderr, "rtu-bench: a verdict did not arrive within 2 s\n");
        return 1;
    }
    {
        // Let the last refresh arrive.
        QEventLoop settle;
        QTimer::singleShot(100, &settle, &QEventLoop::quit);
        settle.exec();
    }
    std::printf(
        "latency with the analysis window open, back to back: median %.3f ms, 99th percentile %.3f ms, "
        "max %.3f ms\n",
        Percentile(busyOpen->verdict, 0.5), Percentile(busyOpen->verdict, 0.99),
        Percentile(busyOpen->verdict, 1.0));
    printLags();
    analysis->hide();

    // The same with the mimic open over a topology of the 32 blocks: it follows each verdict
    // from a short timer after the window's event, so the verdict never waits for it.
    {
        const std::string base = dir.path().toStdString() + "/worst";
        ws.ConfigFileName = base + ".blk";
        std::string top = "NODE BUS\nSOURCE BUS\n";
        for (int n = 1; n <= interlock::kBlockCount; ++n) {
            const std::string f = "F" + std::to_string(n);
            const std::string q = "Q" + std::to_string(n);
            top += "NODE " + f + "\n";
            if (n % 3 == 0) {
                top += "EARTHING " + q + " " + f + " BLOCK " + std::to_string(n) + "\nCABLE BUS " + f + "\n";
            } else {
                top += std::string(n % 3 == 1 ? "BREAKER " : "DISCONNECTOR ") + q + " BUS " + f + " BLOCK " +
                       std::to_string(n) + "\nLOAD " + f + "\n";
            }
        }
        std::ofstream(base + ".top", std::ios::binary) << top;
    }
    mimic::MimicWindow* mimicWindow = form.MimicForm();
    mimicWindow->Open();
    const std::shared_ptr<Follower> mimicFollows = follow(mimicWindow);
    QApplication::processEvents();
    const std::optional<Latencies> idleMimic = measure(spaced, std::chrono::milliseconds(gapMs));
    if (!idleMimic) {
        std::fprintf(stderr, "rtu-bench: a verdict did not arrive within 2 s\n");
        return 1;
    }
    const double medianMimic = Percentile(idleMimic->verdict, 0.5);
    const double p99Mimic = Percentile(idleMimic->verdict, 0.99);
    std::printf(
        "latency with the mimic open (32 apparatus), spaced: median %.3f ms, 99th percentile %.3f ms, max "
        "%.3f ms "
        "(goal: median <= %.1f ms) %s\n",
        medianMimic, p99Mimic, Percentile(idleMimic->verdict, 1.0), kMedianGoalMs,
        medianMimic <= kMedianGoalMs ? "MET" : "MISSED");
    printBehind(*mimicFollows, "mimic", 0);
    mimicWindow->hide();
    std::printf("load average at the end %s\n", LoadAverage().c_str());
    if (!rate) {
        ::close(sink);
        return 0;
    }

    // Sustained rate: changing datagrams paced at a rate for one second. The window keeps up when
    // it takes every one of them, none is dropped, and the verdict of the last one is on show
    // within 100 ms of its sending.
    auto keepsUp = [&](int rate) {
        const long first = progress.Get(&Progress::taken);
        const int from66 = ws.TsTable.Value[66];
        const uint64_t droppedBefore = form.Sources().Rtu().Socket().DroppedPacketCount();
        bool ok = false;
        RunWhile([&] {
            Sender sender;
            const auto start = Clock::now();
            Clock::time_point lastSent;
            for (long i = 0; i < rate; ++i) {
                std::this_thread::sleep_until(start + std::chrono::nanoseconds(1000000000LL * i / rate));
                lastSent = Clock::now();
                sender.SendTo(port, datagramFor(from66, i));
            }
            const auto takenAt = progress.WaitFor(&Progress::taken, &Progress::lastTaken, first + rate,
                                                  std::chrono::milliseconds(1500));
            ok = takenAt && *takenAt - lastSent < std::chrono::milliseconds(100);
        });
        const bool last66 = (from66 + rate) % 2 == 1;  // the value the last datagram set
        ok = ok && ws.TsTable.Value[66] == (last66 ? 1 : 0) &&
             ui::FromQString(form.Top_Label6->text()) == (last66 ? forbiddenStar : forbidden);
        // Let what is left arrive, so that the next round starts even.
        QEventLoop settle;
        QTimer::singleShot(300, &settle, &QEventLoop::quit);
        settle.exec();
        ok = ok && progress.Get(&Progress::taken) == first + rate &&
             form.Sources().Rtu().Socket().DroppedPacketCount() == droppedBefore;
        std::printf("  %6d changing datagrams/s: %s\n", rate, ok ? "kept up" : "fell behind");
        return ok;
    };
    int best = 0;
    int failed = 0;
    for (int rate = 250; rate <= 64000; rate *= 2) {
        if (keepsUp(rate)) {
            best = rate;
        } else {
            failed = rate;
            break;
        }
    }
    for (int step = 0; step < 3 && failed > best + best / 8; ++step) {
        const int rate = (best + failed) / 2;
        if (keepsUp(rate))
            best = rate;
        else
            failed = rate;
    }
    std::printf("highest sustained rate kept up with: %d changing datagrams/s (goal: >= %d) %s\n", best,
                kRateGoal, best >= kRateGoal ? "MET" : "MISSED");
    ::close(sink);
    return 0;
}
