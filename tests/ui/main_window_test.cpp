// The main window driven as the operator drives it: clicks on the tabs and buttons, typing in
// the fields and the editor, keys and double-clicks in the TS grid, the check boxes of the
// settings panel, and the file commands with scripted dialogs. Every test starts the program
// afresh over its own folder of program files (settings.ini, Temp/) and looks only at what the
// operator sees: labels, tabs, grids, the editor, the window height, the boxes shown and the
// files written.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QPaintEvent>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "ui/color_button.h"
#include "ui/colors.h"
#include "interlock/cp1251.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/signal_grids.h"
#include "ui/view_file_form.h"
#include "ui/widgets.h"
#include "interlock/workspace.h"

using interlock::Icon;
using ui::TColorButton;
using ui::TForm1;
namespace col = interlock::colour;

namespace {

std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

// ---- The program over a folder of its own ----

class Rig {
public:
    // settings: the content of settings.ini, or null for no file.
    explicit Rig(const char* settings = nullptr, bool tempFolder = true) {
        if (tempFolder) QDir(dir.path()).mkdir("Temp");
        if (settings) Write("settings.ini", settings);
    }
    ~Rig() { form.reset(); }

    // The start-up: the main window, then the secondary windows (which restore the last
    // temporary file and show block 1).
    TForm1& Start() {
        form = std::make_unique<TForm1>(ws, dialogs, Dir());
        form->CreateSecondaryWindows();
        form->show();
        return *form;
    }
    // The end of the run: the main window's destruction.
    void Stop() { form.reset(); }

    std::string Dir() const { return dir.path().toStdString() + "/"; }
    std::string Path(const std::string& name) const { return Dir() + name; }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(Path(name), std::ios::binary);
        out << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool Exists(const std::string& name) const { return QFile::exists(QString::fromStdString(Path(name))); }

    QTemporaryDir dir;
    interlock::Workspace ws;
    ui::ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> form;
};

// ---- What the operator does ----

void Click(TColorButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

void TypeInto(QLineEdit* field, const QString& text) {
    field->clear();
    QTest::keyClicks(field, text);
}

void Enter(QWidget* field) { QTest::keyClick(field, Qt::Key_Return); }

// Replaces the editor text by typing it, line by line.
void TypeLogic(TForm1& f, const QString& text) {
    f.Logic->clear();
    const QStringList lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (i) QTest::keyClick(f.Logic, Qt::Key_Return);
        QTest::keyClicks(f.Logic, lines[i]);
    }
}

// Clicks a check box of the settings panel on its indicator (the panel is opened first).
void ClickBox(TForm1& f, QCheckBox* box) {
    if (!f.Settings_Panel->isVisible()) Click(f.Tab_Settings);
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

// A whole block as the operator enters it: state signal and Enter, the OFF logic in the view
// "Вкл -> Откл", the ON logic in the view "Откл -> Вкл", the name, then "Пересчитать логику".
void EnterBlock(TForm1& f, const QString& state, const QString& off, const QString& on,
                const QString& name = {}) {
    TypeInto(f.TS_State_Number, state);
    Enter(f.TS_State_Number);
    if (f.Tab_Off->isEnabled()) Click(f.Tab_Off);
    TypeLogic(f, off);
    Click(f.Tab_On);
    TypeLogic(f, on);
    TypeInto(f.Block_Name, name);
    Click(f.Recalculate_Button);
}

// TS data as it would come from the RTU or the server: "V5=1" value, "U3=2" unreliability,
// "T5" two-position, "F5" from the server, "N3=Q3" name; separated by blanks.
void SetTs(interlock::Workspace& ws, const std::string& items) {
    std::istringstream in(items);
    std::string item;
    interlock::TsTableData& t = ws.TsTable;
    while (in >> item) {
        const size_t eq = item.find('=');
        const int n = std::stoi(item.substr(1, eq == std::string::npos ? std::string::npos : eq - 1));
        const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
        switch (item[0]) {
            case 'V':
                t.Value[n] = static_cast<int16_t>(std::stoi(value));
                break;
            case 'U':
                t.Unreliability[n] = static_cast<uint8_t>(std::stoi(value));
                break;
            case 'T':
                t.TwoPosition[n] = 1;
                break;
            case 'F':
                t.FromServer[n] = 1;
                break;
            case 'N':
                t.Name[n] = value;
                break;
            default:
                QFAIL(("bad TS item " + item).c_str());
        }
    }
}

// ---- What the operator sees ----

QString Hint(const QWidget* w) { return w->toolTip(); }

QColor TextColour(const QWidget* w) { return w->palette().color(QPalette::WindowText); }

QColor Q(interlock::Colour c) { return ui::ToQColor(c); }

QString LookOf(const TColorButton* b) {
    return QString("colour=%1 font=%2 enabled=%3 bold=%4 height=%5")
        .arg(b->Color(), 0, 16)
        .arg(b->FontColor(), 0, 16)
        .arg(b->isEnabled())
        .arg(b->font().bold())
        .arg(b->height());
}

// Only what the tab click itself sets: the old tab is clickable again and back to 25 high.
QString EnabledAndHeight(const TColorButton* b) {
    return QString("enabled=%1 height=%2").arg(b->isEnabled()).arg(b->height());
}

QString Look(interlock::Colour colour, interlock::Colour font, bool enabled, bool bold, int height) {
    return QString("colour=%1 font=%2 enabled=%3 bold=%4 height=%5")
        .arg(colour, 0, 16)
        .arg(font, 0, 16)
        .arg(enabled)
        .arg(bold)
        .arg(height);
}

// The looks of a block tab by block status (the current block's tab is disabled and 34 high).
QString EmptyTab(bool current = false) {
    return Look(col::kWindowBackground, col::kBlack, !current, false, current ? 34 : 25);
}
QString NormalTab(bool current = false) {
    return Look(col::kHighlight, col::kWhite, !current, true, current ? 34 : 25);
}
QString RedTab(bool current = false) {
    return Look(col::kRed, col::kWhite, !current, true, current ? 34 : 25);
}

// Messages as readable text, the system's line-break bytes spelled out, so that a comparison
// is a comparison of the exact bytes.
QString Spell(const std::string& cp1251Text) {
    QString s = ui::ToQString(cp1251Text);
    s.replace("\n", "<LF>").replace("\r", "<CR>");
    return s;
}

QString IconName(Icon icon) {
    switch (icon) {
        case Icon::None:
            return "none";
        case Icon::Information:
            return "information";
        case Icon::Warning:
            return "warning";
        case Icon::Error:
            return "error";
    }
    return "?";
}

QStringList Boxes(const ui::ScriptedDialogs& d) {
    QStringList list;
    for (const auto& r : d.Log()) {
        list << QString("%1 [%2] %3 (%4)")
                    .arg(ui::KindName(r.kind), Spell(r.caption), Spell(r.text), IconName(r.icon));
    }
    return list;
}

QString Box(const char* kind, const char* captionUtf8, const char* textUtf8, Icon icon) {
    return QString("%1 [%2] %3 (%4)").arg(kind, Spell(W(captionUtf8)), Spell(W(textUtf8)), IconName(icon));
}

QString EditorText(const TForm1& f) { return f.Logic->toPlainText(); }

// The look of one character of the editor.
QTextCharFormat CharAt(const TForm1& f, int line, int column) { return f.Logic->ShownFormat(line, column); }

QColor CharColour(const TForm1& f, int line, int column) {
    const QTextCharFormat format = CharAt(f, line, column);
    return format.foreground().style() == Qt::NoBrush ? QColor(Qt::black) : format.foreground().color();
}

QStringList TsColumns(const TForm1& f) {
    QStringList list;
    for (int c = 1; c < f.TS_Grid->ColumnCount(); ++c)
        list << f.TS_Grid->Cell(c, 0) + "=" + f.TS_Grid->Cell(c, 1);
    return list;
}

QStringList MRows(const TForm1& f) {
    QStringList list;
    for (int r = 0; r < f.M_Grid->RowCount(); ++r) list << f.M_Grid->Cell(0, r) + "=" + f.M_Grid->Cell(1, r);
    return list;
}

int ColumnOf(const TForm1& f, int ts) {
    for (int c = 1; c < f.TS_Grid->ColumnCount(); ++c) {
        if (f.TS_Grid->Cell(c, 0) == QString::number(ts)) return c;
    }
    return -1;
}

QPoint CellCentre(const TForm1& f, int col, int row) { return f.TS_Grid->CellRect(col, row).center(); }

// ---- Configuration texts ----

// Lines written in UTF-8, stored as a file does: Windows-1251 with CR LF after every line.
std::string ConfigFile(std::initializer_list<const char*> lines) {
    std::string bytes;
    for (const char* line : lines) bytes += W(line) + "\r\n";
    return bytes;
}

std::string AttributeLine(std::initializer_list<std::pair<int, char>> codes) {
    std::string line = "F=" + std::string(256, '0');
    for (const auto& [n, code] : codes) line[1 + n] = code;
    return line;
}

// The key=value lines of an INI text, each as "section/key=value", in file order.
QStringList IniEntries(const std::string& text) {
    QStringList entries;
    QString section;
    for (QString line : QString::fromStdString(text).split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            section = line.mid(1, line.size() - 2);
        } else if (line.contains('=')) {
            entries << section + "/" + line;
        }
    }
    return entries;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startupWithoutFiles();
    void settingsAtStartup_data();
    void settingsAtStartup();
    void settingsWrittenAtExit();

    void blockTabsCommitAndRestore();
    void groupTabsSwitchAndColour();
    void stateEntryAndViewTabs();
    void nameEntryDropsUncommittedTyping();
    void stateValueDoubleClick();
    void checkBoxes();
    void editorColouring();

    void verdict_data();
    void verdict();
    void headerNameAndHint();

    void tsGridHeight_data();
    void tsGridHeight();
    void tsGridColumnsAndStateValue_data();
    void tsGridColumnsAndStateValue();
    void tsGridEdits();
    void tsGridRefusedEdits_data();
    void tsEditRecalculatesAllBlocks();
    void tsGridRefusedEdits();
    void tsGridHeaderHint();
    void mGrid();

    void recalculateButton();
    void nullifyButton();

    void saveWarnsAndUsesDefaultName();
    void saveCancelledRemembersName();
    void loadDialogAndMissingFile();
    void loadNameSetsServerFields_data();
    void loadNameSetsServerFields();
    void loadTmpThenSaveProposesDefault();
    void loadEmptyFile();
    void loadInvalidBlockRestoresEverything();
    void loadKeepsLongNames();
    void autosaveRotation();
    void autosaveSkipsEmptyOrUnchecked();
    void autosaveBoxAndFailure();
    void startupRestore_data();
    void startupRestore();
    void startupRestoreOfBadFile();
    void closeConfirmation();
    void exitAutosavesThenWritesSettings();

    void viewerShowsValuesAlways();
    void viewerApply();
    void viewerApplyUnchanged();
    void viewerApplyDeclined();
    void viewerInvalidHeaderKeepsText();
    void viewerApplyKeepsCurrentBlock();

    void screenMatchesAFreshPaint();
    void refreshRepaintsOnlyWhatChanged();
};

// ---- Start-up and settings ----

void MainWindowTest::startupWithoutFiles() {
    Rig rig;
    TForm1& f = rig.Start();
    QVERIFY(f.WindowReady());
    QCOMPARE(f.windowTitle(), QStringLiteral("Оперативные блокировки Орвеск"));
    // Block 1 with an empty editor, the ON view, and no state signal.
    QCOMPARE(EditorText(f), QString());
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("---"));
    QCOMPARE(f.TS_State_Value->text(), QStringLiteral("---"));
    QCOMPARE(f.Block_Name->text(), QString());
    QCOMPARE(LookOf(f.Tab_On), Look(col::kHighlight, col::kWhite, false, true, 25));
    QCOMPARE(LookOf(f.Tab_Off), Look(col::kInactiveTab, col::kBlack, true, false, 25));
    QCOMPARE(f.Top_Label4->text(), QStringLiteral("неизвестно"));
    QCOMPARE(f.Top_Label5->text(), QStringLiteral("Управление:"));
    QCOMPARE(f.Top_Label6->text(), QStringLiteral("???"));
    QCOMPARE(TextColour(f.Top_Label6), Q(col::kBlack));
    QCOMPARE(Hint(f.Top_Label6), QStringLiteral("Логика не рассчитана:\nПустой блок"));
    QVERIFY(f.Top_Label_Name->isHidden());
    QVERIFY(f.Top_Label7->isHidden());
    // Tabs: block 1 selected, all empty; group 1..16 on show.
    QCOMPARE(LookOf(f.Tab[1]), EmptyTab(true));
    for (int i = 2; i <= 16; ++i) QCOMPARE(LookOf(f.Tab[i]), EmptyTab());
    QCOMPARE(f.Tab[16]->Caption(), QStringLiteral("16"));
    QCOMPARE(LookOf(f.Tab1_16), Look(col::kHighlight, col::kWhite, false, true, 34));
    QCOMPARE(LookOf(f.Tab17_32), Look(col::kInactiveTab, col::kBlack, true, false, 25));
    QCOMPARE(f.OuterHeight(), 524);
    // Default options.
    QVERIFY(f.Check_Color->isChecked());
    QVERIFY(f.Check_Show_TS->isChecked());
    QVERIFY(f.Check_Change_TS->isChecked());
    QVERIFY(!f.Check_Show_M->isChecked());
    QVERIFY(f.Check_Save_Temp->isChecked());
    QVERIFY(f.Check_Save_TS->isChecked());
    QVERIFY(!f.Check_Get_TS_Orvesk->isChecked());
    QVERIFY(!f.Check_Server->isChecked());
    QCOMPARE(f.Server_channel_Number->text(), QStringLiteral("0"));
    QCOMPARE(f.Server_RTU_Number->text(), QStringLiteral("1"));
    QCOMPARE(f.TempCounter(), int8_t(0));
    QVERIFY(f.Temp_Saver->isActive());
    QCOMPARE(f.Temp_Saver->interval(), 120000);
    QVERIFY(!f.Get_TS_Server_Timer->isActive());
    // The command panel is on show; the M panel is hidden and the control panel closes the gap.
    QVERIFY(f.Buttons_Panel->isVisible());
    QVERIFY(!f.Settings_Panel->isVisible());
    QVERIFY(f.M_Panel->isHidden());
    QCOMPARE(f.Control_Panel->x(), 390);
    QVERIFY(rig.dialogs.Log().empty());
}

