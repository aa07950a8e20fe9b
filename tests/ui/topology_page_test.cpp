// The page "Топология" of the analysis window over the real main window: the file beside the
// configuration read, a violation's row applying its counterexample only as the other apply
// actions may, a double-click showing the block's logic, and an edit of the file followed.

#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <fstream>
#include <memory>

#include "analysis/analyser.h"
#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "tests/support/scripted_dialogs.h"
#include "topology/topology_texts.h"
#include "ui/analysis/analysis_form.h"
#include "ui/main/main_window.h"
#include "ui/workbench/document.h"
#include "ui/model/report_model.h"
#include "ui/topology/topology_page.h"

namespace {

// Q1 (block 1, TS 1) between QS1 (block 2, TS 2) and the earthing switch QE (block 3, TS 3):
// Q1's ON logic forgets QE.
storage::Lines Config() {
    storage::Lines text{"@", "F=" + std::string(interlock::kTsCount, '0'), "#Server_Channel=0",
                        "#Server_RTU=1", "#TS0=" + std::string(32, '0')};
    for (int k = 1; k < 8; ++k) text.push_back("#TS" + std::to_string(k) + "=" + std::string(32, '0'));
    const struct {
        int n;
        const char* name;
        const char* off;
        const char* on;
    } blocks[] = {{1, "Q1", "V1=AND(S1)", "V1=AND(S2)"},
                  {2, "QS1", "V2=AND(~S1)", "V2=AND(~S1)"},
                  {3, "QE", "V3=AND(S3)", "V3=AND(~S1,~S2)"}};
    for (const auto& b : blocks) {
        const std::string s = std::to_string(b.n);
        for (const std::string& l : {"##" + s + " - " + b.name, std::string("#On->Off"), "IF (S" + s + ")",
                                     std::string(b.off), std::string("END"), std::string("#Off->On"),
                                     "IF (~S" + s + ")", std::string(b.on), std::string("END")})
            text.push_back(l);
    }
    text.push_back("@");
    return text;
}

}  // namespace

class TopologyPageTest : public QObject {
    Q_OBJECT
private slots:
    void ViolationAppliesAndShowsTheLogic();
    void PrintedSheetGetsRulesAndVerdicts();
};

void TopologyPageTest::ViolationAppliesAndShowsTheLogic() {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("Temp");
    interlock::Workspace ws;
    ui::ScriptedDialogs dialogs;
    auto form = std::make_unique<ui::TForm1>(ws, dialogs, dir.path().toStdString() + "/");
    form->CreateSecondaryWindows();
    form->show();
    form->Bench().Doc().ApplyViewerText(Config());
    const std::string base = dir.path().toStdString() + "/cfg";
    ws.ConfigFileName = cp1251::FromUtf8(base + ".blk");
    std::ofstream(base + ".top", std::ios::binary)
        << "NODE SRC\nNODE A\nNODE B\nSOURCE SRC\nDISCONNECTOR SRC A BLOCK 2\nBREAKER A B BLOCK 1\nEARTHING "
           "B BLOCK 3\n";

    ui::TForm_Analysis* window = form->AnalysisForm();
    window->Open();
    window->Pages->setCurrentWidget(window->Topology_Page);
    window->Refresh();
    auto* page = qobject_cast<ui::TopologyPage*>(window->Topology_Page);
    QVERIFY(page);
    QCOMPARE(window->Pages->tabText(window->Pages->currentIndex()), QString::fromUtf8("Топология"));
    const ui::Page& shown = page->Shown();
    QCOMPARE(shown.rows.size(), size_t(7));  // six operations and Q1's violation of rule 3
    int violation = -1;
    for (size_t r = 0; r < shown.rows.size(); ++r)
        if (shown.rows[r].emphasised) violation = static_cast<int>(r);
    QCOMPARE(violation, 3);
    const ui::PageRow& row = shown.rows[3];
    QCOMPARE(row.cells[0], std::string("Q1"));
    QCOMPARE(row.cells[3], topology::Texts().violates + "3");
    QVERIFY(row.cells[4].find("SRC - QS1 - A - Q1 - B - QE") != std::string::npos);
    QCOMPARE(row.apply, (std::vector<ui::TsValue>{{2, 1}, {3, 1}, {1, 0}}));
    QCOMPARE(page->Tree->topLevelItemCount(), 7);

    // Applied only while the operator may edit TS, as the other apply actions.
    page->Tree->setCurrentItem(page->Tree->topLevelItem(violation));
    form->Check_Change_TS->setChecked(false);
    page->UpdateActions();
    QVERIFY(!page->Apply_Button->isEnabled());
    form->Check_Change_TS->setChecked(true);
    page->UpdateActions();
    QVERIFY(page->Apply_Button->isEnabled());
    page->ApplyClick();
    QCOMPARE(ws.TsTable.Value[2], int16_t(1));
    QCOMPARE(ws.TsTable.Value[3], int16_t(1));
    QCOMPARE(ws.TsTable.Value[1], int16_t(0));
    QCOMPARE(ws.Blocks[1].OnResult, uint8_t(1));  // the logic allows what the rule forbids

    // A double-click shows the block's logic.
    page->RowDoubleClick(violation);
    QCOMPARE(int(ws.CurrentBlock), 1);

    // An edit of the file shows at the next refresh: with QE's block unbound nothing breaks.
    std::ofstream(base + ".top", std::ios::binary)
        << "NODE SRC\nNODE A\nNODE B\nSOURCE SRC\nDISCONNECTOR SRC A BLOCK 2\nBREAKER A B BLOCK 1\n";
    window->Refresh();
    for (const ui::PageRow& r : page->Shown().rows) QVERIFY(!r.emphasised);
}

