// The window "Мнемосхема" over the real main window, with scripted dialogs: the live look, a
// pair passing through travel, a forbidden operation refused with its reason, forcing, the
// journal saved as a program that checks clean and replayed, clicks, and no topology.

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <cmath>
#include <fstream>
#include <memory>

#include "analysis/analyser.h"
#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "sequences/sequences_texts.h"
#include "interlock/workspace.h"
#include "sequences/program.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "tests/support/scripted_dialogs.h"
#include "ui/analysis/analysis_form.h"
#include "ui/main/main_window.h"
#include "ui/workbench/document.h"
#include "ui/mimic/mimic_painter.h"
#include "ui/mimic/mimic_window.h"
#include "ui/mimic/mimic_window_texts.h"
#include "ui/widgets/qt_text.h"
#include "ui/mimic/mimic_colours.h"
#include "ui/widgets/colours.h"
#include "ui/workbench/workbench.h"

namespace {

using interlock::Side;
using mimic::Energy;
using mimic::Position;

// QS1 (block 2, the pair TS 4/5) from the source SRC to A, Q1 (block 1, TS 1) from A to B, and
// the earthing switch QE (block 3, TS 3) on B. Q1 closes only with QS1 closed and QE open; QS1
// moves only with Q1 open; QE closes only with QS1 open.
storage::Lines Config() {
    std::string attributes = "F=" + std::string(interlock::kTsCount, '0');
    attributes[1 + 4] = '2';
    storage::Lines text{"@", attributes, "#Server_Channel=0", "#Server_RTU=1"};
    for (int k = 0; k < 8; ++k) text.push_back("#TS" + std::to_string(k) + "=" + std::string(32, '0'));
    const struct {
        int n;
        const char* name;
        const char* state;
        const char* off;
        const char* on;
    } blocks[] = {{1, "Q1", "S1", "V1=AND(S1)", "V1=AND(S4,~S3)"},
                  {2, "QS1", "S4", "V2=AND(~S1)", "V2=AND(~S1)"},
                  {3, "QE", "S3", "V3=AND(S3)", "V3=AND(~S4)"}};
    for (const auto& b : blocks) {
        const std::string s = std::to_string(b.n);
        for (const std::string& l :
             {"##" + s + " - " + b.name, std::string("#On->Off"), "IF (" + std::string(b.state) + ")",
              std::string(b.off), std::string("END"), std::string("#Off->On"),
              "IF (~" + std::string(b.state) + ")", std::string(b.on), std::string("END")})
            text.push_back(l);
    }
    text.push_back("@");
    return text;
}

const char* kTopology =
    "NODE SRC\nNODE A\nNODE B\nSOURCE SRC\nLOAD B\nDISCONNECTOR QS1 SRC A BLOCK 2\nBREAKER Q1 A B BLOCK 1\n"
    "EARTHING QE B BLOCK 3\n";

// The program over a folder of its own, a configuration with its topology beside it, TS edits
// on, QS1 open (TS 4/5 = 0/1), the mimic open.
struct Rig {
    QTemporaryDir dir;
    interlock::Workspace ws;
    ui::ScriptedDialogs dialogs;
    std::unique_ptr<ui::TForm1> form;
    mimic::MimicWindow* window = nullptr;
    std::string base;

    explicit Rig(bool withTopology = true) {
        QDir(dir.path()).mkdir("Temp");
        form = std::make_unique<ui::TForm1>(ws, dialogs, dir.path().toStdString() + "/");
        form->CreateSecondaryWindows();
        form->show();
        form->Bench().Doc().ApplyViewerText(Config());
        base = dir.path().toStdString() + "/cfg";
        ws.ConfigFileName = cp1251::FromUtf8(base + ".blk");
        if (withTopology) std::ofstream(base + ".top", std::ios::binary) << kTopology;
        form->Check_Change_TS->setChecked(true);
        form->Bench().ApplyTsValues({{5, 1}});
        window = form->MimicForm();
        window->Sim().SetTravelMs(0);
        window->Open();
    }