void MainWindowTest::settingsAtStartup_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("color");
    QTest::addColumn<bool>("showTs");
    QTest::addColumn<bool>("changeTs");
    QTest::addColumn<bool>("showM");
    QTest::addColumn<bool>("saveTemp");
    QTest::addColumn<int>("tempCounter");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<QString>("rtu");

    QTest::newRow("empty file") << QByteArray("") << true << true << true << false << true << 0 << "0"
                                << "1";
    QTest::newRow("show off, change on")
        << QByteArray("[TS]\nshow=0\nchange=1\n") << true << true << true << false << true << 0 << "0"
        << "1";
    QTest::newRow("show off, change off")
        << QByteArray("[TS]\nshow=0\nchange=0\n") << true << false << false << false << true << 0 << "0"
        << "1";
    QTest::newRow("temp_last 300") << QByteArray("[File]\ntemp_last=300\n") << true << true << true << false
                                   << true << 44 << "0"
                                   << "1";
    QTest::newRow("temp_last hex") << QByteArray("[file]\nTEMP_LAST=0x0C\n") << true << true << true << false
                                   << true << 12 << "0"
                                   << "1";
    QTest::newRow("temp_last abc") << QByteArray("[File]\ntemp_last=abc\n") << true << true << true << false
                                   << true << 0 << "0"
                                   << "1";
    QTest::newRow("color yes") << QByteArray("[Settings]\ncolor=yes\n") << true << true << true << false
                               << true << 0 << "0"
                               << "1";
    QTest::newRow("color 2") << QByteArray("[Settings]\ncolor=2\n") << true << true << true << false << true
                             << 0 << "0"
                             << "1";
    QTest::newRow("color 0") << QByteArray("[Settings]\ncolor=0\n") << false << true << true << false << true
                             << 0 << "0"
                             << "1";
    QTest::newRow("M shown, no autosave")
        << QByteArray("[M]\nshow=1\n[File]\ntemp=0\n") << true << true << true << true << false << 0 << "0"
        << "1";
    QTest::newRow("server off, server data on") << QByteArray("[Server]\nconnect=0\nget_ts=1\nget_names=1\n")
                                                << true << true << true << false << true << 0 << "0"
                                                << "1";
    // The fields' 3-character limit is for typing only: the file's texts go in as they are.
    QTest::newRow("long channel and RTU texts") << QByteArray("[Server]\nchannel=1234\nRTU=abcde\n") << true
                                                << true << true << false << true << 0 << "1234"
                                                << "abcde";
}

void MainWindowTest::settingsAtStartup() {
    QFETCH(QByteArray, ini);
    Rig rig(ini.constData());
    TForm1& f = rig.Start();
    QTEST(f.Check_Color->isChecked(), "color");
    QTEST(f.Check_Show_TS->isChecked(), "showTs");
    QTEST(f.Check_Change_TS->isChecked(), "changeTs");
    QTEST(f.Check_Show_M->isChecked(), "showM");
    QTEST(!f.M_Panel->isHidden(), "showM");
    QFETCH(bool, showM);
    QCOMPARE(f.Control_Panel->x(), showM ? 519 : 390);
    QTEST(f.Check_Save_Temp->isChecked(), "saveTemp");
    QTEST(f.Temp_Saver->isActive(), "saveTemp");
    QTEST(int(f.TempCounter()), "tempCounter");
    QTEST(f.Server_channel_Number->text(), "channel");
    QTEST(f.Server_RTU_Number->text(), "rtu");
    // Without a server link the server boxes and the poll timer stay off.
    QVERIFY(!f.Check_Get_TS_Server->isChecked());
    QVERIFY(!f.Check_Get_Names_Server->isChecked());
    QVERIFY(!f.Get_TS_Server_Timer->isActive());
    QVERIFY(rig.dialogs.Log().empty());

    // What was read is what is written back at exit.
    rig.Stop();
    const QStringList entries = IniEntries(rig.Read("settings.ini"));
    QFETCH(QString, channel);
    QFETCH(QString, rtu);
    QVERIFY2(entries.contains("Server/channel=" + channel), qPrintable(entries.join(" | ")));
    QVERIFY2(entries.contains("Server/RTU=" + rtu), qPrintable(entries.join(" | ")));
}

void MainWindowTest::settingsWrittenAtExit() {
    Rig rig;
    TForm1& f = rig.Start();
    ClickBox(f, f.Check_Color);
    ClickBox(f, f.Check_Show_M);
    ClickBox(f, f.Check_Save_TS);
    QVERIFY(!f.M_Panel->isHidden());
    QCOMPARE(f.Control_Panel->x(), 519);
    rig.Stop();
    // All fifteen keys, in the order of a file written for the first time.
    QCOMPARE(IniEntries(rig.Read("settings.ini")),
             QStringList({"Settings/color=0", "TS/show=1", "TS/change=1", "TS/get=0", "M/show=1",
                          "File/temp=1", "File/temp_last=0", "File/file=", "File/save_ts=0",
                          "Server/connect=0", "Server/server_name=.\\TMS", "Server/get_ts=0",
                          "Server/get_names=0", "Server/channel=0", "Server/RTU=1"}));
    // Nothing to autosave: the configuration is empty.
    QVERIFY(QDir(QString::fromStdString(rig.Path("Temp"))).isEmpty());
}

// ---- Tabs, fields and options ----

void MainWindowTest::blockTabsCommitAndRestore() {
    Rig rig;
    TForm1& f = rig.Start();
    // Typed into block 1 and never committed by a button: the tab click stores it.
    TypeInto(f.TS_State_Number, "D5");
    TypeLogic(f, "V1=AND(S2)");
    TypeInto(f.Block_Name, "Q1");
    Click(f.Tab[2]);
    QCOMPARE(EnabledAndHeight(f.Tab[1]), QStringLiteral("enabled=1 height=25"));
    QCOMPARE(LookOf(f.Tab[2]), EmptyTab(true));
    QCOMPARE(EditorText(f), QString());
    QCOMPARE(f.Block_Name->text(), QString());
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("---"));
    QVERIFY(f.Top_Label_Name->isHidden());

    Click(f.Tab[1]);
    QCOMPARE(LookOf(f.Tab[1]), NormalTab(true));
    QCOMPARE(LookOf(f.Tab[2]), EmptyTab());
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)"));
    QCOMPARE(f.Block_Name->text(), QStringLiteral("Q1"));
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("S5"));  // the D is not kept
    QCOMPARE(f.Top_Label_Name->text(), QStringLiteral("Q1"));
    QCOMPARE(f.Top_Label4->text(), QStringLiteral("отключен"));

    // The selected tab cannot be clicked again.
    QTest::mouseClick(f.Tab[1], Qt::LeftButton);
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)"));
}

