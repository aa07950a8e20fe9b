// The TS list window in the running program: opened from the main window, refilled, toggled
// by double-clicks and closed with the recalculation of the blocks.

#include <QDir>
#include <QHeaderView>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QLineEdit>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QScreen>
#include <QtTest>

#include <functional>
#include <memory>

#include "ui/widgets/color_button.h"
#include "ui/widgets/colours.h"
#include "interlock/cp1251.h"
#include "tests/support/window_rig.h"
#include "ui/main/main_window.h"
#include "ui/main/ts_captions_form.h"
#include "ui/widgets/ts_list_grid.h"
#include "interlock/workspace.h"

using ui::TForm1;
using ui::TForm_TS_Captions;
using ui::TsListGrid;

namespace {

// A main window with its secondary windows, running from a folder of its own.
struct Program : test::WindowRig {
    Program() { Start(Shown::No); }
    TForm_TS_Captions* List() const { return form->TsCaptionsForm(); }
    TsListGrid* Grid() const { return List()->StringGrid1; }

    // Types a logic into the editor and presses "Пересчитать логику".
    void EnterLogic(const QString& text, const QString& stateSignal) {
        form->Logic->setPlainText(text);
        form->TS_State_Number->setText(stateSignal);
        form->Recalculate_ButtonClick();
    }

    QStringList Column(int col) const {
        QStringList cells;
        for (int row = 1; row < Grid()->RowCount(); ++row) cells << Grid()->Cell(col, row);
        return cells;
    }

    void DoubleClick(int col, int row) {
        QVERIFY(QTest::qWaitForWindowExposed(List()));
        if (row == 0) {
            // On the header, with a mark cell current: the current cell must not change either.
            Grid()->SetCurrentCell(col, 1);
            QHeaderView* header = Grid()->horizontalHeader();
            QPoint at(header->sectionViewportPosition(col) + 5, header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            return;
        }
        QRect cell = Grid()->CellRect(col, row);
        QVERIFY(cell.isValid());
        // The events of a real double-click: press, release, double-click, release.
        QWidget* surface = Grid()->viewport();
        QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::mouseDClick(surface, Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, cell.center());
    }
};

}  // namespace

class TsCaptionsFormTest : public QObject {
    Q_OBJECT

private slots:
    void createdHiddenAndOpenedFromTheMainWindow();
    void listsTheTsOfTheLogicOrAll();
    void doubleClicksToggleMarks_data();
    void doubleClicksToggleMarks();
    void closingRecalculatesAndFollowsTheState();
    void paintsCellsInTheirLook();
    void fillWhileHiddenKeepsEveryRow();
    void refillRepaintsOnlyChangedRows();
};

void TsCaptionsFormTest::createdHiddenAndOpenedFromTheMainWindow() {
    Program p;
    QVERIFY(p.List() != nullptr);
    QVERIFY(!p.List()->isVisible());
    QCOMPARE(p.List()->windowTitle(), QStringLiteral("Список телесигналов"));
    QVERIFY(p.List()->Radio_TS_Block->isChecked());
    QVERIFY(p.form->Show_TS_Captions_Button->isEnabled());

    p.form->show();
    QTest::mouseClick(p.form->Show_TS_Captions_Button, Qt::LeftButton);
    QVERIFY(p.List()->isVisible());
    QVERIFY(p.form->isVisible());  // not modal: the main window stays in use

    // The close button only hides the window; it is shown again, the same window.
    TForm_TS_Captions* before = p.List();
    QTest::mouseClick(p.List()->Templates_Button, Qt::LeftButton);
    QVERIFY(!p.List()->isVisible());
    p.form->Show_TS_Captions_ButtonClick();
    QCOMPARE(p.List(), before);
    QVERIFY(p.List()->isVisible());
    p.List()->close();  // the close box
    QVERIFY(!p.List()->isVisible());
}

void TsCaptionsFormTest::listsTheTsOfTheLogicOrAll() {
    Program p;
    p.EnterLogic("V1=AND(S3,~S10)", "S3");
    p.ws.TsTable.Name[10] = cp1251::FromUtf8("Выключатель Q1");
    p.ws.TsTable.Value[3] = 1;
    p.form->Show_TS_Captions_ButtonClick();

    TsListGrid* g = p.Grid();
    QCOMPARE(g->Cell(0, 0), QStringLiteral("ТС"));
    QCOMPARE(g->Cell(4, 0), QStringLiteral("Двух"));
    QCOMPARE(p.Column(0), (QStringList{"3", "10"}));
    QCOMPARE(p.Column(1), (QStringList{"N/A", QStringLiteral("Выключатель Q1")}));
    QCOMPARE(p.Column(2), (QStringList{"1", "0"}));

    // The full list: 256 rows, the numbers of the logic's TS in bold.
    QTest::mouseClick(p.List()->Radio_TS_All, Qt::LeftButton, Qt::NoModifier, QPoint(8, 12));
    QVERIFY(p.List()->Radio_TS_All->isChecked());
    QCOMPARE(g->RowCount(), 257);
    QCOMPARE(g->Cell(0, 256), QStringLiteral("256"));
    QVERIFY(g->CellLook(0, 3).bold);
    QVERIFY(g->CellLook(0, 10).bold);
    QVERIFY(!g->CellLook(0, 4).bold);

    // Values arriving while the list is shown: the acquisition refills it.
    p.ws.TsTable.Value[10] = 1;
    p.form->TsCaptionsForm()->FillTsList();
    QCOMPARE(g->Cell(2, 10), QStringLiteral("1"));

    // Back to the block list after the logic lost its operands: only the header remains.
    p.List()->Radio_TS_Block->setChecked(true);
    QCOMPARE(g->RowCount(), 3);
    p.EnterLogic("", "S3");
    p.List()->Radio_TS_All->setChecked(true);
    p.List()->Radio_TS_Block->setChecked(true);
    QCOMPARE(g->RowCount(), 1);
}

void TsCaptionsFormTest::doubleClicksToggleMarks_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("pairFirst");  // TS 9 starts a pair before the click
    QTest::addColumn<QStringList>("inv");
    QTest::addColumn<QStringList>("two");

