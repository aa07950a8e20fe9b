// The analysis window's pages built on the worker thread, over the real main window: the answer
// shown after a burst of TS changes is the one for the final values (checked against an
// enumeration of TS changes through the engine's own evaluator), an earlier answer is never
// shown as current nor applied, and switching blocks or closing the window while an answer is
// computed leaves no stale page, no crash and no thread behind. Also the workbench's one rule
// for the analyser: the GUI thread waits for a job aside before it uses the analyser.

#include <QCheckBox>
#include <QElapsedTimer>
#include <QSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <thread>

#include "analysis/analyser.h"
#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "tests/support/scripted_dialogs.h"
#include "ui/analysis/analysis_form.h"
#include "ui/main/main_window.h"
#include "ui/model/analysis_pages.h"
#include "ui/model/window_analysis_texts.h"
#include "ui/widgets/qt_text.h"
#include "ui/workbench/document.h"
#include "ui/workbench/workbench.h"

using ui::TForm1;
using ui::TForm_Analysis;
using Page = ui::TForm_Analysis::PageId;

namespace {

// A configuration of one block on state signal S1: its ON logic `on`, its OFF logic V1=AND(S1),
// block 2 on S9 with an ON logic of its own; every TS 0.
storage::Lines Config(const std::vector<std::string>& on,
                      const std::vector<std::string>& on2 = {"V2=AND(S10)"}) {
    storage::Lines text{"@", "F=" + std::string(interlock::kTsCount, '0'), "#Server_Channel=0",
                        "#Server_RTU=1"};
    for (int k = 0; k < 8; ++k) text.push_back("#TS" + std::to_string(k) + "=" + std::string(32, '0'));
    const auto block = [&text](int n, int state, const std::vector<std::string>& lines) {
        text.push_back("##" + std::to_string(n) + " - Q" + std::to_string(n));
        text.push_back("#On->Off");
        text.push_back("IF (S" + std::to_string(state) + ")");
        text.push_back("V" + std::to_string(n) + "=AND(S" + std::to_string(state) + ")");
        text.push_back("END");
        text.push_back("#Off->On");
        text.push_back("IF (~S" + std::to_string(state) + ")");
        for (const std::string& l : lines) text.push_back(l);
        text.push_back("END");
    };
    block(1, 1, on);
    block(2, 9, on2);
    text.push_back("@");
    return text;
}

class Rig {
public:
    explicit Rig(const storage::Lines& config) {
        QDir(dir.path()).mkdir("Temp");
        form = std::make_unique<TForm1>(ws, dialogs, dir.path().toStdString() + "/");
        form->CreateSecondaryWindows();
        form->show();
        form->Bench().Doc().ApplyViewerText(config);
        form->Check_Change_TS->setChecked(true);
        window = form->AnalysisForm();
        window->SetAsideLines(0);  // every answer aside, however short the logic
    }
    void Set(int ts, int value) { form->Bench().ApplyTsValues({{ts, value}}); }
    // Runs the event loop until the window has no refresh and no answer outstanding.
    bool Settle() {
        return QTest::qWaitFor([this] { return !window->Computing() && !window->RefreshPending(); }, 5000);
    }
    // The page as a page built now, on the GUI thread, for the present values.
    ui::Page Direct(Page page) {
        switch (page) {
            case Page::Why:
                return ui::WhyPage(window->Analyser(), ws);
            case Page::Unreliable:
                return ui::UnreliablePage(window->Analyser(), ws);
            case Page::Problems:
                window->Analyser().Update(ws);
                return ui::ProblemsPage(window->Analyser(), ws);
            case Page::WhereUsed:
                window->Analyser().Update(ws);
                return ui::WhereUsedPage(window->Analyser(), ws, window->Where_Number->value());
            default:
                return {};
        }
    }