void MainWindowTest::groupTabsSwitchAndColour() {
    Rig rig;
    TForm1& f = rig.Start();
    // Block 2 has logic but no state signal: erroneous.
    Click(f.Tab[2]);
    EnterBlock(f, "", "", "V2=AND(S1)");
    QCOMPARE(LookOf(f.Tab[2]), RedTab(true));
    QCOMPARE(LookOf(f.Tab1_16), Look(col::kRed, col::kWhite, false, true, 34));

    Click(f.Tab17_32);
    for (int i = 1; i <= 16; ++i) QCOMPARE(f.Tab[i]->Caption(), QString::number(i + 16));
    QCOMPARE(LookOf(f.Tab[1]), EmptyTab(true));
    QCOMPARE(LookOf(f.Tab[2]), EmptyTab());
    QCOMPARE(EditorText(f), QString());
    // The red group stays red and clickable while it is not on show.
    QCOMPARE(LookOf(f.Tab1_16), Look(col::kRed, col::kWhite, true, true, 25));
    QCOMPARE(LookOf(f.Tab17_32), Look(col::kHighlight, col::kWhite, false, true, 34));

    // Block 18 is entered while the other group is on show.
    Click(f.Tab[2]);
    EnterBlock(f, "S7", "V18=AND(S1)", "V18=AND(S2)");
    QCOMPARE(LookOf(f.Tab[2]), NormalTab(true));
    TypeInto(f.Block_Name, "Q18");  // typed only: the group switch commits it

    Click(f.Tab1_16);
    for (int i = 1; i <= 16; ++i) QCOMPARE(f.Tab[i]->Caption(), QString::number(i));
    QCOMPARE(LookOf(f.Tab[1]), EmptyTab(true));  // block 1 is selected, not the old block 2
    QCOMPARE(LookOf(f.Tab[2]), RedTab());
    QCOMPARE(LookOf(f.Tab1_16), Look(col::kRed, col::kWhite, false, true, 34));
    QCOMPARE(LookOf(f.Tab17_32), Look(col::kInactiveTab, col::kBlack, true, false, 25));

    Click(f.Tab17_32);
    QCOMPARE(LookOf(f.Tab[2]), NormalTab());
    Click(f.Tab[2]);
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("S7"));
    QCOMPARE(EditorText(f), QStringLiteral("V18=AND(S2)"));
    QCOMPARE(f.Block_Name->text(), QStringLiteral("Q18"));
}

void MainWindowTest::stateEntryAndViewTabs() {
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, "V5=0 V3=0");
    EnterBlock(f, "S5", "V1=AND(S1)", "V1=AND(S2)");
    // TS 5 is 0: the apparatus is off, the ON logic is on view.
    QCOMPARE(LookOf(f.Tab_On), Look(col::kHighlight, col::kWhite, false, true, 25));
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)"));

    // ~S3 with TS 3 = 0: the apparatus is on, so the OFF logic comes on view.
    TypeInto(f.TS_State_Number, "~S3");
    Enter(f.TS_State_Number);
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("~S3"));
    QCOMPARE(LookOf(f.Tab_Off), Look(col::kHighlight, col::kWhite, false, true, 25));
    QCOMPARE(LookOf(f.Tab_On), Look(col::kInactiveTab, col::kBlack, true, false, 25));
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S1)"));
    QCOMPARE(f.Top_Label4->text(), QStringLiteral("включен"));
    QCOMPARE(f.TS_State_Value->text(), QStringLiteral("вкл"));

    // Typing in the OFF view, then the view tab: the typing is kept in the OFF logic.
    TypeLogic(f, "V1=AND(S1,S4)");
    Click(f.Tab_On);
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)"));
    Click(f.Tab_Off);
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S1,S4)"));

    // Entries that are no state signal: the field shows "---" and the block turns erroneous.
    for (const char* entry : {"s5", "S0", "S257", "X5", "~", "D256"}) {
        TypeInto(f.TS_State_Number, entry);
        Enter(f.TS_State_Number);
        QCOMPARE(f.TS_State_Number->text(), QStringLiteral("---"));
        QCOMPARE(f.Top_Label6->text(), QStringLiteral("ошибка!"));
        QCOMPARE(LookOf(f.Tab[1]), RedTab(true));
    }
    // An accepted entry gives a verdict again; the tab follows at the next recalculation.
    TypeInto(f.TS_State_Number, "S256");
    Enter(f.TS_State_Number);
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("S256"));
    QCOMPARE(f.Top_Label6->text(), QStringLiteral("запрещено*"));
    Click(f.Recalculate_Button);
    QCOMPARE(LookOf(f.Tab[1]), NormalTab(true));
}

void MainWindowTest::nameEntryDropsUncommittedTyping() {
    Rig rig;
    TForm1& f = rig.Start();
    EnterBlock(f, "S5", "", "V1=AND(S2)");
    TypeLogic(f, "V1=AND(S9)");
    TypeInto(f.Block_Name, "Q9");
    Enter(f.Block_Name);
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)"));
    QCOMPARE(f.Top_Label_Name->text(), QStringLiteral("Q9"));
    QVERIFY(!f.Top_Label_Name->isHidden());
}

void MainWindowTest::stateValueDoubleClick() {
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, "T5 V5=1 V6=0");
    EnterBlock(f, "S5", "V1=AND(S1)", "V1=AND(S2)");
    QCOMPARE(f.TS_State_Value->text(), QStringLiteral("вкл"));
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S1)"));

    // The pair is toggled together and stays valid; the view follows the state.
    QTest::mouseDClick(f.TS_State_Value, Qt::LeftButton);
    QCOMPARE(f.TS_State_Value->text(), QStringLiteral("откл"));
    QCOMPARE(TextColour(f.TS_State_Value), Q(col::kRed));
    QCOMPARE(rig.ws.TsTable.Value[6], int16_t(1));
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)"));
    QCOMPARE(f.Top_Label4->text(), QStringLiteral("отключен"));

    // Without "Разрешить изменение ТС" the double-click does nothing.
    ClickBox(f, f.Check_Change_TS);
    QTest::mouseDClick(f.TS_State_Value, Qt::LeftButton);
    QCOMPARE(f.TS_State_Value->text(), QStringLiteral("откл"));
    QCOMPARE(rig.ws.TsTable.Value[5], int16_t(0));
}

void MainWindowTest::checkBoxes() {
    Rig rig("[TS]\nshow=1\nchange=0\n");
    TForm1& f = rig.Start();
    EnterBlock(f, "S5", "", "V1=AND(S1,S2)");
    QCOMPARE(f.OuterHeight(), 577);

    // The TS display off: the grid drops out of the window.
    ClickBox(f, f.Check_Show_TS);
    QCOMPARE(f.OuterHeight(), 524);
    QCOMPARE(f.height(), 524 - TForm1::kFrameHeight);
    // TS editing on brings the TS display back.
    ClickBox(f, f.Check_Change_TS);
    QVERIFY(f.Check_Show_TS->isChecked());
    QCOMPARE(f.OuterHeight(), 577);
    // Unchecking TS editing changes nothing else.
    ClickBox(f, f.Check_Change_TS);
    QVERIFY(f.Check_Show_TS->isChecked());

    // The M panel.
    ClickBox(f, f.Check_Show_M);
    QVERIFY(f.M_Panel->isVisible());
    QCOMPARE(f.Control_Panel->x(), 519);
    ClickBox(f, f.Check_Show_M);
    QVERIFY(!f.M_Panel->isVisible());
    QCOMPARE(f.Control_Panel->x(), 390);

    // The panel tabs.
    QCOMPARE(LookOf(f.Tab_Settings), Look(col::kHighlight, col::kWhite, false, true, 25));
    QCOMPARE(LookOf(f.Tab_Control), Look(col::kInactiveTab, col::kBlack, true, false, 25));
    Click(f.Tab_Control);
    QVERIFY(f.Buttons_Panel->isVisible());
    QVERIFY(!f.Settings_Panel->isVisible());
    QCOMPARE(LookOf(f.Tab_Control), Look(col::kHighlight, col::kWhite, false, true, 25));
    QCOMPARE(LookOf(f.Tab_Settings), Look(col::kInactiveTab, col::kBlack, true, false, 25));
}

void MainWindowTest::editorColouring() {
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, "V1=1 V2=0 V5=0 U3=2");
    EnterBlock(f, "S5", "", "V1=AND(S1,~S1,S2,S3)");
    // V1=AND(S1,~S1,S2,S3): S1 at 7, ~S1 at 10, S2 at 14, S3 at 17.
    QCOMPARE(CharColour(f, 0, 7), Q(col::kGreen));
    QCOMPARE(CharColour(f, 0, 10), Q(col::kRed));
    QCOMPARE(CharColour(f, 0, 11), Q(col::kRed));
    QCOMPARE(CharColour(f, 0, 14), Q(col::kRed));
    QCOMPARE(CharColour(f, 0, 17), Q(col::kGrey));
    QVERIFY(CharAt(f, 0, 17).fontUnderline());
    QCOMPARE(CharColour(f, 0, 3), Q(col::kBlack));  // AND
    QCOMPARE(CharColour(f, 0, 0), Q(col::kRed));    // V1 holds 0

    // The same text typed again comes plain; the next refresh colours it again.
    TypeLogic(f, "V1=AND(S1,~S1,S2,S3)");
    QCOMPARE(CharColour(f, 0, 7), Q(col::kBlack));
    Enter(f.Block_Name);
    QCOMPARE(CharColour(f, 0, 7), Q(col::kGreen));
    QCOMPARE(CharColour(f, 0, 17), Q(col::kGrey));
    // A TS edit recolours its operand and leaves the others as they are.
    QTest::mouseClick(f.TS_Grid, Qt::LeftButton, {}, CellCentre(f, ColumnOf(f, 2), 1));
    QTest::keyClick(f.TS_Grid, '1');
    QCOMPARE(CharColour(f, 0, 14), Q(col::kGreen));
    QCOMPARE(CharColour(f, 0, 7), Q(col::kGreen));
    QCOMPARE(CharColour(f, 0, 10), Q(col::kRed));
    QCOMPARE(CharColour(f, 0, 13), Q(col::kBlack));  // the comma

    // "Подсветка текста" off: plain black text; on again: coloured again.
    ClickBox(f, f.Check_Color);
    QCOMPARE(CharColour(f, 0, 7), Q(col::kBlack));
    QCOMPARE(CharColour(f, 0, 17), Q(col::kBlack));
    QVERIFY(!CharAt(f, 0, 17).fontUnderline());
    ClickBox(f, f.Check_Color);
    QCOMPARE(CharColour(f, 0, 7), Q(col::kGreen));

    // A parse error in the logic on view: its line is marked, the operands are not coloured.
    TypeLogic(f, "M1=AND(S1)\nX1=AND(S2)");
    Click(f.Recalculate_Button);
    QVERIFY(!CharAt(f, 0, 7).fontUnderline());
    QCOMPARE(CharColour(f, 0, 7), Q(col::kBlack));
    QVERIFY(CharAt(f, 1, 0).fontUnderline());
    QCOMPARE(CharAt(f, 1, 0).fontWeight(), int(QFont::Bold));
    QVERIFY(CharAt(f, 1, 9).fontUnderline());
}

// ---- The verdict line ----