    void Refresh() {
        window->Refresh();
        window->FinishHints();
    }
    const mimic::ElementLook& Element(int e) {
        Refresh();
        return window->Shown().elements[static_cast<size_t>(e)];
    }
    Energy Node(int n) {
        Refresh();
        return window->Shown().nodes[static_cast<size_t>(n)];
    }
    // The action of the right-click menu of element e whose text starts with `start`.
    QAction* MenuAction(int e, const std::string& start) {
        Refresh();
        QMenu* menu = window->MenuFor(window->Drawn().SymbolOfElement(e), window);
        if (!menu) return nullptr;
        menu->setAttribute(Qt::WA_DeleteOnClose);
        for (QAction* a : menu->actions())
            if (a->text().startsWith(ui::ToQString(start))) return a;
        return nullptr;
    }
    QPoint CentreOf(int e) {
        const mimic::Rect& box =
            window->Drawn().symbols[static_cast<size_t>(window->Drawn().SymbolOfElement(e))].box;
        return window->ToWidget({box.x + box.w / 2, box.y + box.h / 2}).toPoint();
    }
};

constexpr int kQS1 = 0, kQ1 = 1, kQE = 2;  // elements, in file order
constexpr int kSrc = 0, kA = 1, kB = 2;    // nodes

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

class MimicWindowTest : public QObject {
    Q_OBJECT
private slots:
    void LiveLookFollowsTheTs();
    void PairPassesThroughTravel();
    void ForbiddenOperationIsRefusedWithItsReason();
    void ForcingNeedsAConfirmationAndIsMarked();
    void OperatingFollowsTheTsEditRule();
    void JournalSavesAsACleanProgramAndReplays();
    void ClicksShowTheBlockAndTheAnalysis();
    void WithoutTopologyTheWindowSaysSo();
    void SectionColoursOnTheCanvas();
};

void MimicWindowTest::LiveLookFollowsTheTs() {
    Rig rig;
    QVERIFY(rig.window->HasTopology());
    QCOMPARE(rig.Element(kQS1).position, Position::Open);
    QCOMPARE(rig.Node(kSrc), Energy::Live);
    QCOMPARE(rig.Node(kA), Energy::Dead);
    // An RTU-like change of the values: the mimic follows the main window's refresh.
    rig.form->Bench().ApplyTsValues({{4, 1}, {5, 0}, {1, 1}});
    QTRY_VERIFY(!rig.window->RefreshPending());
    QCOMPARE(rig.window->Shown().elements[kQ1].position, Position::Closed);
    QCOMPARE(rig.window->Shown().nodes[kB], Energy::Live);
    QCOMPARE(rig.window->Shown().elements[kQ1].off, mimic::Light::Allowed);
    // Unreliable state TS: unknown and marked; the hover text says so.
    rig.ws.TsTable.Unreliability[1] = 2;
    QCOMPARE(rig.Element(kQ1).position, Position::Unknown);
    QVERIFY(rig.Element(kQ1).unreliable);
    QCOMPARE(rig.Node(kB), Energy::Unknown);
    QVERIFY(Contains(rig.window->HintOf(rig.window->Drawn().SymbolOfElement(kQ1)),
                     mimic::WindowTexts().unreliable));
}

void MimicWindowTest::PairPassesThroughTravel() {
    Rig rig;
    rig.window->Travel_Spin->setValue(50);
    QCOMPARE(rig.window->Sim().TravelMs(), 50);
    QAction* on = rig.MenuAction(kQS1, mimic::WindowTexts().menuOn + " - " + interlock::Texts().allowed);
    QVERIFY(on && on->isEnabled());
    on->trigger();
    QVERIFY(rig.window->Sim().InTravel());
    QCOMPARE(rig.ws.TsTable.Value[4], int16_t(0));
    QCOMPARE(rig.ws.TsTable.Value[5], int16_t(0));
    QCOMPARE(rig.Element(kQS1).position, Position::Travel);
    QCOMPARE(rig.Node(kA), Energy::Dead);
    // A second operation waits for the travel's end.
    QVERIFY(!rig.window->Step_Button->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!rig.window->Sim().InTravel(), 2000);
    QCOMPARE(rig.ws.TsTable.Value[4], int16_t(1));
    QCOMPARE(rig.ws.TsTable.Value[5], int16_t(0));
    QCOMPARE(rig.Element(kQS1).position, Position::Closed);
    QCOMPARE(rig.Node(kA), Energy::Live);
    // The main window follows as after an operator's edit: QS1's block now governs OFF.
    QCOMPARE(rig.ws.Blocks[2].OffResult, uint8_t(1));
    QCOMPARE(rig.window->Journal_Tree->topLevelItemCount(), 1);
    QCOMPARE(rig.window->Journal_Tree->topLevelItem(0)->text(1), QString::fromUtf8("ВКЛ QS1"));
    QCOMPARE(rig.window->Journal_Tree->topLevelItem(0)->text(3), QString());
    QVERIFY(rig.dialogs.Log().empty());
}

void MimicWindowTest::ForbiddenOperationIsRefusedWithItsReason() {
    Rig rig;
    // Q1 with QS1 open: forbidden, and one change (QS1's pair) would allow it; the amber light
    // comes from the event loop after the refresh.
    rig.window->Refresh();
    QVERIFY(rig.window->HintsPending());
    QCOMPARE(rig.window->Shown().elements[kQ1].on, mimic::Light::Forbidden);
    QTRY_VERIFY(!rig.window->HintsPending());
    QCOMPARE(rig.window->Shown().elements[kQ1].on, mimic::Light::ForbiddenHint);
    QAction* on = rig.MenuAction(kQ1, mimic::WindowTexts().menuOn + " - " + interlock::Texts().forbidden);
    QVERIFY(on);
    on->trigger();
    QCOMPARE(rig.ws.TsTable.Value[1], int16_t(0));
    QCOMPARE(rig.dialogs.Log().size(), size_t(1));
    const auto& box = rig.dialogs.Log()[0];
    QCOMPARE(box.caption, mimic::WindowTexts().refusedCaption);
    QVERIFY(Contains(box.text, mimic::WindowTexts().refused));
    QVERIFY(Contains(box.text, mimic::WindowTexts().oneChange));
    QVERIFY(Contains(box.text, interlock::Texts().ts + "4"));
    QCOMPARE(rig.window->Sim().Journal().size(), size_t(0));
    // Closing an apparatus already closed is no operation at all.
    rig.form->Bench().ApplyTsValues({{3, 1}});
    QCOMPARE(rig.window->Sim().Operate(kQE, Side::On), mimic::Outcome::NotPossible);
}

void MimicWindowTest::ForcingNeedsAConfirmationAndIsMarked() {
    Rig rig;
    QAction* force = rig.MenuAction(kQ1, mimic::WindowTexts().menuOn + mimic::WindowTexts().menuForce);
    QVERIFY(force);
    rig.dialogs.AnswerYesNo(false);
    force->trigger();
    QCOMPARE(rig.ws.TsTable.Value[1], int16_t(0));
    QCOMPARE(rig.window->Sim().Journal().size(), size_t(0));
    rig.dialogs.AnswerYesNo(true);
    QCOMPARE(rig.window->Sim().Operate(kQ1, Side::On, true), mimic::Outcome::Done);
    QCOMPARE(rig.ws.TsTable.Value[1], int16_t(1));
    QCOMPARE(rig.dialogs.Log().size(), size_t(2));
    QVERIFY(Contains(rig.dialogs.Log()[1].text, mimic::WindowTexts().forceQuestion));
    const mimic::JournalEntry& j = rig.window->Sim().Journal().back();
    QVERIFY(j.forced);
    QCOMPARE(j.verdict, interlock::Texts().forbidden);
    QCOMPARE(rig.window->Journal_Tree->topLevelItem(0)->text(3),
             ui::ToQString(mimic::WindowTexts().forcedMark));
    // An allowed operation offers no forcing.
    QVERIFY(!rig.MenuAction(kQ1, mimic::WindowTexts().menuOff + mimic::WindowTexts().menuForce));
}

void MimicWindowTest::OperatingFollowsTheTsEditRule() {
    Rig rig;
    rig.form->Check_Change_TS->setChecked(false);
    rig.form->Bench().NotifyTsEditChanged();
    QAction* on = rig.MenuAction(kQS1, mimic::WindowTexts().menuOn);
    QVERIFY(on && !on->isEnabled());
    QVERIFY(rig.window->Message_Label->isVisible());
    QVERIFY(!rig.window->Step_Button->isEnabled());
    QCOMPARE(rig.window->Sim().Operate(kQS1, Side::On), mimic::Outcome::NotPossible);
    QCOMPARE(rig.ws.TsTable.Value[4], int16_t(0));
    QCOMPARE(rig.dialogs.Log().size(), size_t(1));
    QVERIFY(Contains(rig.dialogs.Log()[0].text, mimic::WindowTexts().cannotOperate));
}

void MimicWindowTest::JournalSavesAsACleanProgramAndReplays() {
    Rig rig;
    mimic::Simulator& sim = rig.window->Sim();
    QCOMPARE(sim.Operate(kQS1, Side::On), mimic::Outcome::Done);
    QCOMPARE(sim.Operate(kQ1, Side::On), mimic::Outcome::Done);
    QCOMPARE(sim.Operate(kQ1, Side::Off), mimic::Outcome::Done);
    QCOMPARE(sim.Operate(kQS1, Side::Off), mimic::Outcome::Done);
    QCOMPARE(sim.Operate(kQE, Side::On), mimic::Outcome::Done);
    QCOMPARE(rig.Node(kB), Energy::Earthed);
    QVERIFY(rig.window->Save_Button->isEnabled());
    const std::string file = rig.base + ".prog";
    rig.dialogs.AnswerSaveFile(cp1251::FromUtf8(file));
    rig.window->SaveClick();
    const storage::ReadResult read = storage::ReadWholeFile(file);
    QVERIFY(read.ok);
    QVERIFY(Contains(read.bytes, sequences::Texts().opOn + " QS1"));
    QVERIFY(Contains(read.bytes, interlock::Texts().allowed));

    // Back to the start: the program read back checks clean from there.
    rig.form->Bench().ApplyTsValues({{1, 0}, {3, 0}, {4, 0}, {5, 1}});
    const sequences::Program program = sequences::ParseProgram(storage::SplitLines(read.bytes), rig.ws);
    QVERIFY(program.errors.empty());
    QCOMPARE(program.steps.size(), size_t(5));
    {
        sequences::System sys(rig.form->Bench().Analyser(), rig.ws, {});
        const sequences::ProgramCheck check = sequences::CheckProgram(sys, program);
        QVERIFY(check.Clean(program));
    }

    // Replayed step by step through the simulator, it ends where the journal did.
    rig.dialogs.AnswerOpenFile(cp1251::FromUtf8(file));
    rig.window->LoadClick();
    QCOMPARE(sim.ReplaySize(), 5);
    for (int i = 0; i < 5; ++i) {
        QVERIFY(rig.window->Step_Button->isEnabled());
        rig.window->StepClick();
    }
    QVERIFY(sim.ReplayDone());
    QVERIFY(!rig.window->Step_Button->isEnabled());
    QCOMPARE(rig.Element(kQE).position, Position::Closed);
    QCOMPARE(rig.Element(kQS1).position, Position::Open);
    QCOMPARE(sim.Journal().size(), size_t(10));
    QVERIFY(rig.dialogs.Messages().empty());
    rig.dialogs.ClearLog();

    // The mimic exported as it is now.
    rig.dialogs.AnswerSaveFile(cp1251::FromUtf8(rig.base + ".svg"));
    rig.window->ExportClick(false);
    const storage::ReadResult svg = storage::ReadWholeFile(rig.base + ".svg");
    QVERIFY(svg.ok && Contains(svg.bytes, "<svg"));
    rig.dialogs.AnswerSaveFile(cp1251::FromUtf8(rig.base + ".pdf"));
    rig.window->ExportClick(true);
    const storage::ReadResult pdf = storage::ReadWholeFile(rig.base + ".pdf");
    QVERIFY(pdf.ok && pdf.bytes.rfind("%PDF", 0) == 0);

    // A program with a bad line is reported and not loaded.
    std::ofstream(file, std::ios::binary) << "FOO Q1\r\n";
    rig.dialogs.AnswerOpenFile(cp1251::FromUtf8(file));
    rig.window->LoadClick();
    QCOMPARE(rig.dialogs.Messages().size(), size_t(1));
    QVERIFY(Contains(rig.dialogs.Messages()[0].text, mimic::WindowTexts().programErrors));
    QVERIFY(sim.ReplayDone());
}

void MimicWindowTest::ClicksShowTheBlockAndTheAnalysis() {
    Rig rig;
    rig.window->resize(900, 640);
    QApplication::processEvents();
    QCOMPARE(rig.window->SymbolAtWidget(rig.CentreOf(kQE)), rig.window->Drawn().SymbolOfElement(kQE));
    QTest::mouseClick(rig.window->Canvas, Qt::LeftButton, {}, rig.CentreOf(kQE));
    QCOMPARE(int(rig.ws.CurrentBlock), 3);
    QCOMPARE(rig.ws.CurrentView, Side::On);  // QE open: its ON logic is the next one
    QTest::mouseDClick(rig.window->Canvas, Qt::LeftButton, {}, rig.CentreOf(kQS1));
    QCOMPARE(int(rig.ws.CurrentBlock), 2);
    QVERIFY(rig.form->AnalysisForm()->isVisible());
    // Hovering shows the apparatus, its position and both verdicts.
    QTest::mouseMove(rig.window->Canvas, rig.CentreOf(kQ1));
    QTRY_VERIFY(rig.window->Canvas->toolTip().startsWith("Q1"));
    QVERIFY(rig.window->Canvas->toolTip().contains(ui::ToQString(mimic::WindowTexts().menuOff)));
}

void MimicWindowTest::WithoutTopologyTheWindowSaysSo() {
    Rig rig(false);
    QVERIFY(!rig.window->HasTopology());
    QVERIFY(rig.window->Message_Label->isVisible());
    QVERIFY(rig.window->Message_Label->text().startsWith(ui::ToQString(mimic::WindowTexts().noTopology)));
    QVERIFY(!rig.window->Canvas->isVisible());
    for (QPushButton* b : {rig.window->Save_Button, rig.window->Load_Button, rig.window->Step_Button})
        QVERIFY(!b->isEnabled());
    QVERIFY(!rig.window->MenuFor(0, rig.window));
    // The file appearing later shows at the next refresh.
    std::ofstream(rig.base + ".top", std::ios::binary) << kTopology;
    rig.window->Refresh();
    QVERIFY(rig.window->HasTopology());
    QVERIFY(rig.window->Canvas->isVisible());
}

// The colour of node n's wires on the canvas as grabbed: the middle of its longest segment.
QColor NodeColour(mimic::MimicWindow& w, const QImage& image, int node) {
    double best = -1;
    QPointF at;
    for (const mimic::Wire& wire : w.Drawn().wires) {
        if (wire.node != node) continue;
        for (size_t i = 1; i < wire.points.size(); ++i) {
            const QPointF a = w.ToWidget(wire.points[i - 1]), b = w.ToWidget(wire.points[i]);
            const double length = std::hypot(a.x() - b.x(), a.y() - b.y());
            if (length > best) {
                best = length;
                at = (a + b) / 2;
            }
        }
    }
    for (const mimic::Bus& bus : w.Drawn().buses) {
        if (bus.node != node) continue;
        const mimic::Rect& r = bus.bar;
        const QPointF a = w.ToWidget({r.x, r.y + r.h / 2}), b = w.ToWidget({r.x + r.w, r.y + r.h / 2});
        if (b.x() - a.x() > best) {
            best = b.x() - a.x();
            at = QPointF(a.x() + (b.x() - a.x()) * 0.4, a.y());
        }
    }
    return best < 0 ? QColor() : image.pixelColor(at.toPoint());
}

QColor LightColour(mimic::MimicWindow& w, const QImage& image, int element, bool on) {
    const mimic::Symbol& s = w.Drawn().symbols[static_cast<size_t>(w.Drawn().SymbolOfElement(element))];
    const mimic::Rect& r = on ? s.onLight : s.offLight;
    return image.pixelColor(w.ToWidget({r.x + r.w / 2, r.y + r.h / 2}).toPoint());
}

void MimicWindowTest::SectionColoursOnTheCanvas() {
    Rig rig;
    rig.window->resize(900, 640);
    QApplication::processEvents();
    using namespace mimic::colour;
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> values;  // TS 1, 3, 4, 5
        int unreliable;                           // a TS made unreliable, 0 none
        interlock::Colour src, a, b;
        interlock::Colour q1On;
    };
    const Case cases[] = {
        {"QS1 open", {{1, 0}, {3, 0}, {4, 0}, {5, 1}}, 0, kLive, kDead, kDead, kHint},
        {"QS1 closed", {{1, 0}, {3, 0}, {4, 1}, {5, 0}}, 0, kLive, kLive, kDead, kAllowed},
        {"QS1 and Q1 closed", {{1, 1}, {3, 0}, {4, 1}, {5, 0}}, 0, kLive, kLive, kLive, kAllowed},
        {"QE closed, Q1 open", {{1, 0}, {3, 1}, {4, 1}, {5, 0}}, 0, kLive, kLive, kEarthed, kHint},
        {"Q1's state unreliable", {{1, 0}, {3, 0}, {4, 1}, {5, 0}}, 1, kLive, kLive, kUnknown, kAllowed},
    };
    for (const Case& c : cases) {
        rig.ws.TsTable.Unreliability.fill(0);
        if (c.unreliable) rig.ws.TsTable.Unreliability[c.unreliable] = 2;
        rig.form->Bench().ApplyTsValues(c.values);
        rig.Refresh();
        const QImage image = rig.window->Canvas->grab().toImage();
        QCOMPARE(NodeColour(*rig.window, image, kSrc), ui::ToQColor(c.src));
        QCOMPARE(NodeColour(*rig.window, image, kA), ui::ToQColor(c.a));
        QCOMPARE(NodeColour(*rig.window, image, kB), ui::ToQColor(c.b));
        QCOMPARE(LightColour(*rig.window, image, kQ1, true), ui::ToQColor(c.q1On));
    }
}

QTEST_MAIN(MimicWindowTest)
#include "mimic_window_test.moc"
