// The README's pictures of the analysis window, taken from the real windows: a 40-line logic's
// diagram fitted to the page, and the problems of examples/substation.blk sorted by severity.
// Run it under a display, for example:
//
//   xvfb-run -a -s "-screen 0 1600x1000x24" build/bin/analysis-window-shots docs/

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "tests/support/scripted_dialogs.h"
#include "ui/analysis/analysis_form.h"
#include "ui/main/main_window.h"
#include "ui/workbench/document.h"
#include "ui/report/logic_diagram.h"

namespace {

// Block 1: the feeder breaker's ON logic in 40 lines, as a unit with many conditions has it.
void WriteFortyLines(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "@\r\nF=" << std::string(256, '0') << "\r\n";
    out << "#TS0="
        << "0110101101011010110101101011010"
        << "1\r\n";
    for (int k = 1; k < 8; ++k) out << "#TS" << k << "=" << std::string(32, '0') << "\r\n";
    out << "##1 - " << cp1251::FromUtf8("Q1 Выключатель ввода 10 кВ")
        << "\r\n#On->Off\r\nIF (S1)\r\nV1=AND(S14)\r\nEND\r\n#Off->On\r\nIF (~S1)\r\n";
    for (int i = 0; i < 39; ++i) {
        const int m = i % 12 + 1;
        const int a = i % 28 + 2, b = (i * 7) % 28 + 2, c = (i * 5 + 3) % 28 + 2;
        std::string line = "M" + std::to_string(m) + "=";
        if (i >= 12 && i % 3 == 0)
            line += "OR(M" + std::to_string((i - 1) % 12 + 1) + ",~S" + std::to_string(a) + ")";
        else if (i % 4 == 1)
            line += "OR(S" + std::to_string(a) + ",S" + std::to_string(b) + ")";
        else
            line += "AND(S" + std::to_string(a) + ",~S" + std::to_string(b) + ",S" + std::to_string(c) + ")";
        out << line << "\r\n";
    }
    out << "V1=AND(M1,M2,M3,~M4)\r\nEND\r\n@\r\n";
}

bool Save(QWidget* w, const std::string& path) {
    const bool ok = w->grab().save(QString::fromStdString(path));
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const std::string out = argc > 1 ? std::string(argv[1]) + "/" : std::string("docs/");
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("Temp");
    const std::string folder = dir.path().toStdString() + "/";
    WriteFortyLines(folder + "forty.blk");

    interlock::Workspace ws;
    ui::ScriptedDialogs dialogs;
    auto form = std::make_unique<ui::TForm1>(ws, dialogs, folder);
    form->CreateSecondaryWindows();
    form->show();
    dialogs.AnswerOpenFile(folder + "forty.blk");
    form->Bench().Doc().Load_File_ButtonClick();
    ui::TForm_Analysis* window = form->AnalysisForm();
    window->resize(900, 960);
    window->Pages->setCurrentWidget(window->Diagram_Page);
    window->Open();
    for (int i = 0; i < 20; ++i) app.processEvents();
    window->Diagram_Page->findChild<QToolButton*>("ZoomFitAll")->click();
    for (int i = 0; i < 20; ++i) app.processEvents();
    bool ok = Save(window, out + "diagram-fitted.png");

    dialogs.AnswerOpenFile(std::string(EXAMPLES_DIR) + "/substation.blk");
    form->Bench().Doc().Load_File_ButtonClick();
    window->OpenPage(ui::TForm_Analysis::Problems);
    window->SortBy(ui::TForm_Analysis::Problems, 3);  // by severity: errors first
    for (int i = 0; i < 20; ++i) app.processEvents();
    window->resize(1000, 420);
    for (int i = 0; i < 20; ++i) app.processEvents();
    ok = Save(window, out + "problems-sorted.png") && ok;

    // A search for TS 15 with block 5's ON logic on view: its rows marked on every page, its
    // input marked in the diagram.
    form->Bench().ShowLogicLine(5, interlock::Side::On, 1);
    window->resize(1000, 560);
    qobject_cast<ui::LogicDiagramPage*>(window->Diagram_Page)->SetZoom(1.0);
    window->Search_Field->setText("S15");
    window->SearchStep(-1);  // the diagram's place: the last
    for (int i = 0; i < 20; ++i) app.processEvents();
    ok = Save(window, out + "analysis-search.png") && ok;
    form.reset();
    return ok ? 0 : 1;
}
