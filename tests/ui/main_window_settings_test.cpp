// The main window tests: Start-up and settings, tabs, fields and options.

#include "tests/ui/main_window_rig.h"

class MainWindowSettingsTest : public QObject {
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
};

// ---- Start-up and settings ----

void MainWindowSettingsTest::startupWithoutFiles() {
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
    QCOMPARE(f.Bench().Doc().TempCounter(), int8_t(0));
    QVERIFY(f.Bench().Doc().Temp_Saver->isActive());
    QCOMPARE(f.Bench().Doc().Temp_Saver->interval(), 120000);
    QVERIFY(!f.Sources().Get_TS_Server_Timer->isActive());
    // The command panel is on show; the M panel is hidden and the control panel closes the gap.
    QVERIFY(f.Buttons_Panel->isVisible());
    QVERIFY(!f.Settings_Panel->isVisible());
    QVERIFY(f.M_Panel->isHidden());
    QCOMPARE(f.Control_Panel->x(), 390);
    QVERIFY(rig.dialogs.Log().empty());
}

void MainWindowSettingsTest::settingsAtStartup_data() {
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

void MainWindowSettingsTest::settingsAtStartup() {
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
    QTEST(f.Bench().Doc().Temp_Saver->isActive(), "saveTemp");
    QTEST(int(f.Bench().Doc().TempCounter()), "tempCounter");
    QTEST(f.Server_channel_Number->text(), "channel");
    QTEST(f.Server_RTU_Number->text(), "rtu");
    // Without a server link the server boxes and the poll timer stay off.
    QVERIFY(!f.Check_Get_TS_Server->isChecked());
    QVERIFY(!f.Check_Get_Names_Server->isChecked());
    QVERIFY(!f.Sources().Get_TS_Server_Timer->isActive());
    QVERIFY(rig.dialogs.Log().empty());

    // What was read is what is written back at exit.
    rig.Stop();
    const QStringList entries = IniEntries(rig.Read("settings.ini"));
    QFETCH(QString, channel);
    QFETCH(QString, rtu);
    QVERIFY2(entries.contains("Server/channel=" + channel), qPrintable(entries.join(" | ")));
    QVERIFY2(entries.contains("Server/RTU=" + rtu), qPrintable(entries.join(" | ")));
}

void MainWindowSettingsTest::settingsWrittenAtExit() {
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

void MainWindowSettingsTest::blockTabsCommitAndRestore() {
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

void MainWindowSettingsTest::groupTabsSwitchAndColour() {
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

void MainWindowSettingsTest::stateEntryAndViewTabs() {
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

void MainWindowSettingsTest::nameEntryDropsUncommittedTyping() {
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

void MainWindowSettingsTest::stateValueDoubleClick() {
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

void MainWindowSettingsTest::checkBoxes() {
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

void MainWindowSettingsTest::editorColouring() {
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

QTEST_MAIN(MainWindowSettingsTest)
#include "main_window_settings_test.moc"