    QTemporaryDir dir;
    interlock::Workspace ws;
    ui::ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> form;
    TForm_Analysis* window = nullptr;
};

// The smallest sets of TS among `candidates` whose change allows block 1's ON operation, found by
// setting every subset in turn and asking the engine (no model, no analyser).
std::set<std::set<int>> SmallestSetsByEvaluator(const interlock::Workspace& live,
                                                const std::vector<int>& candidates) {
    std::set<std::set<int>> found;
    const size_t n = candidates.size();
    for (size_t size = 0; size <= n && found.empty(); ++size) {
        for (unsigned mask = 0; mask < (1u << n); ++mask) {
            if (static_cast<size_t>(__builtin_popcount(mask)) != size) continue;
            interlock::Workspace ws = live;
            std::set<int> set;
            for (size_t i = 0; i < n; ++i) {
                if (!(mask >> i & 1)) continue;
                const int ts = candidates[i];
                ws.TsTable.Value[ts] = static_cast<int16_t>(ws.TsTable.Value[ts] == 1 ? 0 : 1);
                set.insert(ts);
            }
            interlock::RecalculateAll(ws);
            if (ws.Blocks[1].Of(interlock::Side::On).Result == 1) found.insert(set);
        }
    }
    return found;
}

std::set<std::set<int>> ShownSets(const ui::Page& page) {
    std::set<std::set<int>> sets;
    for (const ui::PageRow& row : page.rows) {
        std::set<int> set;
        for (const ui::TsValue& v : row.apply) set.insert(v.ts);
        sets.insert(set);
    }
    return sets;
}

}  // namespace

class AnalysisAsideTest : public QObject {
    Q_OBJECT
private slots:
    void WorkbenchGivesTheAnalyserToOneThreadAtATime();
    void BurstOfTsChangesEndsWithTheAnswerForTheFinalValues();
    void EarlierAnswerIsMarkedAndNotApplied();
    void SwitchingBlocksMidComputation();
    void ClosingMidComputation();
    void ProblemsFollowAnEditAside();
    void LongPageIsSetInSteps();
};

void AnalysisAsideTest::WorkbenchGivesTheAnalyserToOneThreadAtATime() {
    interlock::Workspace ws;
    ui::ScriptedDialogs dialogs;
    QTemporaryDir folder;
    ui::Workbench bench(ws, dialogs, folder.path().toStdString() + "/");
    std::atomic<bool> release{false}, done{false};
    bool delivered = false;
    std::thread::id deliveredOn;
    QVERIFY(bench.AnalyseAside([&](analysis::Analyser&) {
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        done = true;
        return std::function<void()>([&] {
            delivered = true;
            deliveredOn = std::this_thread::get_id();
        });
    }));
    QVERIFY(bench.AnalysingAside());
    QVERIFY(!bench.AnalyseAside([](analysis::Analyser&) { return std::function<void()>(); }));
    release = true;
    bench.Analyser();  // waits for the job: the analyser has one user at a time
    QVERIFY(done);
    QVERIFY(!delivered);  // handed over by the event loop, not inside the wait
    QVERIFY(QTest::qWaitFor([&] { return delivered; }, 2000));
    QCOMPARE(deliveredOn, std::this_thread::get_id());
    QVERIFY(!bench.AnalysingAside());
    // A job whose answer is never taken: the workbench joins its thread when it goes.
    QVERIFY(bench.AnalyseAside([](analysis::Analyser&) { return std::function<void()>(); }));
}

// TS 2..6 are read by the logic; a burst of changes, each given a turn of the event loop so that
// answers are computed and superseded mid-burst. Whenever the page does not say it is computing,
// it is the page built now; at the end its sets are those the evaluator finds.
void AnalysisAsideTest::BurstOfTsChangesEndsWithTheAnswerForTheFinalValues() {
    struct Case {
        const char* name;
        std::vector<std::string> on;
        std::vector<std::pair<int, int>> burst;
    } cases[] = {
        {"and of an or",
         {"M1=OR(S2,S3)", "M2=AND(S4,~S5)", "V1=AND(M1,M2)"},
         {{2, 1}, {4, 1}, {2, 0}, {5, 1}, {3, 1}, {4, 0}}},
        {"two paths",
         {"M1=AND(S2,S3,S4)", "M2=AND(S5,S6)", "V1=OR(M1,M2)"},
         {{5, 1}, {2, 1}, {6, 1}, {6, 0}, {3, 1}}},
        {"inverted reads", {"V1=AND(~S2,~S3,S4)"}, {{2, 1}, {3, 1}, {4, 1}, {2, 0}}},
    };
    for (const Case& c : cases) {
        Rig rig(Config(c.on));
        rig.window->OpenPage(Page::Why);
        QVERIFY2(rig.Settle(), c.name);
        for (auto [ts, value] : c.burst) {
            rig.Set(ts, value);
            QTest::qWait(1);
            if (!rig.window->Stale(Page::Why) && !rig.window->Computing() && !rig.window->RefreshPending())
                QVERIFY2(rig.window->Shown(Page::Why) == rig.Direct(Page::Why), c.name);
        }
        QVERIFY2(rig.Settle(), c.name);
        QVERIFY2(!rig.window->Stale(Page::Why), c.name);
        const ui::Page shown = rig.window->Shown(Page::Why);
        QVERIFY2(shown == rig.Direct(Page::Why), c.name);
        const std::set<std::set<int>> expected = SmallestSetsByEvaluator(rig.ws, {2, 3, 4, 5, 6});
        QVERIFY2(
            ShownSets(shown) == expected || (expected == std::set<std::set<int>>{{}} && shown.rows.empty()),
            c.name);
    }
}

