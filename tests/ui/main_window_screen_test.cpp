// The main window tests: what reaches the screen.

#include "tests/ui/main_window_rig.h"

class MainWindowScreenTest : public QObject {
    Q_OBJECT

private slots:
    void screenMatchesAFreshPaint();
    void refreshRepaintsOnlyWhatChanged();
};

// ---- What reaches the screen ----

namespace {

// The window as the screen shows it once the event loop has done what the change left for it
// (what it painted so far), and the window painted afresh.
QImage OnScreen(QWidget& w) {
    for (int pass = 0; pass < 3; ++pass) QCoreApplication::processEvents();
    return QGuiApplication::primaryScreen()->grabWindow(w.winId()).toImage().convertToFormat(
        QImage::Format_RGB32);
}
QImage Fresh(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The widgets painted, and the area each painted, while it is installed.
class PaintLog : public QObject {
public:
    PaintLog() { qApp->installEventFilter(this); }
    ~PaintLog() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) areas[watched] += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    bool Painted(const QObject* w) const { return areas.contains(w); }
    QMap<const QObject*, QRegion> areas;
};

// The group response of the RTU that leaves TS 32k+1..32k+32 as the table has them but for
// the changes given ({ts, value}).
std::string RtuResponse(const interlock::Workspace& ws, int group,
                        std::initializer_list<std::pair<int, int>> changes) {
    std::string datagram = "r" + std::to_string(group) + " ";
    for (int ts = 32 * group + 1; ts <= 32 * group + 32; ++ts) datagram += ws.TsTable.Value[ts] ? '1' : '0';
    for (const auto& [ts, value] : changes) datagram[3 + (ts - 1) % 32] = value ? '1' : '0';
    return datagram;
}

// Blocks 1 and 2 with logic; in block 1 TS 9 moves only M1, which the verdict does not hang on
// while TS 5 is 0.
TForm1& StartWithTwoBlocks(Rig& rig) {
    TForm1& f = rig.Start();
    SetTs(rig.ws, "V5=0 V2=1 T7 V7=1 V8=0 V9=0");
    rig.ws.TsTable.PairSecond[8] = 1;
    Click(f.Tab[2]);
    EnterBlock(f, "S7", "V2=AND(S1)", "V2=AND(S1)");
    Click(f.Tab[1]);
    EnterBlock(f, "S5", "V1=AND(S2)", "M1=OR(S9,S5)\nV1=AND(S5,S2,~S8,M1)");
    f.TS_Grid->setFocus();  // no blinking caret in the pictures
    return f;
}

}  // namespace

// Each change leaves on the screen what painting the window afresh shows: a widget left
// unpainted because its look seemed unchanged would differ here.
void MainWindowScreenTest::screenMatchesAFreshPaint() {
    Rig rig("[M]\nshow=1\n");
    TForm1& f = StartWithTwoBlocks(rig);
    struct Row {
        const char* name;
        std::function<void()> change;
    };
    const Row rows[] = {
        {"as started", [] {}},
        {"RTU response: a TS cell, M1 and a line's colours",
         [&] {
             f.Sources().Rtu().ReceiveTsData(RtuResponse(rig.ws, 0, {{9, 1}}));
         }},
        {"RTU response: nothing changes",
         [&] { f.Sources().Rtu().ReceiveTsData(RtuResponse(rig.ws, 0, {})); }},
        {"TS typed: state, view and verdict change",
         [&] {
             f.TS_Grid->SetCurrentCell(ColumnOf(f, 5), 1);
             f.TsGridKey('1');
         }},
        {"RTU response: the verdict of the OFF logic",
         [&] {
             f.Sources().Rtu().ReceiveTsData(RtuResponse(rig.ws, 0, {{2, 0}}));
         }},
        {"RTU response: block 2 and the group tab turn red",
         [&] {
             f.Sources().Rtu().ReceiveTsData(RtuResponse(rig.ws, 0, {{8, 1}}));
         }},
        {"RTU response: all back",
         [&] {
             f.Sources().Rtu().ReceiveTsData(RtuResponse(rig.ws, 0, {{2, 1}, {5, 0}, {8, 0}}));
         }},
        {"TS typed: block 2 red again",
         [&] {
             f.TS_Grid->SetCurrentCell(ColumnOf(f, 8), 1);
             f.TsGridKey('1');
         }},
        {"block tab 2", [&] { f.BlockTabClick(2); }},
        {"block tab 1", [&] { f.BlockTabClick(1); }},
        {"view tab OFF", [&] { f.ViewTabClick(interlock::Side::Off); }},
        {"view tab ON", [&] { f.ViewTabClick(interlock::Side::On); }},
        {"group 17-32", [&] { f.GroupTabClick(1); }},
        {"group 1-16", [&] { f.GroupTabClick(0); }},
        {"colouring off", [&] { f.Check_Color->setChecked(false); }},
        {"colouring on", [&] { f.Check_Color->setChecked(true); }},
    };
    for (const Row& row : rows) {
        row.change();
        const QImage shown = OnScreen(f);
        QVERIFY2(shown == Fresh(f), row.name);
    }
}