    // Rows: TS 3, TS 9, TS 10 (TS 10 is the second of the pair when pairFirst).
    QTest::newRow("invert TS 3") << 3 << 1 << false << QStringList{"+", "", ""} << QStringList{"", "", ""};
    QTest::newRow("pair on TS 9") << 4 << 2 << false << QStringList{"", "", ""} << QStringList{"", "+", ""};
    QTest::newRow("pair off TS 9") << 4 << 2 << true << QStringList{"", "", ""} << QStringList{"", "", ""};
    QTest::newRow("invert second of pair")
        << 3 << 3 << true << QStringList{"", "", ""} << QStringList{"", "+", ""};
    QTest::newRow("value column") << 2 << 1 << false << QStringList{"", "", ""} << QStringList{"", "", ""};
    QTest::newRow("number column") << 0 << 2 << false << QStringList{"", "", ""} << QStringList{"", "", ""};
    QTest::newRow("header of Инв") << 3 << 0 << false << QStringList{"", "", ""} << QStringList{"", "", ""};
    QTest::newRow("header of Двух") << 4 << 0 << true << QStringList{"", "", ""} << QStringList{"", "+", ""};
}

void TsCaptionsFormTest::doubleClicksToggleMarks() {
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(bool, pairFirst);
    QFETCH(QStringList, inv);
    QFETCH(QStringList, two);

    Program p;
    p.EnterLogic("V1=OR(S3,S9,S10)", "S3");
    if (pairFirst) {
        p.ws.TsTable.TwoPosition[9] = 1;
        p.ws.TsTable.PairSecond[10] = 1;
    }
    p.form->Show_TS_Captions_ButtonClick();
    QCOMPARE(p.Column(0), (QStringList{"3", "9", "10"}));

    p.DoubleClick(col, row);
    QCOMPARE(p.Column(3), inv);
    QCOMPARE(p.Column(4), two);
    QCOMPARE(p.Grid()->CurrentRow(), std::max(row, 1));

    // The table agrees with the marks.
    for (int i = 0; i < 3; ++i) {
        int n = p.Column(0)[i].toInt();
        QCOMPARE(p.ws.TsTable.Inverted[n] == 1, inv[i] == "+");
        QCOMPARE(p.ws.TsTable.TwoPosition[n] == 1, two[i] == "+");
    }
    QCOMPARE(p.ws.TsTable.PairSecond[10] == 1, two[1] == "+");
}