void MainWindowTest::verdict_data() {
    QTest::addColumn<QString>("ts");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("off");
    QTest::addColumn<QString>("on");
    QTest::addColumn<QString>("label4");
    QTest::addColumn<bool>("label4Red");
    QTest::addColumn<QString>("label5");
    QTest::addColumn<QString>("label6");
    QTest::addColumn<bool>("label6Red");
    QTest::addColumn<QString>("label6Hint");
    QTest::addColumn<QString>("label7Hint");  // empty: hidden
    QTest::addColumn<QString>("tab");

    const QString on = QStringLiteral("включен"), off = QStringLiteral("отключен"),
                  unknown = QStringLiteral("неизвестно");
    const QString toOff = QStringLiteral("Отключение:"), toOn = QStringLiteral("Включение:"),
                  control = QStringLiteral("Управление:");

    QTest::newRow("forbidden with a candidate")
        << "V5=1 V1=0"
        << "S5"
        << "V1=AND(S1)"
        << "V1=AND(S2)" << on << false << toOff << QStringLiteral("запрещено*") << true
        << QStringLiteral(
               "Отключение коммутационного аппарата запрещено\n\nВозможные ТС для изменения: \n\n- ТС1 = 0")
        << "" << NormalTab(true);
    QTest::newRow("forbidden, named candidate")
        << "V5=0 V2=0 N2=Q2"
        << "S5"
        << "V1=AND(S1)"
        << "V1=AND(S2)" << off << false << toOn << QStringLiteral("запрещено*") << true
        << QStringLiteral(
               "Включение коммутационного аппарата запрещено\n\nВозможные ТС для изменения: \n\n- Q2 = 0 "
               "(ТС2)")
        << "" << NormalTab(true);
    QTest::newRow("forbidden without candidates")
        << "V5=0"
        << "S5"
        << ""
        << "V1=AND(S2,S3)" << off << false << toOn << QStringLiteral("запрещено") << true
        << QStringLiteral("Включение коммутационного аппарата запрещено") << "" << NormalTab(true);
    QTest::newRow("inverted state: the ON logic governs")
        << "V5=1 V2=1"
        << "~S5"
        << "V1=AND(S1)"
        << "V1=AND(S2)" << off << false << toOn << QStringLiteral("разрешено") << false
        << QStringLiteral("Включение коммутационного аппарата разрешено") << "" << NormalTab(true);
    QTest::newRow("empty OFF logic while on")
        << "V5=1"
        << "S5"
        << ""
        << "V1=AND(S2)" << on << false << toOff << "???" << false
        << QStringLiteral("Логика не рассчитана:\nПустой блок отключения") << "" << NormalTab(true);
    QTest::newRow("empty OFF logic, inverted state")
        << "V5=0"
        << "~S5"
        << ""
        << "V1=AND(S2)" << on << false << toOff << "???" << false
        << QStringLiteral("Логика не рассчитана: пустой блок") << "" << NormalTab(true);
    QTest::newRow("error in the logic that does not govern")
        << "V5=0 V2=1"
        << "S5"
        << "V1=XOR(S1)"
        << "V1=AND(S2)" << off << false << toOn << QStringLiteral("разрешено") << false
        << QStringLiteral("Включение коммутационного аппарата разрешено") << "" << RedTab(true);
    QTest::newRow("error in the governing logic")
        << "V5=0"
        << "S5"
        << ""
        << "X1=AND(S2)" << off << false << toOn << QStringLiteral("ошибка!") << true
        << QStringLiteral("В логике включения: \n\nНекорректная переменная в строке: \n\nX1=AND(S2)") << ""
        << RedTab(true);
    QTest::newRow("hardware unreliability, logic not governing")
        << "V5=0 V2=1 U3=2"
        << "S5"
        << "V1=AND(S3)"
        << "V1=AND(S2)" << off << false << toOn << QStringLiteral("разрешено") << false
        << QStringLiteral("Включение коммутационного аппарата разрешено") << "" << NormalTab(true);
    QTest::newRow("hardware unreliability, governing logic")
        << "V5=0 V2=1 V3=1 U3=2 N3=Q3 U4=2"
        << "S5"
        << ""
        << "V1=AND(S2,S3,S4)" << off << false << toOn << QStringLiteral("запрещено**") << true
        << QStringLiteral(
               "Управление коммутационным аппаратом запрещено\n\nАппаратная недостоверность данных ТС")
        << QStringLiteral("Аппаратная недостоверность данных ТС: \n\nТС3: Q3\nТС4") << RedTab(true);
    QTest::newRow("manual unreliability, governing logic")
        << "V5=0 V2=1 U2=1"
        << "S5"
        << ""
        << "V1=AND(S2)" << off << false << toOn << QStringLiteral("разрешено") << false
        << QStringLiteral("Включение коммутационного аппарата разрешено")
        << QStringLiteral("Ручная недостоверность данных ТС: \n\nТС2") << NormalTab(true);
    QTest::newRow("state TS with manual unreliability")
        << "V5=1 U5=1 V1=1"
        << "S5"
        << "V1=AND(S1)"
        << "" << on + "*" << true << toOff << QStringLiteral("разрешено") << false
        << QStringLiteral("Отключение коммутационного аппарата разрешено") << "" << NormalTab(true);
    QTest::newRow("invalid two-position state pair")
        << "T5 V5=0 V6=0"
        << "S5"
        << ""
        << "V1=AND(S2)" << unknown << false << control << QStringLiteral("ошибка!") << true
        << QStringLiteral("Двухпозиционный сигнал состояния некорректен") << "" << RedTab(true);
    QTest::newRow("no state signal") << ""
                                     << ""
                                     << ""
                                     << "V1=AND(S2)" << unknown << false << control
                                     << QStringLiteral("ошибка!") << true
                                     << QStringLiteral("Неизвестно состояние аппарата") << "" << RedTab(true);
    QTest::newRow("empty block with a state signal")
        << "V5=1"
        << "S5"
        << ""
        << "" << on << false << toOff << "???" << false
        << QStringLiteral("Логика не рассчитана:\nПустой блок отключения") << "" << EmptyTab(true);
}

void MainWindowTest::verdict() {
    QFETCH(QString, ts);
    QFETCH(QString, state);
    QFETCH(QString, off);
    QFETCH(QString, on);
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, ts.toStdString());
    EnterBlock(f, state, off, on);
    QTEST(f.Top_Label4->text(), "label4");
    QFETCH(bool, label4Red);
    QCOMPARE(TextColour(f.Top_Label4), Q(label4Red ? col::kRed : col::kBlack));
    QCOMPARE(Hint(f.Top_Label4), label4Red ? QStringLiteral("Недостоверность ТС состояния") : QString());
    QTEST(f.Top_Label5->text(), "label5");
    QTEST(f.Top_Label6->text(), "label6");
    QFETCH(bool, label6Red);
    QFETCH(QString, label6);
    const interlock::Colour verdictColour = label6Red                               ? col::kRed
                                            : label6 == QStringLiteral("разрешено") ? col::kGreen
                                                                                    : col::kBlack;
    QCOMPARE(TextColour(f.Top_Label6), Q(verdictColour));
    QTEST(Hint(f.Top_Label6), "label6Hint");
    QFETCH(QString, label7Hint);
    QCOMPARE(f.Top_Label7->isHidden(), label7Hint.isEmpty());
    if (!label7Hint.isEmpty()) {
        QCOMPARE(Hint(f.Top_Label7), label7Hint);
        QCOMPARE(f.Top_Label7->text(), QStringLiteral("Недостоверность ТС!"));
        QCOMPARE(TextColour(f.Top_Label7), Q(col::kRed));
    }
    QTEST(LookOf(f.Tab[1]), "tab");
    // The group tab is red exactly when the block is.
    QFETCH(QString, tab);
    QCOMPARE(LookOf(f.Tab1_16).startsWith("colour=ff "), tab == RedTab(true));
    QVERIFY(rig.dialogs.Log().empty());

    // The same block after a round trip through another block reads the same.
    const QString verdictText = f.Top_Label6->text();
    Click(f.Tab[2]);
    Click(f.Tab[1]);
    QCOMPARE(f.Top_Label6->text(), verdictText);
    QTEST(LookOf(f.Tab[1]), "tab");
}

void MainWindowTest::headerNameAndHint() {
    Rig rig;
    TForm1& f = rig.Start();
    Click(f.Tab[4]);
    TypeInto(f.Block_Name, "Q4");
    Enter(f.Block_Name);
    QVERIFY(!f.Top_Label_Name->isHidden());
    QCOMPARE(f.Top_Label_Name->text(), QStringLiteral("Q4"));
    QCOMPARE(Hint(f.Top_Label_Name),
             QStringLiteral("Коммутационный аппарат: \"Q4\"\nВыходное реле №4\n\nФайл: \"-\""));

    // After a save the hint names the file.
    rig.dialogs.AnswerSaveFile(rig.Path("plant.blk"));
    Click(f.Save_File_Button);
    Enter(f.Block_Name);
    QCOMPARE(Hint(f.Top_Label_Name),
             QString("Коммутационный аппарат: \"Q4\"\nВыходное реле №4\n\nФайл: \"%1\"")
                 .arg(QString::fromStdString(rig.Path("plant.blk"))));

    TypeInto(f.Block_Name, "");
    Enter(f.Block_Name);
    QVERIFY(f.Top_Label_Name->isHidden());
}

// ---- The grids ----

void MainWindowTest::tsGridHeight_data() {
    QTest::addColumn<QString>("logic");
    QTest::addColumn<bool>("showTs");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("columns");

    const QString twelve = "V1=AND(S1,S2,S3,S4,S5,S6,S7,S8,S9,S10,S11,S12)";
    const QString thirteen = "V1=AND(S1,S2,S3,S4,S5,S6,S7,S8,S9,S10,S11,S12,S200)";
    QTest::newRow("no TS") << "V1=AND(M1)" << true << 524 << 0;
    QTest::newRow("no TS, display off") << "V1=AND(M1)" << false << 524 << 0;
    QTest::newRow("twelve") << twelve << true << 577 << 12;
    QTest::newRow("thirteen") << thirteen << true << 596 << 13;
    QTest::newRow("thirteen, display off") << thirteen << false << 524 << 13;
    QTest::newRow("same TS twice counts once") << "V1=AND(S3,~S3,D3)" << true << 577 << 1;
}

void MainWindowTest::tsGridHeight() {
    QFETCH(QString, logic);
    QFETCH(bool, showTs);
    Rig rig(showTs ? nullptr : "[TS]\nshow=0\nchange=0\n");
    TForm1& f = rig.Start();
    EnterBlock(f, "S250", "", logic);
    QTEST(f.OuterHeight(), "height");
    QCOMPARE(f.height(), f.OuterHeight() - TForm1::kFrameHeight);
    QTEST(f.TS_Grid->ColumnCount() - 1, "columns");  // rebuilt even while out of sight
    QCOMPARE(f.TS_Grid->Cell(0, 0), QStringLiteral("ТС"));
    QCOMPARE(f.TS_Grid->Cell(0, 1), QStringLiteral("Знач."));
    if (!showTs) {
        ClickBox(f, f.Check_Show_TS);
        QFETCH(int, columns);
        QCOMPARE(f.OuterHeight(), columns == 0 ? 524 : columns > 12 ? 596 : 577);
    }
}

void MainWindowTest::tsGridColumnsAndStateValue_data() {
    QTest::addColumn<QString>("ts");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("logic");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("stateValue");
    QTest::addColumn<uint>("stateColour");

    QTest::newRow("inverted, TS on") << "V5=1"
                                     << "~S5"
                                     << "V1=AND(S9,S2)" << QStringList{"2=0", "9=0"} << QStringLiteral("откл")
                                     << uint(col::kRed);
    QTest::newRow("inverted, TS off")
        << "V5=0"
        << "~S5"
        << "V1=AND(S2)" << QStringList{"2=0"} << QStringLiteral("вкл") << uint(col::kGreen);
    QTest::newRow("invalid pair") << "T5 V5=1 V6=1"
                                  << "S5"
                                  << "V1=AND(S2)" << QStringList{"2=0"} << "---" << uint(col::kBlack);
    QTest::newRow("two-position operand shows both TS")
        << "T7 V7=1"
        << "S1"
        << "V1=AND(D7)" << QStringList{"7=1", "8=0"} << QStringLiteral("откл") << uint(col::kRed);
    QTest::newRow("server pair: second TS derived")
        << "T7 F7 F8 V7=1 V8=1"
        << "S1"
        << "V1=AND(D7)" << QStringList{"7=1", "8=0"} << QStringLiteral("откл") << uint(col::kRed);
}