// A refresh repaints the widgets whose look changed and nothing else.
void MainWindowScreenTest::refreshRepaintsOnlyWhatChanged() {
    Rig rig("[M]\nshow=1\n");
    TForm1& f = StartWithTwoBlocks(rig);
    QList<const QObject*> buttons;
    for (TColorButton* b : f.findChildren<TColorButton*>()) buttons << b;
    QCoreApplication::processEvents();

    {  // Nothing changed: nothing is painted.
        PaintLog log;
        f.BlockNameEnter();
        f.Sources().Rtu().ReceiveTsData(RtuResponse(rig.ws, 0, {}));
        QCoreApplication::processEvents();
        QVERIFY(!log.Painted(f.TS_Grid));
        QVERIFY(!log.Painted(f.M_Grid));
        QVERIFY(!log.Painted(f.Top_Label6));
        QVERIFY(!log.Painted(f.Logic->viewport()));
        for (const QObject* b : buttons) QVERIFY2(!log.Painted(b), qPrintable(b->objectName()));
    }
    {  // TS 9 from the RTU: its grid cell, M1's value cell and the line that reads it.
        PaintLog log;
        f.Sources().Rtu().ReceiveTsData(RtuResponse(rig.ws, 0, {{9, 1}}));
        QCoreApplication::processEvents();
        QCOMPARE(log.areas.value(f.TS_Grid), QRegion(f.TS_Grid->CellRect(ColumnOf(f, 9), 1)));
        QCOMPARE(MRows(f), QStringList({"M1=1", "V1=0"}));
        QCOMPARE(log.areas.value(f.M_Grid), QRegion(ui::MGridWidget::CellRect(1, 0)));
        QVERIFY(log.Painted(f.Logic->viewport()));
        QVERIFY(!log.Painted(f.Top_Label6));
        for (const QObject* b : buttons) QVERIFY2(!log.Painted(b), qPrintable(b->objectName()));
    }
    {  // TS 5 typed: the verdict and the state change; no tab changes its look.
        PaintLog log;
        f.TS_Grid->SetCurrentCell(ColumnOf(f, 5), 1);
        f.TsGridKey('1');
        QCoreApplication::processEvents();
        QCOMPARE(f.Top_Label6->text(), QStringLiteral("разрешено"));
        QVERIFY(log.Painted(f.Top_Label6));
        QVERIFY(log.Painted(f.Top_Label4));
        for (const QObject* b : buttons) QVERIFY2(!log.Painted(b), qPrintable(b->objectName()));
    }
}

QTEST_MAIN(MainWindowScreenTest)
#include "main_window_screen_test.moc"