void TsCaptionsFormTest::closingRecalculatesAndFollowsTheState() {
    Program p;
    p.EnterLogic("V1=AND(S3,S10)", "S3");
    QVERIFY(!p.ws.Blocks[1].OnError);
    p.form->Show_TS_Captions_ButtonClick();

    // TS 3 becomes the first TS of a pair whose values agree (0 and 0): an invalid pair. The
    // blocks learn of it only when the window closes.
    p.Grid()->SetCurrentCell(4, 1);
    p.List()->StringGrid1DblClick();
    QCOMPARE(p.Grid()->Cell(4, 1), QStringLiteral("+"));
    QVERIFY(!p.ws.Blocks[1].OnError);

    // A state signal typed but not entered is applied by the view choice on closing:
    // ~S5 with TS 5 at 0 means the apparatus is on, so the OFF logic comes into view.
    p.form->TS_State_Number->setText("~S5");
    QCOMPARE(p.ws.CurrentView, interlock::Side::On);
    p.List()->Templates_Buttonclick();

    QVERIFY(!p.List()->isVisible());
    QVERIFY(p.ws.Blocks[1].OnError);
    QCOMPARE(p.ws.Blocks[1].StateSignal, -5);
    QCOMPARE(p.ws.CurrentView, interlock::Side::Off);
    QCOMPARE(p.form->Tab[1]->Color(), interlock::colour::kRed);
    QVERIFY(!p.form->Tab_Off->isEnabled());             // the active view tab
    QCOMPARE(p.form->Logic->toPlainText(), QString());  // the OFF logic is empty
}

void TsCaptionsFormTest::paintsCellsInTheirLook() {
    Program p;
    p.EnterLogic("V1=AND(S3,S10)", "S3");
    p.ws.TsTable.Value[3] = 1;
    p.ws.TsTable.Inverted[10] = 1;
    p.form->Show_TS_Captions_ButtonClick();
    QVERIFY(QTest::qWaitForWindowExposed(p.List()));
    QImage image = p.List()->grab().toImage();
    QPoint origin = p.Grid()->viewport()->mapTo(p.List(), QPoint(0, 0));
    auto colourAt = [&](int col, int row, int dx, int dy) {
        QPoint at = row == 0 ? p.Grid()->horizontalHeader()->mapTo(p.List(), QPoint(0, 0)) +
                                   QPoint(p.Grid()->horizontalHeader()->sectionViewportPosition(col) + dx, dy)
                             : origin + p.Grid()->CellRect(col, row).topLeft() + QPoint(dx, dy);
        return QColor(image.pixel(at));
    };
    auto hasInk = [&](int col, int row, const QColor& ink) {
        QRect cell = p.Grid()->CellRect(col, row).translated(origin);
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                if (QColor(image.pixel(x, y)) == ink) return true;
        return false;
    };
    QCOMPARE(colourAt(1, 0, 2, 2), ui::ToQColor(interlock::colour::kHighlight));
    QCOMPARE(colourAt(1, 1, 2, 2), ui::ToQColor(interlock::colour::kWindowBackground));
    QCOMPARE(colourAt(1, 2, 2, 2), ui::ToQColor(interlock::colour::kWindow));
    QVERIFY(hasInk(2, 1, ui::ToQColor(interlock::colour::kGreen)));  // value 1
    QVERIFY(hasInk(2, 2, ui::ToQColor(interlock::colour::kRed)));    // value 0
    QVERIFY(hasInk(3, 2, ui::ToQColor(interlock::colour::kGreen)));  // "+" of TS 10
    QVERIFY(!hasInk(3, 1, ui::ToQColor(interlock::colour::kGreen)));
}

