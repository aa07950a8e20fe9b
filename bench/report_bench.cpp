// The logic diagram and the printed interlock table: how long the diagram page takes to redraw
// after a TS change on a 40-line logic of the heaviest configuration (layout, then painting the
// visible part as the event loop does), and how long the PDF of the example and of the heaviest
// configuration takes to write. Medians of repeated runs.
//
// Runs headless (QT_QPA_PLATFORM=offscreen unless the environment says otherwise).
//
//   report-bench                 the figures
//   report-bench DIAGRAM.pdf [TABLE.pdf]   also keeps the measured diagram (with its values) and
//                                          the table of the allowable variant, for a look

#include <QApplication>
#include <QScrollArea>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "bench/timing.h"
#include "bench/worst_case.h"
#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "ui/model/diagram_layout.h"
#include "ui/report/diagram_painter.h"
#include "ui/report/interlock_report.h"
#include "ui/report/logic_diagram.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

using timing::Median;

// allowable: each side instead 39 ORs of 16 TS and an AND of the last 16 of them, a logic whose
// condition is long in every written form.
std::unique_ptr<interlock::Workspace> WorstCase(bool allowable = false) {
    auto ws = std::make_unique<interlock::Workspace>();
    std::mt19937 random(worst_case::kSeed);
    int next = 1;
    auto side = [&](int n) {
        if (!allowable) return worst_case::Side(n, next, random);
        std::vector<std::string> lines;
        for (int i = 0; i < worst_case::kLinesPerSide - 1; ++i) {
            std::string line = "M" + std::to_string(i % 16 + 1) + "=OR(";
            for (int k = 0; k < 16; ++k) {
                line += (k ? ",S" : "S") + std::to_string(next);
                next = next % 200 + 1;
            }
            lines.push_back(line + ")");
        }
        std::string out = "V" + std::to_string(n) + "=AND(";
        for (int m = 1; m <= 16; ++m) out += (m > 1 ? ",M" : "M") + std::to_string(m);
        lines.push_back(out + ")");
        return lines;
    };
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        ws->Blocks[n].OnLogic = side(n);
        ws->Blocks[n].OffLogic = side(n);
        ws->Blocks[n].StateSignal = static_cast<int16_t>(n + 200);
    }
    for (int t = 1; t <= interlock::kTsCount; ++t) ws->TsTable.Value[t] = static_cast<int16_t>(random() % 2);
    interlock::RecalculateAll(*ws);
    return ws;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    auto ws = WorstCase();
    ws->CurrentBlock = 1;
    ws->CurrentView = interlock::Side::On;
    std::unique_ptr<QWidget> page(ui::CreateLogicDiagramPage(*ws, nullptr));
    page->resize(1000, 700);
    page->show();
    QApplication::processEvents();
    auto* diagram = static_cast<ui::LogicDiagramPage*>(page.get());
    QWidget* canvas = page->findChild<QScrollArea*>()->viewport();

    std::vector<double> layout, redraw;
    std::mt19937 random(1);
    for (int i = 0; i < 200; ++i) {
        const int ts = 1 + static_cast<int>(random() % interlock::kTsCount);
        ws->TsTable.Value[ts] ^= 1;
        interlock::Recalculate(*ws, 1);
        auto t0 = Clock::now();
        ui::diagram::Diagram d = ui::diagram::LayOutCurrent(*ws);
        layout.push_back(Ms(Clock::now() - t0));
        t0 = Clock::now();
        diagram->refresh();
        canvas->repaint();  // what the event loop paints: the visible part of the canvas
        redraw.push_back(Ms(Clock::now() - t0));
    }
    if (argc > 1) ui::diagram::ExportPdf(diagram->Shown(), argv[1]);
    std::printf(
        "diagram of a 40-line logic (%zu gates): layout %.3f ms, refresh + paint %.3f ms (median of %zu)\n",
        diagram->Shown().gates.size(), Median(layout), Median(redraw), redraw.size());

    QTemporaryDir dir;
    auto example = std::make_unique<interlock::Workspace>();
    const storage::ReadResult file = storage::ReadWholeFile(EXAMPLES_DIR "/substation.blk");
    if (!file || !storage::Read_Config_Text(*example, storage::SplitLines(file.bytes))) {
        std::fprintf(stderr, "cannot read the example\n");
        return 1;
    }
    interlock::RecalculateAll(*example);
    const std::string out = (dir.path() + "/table.pdf").toStdString();
    std::vector<double> pdf;
    for (int i = 0; i < 10; ++i) {
        const auto t0 = Clock::now();
        const std::string error =
            ui::report::WriteInterlockTable(*example, cp1251::FromUtf8(EXAMPLES_DIR "/substation.blk"), out);
        pdf.push_back(Ms(Clock::now() - t0));
        if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
    }
    std::printf("interlock table of examples/substation.blk: %.1f ms (median of %zu)\n", Median(pdf),
                pdf.size());

    const auto t0 = Clock::now();
    const std::string error = ui::report::WriteInterlockTable(*ws, "worst-case.blk", out);
    std::printf("interlock table of the heaviest configuration (32 x 2 x 40 lines): %.0f ms%s\n",
                Ms(Clock::now() - t0), error.empty() ? "" : " (failed)");
    auto allowable = WorstCase(true);
    const auto t1 = Clock::now();
    const std::string error2 =
        ui::report::WriteInterlockTable(*allowable, "allowable.blk", argc > 2 ? std::string(argv[2]) : out);
    std::printf("the same size with long conditions (ANDs of ORs): %.0f ms%s\n", Ms(Clock::now() - t1),
                error2.empty() ? "" : " (failed)");
    return 0;
}