void MainWindowTest::tsGridColumnsAndStateValue() {
    QFETCH(QString, ts);
    QFETCH(QString, state);
    QFETCH(QString, logic);
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, ts.toStdString());
    // The pair flags come with a configuration (the attribute line) in real use.
    for (int n = 1; n < 256; ++n) {
        if (rig.ws.TsTable.TwoPosition[n]) rig.ws.TsTable.PairSecond[n + 1] = 1;
    }
    EnterBlock(f, state, logic, logic);  // on both sides: the grid shows the logic on view
    QTEST(TsColumns(f), "columns");
    QTEST(f.TS_State_Value->text(), "stateValue");
    QFETCH(uint, stateColour);
    QCOMPARE(TextColour(f.TS_State_Value), Q(stateColour));
}

void MainWindowTest::tsGridEdits() {
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, "V5=0 V2=1");
    EnterBlock(f, "S5", "V1=AND(S2)", "V1=AND(S5,S2)");
    QCOMPARE(TsColumns(f), QStringList({"2=1", "5=0"}));
    QCOMPARE(f.Top_Label6->text(), QStringLiteral("запрещено*"));

    // "1" on the state TS: value and verdict change, the view does not.
    const int c5 = ColumnOf(f, 5);
    QTest::mouseClick(f.TS_Grid, Qt::LeftButton, {}, CellCentre(f, c5, 1));
    QTest::keyClick(f.TS_Grid, '1');
    QCOMPARE(TsColumns(f), QStringList({"2=1", "5=1"}));
    QCOMPARE(f.Top_Label4->text(), QStringLiteral("включен"));
    QCOMPARE(f.Top_Label6->text(), QStringLiteral("разрешено"));
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S5,S2)"));
    QCOMPARE(LookOf(f.Tab_On), Look(col::kHighlight, col::kWhite, false, true, 25));
    QCOMPARE(f.TS_State_Value->text(), QStringLiteral("вкл"));

    // "0" on TS 2: every block is recalculated, the verdict of the OFF logic follows.
    QTest::mouseClick(f.TS_Grid, Qt::LeftButton, {}, CellCentre(f, ColumnOf(f, 2), 1));
    QTest::keyClick(f.TS_Grid, '0');
    QCOMPARE(TsColumns(f), QStringList({"2=0", "5=1"}));
    QCOMPARE(f.Top_Label6->text(), QStringLiteral("запрещено*"));

    // A double-click on the state TS value: the view follows the new state.
    QTest::keyClick(f.TS_Grid, '1');
    QTest::mouseDClick(f.TS_Grid, Qt::LeftButton, {}, CellCentre(f, ColumnOf(f, 5), 1));
    QCOMPARE(f.Top_Label4->text(), QStringLiteral("отключен"));
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S5,S2)"));
    QTest::keyClick(f.TS_Grid, Qt::Key_Right);  // arrow keys move the cell, change nothing
    QTest::mouseDClick(f.TS_Grid, Qt::LeftButton, {}, CellCentre(f, ColumnOf(f, 5), 1));
    QCOMPARE(f.Top_Label4->text(), QStringLiteral("включен"));
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)"));
    QCOMPARE(LookOf(f.Tab_Off), Look(col::kHighlight, col::kWhite, false, true, 25));
    QCOMPARE(f.Top_Label6->text(), QStringLiteral("разрешено"));
}

void MainWindowTest::tsEditRecalculatesAllBlocks() {
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, "T7 V7=1 V8=0");
    rig.ws.TsTable.PairSecond[8] = 1;
    Click(f.Tab[2]);
    EnterBlock(f, "S7", "V2=AND(S1)", "V2=AND(S1)");
    Click(f.Tab[1]);
    EnterBlock(f, "S5", "", "V1=AND(S2,S8)");
    QCOMPARE(LookOf(f.Tab[2]), NormalTab());
    // TS 8 typed equal to TS 7: block 2's state pair turns invalid, and so does its tab.
    QTest::mouseClick(f.TS_Grid, Qt::LeftButton, {}, CellCentre(f, ColumnOf(f, 8), 1));
    QTest::keyClick(f.TS_Grid, '1');
    QCOMPARE(LookOf(f.Tab[2]), RedTab());
    QCOMPARE(LookOf(f.Tab1_16), Look(col::kRed, col::kWhite, false, true, 34));
    QTest::keyClick(f.TS_Grid, '0');
    QCOMPARE(LookOf(f.Tab[2]), NormalTab());
    QCOMPARE(LookOf(f.Tab1_16), Look(col::kHighlight, col::kWhite, false, true, 34));
}

void MainWindowTest::tsGridRefusedEdits_data() {
    QTest::addColumn<bool>("changeTs");
    QTest::addColumn<int>("row");
    QTest::addColumn<char>("key");
    QTest::addColumn<QString>("ts");  // the TS column to edit
    QTest::addColumn<bool>("doubleClick");

    QTest::newRow("editing off, key") << false << 1 << '1' << "2" << false;
    QTest::newRow("editing off, double-click") << false << 1 << ' ' << "2" << true;
    QTest::newRow("editing off, number double-click: no hint") << false << 0 << ' ' << "2" << true;
    QTest::newRow("number row, key") << true << 0 << '1' << "2" << false;
    QTest::newRow("other key") << true << 1 << '2' << "2" << false;
    QTest::newRow("server pair second, key") << true << 1 << '1' << "8" << false;
    QTest::newRow("server pair second, double-click") << true << 1 << ' ' << "8" << true;
}

void MainWindowTest::tsGridRefusedEdits() {
    QFETCH(bool, changeTs);
    Rig rig(changeTs ? nullptr : "[TS]\nchange=0\n");
    TForm1& f = rig.Start();
    SetTs(rig.ws, "V5=0 T7 F7 F8 V7=1");
    rig.ws.TsTable.PairSecond[8] = 1;
    EnterBlock(f, "S5", "", "V1=AND(S2,D7)");
    const QStringList before = TsColumns(f);
    const QString verdictBefore = f.Top_Label6->text();
    QFETCH(QString, ts);
    QFETCH(int, row);
    QFETCH(char, key);
    QFETCH(bool, doubleClick);
    const QPoint at = CellCentre(f, ColumnOf(f, ts.toInt()), row);
    if (doubleClick) {
        QTest::mouseDClick(f.TS_Grid, Qt::LeftButton, {}, at);
    } else {
        QTest::mouseClick(f.TS_Grid, Qt::LeftButton, {}, at);
        QTest::keyClick(f.TS_Grid, key);
    }
    QCOMPARE(TsColumns(f), before);
    QCOMPARE(f.Top_Label6->text(), verdictBefore);
    QVERIFY(f.TS_Grid->toolTip().isEmpty());
}

void MainWindowTest::tsGridHeaderHint() {
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, "N5=Q5");
    EnterBlock(f, "S1", "", "V1=AND(S2,S5)");
    QTest::mouseDClick(f.TS_Grid, Qt::LeftButton, {}, CellCentre(f, ColumnOf(f, 5), 0));
    QCOMPARE(f.TS_Grid->toolTip(), QStringLiteral("ТС5:\nQ5"));
    QCOMPARE(TsColumns(f), QStringList({"2=0", "5=0"}));  // the value is left alone
    QTest::mouseDClick(f.TS_Grid, Qt::LeftButton, {}, CellCentre(f, ColumnOf(f, 2), 0));
    QCOMPARE(f.TS_Grid->toolTip(), QStringLiteral("ТС2"));

    // The pointer leaving the grid switches the hint off; coming back does not bring it back.
    auto move = [&](QPoint p) {
        QMouseEvent event(QEvent::MouseMove, QPointF(p), f.TS_Grid->mapToGlobal(QPointF(p)), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(f.TS_Grid, &event);
    };
    move(QPoint(10, 10));
    QCOMPARE(f.TS_Grid->toolTip(), QStringLiteral("ТС2"));
    move(QPoint(10, f.TS_Grid->height()));
    QVERIFY(f.TS_Grid->toolTip().isEmpty());
    move(QPoint(10, 10));
    QVERIFY(f.TS_Grid->toolTip().isEmpty());
}

void MainWindowTest::mGrid() {
    Rig rig("[M]\nshow=1\n");
    TForm1& f = rig.Start();
    SetTs(rig.ws, "V1=1 V2=0 V10=0");
    Click(f.Tab[4]);
    EnterBlock(f, "S10", "", "M3=AND(S1)\nM12=AND(S2)\nM5=AND(S1,S2)\nV4=AND(M3,~M12)");
    QVERIFY(f.M_Panel->isVisible());
    // M5 is only assigned: its token runs on to the comma and is no number.
    QCOMPARE(MRows(f), QStringList({"M3=1", "M12=0", "V4=1"}));
    // In the OFF view the V row shows the OFF result.
    Click(f.Tab_Off);
    QCOMPARE(MRows(f), QStringList({"V4=0"}));
}

// ---- Buttons ----

void MainWindowTest::recalculateButton() {
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, "V5=0 V3=0");
    EnterBlock(f, "S5", "V1=AND(S1)", "V1=AND(S2)");
    TypeInto(f.TS_State_Number, "~S3");  // no Enter: the button takes the field over
    Click(f.Recalculate_Button);
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("~S3"));
    QCOMPARE(f.Top_Label4->text(), QStringLiteral("включен"));
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S1)"));
    QCOMPARE(LookOf(f.Tab_Off), Look(col::kHighlight, col::kWhite, false, true, 25));
    Click(f.Tab[2]);
    Click(f.Tab[1]);
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("~S3"));
}

void MainWindowTest::nullifyButton() {
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, "V5=1 V9=1 T20");
    EnterBlock(f, "S5", "V1=AND(S1)", "V1=AND(S2)", "Q1");
    Click(f.Tab[3]);
    EnterBlock(f, "S9", "", "V3=AND(S1)");
    const QString question =
        Box("Yes/No box", "Обнуление блока",
            "Вы уверены, что хотите обнулить блок? Вся текущая несохранённая конфигурация будет потеряна.",
            Icon::Information);

    rig.dialogs.AnswerYesNo(false);
    Click(f.Nullify_Button);
    QCOMPARE(Boxes(rig.dialogs), QStringList{question});
    QCOMPARE(LookOf(f.Tab[1]), NormalTab());
    QCOMPARE(LookOf(f.Tab[3]), NormalTab(true));
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("S9"));

    rig.dialogs.ClearLog();
    rig.dialogs.AnswerYesNo(true);
    Click(f.Nullify_Button);
    QCOMPARE(
        Boxes(rig.dialogs),
        QStringList({question, Box("message box", "Обнуление блока",
                                   "Логика конфигурации блока обнулена. Данные ТС оставлены без изменения",
                                   Icon::Warning)}));
    QCOMPARE(LookOf(f.Tab[1]), EmptyTab());
    QCOMPARE(LookOf(f.Tab[3]), EmptyTab(true));
    QCOMPARE(EditorText(f), QString());
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("---"));
    QCOMPARE(f.Top_Label6->text(), QStringLiteral("???"));
    QCOMPARE(rig.ws.TsTable.Value[5], int16_t(1));
    QCOMPARE(rig.ws.TsTable.Value[9], int16_t(1));
    QCOMPARE(rig.ws.TsTable.TwoPosition[20], uint8_t(1));
    Click(f.Tab[1]);
    QCOMPARE(f.Block_Name->text(), QString());
}