void TsCaptionsFormTest::fillWhileHiddenKeepsEveryRow() {
    Program p;
    p.List()->Radio_TS_All->setChecked(true);
    QVERIFY(!p.List()->isVisible());
    QCOMPARE(p.Grid()->RowCount(), 257);

    for (int i = 0; i < 200; ++i) {
        p.ws.TsTable.Value[1 + i % 256] ^= 1;
        p.form->TsCaptionsForm()->FillTsList();
    }
    QCOMPARE(p.Grid()->RowCount(), 257);
}

namespace {

// The grid's viewport as the screen shows it, and painted afresh.
QImage OnScreen(TsListGrid* g) {
    QTest::qWait(20);  // the scroll bars follow a new row count a moment later
    const QPoint at = g->viewport()->mapTo(g->window(), QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(g->window()->winId(), at.x(), at.y(), g->viewport()->width(), g->viewport()->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}
QImage Fresh(TsListGrid* g) { return g->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

constexpr int kTsValueColumnForTest = ui::kTsValueColumn;

// The area of the grid's viewport painted while it is installed.
class ViewportPaints : public QObject {
public:
    explicit ViewportPaints(QWidget* viewport) : viewport_(viewport) { viewport->installEventFilter(this); }
    ~ViewportPaints() override { viewport_->removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) area += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion area;

private:
    QWidget* viewport_;
};

}  // namespace

// A refill while the list is shown repaints the rows that look different and no other; what
// the screen shows stays what painting the list afresh gives.
void TsCaptionsFormTest::refillRepaintsOnlyChangedRows() {
    Program p;
    p.form->show();
    p.EnterLogic("V1=AND(S2,S5,S7)", "S3");
    p.form->Show_TS_Captions_ButtonClick();
    QVERIFY(QTest::qWaitForWindowExposed(p.List()));
    TsListGrid* g = p.Grid();
    struct Row {
        const char* name;
        std::function<void()> change;
        QList<int> rows;  // the grid rows expected to be painted again; empty: all may be
    };
    const Row rows[] = {
        {"shown", [] {}, {-1}},
        {"nothing changes", [&] { p.form->TsCaptionsForm()->FillTsList(); }, {}},
        {"one value",
         [&] {
             p.ws.TsTable.Value[5] = 1;
             p.form->TsCaptionsForm()->FillTsList();
         },
         {2}},
        {"two values far apart",
         [&] {
             p.ws.TsTable.Value[2] = 1;
             p.ws.TsTable.Value[7] = 1;
             p.form->TsCaptionsForm()->FillTsList();
         },
         {1, 3}},
        {"a name",
         [&] {
             p.ws.TsTable.Name[7] = "Q7";
             p.form->TsCaptionsForm()->FillTsList();
         },
         {3}},
        {"the full list", [&] { p.List()->Radio_TS_All->setChecked(true); }, {-1}},
        {"the logic reads other TS: bold numbers only",
         [&] {
             p.EnterLogic("V1=AND(S2,S6)", "S3");
             p.form->TsCaptionsForm()->FillTsList();
         },
         {5, 6, 7}},
        {"back to the block's TS", [&] { p.List()->Radio_TS_Block->setChecked(true); }, {-1}},
    };
    for (const Row& row : rows) {
        QCoreApplication::processEvents();
        ViewportPaints paints(g->viewport());
        row.change();
        const QImage shown = OnScreen(g);
        const QRegion area = paints.area;  // before the fresh paint below adds its own
        QVERIFY2(shown == Fresh(g), row.name);
        if (row.rows == QList<int>{-1}) continue;
        QList<int> painted;
        for (int r = 1; r < g->RowCount(); ++r) {
            if (area.contains(g->CellRect(kTsValueColumnForTest, r).center())) painted << r;
        }
        QVERIFY2(painted == row.rows, qPrintable(QString("%1: rows %2").arg(row.name).arg([&] {
                     QStringList l;
                     for (int r : painted) l << QString::number(r);
                     return l.join(',');
                 }())));
    }
}

QTEST_MAIN(TsCaptionsFormTest)
#include "ts_captions_form_test.moc"