void AnalysisAsideTest::EarlierAnswerIsMarkedAndNotApplied() {
    Rig rig(Config({"V1=AND(S2,S3)"}));
    rig.window->OpenPage(Page::Why);
    QVERIFY(rig.Settle());
    rig.window->Tree(Page::Why)->setCurrentItem(rig.window->Tree(Page::Why)->topLevelItem(0));
    rig.window->UpdateActions();
    QVERIFY(rig.window->Apply_Why_Button->isEnabled());
    // A change: the answer for it is computed aside; the rows shown are for the earlier values.
    rig.Set(2, 1);
    rig.window->Refresh();
    QVERIFY(rig.window->Computing());
    QVERIFY(rig.window->Stale(Page::Why));
    const QString computing = ui::ToQString(ui::AnalysisTexts().computing);
    QVERIFY(rig.window->Heading(Page::Why)->text().startsWith(computing));
    QVERIFY(!rig.window->Apply_Why_Button->isEnabled());
    QCOMPARE(rig.window->Apply_Why_Button->toolTip(), computing);
    const std::vector<int16_t> before(rig.ws.TsTable.Value.begin(), rig.ws.TsTable.Value.end());
    rig.window->ApplyClick(Page::Why);  // refused, also when called directly
    QVERIFY(std::equal(before.begin(), before.end(), rig.ws.TsTable.Value.begin()));
    QVERIFY(rig.Settle());
    QVERIFY(!rig.window->Stale(Page::Why));
    QVERIFY(!rig.window->Heading(Page::Why)->text().contains(computing));
    QVERIFY(rig.window->Shown(Page::Why) == rig.Direct(Page::Why));
    QVERIFY(rig.window->Apply_Why_Button->isEnabled());
}

void AnalysisAsideTest::SwitchingBlocksMidComputation() {
    for (const Page page : {Page::Why, Page::Unreliable}) {
        Rig rig(Config({"V1=AND(S2,S3)"}, {"V2=AND(S10,S11)"}));
        rig.ws.TsTable.Unreliability[11] = 2;
        rig.window->OpenPage(page);
        QVERIFY(rig.Settle());
        rig.Set(2, 1);
        rig.window->Refresh();  // block 1's answer on the worker
        QVERIFY(rig.window->Computing());
        rig.form->BlockTabClick(2);
        rig.window->Refresh();  // asked while block 1's is computed
        QVERIFY(rig.window->Stale(page));
        const std::string block2 = cp1251::FromUtf8("Блок 2");
        QVERIFY(QTest::qWaitFor(
            [&] {
                // Block 1's answer may arrive first, but only as an earlier one.
                if (!rig.window->Stale(page))
                    return rig.window->Shown(page).heading.find(block2) != std::string::npos;
                return false;
            },
            5000));
        QVERIFY(rig.Settle());
        QVERIFY(rig.window->Shown(page) == rig.Direct(page));
    }
}

void AnalysisAsideTest::ClosingMidComputation() {
    // Closed, then the main window (and its workbench) gone before the answer arrives: the
    // answer is dropped and the thread joined (an unjoined one ends the process).
    {
        Rig rig(Config({"V1=AND(S2,S3)"}));
        rig.window->OpenPage(Page::Why);
        QVERIFY(rig.Settle());
        rig.Set(3, 1);
        rig.window->Refresh();
        QVERIFY(rig.window->Computing());
        rig.window->close();
        rig.form.reset();
    }
    // Closed and opened again: the page shows the answer for the values of then.
    Rig rig(Config({"V1=AND(S2,S3)"}));
    rig.window->OpenPage(Page::Why);
    QVERIFY(rig.Settle());
    rig.Set(3, 1);
    rig.window->Refresh();
    rig.window->close();
    QTest::qWait(20);
    rig.Set(2, 1);  // allowed now, the window closed
    rig.window->Open();
    QVERIFY(rig.Settle());
    QVERIFY(!rig.window->Stale(Page::Why));
    QVERIFY(rig.window->Shown(Page::Why) == rig.Direct(Page::Why));
    QVERIFY(rig.window->Shown(Page::Why).rows.empty());
}