// ---- Configuration files ----

void MainWindowTest::saveWarnsAndUsesDefaultName() {
    Rig rig("[Server]\nchannel=3\nRTU=5\n");
    TForm1& f = rig.Start();
    Click(f.Tab[3]);
    EnterBlock(f, "", "", "V3=AND(S1)");
    Click(f.Tab[12]);
    // Block 12 is only typed: the save itself commits it.
    TypeLogic(f, "V12=AND(S1)");
    rig.dialogs.AnswerSaveFile(rig.Path("plant.blk"));
    Click(f.Save_File_Button);

    const auto& log = rig.dialogs.Log();
    QCOMPARE(log.size(), size_t(2));
    QCOMPARE(Boxes(rig.dialogs).first(),
             Box("message box", "Внимание",
                 "Внимание! Конфигурация содержит ошибки в следующих блоках: \n\r\n\r#3  #12  \n\r\n\r"
                 "Использование данной конфигурации в блоке ТУ может привести к его некорректной работе.",
                 Icon::Warning));
    QCOMPARE(log[1].kind, ui::ScriptedDialogs::Kind::SaveFile);
    QCOMPARE(log[1].file.initialName, rig.Path("cfg_3_5_1.blk"));
    QVERIFY(log[1].file.filters == ui::FileFilters({{"*.blk", "*.blk"}}));
    QCOMPARE(log[1].file.defaultExt, std::string("blk"));
    QVERIFY(!log[1].file.confirmOverwrite);

    const std::string saved = rig.Read("plant.blk");
    QVERIFY(
        saved.find(
            "##12\r\n#On->Off\r\nIF (ERROR)\r\nEND\r\n#Off->On\r\nIF (ERROR)\r\nV12=AND(S1)\r\nEND\r\n") !=
        std::string::npos);
    QVERIFY(saved.find("#TS0=") != std::string::npos);
    QCOMPARE(f.windowTitle(), QStringLiteral("Оперативные блокировки Орвеск"));  // saving keeps the caption
    QCOMPARE(EditorText(f), QStringLiteral("V12=AND(S1)"));

    // The next save proposes the file just saved, and without the TS values when so chosen.
    rig.dialogs.ClearLog();
    ClickBox(f, f.Check_Save_TS);
    rig.dialogs.AnswerSaveFile(rig.Path("plant.blk"));
    Click(f.Save_File_Button);
    QCOMPARE(rig.dialogs.Log().back().file.initialName, rig.Path("plant.blk"));
    QVERIFY(rig.Read("plant.blk").find("#TS0=") == std::string::npos);

    // A file that cannot be created: the system's error in an error box; the name is kept.
    rig.dialogs.ClearLog();
    rig.dialogs.AnswerSaveFile(rig.Path("no such folder/plant.blk"));
    Click(f.Save_File_Button);
    const std::vector<interlock::Message> messages = rig.dialogs.Messages();
    QCOMPARE(messages.size(), size_t(2));  // the warning, then the error
    QCOMPARE(messages[1].caption, W("Ошибка"));
    QCOMPARE(messages[1].icon, Icon::Error);
    QVERIFY(!rig.Exists("no such folder/plant.blk"));
    rig.dialogs.AnswerSaveFile(std::nullopt);
    Click(f.Save_File_Button);
    QCOMPARE(rig.dialogs.Log().back().file.initialName, rig.Path("no such folder/plant.blk"));
}

void MainWindowTest::saveCancelledRemembersName() {
    Rig rig("[Server]\nchannel=3\nRTU=5\n");
    TForm1& f = rig.Start();
    rig.dialogs.AnswerSaveFile(std::nullopt);
    Click(f.Save_File_Button);
    QVERIFY(!rig.Exists("cfg_3_5_1.blk"));
    QCOMPARE(Boxes(rig.dialogs).size(), qsizetype(1));  // no warning: nothing is erroneous

    // The load dialog now opens on the remembered name, and the settings keep it.
    rig.dialogs.AnswerOpenFile(std::nullopt);
    Click(f.Load_File_Button);
    QCOMPARE(rig.dialogs.Log().back().file.initialName, rig.Path("cfg_3_5_1.blk"));
    rig.Stop();
    QVERIFY(IniEntries(rig.Read("settings.ini"))
                .contains(QString::fromStdString("File/file=" + rig.Path("cfg_3_5_1.blk"))));
}

void MainWindowTest::loadDialogAndMissingFile() {
    Rig rig;
    TForm1& f = rig.Start();
    EnterBlock(f, "S5", "", "V1=AND(S2)");
    rig.dialogs.AnswerOpenFile(rig.Path("missing.blk"));
    Click(f.Load_File_Button);
    const auto& log = rig.dialogs.Log();
    QCOMPARE(log.size(), size_t(2));
    QCOMPARE(log[0].file.initialName, rig.Path(".blk"));
    QVERIFY(log[0].file.filters ==
            ui::FileFilters({{W("Конфигурация (*.blk)"), "*.blk"}, {W("Временный файл (*.tmp)"), "*.tmp"}}));
    QCOMPARE(log[0].file.defaultExt, std::string("blk"));
    QCOMPARE(Boxes(rig.dialogs)[1],
             Box("message box", "Ошибка при открытии файла", "Указанный файл не найден.", Icon::Error));
    QCOMPARE(f.windowTitle(), QStringLiteral("Оперативные блокировки Орвеск"));
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)"));
    QCOMPARE(LookOf(f.Tab[1]), NormalTab(true));

    // Cancelling does nothing either.
    rig.dialogs.ClearLog();
    rig.dialogs.AnswerOpenFile(std::nullopt);
    Click(f.Load_File_Button);
    QCOMPARE(rig.dialogs.Log().size(), size_t(1));
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)"));
}

void MainWindowTest::loadNameSetsServerFields_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<QString>("rtu");

    QTest::newRow("channel 12 is too big") << "cfg_12_5_1.blk"
                                           << "0"
                                           << "1";
    QTest::newRow("RTU text 5.blk") << "cfg_3_5.blk"
                                    << "3"
                                    << "1";
    QTest::newRow("both") << "cfg_3_5_x.blk"
                          << "3"
                          << "5";
    QTest::newRow("upper-case prefix") << "CFG_3_5_1.blk"
                                       << "0"
                                       << "1";
    QTest::newRow("nine characters") << "cfg_3_5_1"
                                     << "0"
                                     << "1";
    QTest::newRow("content overridden") << "cfg_7_8_1.blk"
                                        << "7"
                                        << "8";
}

void MainWindowTest::loadNameSetsServerFields() {
    QFETCH(QString, name);
    Rig rig;
    TForm1& f = rig.Start();
    const std::string file = name.toStdString();
    rig.Write(file, ConfigFile({"@", "#Server_Channel=0", "#Server_RTU=1", "@"}));
    rig.dialogs.AnswerOpenFile(rig.Path(file));
    Click(f.Load_File_Button);
    QTEST(f.Server_channel_Number->text(), "channel");
    QTEST(f.Server_RTU_Number->text(), "rtu");
    QCOMPARE(f.windowTitle(), "Оперативные блокировки Орвеск - " + QString::fromStdString(rig.Path(file)));
}

void MainWindowTest::loadTmpThenSaveProposesDefault() {
    Rig rig;
    TForm1& f = rig.Start();
    rig.Write("Temp/4.tmp",
              ConfigFile({"@", "#Server_Channel=2", "#Server_RTU=6", "##1 - Q1", "#On->Off", "IF (S5)",
                          "V1=AND(S1)", "END", "#Off->On", "IF (~S5)", "V1=AND(S2)", "END", "@"}));
    rig.dialogs.AnswerOpenFile(rig.Path("Temp/4.tmp"));
    Click(f.Load_File_Button);
    QCOMPARE(f.Block_Name->text(), QStringLiteral("Q1"));
    QCOMPARE(f.Server_channel_Number->text(), QStringLiteral("2"));
    rig.dialogs.AnswerSaveFile(std::nullopt);
    Click(f.Save_File_Button);
    QCOMPARE(rig.dialogs.Log().back().file.initialName, rig.Path("cfg_2_6_1.blk"));
}

void MainWindowTest::loadEmptyFile() {
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, "V5=1 V7=1 T9");
    EnterBlock(f, "S5", "V1=AND(S7)", "V1=AND(S2)");
    Click(f.Tab[2]);
    EnterBlock(f, "S7", "V2=AND(S7)", "");
    TypeInto(f.Server_channel_Number, "4");
    rig.Write("empty.blk", "");
    rig.dialogs.AnswerOpenFile(rig.Path("empty.blk"));
    Click(f.Load_File_Button);
    QCOMPARE(f.windowTitle(),
             "Оперативные блокировки Орвеск - " + QString::fromStdString(rig.Path("empty.blk")));
    QCOMPARE(LookOf(f.Tab[1]), EmptyTab());
    QCOMPARE(LookOf(f.Tab[2]), EmptyTab(true));
    QCOMPARE(EditorText(f), QString());
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("---"));
    QCOMPARE(f.Server_channel_Number->text(), QStringLiteral("4"));
    QCOMPARE(rig.ws.TsTable.Value[7], int16_t(1));
    QCOMPARE(rig.ws.TsTable.TwoPosition[9], uint8_t(1));
    QVERIFY(rig.dialogs.Messages().empty());
}

