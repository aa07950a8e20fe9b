// The main window with a configuration whose logic on view holds about 20 MB of lines: how long
// the window is frozen by each thing the operator does with it. A figure is the longest time
// one handler or one pass of the event loop kept the window from answering, from the command
// until the window is idle again (the editor lays its text out and paints afterwards). The goal
// is no freeze over 1 s.
//
// Runs headless (QT_QPA_PLATFORM=offscreen unless the environment says otherwise).
//
//   large-file-bench [megabytes]   (20 unless given)
//   large-file-bench --analysis-window [lines]
//       what the open analysis window adds to the main window's response to a TS typed in the
//       grid, page by page, and to a line added to the logic with "Проблемы" on view, with a
//       logic of `lines` lines on view (10,000 unless given): the longest freeze (wall and GUI
//       thread CPU, median and max of several) and the window's own longest stretch on the event
//       loop; the goal is under 20 ms.

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>
#include <QTextCursor>
#include <QTextDocument>
#include "ui/widgets/logic_editor.h"
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "ui/widgets/color_button.h"
#include "tests/support/scripted_dialogs.h"
#include "ui/model/dialogs.h"
#include "ui/analysis/analysis_form.h"
#include "ui/main/main_window.h"
#include "ui/workbench/document.h"
#include "bench/machine.h"
#include <QTabWidget>
#include <cstdint>
#include "ui/widgets/signal_grids.h"

namespace {

// A configuration file whose block 1 has `bytes` of ON logic (lines of about 100 characters,
// every one valid) and state signal S1, shown first since TS 1 is 0; the other blocks are small.
void WriteLarge(const std::string& path, size_t bytes, size_t maxLines = SIZE_MAX) {
    std::ofstream out(path, std::ios::binary);
    out << "@\r\nF=" << std::string(256, '0') << "\r\n#Server_Channel=0\r\n#Server_RTU=1\r\n";
    for (int k = 0; k < 8; ++k) out << "#TS" << k << "=" << std::string(32, '0') << "\r\n";
    out << "##1 - Q1\r\n#On->Off\r\nIF (S1)\r\nV1=AND(S14)\r\nEND\r\n#Off->On\r\nIF (~S1)\r\n";
    size_t written = 0;
    for (size_t i = 0; written < bytes && i < maxLines; ++i) {
        std::string line = "M" + std::to_string(i % 16 + 1) + "=AND(";
        for (int ts = i % 200 + 2; line.size() < 88; ++ts) line += "S" + std::to_string(ts) + ",";
        line += "~S1)\r\n";
        written += line.size();
        out << line;
    }
    out << "V1=AND(M1,S14)\r\nEND\r\n";
    out << "##2 - Q2\r\n#On->Off\r\nIF (S3)\r\nV2=AND(S4)\r\nEND\r\n#Off->On\r\nIF "
           "(~S3)\r\nV2=AND(S5)\r\nEND\r\n@\r\n";
}

void WriteSmall(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "@\r\n##1 - Q1\r\n#On->Off\r\nIF (S1)\r\nV1=AND(S14)\r\nEND\r\n#Off->On\r\nIF "
           "(~S1)\r\nV1=AND(S2)\r\nEND\r\n@\r\n";
}

// Runs `command` and then the event loop until it has had nothing to do for 300 ms; returns the
// longest stretch, in ms, that one of them kept the loop busy, and the total time. The GUI
// thread's CPU time of that stretch is the steadier figure on a shared machine: it leaves out
// the time the thread waited for a core (the analysis window's worker runs on another thread).
struct Freeze {
    double longestMs = 0;
    double totalMs = 0;
    double longestCpuMs = 0;
};

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

Freeze Measure(const std::function<void()>& command) {
    Freeze f;
    QElapsedTimer total;
    total.start();
    QElapsedTimer step;
    step.start();
    double cpu = ThreadCpuMs();
    command();
    f.longestMs = step.nsecsElapsed() / 1e6;
    f.longestCpuMs = ThreadCpuMs() - cpu;
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 300) {
        step.restart();
        cpu = ThreadCpuMs();
        const bool busy =
            QCoreApplication::instance()->eventDispatcher()->processEvents(QEventLoop::AllEvents);
        const double ms = step.nsecsElapsed() / 1e6;
        f.longestMs = std::max(f.longestMs, ms);
        f.longestCpuMs = std::max(f.longestCpuMs, ThreadCpuMs() - cpu);
        if (busy && ms > 1) idle.restart();
    }
    f.totalMs = total.nsecsElapsed() / 1e6 - 300;
    return f;
}

