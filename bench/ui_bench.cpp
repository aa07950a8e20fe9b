// The main window on the heaviest configuration the tool can hold: how long one display refresh
// of the current block takes as the window does it, and how long a TS typed into the grid or a
// changing RTU response takes to reach the verdict label. The goal for all is well inside one
// 16 ms frame.
//
// Goals: a block tab click that loads a 40-line logic within 2 ms; a TS edit in the grid to the
// new verdict on screen within 0.5 ms. The "TextTwin" variants run the same with every parse
// reading the logic text afresh (the engine's plain twin), in the same run.
//
// The "Painted" variants then let the window paint what the change left to paint, as the event
// loop does after the handler (only the widgets that were marked for painting); "FullPaint"
// paints the whole window, for comparison.
//
// The configuration: all 32 blocks with 40 lines on each side, every line close to the
// 100 characters the parser reads, the 256 TS all referenced by the logic on view, and the
// current block forbidden on both sides so that its candidate search tries every marked TS.
// It is applied as the configuration viewer applies an edited text.
//
// Runs headless (QT_QPA_PLATFORM=offscreen unless the environment says otherwise).
//
//   ui-bench [benchmark options]   the benchmarks
//   ui-bench --paints              the widgets painted after a changing RTU response

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPaintEvent>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextEdit>

#include <array>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "storage/config_text.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/text_parser.h"
#include "acquisition/rtu_reception.h"
#include "ui/main/main_window.h"
#include "ui/workbench/document.h"
#include "ui/sources/ts_sources.h"
#include "interlock/report.h"
#include "ui/widgets/logic_editor.h"
#include "ui/widgets/signal_grids.h"
#include "ui/main/ts_captions_form.h"
#include <QRadioButton>
#include "interlock/workspace.h"
#include "bench/machine.h"
#include "bench/worst_case.h"

namespace {

using interlock::kBlockCount;
using interlock::kTsCount;

// The whole configuration as the program writes it into a configuration file.
storage::Lines WorstCaseText() {
    auto ws = std::make_unique<interlock::Workspace>();
    worst_case::Build(*ws);
    storage::Lines text;
    storage::Write_Config_Text(*ws, text, true);
    return text;
}

// The program over a folder of its own, with the worst-case configuration applied.
struct Program {
    QTemporaryDir dir;
    interlock::Workspace ws;
    ui::ScriptedDialogs dialogs;
    std::unique_ptr<ui::TForm1> form;

    Program() {
        QDir(dir.path()).mkdir("Temp");
        form = std::make_unique<ui::TForm1>(ws, dialogs, dir.path().toStdString() + "/");
        form->CreateSecondaryWindows();
        form->show();
        form->Bench().Doc().ApplyViewerText(WorstCaseText());
        QApplication::processEvents();
    }
};

Program& Shared() {
    static Program* program = new Program;
    return *program;
}

// (a) One refresh of the current block as the window does it: the fields into the workspace,
// the verdict with the candidate search, then labels, tabs, grids and the editor colouring.
void BM_Refresh(benchmark::State& state) {
    Program& p = Shared();
    for (auto _ : state) {
        p.form->Bench().Pull();
        interlock::RefreshBlockDisplay(p.ws);
        p.form->Bench().Push();
    }
}
BENCHMARK(BM_Refresh)->Unit(benchmark::kMillisecond);

// Paints what is waiting to be painted, as the event loop does once the handler has returned.
void PaintPending() { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); }

// (a') The same refresh painted.
void BM_RefreshPainted(benchmark::State& state) {
    Program& p = Shared();
    for (auto _ : state) {
        p.form->Bench().Pull();
        interlock::RefreshBlockDisplay(p.ws);
        p.form->Bench().Push();
        PaintPending();
    }
}
BENCHMARK(BM_RefreshPainted)->Unit(benchmark::kMillisecond);

// The whole window painted, whatever changed.
void BM_FullPaint(benchmark::State& state) {
    Program& p = Shared();
    for (auto _ : state) p.form->repaint();
}
BENCHMARK(BM_FullPaint)->Unit(benchmark::kMillisecond);