void MainWindowTest::loadInvalidBlockRestoresEverything() {
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, "V5=1 V1=0");
    EnterBlock(f, "S5", "V1=AND(S1)", "V1=AND(S2)", "Q1");
    Click(f.Tab[2]);
    EnterBlock(f, "", "", "V2=AND(S1)");  // erroneous: no state signal
    Click(f.Tab[1]);
    TypeInto(f.Server_channel_Number, "4");
    const QString verdict = f.Top_Label6->text();
    const QString verdictHint = Hint(f.Top_Label6);
    QCOMPARE(verdict, QStringLiteral("запрещено*"));

    rig.Write("bad.blk", ConfigFile({"@", AttributeLine({{1, '2'}}).c_str(), "#Server_Channel=9",
                                     "#TS0=11111111111111111111111111111111", "##1 - X", "#On->Off",
                                     "IF (S9)", "V1=AND(S3)", "END", "##40", "V1=AND(S4)", "@"}));
    rig.dialogs.AnswerOpenFile(rig.Path("bad.blk"));
    Click(f.Load_File_Button);
    QCOMPARE(
        Boxes(rig.dialogs).last(),
        Box("message box", "Ошибка при открытии файла",
            "Некорректный файл конфигурации (задан недопустимый номер блокировки).\n\rЗагрузка остановлена.",
            Icon::Error));
    QCOMPARE(rig.dialogs.Messages().size(), size_t(1));
    // Everything as before the load.
    QCOMPARE(f.windowTitle(), QStringLiteral("Оперативные блокировки Орвеск"));
    QCOMPARE(LookOf(f.Tab[1]), NormalTab(true));
    QCOMPARE(LookOf(f.Tab[2]), RedTab());
    QCOMPARE(LookOf(f.Tab1_16), Look(col::kRed, col::kWhite, false, true, 34));
    QCOMPARE(f.Top_Label6->text(), verdict);
    QCOMPARE(Hint(f.Top_Label6), verdictHint);
    QCOMPARE(f.Block_Name->text(), QStringLiteral("Q1"));
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("S5"));
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S1)"));
    QCOMPARE(f.Server_channel_Number->text(), QStringLiteral("4"));
    QCOMPARE(rig.ws.TsTable.Value[1], int16_t(0));
    QCOMPARE(rig.ws.TsTable.Value[3], int16_t(0));
    QCOMPARE(rig.ws.TsTable.TwoPosition[1], uint8_t(0));
    Click(f.Tab[2]);
    QCOMPARE(EditorText(f), QStringLiteral("V2=AND(S1)"));
    // The rejected file is nevertheless the remembered one.
    rig.dialogs.AnswerSaveFile(std::nullopt);
    Click(f.Save_File_Button);
    QCOMPARE(rig.dialogs.Log().back().file.initialName, rig.Path("bad.blk"));
}

void MainWindowTest::loadKeepsLongNames() {
    Rig rig;
    TForm1& f = rig.Start();
    // A name longer than the name field takes by typing, written by another tool or by hand.
    const std::string name = "Q1 " + std::string(50, 'x');
    rig.Write("long.blk", ConfigFile({"@", ("##1 - " + name).c_str(), "#On->Off", "IF (~S00005)",
                                      "V1=AND(S1)", "END", "@"}));
    rig.dialogs.AnswerOpenFile(rig.Path("long.blk"));
    Click(f.Load_File_Button);
    QCOMPARE(f.Top_Label_Name->text(), QString::fromStdString(name));
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("~S5"));
    // Showing another block and coming back commits the fields: nothing may be lost.
    Click(f.Tab[2]);
    Click(f.Tab[1]);
    QCOMPARE(f.Top_Label_Name->text(), QString::fromStdString(name));
    QCOMPARE(f.Block_Name->text(), QString::fromStdString(name));
    rig.dialogs.AnswerSaveFile(rig.Path("copy.blk"));
    Click(f.Save_File_Button);
    QVERIFY(rig.Read("copy.blk").find("##1 - " + name + "\r\n") != std::string::npos);
    // Typing stays limited to 40 characters, and 6 in the state field.
    TypeInto(f.Block_Name, QString(45, 'y'));
    QCOMPARE(f.Block_Name->text(), QString(40, 'y'));
    TypeInto(f.TS_State_Number, "~S00005");
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("~S0000"));
}

void MainWindowTest::autosaveRotation() {
    Rig rig;
    TForm1& f = rig.Start();
    EnterBlock(f, "S5", "", "V1=AND(S2)");
    for (int tick = 1; tick <= 16; ++tick) {
        f.Temp_SaverTimer();
        const int expected = tick > 15 ? tick - 15 : tick;
        QCOMPARE(int(f.TempCounter()), expected);
        QVERIFY(rig.Exists("Temp/" + std::to_string(expected) + ".tmp"));
    }
    QVERIFY(!rig.Exists("Temp/16.tmp"));
    QVERIFY(!rig.Exists("Temp/0.tmp"));
    // Saving to a temporary file changes neither the caption nor the remembered name.
    QCOMPARE(f.windowTitle(), QStringLiteral("Оперативные блокировки Орвеск"));
    rig.dialogs.AnswerSaveFile(std::nullopt);
    Click(f.Save_File_Button);
    QCOMPARE(rig.dialogs.Log().back().file.initialName, rig.Path("cfg_0_1_1.blk"));
    // The TS values go in as for any save.
    QVERIFY(rig.Read("Temp/1.tmp").find("#TS0=") != std::string::npos);
    ClickBox(f, f.Check_Save_TS);
    f.Temp_SaverTimer();
    QVERIFY(rig.Read("Temp/2.tmp").find("#TS0=") == std::string::npos);
    QVERIFY(rig.Read("Temp/2.tmp").find("V1=AND(S2)") != std::string::npos);
}

void MainWindowTest::autosaveSkipsEmptyOrUnchecked() {
    {
        Rig rig("[File]\ntemp_last=7\n");
        TForm1& f = rig.Start();
        f.Temp_SaverTimer();  // everything empty
        QCOMPARE(int(f.TempCounter()), 7);
        QVERIFY(QDir(QString::fromStdString(rig.Path("Temp"))).isEmpty());
        // Typing alone does not make the configuration non-empty for the autosave.
        TypeLogic(f, "V1=AND(S2)");
        f.Temp_SaverTimer();
        QCOMPARE(int(f.TempCounter()), 7);
    }
    {
        Rig rig("[File]\ntemp=0\ntemp_last=7\n");
        TForm1& f = rig.Start();
        EnterBlock(f, "S5", "", "V1=AND(S2)");
        f.Temp_SaverTimer();
        QCOMPARE(int(f.TempCounter()), 7);
        QVERIFY(QDir(QString::fromStdString(rig.Path("Temp"))).isEmpty());
        rig.Stop();
        QVERIFY(QDir(QString::fromStdString(rig.Path("Temp"))).isEmpty());
        QVERIFY(IniEntries(rig.Read("settings.ini")).contains("File/temp_last=7"));
    }
}

void MainWindowTest::autosaveBoxAndFailure() {
    {
        Rig rig("[File]\ntemp=0\ntemp_last=14\n");
        TForm1& f = rig.Start();
        EnterBlock(f, "S5", "", "V1=AND(S2)");
        QVERIFY(!f.Temp_Saver->isActive());
        ClickBox(f, f.Check_Save_Temp);  // checked: one autosave at once, then the timer
        QVERIFY(f.Temp_Saver->isActive());
        QCOMPARE(int(f.TempCounter()), 15);
        QVERIFY(rig.Exists("Temp/15.tmp"));
        f.Temp_SaverTimer();
        QCOMPARE(int(f.TempCounter()), 1);
        ClickBox(f, f.Check_Save_Temp);
        QVERIFY(!f.Temp_Saver->isActive());
        QCOMPARE(int(f.TempCounter()), 1);
    }
    {
        // No Temp folder: each tick reports the failure and moves on to the next number.
        Rig rig(nullptr, /*tempFolder=*/false);
        TForm1& f = rig.Start();
        EnterBlock(f, "S5", "", "V1=AND(S2)");
        f.Temp_SaverTimer();
        f.Temp_SaverTimer();
        QCOMPARE(int(f.TempCounter()), 2);
        const std::vector<interlock::Message> messages = rig.dialogs.Messages();
        QCOMPARE(messages.size(), size_t(2));
        QCOMPARE(messages[0].caption, W("Ошибка"));
        QCOMPARE(messages[0].icon, Icon::Error);
        QVERIFY(!messages[0].text.empty());
        QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)"));
    }
}

void MainWindowTest::startupRestore_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("file");  // the temporary file that exists
    QTest::addColumn<bool>("restored");

    QTest::newRow("counter 3, Temp/3.tmp") << QByteArray("[File]\ntemp_last=3\n") << "3.tmp" << true;
    QTest::newRow("autosave off") << QByteArray("[File]\ntemp=0\ntemp_last=3\n") << "3.tmp" << false;
    QTest::newRow("other counter") << QByteArray("[File]\ntemp_last=4\n") << "3.tmp" << false;
    QTest::newRow("counter 0 looks for 0.tmp") << QByteArray("") << "0.tmp" << true;
}

void MainWindowTest::startupRestore() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, file);
    QFETCH(bool, restored);
    Rig rig(ini.constData());
    const std::string temp = "Temp/" + file.toStdString();
    rig.Write(temp, ConfigFile({"@", "#TS0=00001000000000000000000000000000", "##1 - Q1", "#On->Off",
                                "IF (S5)", "V1=AND(S1)", "END", "#Off->On", "IF (~S5)", "V1=AND(S2)", "END",
                                "##3", "#Off->On", "IF (ERROR)", "V3=AND(S1)", "END", "@"}));
    TForm1& f = rig.Start();
    QVERIFY(rig.dialogs.Log().empty());
    if (!restored) {
        QCOMPARE(f.windowTitle(), QStringLiteral("Оперативные блокировки Орвеск"));
        QCOMPARE(EditorText(f), QString());
        QCOMPARE(LookOf(f.Tab[1]), EmptyTab(true));
        return;
    }
    QCOMPARE(f.windowTitle(), "Оперативные блокировки Орвеск - " + QString::fromStdString(rig.Path(temp)));
    QCOMPARE(f.Block_Name->text(), QStringLiteral("Q1"));
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("S5"));
    QCOMPARE(f.Top_Label4->text(), QStringLiteral("включен"));
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S1)"));
    QCOMPARE(LookOf(f.Tab[1]), NormalTab(true));
    QCOMPARE(LookOf(f.Tab[3]), RedTab());
    // The temporary file is not the remembered configuration file.
    QCOMPARE(Hint(f.Top_Label_Name),
             QStringLiteral("Коммутационный аппарат: \"Q1\"\nВыходное реле №1\n\nФайл: \"-\""));
}

void MainWindowTest::startupRestoreOfBadFile() {
    Rig rig("[File]\ntemp_last=2\n");
    rig.Write("Temp/2.tmp", ConfigFile({"@", "#TS0=11111111111111111111111111111111", "##1 - Q1", "#On->Off",
                                        "IF (S5)", "V1=AND(S1)", "END", "##40", "@"}));
    TForm1& f = rig.Start();
    QCOMPARE(
        Boxes(rig.dialogs),
        QStringList{Box(
            "message box", "Ошибка при открытии файла",
            "Некорректный файл конфигурации (задан недопустимый номер блокировки).\n\rЗагрузка остановлена.",
            Icon::Error)});
    QCOMPARE(f.windowTitle(), QStringLiteral("Оперативные блокировки Орвеск"));
    QCOMPARE(EditorText(f), QString());
    QCOMPARE(f.Block_Name->text(), QString());
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("---"));
    QCOMPARE(LookOf(f.Tab[1]), EmptyTab(true));
    QCOMPARE(rig.ws.TsTable.Value[1], int16_t(0));
}