void AnalysisAsideTest::ProblemsFollowAnEditAside() {
    Rig rig(Config({"V1=AND(S2)"}));
    rig.window->OpenPage(Page::Problems);
    QVERIFY(rig.Settle());
    const ui::Page before = rig.window->Shown(Page::Problems);
    // M3 assigned and never read: a finding the edit adds.
    rig.form->Bench().Doc().ApplyViewerText(Config({"M3=AND(S4)", "V1=AND(S2)"}));
    QVERIFY(rig.Settle());
    QVERIFY(!rig.window->Stale(Page::Problems));
    const ui::Page after = rig.window->Shown(Page::Problems);
    QVERIFY(after != before);
    QVERIFY(after == rig.Direct(Page::Problems));
    // An edit taken back while its findings are computed: the page ends with the text's own.
    rig.form->Bench().Doc().ApplyViewerText(Config({"M3=AND(S4)", "M4=AND(S5)", "V1=AND(S2)"}));
    rig.window->Refresh();
    QVERIFY(rig.window->Computing());
    rig.form->Bench().Doc().ApplyViewerText(Config({"M3=AND(S4)", "V1=AND(S2)"}));
    rig.window->Refresh();
    QVERIFY(rig.Settle());
    QVERIFY(!rig.window->Stale(Page::Problems));
    QVERIFY(rig.window->Shown(Page::Problems) == after);
    // A TS value alone changes nothing the page shows, and asks the worker for nothing.
    rig.Set(2, 1);
    rig.window->Refresh();
    QVERIFY(!rig.window->Computing());
    QVERIFY(rig.window->Shown(Page::Problems) == after);
}

// 600 places that read TS 2: the rows arrive a step at a time, the page saying so meanwhile,
// and end as the page built now, every text within its column.
void AnalysisAsideTest::LongPageIsSetInSteps() {
    std::vector<std::string> on;
    for (int i = 0; i < 600; ++i)
        on.push_back("M" + std::to_string(i % 16 + 1) + "=AND(S2,S" + std::to_string(3 + i % 90) + ")");
    on.push_back("V1=AND(M1)");
    Rig rig(Config(on));
    rig.window->Where_Number->setValue(2);
    rig.window->OpenPage(Page::WhereUsed);
    bool sawPartial = false;
    QElapsedTimer time;
    time.start();
    while ((rig.window->Computing() || rig.window->Stale(Page::WhereUsed)) && time.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const int items = rig.window->Tree(Page::WhereUsed)->topLevelItemCount();
        if (rig.window->Stale(Page::WhereUsed) && !rig.window->Computing() && items > 0 && items < 600) {
            sawPartial = true;
            QVERIFY(!rig.window->Heading(Page::WhereUsed)->text().isEmpty());
        }
    }
    QVERIFY(sawPartial);
    QVERIFY(!rig.window->Stale(Page::WhereUsed));
    const ui::Page shown = rig.window->Shown(Page::WhereUsed);
    QVERIFY(shown.rows.size() >= 600);
    QVERIFY(shown == rig.Direct(Page::WhereUsed));
    QTreeWidget* tree = rig.window->Tree(Page::WhereUsed);
    QCOMPARE(tree->topLevelItemCount(), static_cast<int>(shown.rows.size()));
    for (int r = 0; r < tree->topLevelItemCount(); ++r) {
        const QTreeWidgetItem* item = tree->topLevelItem(r);
        for (int c = 0; c + 1 < tree->columnCount(); ++c)
            QVERIFY2(tree->fontMetrics().horizontalAdvance(item->text(c)) <= tree->columnWidth(c),
                     qPrintable(item->text(c)));
    }
}

QTEST_MAIN(AnalysisAsideTest)
#include "analysis_aside_test.moc"