// A block tab click back and forth: commit, show, and a new text in the editor each time.
void BM_BlockTabClick(benchmark::State& state) {
    Program& p = Shared();
    p.ws.ParseText = state.range(0) == 1 ? interlock::twin::ParseText : nullptr;
    int tab = 2;
    for (auto _ : state) {
        p.form->BlockTabClick(tab);
        tab = tab == 2 ? 1 : 2;
    }
    if (p.ws.CurrentBlock != 1) p.form->BlockTabClick(1);
    p.ws.ParseText = nullptr;
    state.SetLabel(state.range(0) == 1 ? "text twin" : "compiled");
}
BENCHMARK(BM_BlockTabClick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// (b) A TS typed into the grid: the value, all 32 blocks recalculated, the refresh, up to the
// verdict label; "0" and "1" in turn so that every press changes the value.
void BM_TsGridKey(benchmark::State& state) {
    Program& p = Shared();
    p.form->TS_Grid->SetCurrentCell(p.form->TS_Grid->ColumnCount() / 2, 1);
    char key = '1';
    for (auto _ : state) {
        p.form->TsGridKey(key);
        key = key == '1' ? '0' : '1';
        benchmark::DoNotOptimize(p.form->Top_Label6->text().size());
    }
}
BENCHMARK(BM_TsGridKey)->Unit(benchmark::kMillisecond);

// (b') The same with the window drawn afterwards, so that the verdict is on screen.
void BM_TsGridKeyPainted(benchmark::State& state) {
    Program& p = Shared();
    p.ws.ParseText = state.range(0) == 1 ? interlock::twin::ParseText : nullptr;
    p.form->TS_Grid->SetCurrentCell(p.form->TS_Grid->ColumnCount() / 2, 1);
    char key = '1';
    for (auto _ : state) {
        p.form->TsGridKey(key);
        PaintPending();
        key = key == '1' ? '0' : '1';
    }
    p.ws.ParseText = nullptr;
    state.SetLabel(state.range(0) == 1 ? "text twin" : "compiled");
}
BENCHMARK(BM_TsGridKeyPainted)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The group 2 responses of the RTU that set TS 66 to 0 and to 1, the other TS as they are.
std::array<std::string, 2> Responses(const interlock::Workspace& ws) {
    std::array<std::string, 2> datagrams;
    for (char v : {'0', '1'}) {
        std::string& d = datagrams[v - '0'];
        d = "r2 ";
        for (int ts = 65; ts <= 96; ++ts) d += ws.TsTable.Value[ts] ? '1' : '0';
        d[3 + 1] = v;
    }
    return datagrams;
}

// (c) A changing RTU response as the data-available handler applies it once the datagram is
// read: the receipt log, the values, all 32 blocks, the TS list (hidden), the refresh.
void BM_RtuResponse(benchmark::State& state) {
    Program& p = Shared();
    const std::array<std::string, 2> datagrams = Responses(p.ws);
    int next = p.ws.TsTable.Value[66] ? 0 : 1;
    for (auto _ : state) {
        p.form->Sources().Rtu().ReceiveTsData(datagrams[next]);
        next ^= 1;
        benchmark::DoNotOptimize(p.form->Top_Label6->text().size());
    }
}
BENCHMARK(BM_RtuResponse)->Unit(benchmark::kMillisecond);

// (c') The same painted.
void BM_RtuResponsePainted(benchmark::State& state) {
    Program& p = Shared();
    const std::array<std::string, 2> datagrams = Responses(p.ws);
    int next = p.ws.TsTable.Value[66] ? 0 : 1;
    for (auto _ : state) {
        p.form->Sources().Rtu().ReceiveTsData(datagrams[next]);
        next ^= 1;
        PaintPending();
    }
}
BENCHMARK(BM_RtuResponsePainted)->Unit(benchmark::kMillisecond);

// The engine's part of a TS edit alone, for comparison: recalculation and refresh, no widgets.
void BM_EngineTsChange(benchmark::State& state) {
    Program& p = Shared();
    for (auto _ : state) {
        p.ws.TsTable.Value[200] ^= 1;
        interlock::RecalculateAll(p.ws);
        interlock::RefreshBlockDisplay(p.ws);
    }
}
BENCHMARK(BM_EngineTsChange)->Unit(benchmark::kMillisecond);

// The logic editor colouring 500 lines with 2000 runs: every line changed ("Whole"), then one
// operand changing its colour in turn ("OneRun").
struct Colouring {
    std::vector<ui::ColourRun> runs;
    std::vector<std::string> lines;
    Colouring() {
        for (int i = 0; i < 500; ++i) {
            lines.push_back("V1=AND(S1,~S2,M3)");
            runs.push_back({i, 0, 2, interlock::colour::kRed, false});
            runs.push_back({i, 7, 2, interlock::colour::kGreen, false});
            runs.push_back({i, 10, 3, interlock::colour::kGrey, true});
            runs.push_back({i, 14, 2, interlock::colour::kRed, false});
        }
    }
};

void BM_EditorRecolourWhole(benchmark::State& state) {
    Colouring c;
    std::vector<ui::ColourRun> plain = c.runs;
    for (ui::ColourRun& r : plain) r.colour = interlock::colour::kBlack, r.boldUnderline = false;
    ui::LogicEditor editor;
    editor.ShowLines(c.lines);
    bool coloured = false;
    for (auto _ : state) {
        editor.Recolour(coloured ? plain : c.runs);
        coloured = !coloured;
    }
}
BENCHMARK(BM_EditorRecolourWhole)->Unit(benchmark::kMillisecond);

void BM_EditorRecolourOneRun(benchmark::State& state) {
    Colouring c;
    ui::LogicEditor editor;
    editor.ShowLines(c.lines);
    editor.Recolour(c.runs);
    for (auto _ : state) {
        c.runs[1000].colour = c.runs[1000].colour == interlock::colour::kGreen ? interlock::colour::kRed
                                                                               : interlock::colour::kGreen;
        editor.Recolour(c.runs);
    }
}
BENCHMARK(BM_EditorRecolourOneRun)->Unit(benchmark::kMillisecond);

// The TS list refilled while hidden, all 256 rows listed, one value changed each time.
void BM_TsListFillHidden(benchmark::State& state) {
    Program& p = Shared();
    p.form->TsCaptionsForm()->Radio_TS_All->setChecked(true);
    p.form->TsCaptionsForm()->hide();
    int n = 0;
    for (auto _ : state) {
        p.ws.TsTable.Value[1 + n++ % 256] ^= 1;
        p.form->TsCaptionsForm()->FillTsList();
    }
}
BENCHMARK(BM_TsListFillHidden)->Unit(benchmark::kMillisecond);

void Describe() {
    Program& p = Shared();
    const interlock::Block& b = p.ws.CurrentBlockRef();
    std::printf(
        "current block %d: %zu ON / %zu OFF lines, %d TS in the grid, window height %d, verdict \"%s\"\n",
        p.ws.CurrentBlock, b.OnLogic.size(), b.OffLogic.size(), p.form->TS_Grid->ColumnCount() - 1,
        p.form->OuterHeight(), p.form->Top_Label6->text().toUtf8().constData());
    std::printf("resident size with the configuration loaded: %ld KiB; load average %s\n",
                machine::ResidentKib(), machine::LoadAverages().c_str());
}

// Lists the widgets that paint, and the area each paints, after one changing RTU response
// (what "--paints" prints): only the widgets whose look changed should be in it.
class PaintLog : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            const QRect r = static_cast<QPaintEvent*>(event)->region().boundingRect();
            std::string name = watched->objectName().toStdString();
            if (name.empty()) name = watched->metaObject()->className();
            if (QObject* parent = watched->parent()) {
                std::string owner = parent->objectName().toStdString();
                if (owner.empty()) owner = parent->metaObject()->className();
                name = owner + "/" + name;
            }
            std::printf("  %-40s %4dx%-4d at %d,%d\n", name.c_str(), r.width(), r.height(), r.x(), r.y());
        }
        return false;
    }
};

void ListPaints() {
    Program& p = Shared();
    const std::array<std::string, 2> datagrams = Responses(p.ws);
    int next = p.ws.TsTable.Value[66] ? 0 : 1;
    PaintLog log;
    for (int round = 0; round < 3; ++round) {
        PaintPending();
        const std::string before = p.form->Top_Label6->text().toStdString();
        p.form->Sources().Rtu().ReceiveTsData(datagrams[next]);
        next ^= 1;
        std::printf("paints after a changing RTU response (verdict \"%s\" -> \"%s\"):\n", before.c_str(),
                    p.form->Top_Label6->text().toUtf8().constData());
        qApp->installEventFilter(&log);
        PaintPending();
        qApp->removeEventFilter(&log);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 2 && std::string(argv[1]) == "--paints") {
        Describe();
        ListPaints();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Describe();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