// The printed table: a bound apparatus' sheet has its rules in words, each operation's verdict
// and a violation's example and path; a block without an apparatus has none.
void TopologyPageTest::PrintedSheetGetsRulesAndVerdicts() {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString() + "/cfg";
    std::ofstream(base + ".top", std::ios::binary)
        << "NODE SRC\nNODE A\nNODE B\nSOURCE SRC\nDISCONNECTOR SRC A BLOCK 2\nBREAKER A B BLOCK 1\n";
    interlock::Workspace ws;
    ws.Blocks[1].OnLogic = {"V1=AND(S2)"};
    ws.Blocks[2].OnLogic = {"V2=AND(S1)"};
    ws.Blocks[2].OffLogic = {"V2=AND(~S1)"};
    ws.Blocks[3].OnLogic = {"V3=AND(S1)"};
    for (int n = 1; n <= 3; ++n) interlock::SetStateSignal(ws, n, "S" + std::to_string(n));
    interlock::RecalculateAll(ws);
    analysis::Analyser analyser;
    const ui::report::Report r = ui::report::Build(analyser, ws, "cfg.blk", "", "01.01.2027", base + ".top");
    QCOMPARE(r.topologyFile, base + ".top");
    QCOMPARE(r.blocks.size(), size_t(3));
    const topology::TopologyTexts& t = topology::Texts();
    // QS1: rules 1 and 3 in words; both operations comply, since beyond it nothing is a load.
    const ui::report::BlockEntry& qs1 = r.blocks[1];
    QCOMPARE(qs1.topology.size(), qs1.topologyBad.size());
    QCOMPARE(qs1.topology[0], t.ruleWord + " 1: " + t.rule1);
    QCOMPARE(qs1.topology[1], t.ruleWord + " 3: " + t.rule3);
    QCOMPARE(qs1.topology[2], t.on + ": " + t.complies);
    QCOMPARE(qs1.topology[3], t.off + ": " + t.complies);
    const ui::report::BlockEntry& q1 = r.blocks[0];
    QCOMPARE(q1.topology[1], t.on + ": " + t.complies);  // nothing earthed anywhere
    QCOMPARE(q1.topology[2], t.off + ": " + t.noRules);
    QVERIFY(r.blocks[2].topology.empty());
}

QTEST_MAIN(TopologyPageTest)
#include "topology_page_test.moc"