void Report(const char* what, const Freeze& f) {
    std::printf("%-58s longest freeze %8.1f ms   until idle %8.1f ms\n", what, f.longestMs, f.totalMs);
    std::fflush(stdout);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// The longest freezes of `runs` repetitions of a command: wall time and the GUI thread's CPU
// time, and the analysis window's own time on the event loop (its longest stretch).
struct Series {
    std::vector<double> wall, cpu, window, windowCpu;
};

Series Repeat(int runs, const std::function<void()>& command, ui::TForm_Analysis* window) {
    Series s;
    for (int i = 0; i < runs; ++i) {
        if (window) window->TakeLoopTime();
        const Freeze x = Measure(command);
        s.wall.push_back(x.longestMs);
        s.cpu.push_back(x.longestCpuMs);
        const ui::TForm_Analysis::LoopTime own =
            window ? window->TakeLoopTime() : ui::TForm_Analysis::LoopTime{};
        s.window.push_back(own.longestMs);
        s.windowCpu.push_back(own.longestCpuMs);
    }
    return s;
}

void ReportSeries(const std::string& what, const Series& s, const Series* closed) {
    std::printf("%-46s freeze median %7.1f max %7.1f ms (GUI CPU %6.1f / %6.1f)", what.c_str(),
                Median(s.wall), Max(s.wall), Median(s.cpu), Max(s.cpu));
    if (closed) {
        std::printf(
            "; window on the loop median %5.1f max %5.1f ms (CPU %4.1f / %4.1f); added median %6.1f max "
            "%6.1f ms (CPU)",
            Median(s.window), Max(s.window), Median(s.windowCpu), Max(s.windowCpu),
            Median(s.cpu) - Median(closed->cpu), Max(s.cpu) - Max(closed->cpu));
    }
    std::printf("\n");
    std::fflush(stdout);
}

// The open analysis window's share of the main window's response: a TS typed in the grid with
// the window closed, then open on each page; then a line typed into the editor and the logic
// recalculated, with the window on "Проблемы".
int AnalysisWindow(size_t lines) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("Temp");
    const std::string folder = dir.path().toStdString() + "/";
    WriteLarge(folder + "large.blk", SIZE_MAX, lines);
    interlock::Workspace ws;
    ui::ScriptedDialogs dialogs;
    auto form = std::make_unique<ui::TForm1>(ws, dialogs, folder);
    ui::TForm1& f = *form;
    f.CreateSecondaryWindows();
    f.show();
    dialogs.AnswerOpenFile(folder + "large.blk");
    f.Bench().Doc().Load_File_ButtonClick();
    Measure([] {});
    std::printf("logic on view: %zu lines; load average %s\n", ws.Blocks[1].OnLogic.size(),
                machine::LoadAverages().c_str());
    f.Check_Change_TS->setChecked(true);
    int value = 0;
    auto typeTs = [&] {
        f.TS_Grid->SetCurrentCell(1, 1);
        f.TsGridKey(static_cast<char>('0' + (value ^= 1)));
    };
    constexpr int kRuns = 8;
    Repeat(2, typeTs, nullptr);  // the models built, the caches warm
    const Series closed = Repeat(kRuns, typeTs, nullptr);
    ReportSeries("a TS typed in the grid, analysis window closed", closed, nullptr);
    ui::TForm_Analysis* window = f.AnalysisForm();
    double added = 0, own = 0;
    for (int page = 0; page < window->Pages->count(); ++page) {
        Measure([&] {
            window->Pages->setCurrentIndex(page);
            window->Open();
        });
        const Series open = Repeat(kRuns, typeTs, window);
        const std::string what = "  window open on \"" + window->Pages->tabText(page).toStdString() + "\"";
        ReportSeries(what, open, &closed);
        added = std::max(added, Median(open.cpu) - Median(closed.cpu));
        own = std::max(own, Max(open.windowCpu));
    }
    // An edit of the long logic: a line added in the editor, then "Пересчитать" takes it in.
    int edits = 0;
    auto edit = [&] {
        QTextCursor c(f.Logic->document());
        c.movePosition(QTextCursor::Start);
        c.movePosition(QTextCursor::Down, QTextCursor::MoveAnchor, 3);
        c.insertText("M16=AND(S" + QString::number(2 + edits++ % 200) + ")\n");
        f.Recalculate_ButtonClick();
    };
    Repeat(1, edit, nullptr);
    window->close();
    const Series editClosed = Repeat(4, edit, nullptr);
    ReportSeries("a line added to the logic, window closed", editClosed, nullptr);
    window->OpenPage(ui::TForm_Analysis::Problems);
    Measure([] {});
    const Series editOpen = Repeat(4, edit, window);
    ReportSeries("  window open on the problems", editOpen, &editClosed);
    added = std::max(added, Median(editOpen.cpu) - Median(editClosed.cpu));
    own = std::max(own, Max(editOpen.windowCpu));
    // The window's own stretches are what it can add to the longest freeze; the difference of
    // the freezes, open against closed, also carries the noise of a shared machine.
    std::printf(
        "the open analysis window: its longest stretch on the event loop %.1f ms of GUI CPU (goal < 20 ms); "
        "the longest "
        "freeze's GUI CPU, median open minus closed, at most %.1f ms; load average %s\n",
        own, added, machine::LoadAverages().c_str());
    window->close();
    form.reset();
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--analysis-window")
        return AnalysisWindow(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000);
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20;

    QTemporaryDir dir;
    QDir(dir.path()).mkdir("Temp");
    const std::string folder = dir.path().toStdString() + "/";
    WriteLarge(folder + "large.blk", megabytes << 20);
    WriteSmall(folder + "small.blk");
    std::printf("logic on view: %zu MB of lines of about 100 characters\n", megabytes);

    interlock::Workspace ws;
    ui::ScriptedDialogs dialogs;
    auto form = std::make_unique<ui::TForm1>(ws, dialogs, folder);
    ui::TForm1& f = *form;
    f.CreateSecondaryWindows();
    f.show();
    Measure([] {});

    auto load = [&](const char* name) {
        dialogs.AnswerOpenFile(folder + name);
        f.Bench().Doc().Load_File_ButtonClick();
    };
    Report("load the large configuration", Measure([&] { load("large.blk"); }));
    std::printf("editor lines %d, block 1 ON logic lines %zu, verdict \"%s\", %zu boxes\n",
                f.Logic->document()->blockCount(), ws.Blocks[1].OnLogic.size(),
                f.Top_Label6->text().toUtf8().constData(), dialogs.Log().size());
    std::printf("hint %s\n", f.Top_Label6->toolTip().left(300).toUtf8().constData());
    for (const auto& r : dialogs.Log())
        std::printf("box %s\n", cp1251::ToUtf8(r.text).substr(0, 200).c_str());
    f.Check_Change_TS->setChecked(true);
    Report("a TS typed in the grid", Measure([&] {
               f.TS_Grid->SetCurrentCell(1, 1);
               f.TsGridKey('1');
           }));
    Report("recalculate button", Measure([&] { f.Recalculate_ButtonClick(); }));
    Report("colouring off", Measure([&] { f.Check_Color->click(); }));
    Report("colouring on", Measure([&] { f.Check_Color->click(); }));
    Report("block 2, then block 1 again", Measure([&] {
               f.BlockTabClick(2);
               f.BlockTabClick(1);
           }));
    Report("OFF logic, then ON logic again", Measure([&] {
               f.ViewTabClick(interlock::Side::Off);
               f.ViewTabClick(interlock::Side::On);
           }));
    Report("load a small configuration over it", Measure([&] { load("small.blk"); }));
    Report("load the large configuration again", Measure([&] { load("large.blk"); }));
    Report("load a small configuration over it again", Measure([&] { load("small.blk"); }));
    dialogs.ClearLog();
    form.reset();
    return 0;
}