void MainWindowTest::closeConfirmation() {
    Rig rig;
    TForm1& f = rig.Start();
    const QString question = Box("Yes/No box", "Завершение работы программы",
                                 "Завершить работу программы?\n\r\n\rВся текущая несохранённая конфигурация "
                                 "будет потеряна.",
                                 Icon::Information);
    rig.dialogs.AnswerYesNo(false);
    QVERIFY(!f.close());
    QVERIFY(f.isVisible());
    rig.dialogs.AnswerYesNo(true);
    QVERIFY(f.close());
    QVERIFY(!f.isVisible());
    QCOMPARE(Boxes(rig.dialogs), QStringList({question, question}));
}

void MainWindowTest::exitAutosavesThenWritesSettings() {
    Rig rig("[File]\ntemp_last=15\n");
    TForm1& f = rig.Start();
    EnterBlock(f, "S5", "", "V1=AND(S2)");
    rig.dialogs.AnswerSaveFile(rig.Path("plant.blk"));
    Click(f.Save_File_Button);
    rig.Stop();
    QVERIFY(rig.Exists("Temp/1.tmp"));
    const QStringList entries = IniEntries(rig.Read("settings.ini"));
    QVERIFY(entries.contains("File/temp_last=1"));
    QVERIFY(entries.contains(QString::fromStdString("File/file=" + rig.Path("plant.blk"))));

    // The next start restores the configuration as it was at exit.
    Rig next(rig.Read("settings.ini").c_str());
    next.Write("Temp/1.tmp", rig.Read("Temp/1.tmp"));
    TForm1& g = next.Start();
    QCOMPARE(EditorText(g), QStringLiteral("V1=AND(S2)"));
    QCOMPARE(g.TS_State_Number->text(), QStringLiteral("S5"));
}

// ---- The configuration viewer ----

namespace {

// Opens the viewer with "Просмотреть файл" and runs `inside` while it is on show.
void WithViewer(TForm1& f, const std::function<void(ui::TView_File_Form&)>& inside) {
    bool ran = false;
    QTimer::singleShot(0, f.ViewFileForm(), [&] {
        ran = true;
        inside(*f.ViewFileForm());
        f.ViewFileForm()->Close_ButtonClick();
    });
    Click(f.View_File_Button);
    QVERIFY(ran);
    QVERIFY(!f.ViewFileForm()->isVisible());
}

}  // namespace

void MainWindowTest::viewerShowsValuesAlways() {
    Rig rig("[File]\nsave_ts=0\n");
    TForm1& f = rig.Start();
    SetTs(rig.ws, "V33=1");
    TypeInto(f.TS_State_Number, "S5");
    TypeLogic(f, "V1=AND(S2)");  // typed only: opening the viewer commits it
    QString text;
    WithViewer(f, [&](ui::TView_File_Form& v) {
        QVERIFY(v.isVisible());
        QCOMPARE(v.windowTitle(), QStringLiteral("Просмотр текста конфигурации"));
        text = v.Memo1->toPlainText();
    });
    const QStringList lines = text.split('\n');
    QCOMPARE(lines.size(), 45 + 7);  // an empty configuration with values, and block 1's seven lines
    QCOMPARE(lines.filter(QRegularExpression("^#TS[0-7]=[01]{32}$")).size(), qsizetype(8));
    QVERIFY(lines.contains("#TS1=10000000000000000000000000000000"));
    QVERIFY(text.contains("##1\n#On->Off\nIF (S5)\nEND\n#Off->On\nIF (~S5)\nV1=AND(S2)\nEND\n##2\n"));
}

void MainWindowTest::viewerApply() {
    Rig rig;
    TForm1& f = rig.Start();
    SetTs(rig.ws, "V5=0 V2=0");
    EnterBlock(f, "S5", "", "V1=AND(S2)");
    QCOMPARE(f.Top_Label6->text(), QStringLiteral("запрещено*"));
    WithViewer(f, [&](ui::TView_File_Form& v) {
        QString text = v.Memo1->toPlainText();
        // TS 2 to 1, block 2 gets a name and logic without a state signal.
        text.replace("#TS0=00000", "#TS0=01000");
        text.replace("##2\n", "##2 - Q2\n#Off->On\nIF (ERROR)\nV2=AND(S1)\nEND\n");
        v.Memo1->setPlainText(text);
        rig.dialogs.AnswerYesNo(true);
        Click(v.Save_Button);
        QVERIFY(v.isVisible());  // the viewer stays open
    });
    QCOMPARE(Boxes(rig.dialogs),
             QStringList{Box("Yes/No box", "Сохранение изменений",
                             "Вы уверены, что хотите сохранить изменения?", Icon::Information)});
    QCOMPARE(f.Top_Label6->text(), QStringLiteral("разрешено"));
    QCOMPARE(TsColumns(f), QStringList{"2=1"});
    QCOMPARE(LookOf(f.Tab[2]), RedTab());
    QCOMPARE(f.windowTitle(), QStringLiteral("Оперативные блокировки Орвеск"));
    Click(f.Tab[2]);
    QCOMPARE(f.Block_Name->text(), QStringLiteral("Q2"));
    QCOMPARE(EditorText(f), QStringLiteral("V2=AND(S1)"));
}

void MainWindowTest::viewerApplyUnchanged() {
    Rig rig;
    TForm1& f = rig.Start();
    EnterBlock(f, "S5", "", "V1=AND(S2)\n\nV1=AND(S3)  ", "Q1");
    Click(f.Tab[2]);
    EnterBlock(f, "S6", "", "", "Q2");  // a state signal, no logic
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("S6"));
    WithViewer(f, [&](ui::TView_File_Form& v) {
        rig.dialogs.AnswerYesNo(true);
        Click(v.Save_Button);
    });
    // What the text does not carry is gone: block 2's state signal, block 1's empty line and
    // trailing blanks.
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("---"));
    QCOMPARE(f.Block_Name->text(), QStringLiteral("Q2"));
    Click(f.Tab[1]);
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)\nV1=AND(S3)"));
    QCOMPARE(f.Block_Name->text(), QStringLiteral("Q1"));
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("S5"));
}

void MainWindowTest::viewerApplyDeclined() {
    Rig rig;
    TForm1& f = rig.Start();
    EnterBlock(f, "S5", "", "V1=AND(S2)");
    WithViewer(f, [&](ui::TView_File_Form& v) {
        v.Memo1->setPlainText("@\n##1\n@");
        rig.dialogs.AnswerYesNo(false);
        Click(v.Save_Button);
    });
    QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)"));
    QCOMPARE(LookOf(f.Tab[1]), NormalTab(true));
}

void MainWindowTest::viewerInvalidHeaderKeepsText() {
    Rig rig;
    TForm1& f = rig.Start();
    EnterBlock(f, "S5", "", "V1=AND(S2)");
    Click(f.Tab[2]);
    EnterBlock(f, "S6", "", "V2=AND(S2)");
    Click(f.Tab[3]);
    EnterBlock(f, "S7", "", "V3=AND(S2)");
    QString edited;
    WithViewer(f, [&](ui::TView_File_Form& v) {
        edited = v.Memo1->toPlainText().replace("##2\n", "##40\n");
        v.Memo1->setPlainText(edited);
        rig.dialogs.AnswerYesNo(true);
        Click(v.Save_Button);
        QVERIFY(v.isVisible());
        QCOMPARE(v.Memo1->toPlainText(), edited);
    });
    QCOMPARE(
        Boxes(rig.dialogs).last(),
        Box("message box", "Ошибка при открытии файла",
            "Некорректный файл конфигурации (задан недопустимый номер блокировки).\n\rЗагрузка остановлена.",
            Icon::Error));
    // Block 1 was read before the bad header; blocks 2 and 3 stay empty. Nothing is restored.
    QCOMPARE(LookOf(f.Tab[1]), NormalTab());
    QCOMPARE(LookOf(f.Tab[2]), EmptyTab());
    QCOMPARE(LookOf(f.Tab[3]), EmptyTab(true));
    QCOMPARE(EditorText(f), QString());
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("---"));
}

void MainWindowTest::viewerApplyKeepsCurrentBlock() {
    Rig rig;
    TForm1& f = rig.Start();
    Click(f.Tab[3]);
    EnterBlock(f, "S5", "", "V3=AND(S2)");
    std::string text = "@\n";
    for (int n = 1; n <= 10; ++n) {
        text += "##" + std::to_string(n) + "\n#On->Off\nIF (S" + std::to_string(20 + n) + ")\nV" +
                std::to_string(n) + "=AND(S1)\nEND\n";
    }
    text += "@";
    WithViewer(f, [&](ui::TView_File_Form& v) {
        v.Memo1->setPlainText(QString::fromStdString(text));
        rig.dialogs.AnswerYesNo(true);
        Click(v.Save_Button);
    });
    QCOMPARE(f.TS_State_Number->text(), QStringLiteral("S23"));
    QCOMPARE(LookOf(f.Tab[3]), NormalTab(true));
    QCOMPARE(f.Top_Label4->text(), QStringLiteral("отключен"));
    QCOMPARE(EditorText(f), QString());  // the ON view; this text has only OFF logic
}

// ---- What reaches the screen ----

namespace {

// The window as the screen shows it (what it painted so far), and the window painted afresh.
QImage OnScreen(QWidget& w) {
    QCoreApplication::processEvents();
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
void MainWindowTest::screenMatchesAFreshPaint() {
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
             f.ReceiveTsData(RtuResponse(rig.ws, 0, {{9, 1}}));
         }},
        {"RTU response: nothing changes", [&] { f.ReceiveTsData(RtuResponse(rig.ws, 0, {})); }},
        {"TS typed: state, view and verdict change",
         [&] {
             f.TS_Grid->SetCurrentCell(ColumnOf(f, 5), 1);
             f.TsGridKey('1');
         }},
        {"RTU response: the verdict of the OFF logic",
         [&] {
             f.ReceiveTsData(RtuResponse(rig.ws, 0, {{2, 0}}));
         }},
        {"RTU response: block 2 and the group tab turn red",
         [&] {
             f.ReceiveTsData(RtuResponse(rig.ws, 0, {{8, 1}}));
         }},
        {"RTU response: all back",
         [&] {
             f.ReceiveTsData(RtuResponse(rig.ws, 0, {{2, 1}, {5, 0}, {8, 0}}));
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
void MainWindowTest::refreshRepaintsOnlyWhatChanged() {
    Rig rig("[M]\nshow=1\n");
    TForm1& f = StartWithTwoBlocks(rig);
    QList<const QObject*> buttons;
    for (TColorButton* b : f.findChildren<TColorButton*>()) buttons << b;
    QCoreApplication::processEvents();

    {  // Nothing changed: nothing is painted.
        PaintLog log;
        f.BlockNameEnter();
        f.ReceiveTsData(RtuResponse(rig.ws, 0, {}));
        QCoreApplication::processEvents();
        QVERIFY(!log.Painted(f.TS_Grid));
        QVERIFY(!log.Painted(f.M_Grid));
        QVERIFY(!log.Painted(f.Top_Label6));
        QVERIFY(!log.Painted(f.Logic->viewport()));
        for (const QObject* b : buttons) QVERIFY2(!log.Painted(b), qPrintable(b->objectName()));
    }
    {  // TS 9 from the RTU: its grid cell, M1's value cell and the line that reads it.
        PaintLog log;
        f.ReceiveTsData(RtuResponse(rig.ws, 0, {{9, 1}}));
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

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
