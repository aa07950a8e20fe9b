// The main window tests: configuration files, autosave, exit and the configuration viewer.

#include <QScrollBar>

#include "tests/ui/main_window_rig.h"

class MainWindowFilesTest : public QObject {
    Q_OBJECT

private slots:
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
    void stagedEditorLeavesTheSameWindow();
};

// ---- Configuration files ----

void MainWindowFilesTest::saveWarnsAndUsesDefaultName() {
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

void MainWindowFilesTest::saveCancelledRemembersName() {
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

void MainWindowFilesTest::loadDialogAndMissingFile() {
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

void MainWindowFilesTest::loadNameSetsServerFields_data() {
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

void MainWindowFilesTest::loadNameSetsServerFields() {
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

void MainWindowFilesTest::loadTmpThenSaveProposesDefault() {
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

void MainWindowFilesTest::loadEmptyFile() {
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

void MainWindowFilesTest::loadInvalidBlockRestoresEverything() {
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

void MainWindowFilesTest::loadKeepsLongNames() {
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

void MainWindowFilesTest::autosaveRotation() {
    Rig rig;
    TForm1& f = rig.Start();
    EnterBlock(f, "S5", "", "V1=AND(S2)");
    for (int tick = 1; tick <= 16; ++tick) {
        f.Bench().Doc().Temp_SaverTimer();
        const int expected = tick > 15 ? tick - 15 : tick;
        QCOMPARE(int(f.Bench().Doc().TempCounter()), expected);
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
    f.Bench().Doc().Temp_SaverTimer();
    QVERIFY(rig.Read("Temp/2.tmp").find("#TS0=") == std::string::npos);
    QVERIFY(rig.Read("Temp/2.tmp").find("V1=AND(S2)") != std::string::npos);
}

void MainWindowFilesTest::autosaveSkipsEmptyOrUnchecked() {
    {
        Rig rig("[File]\ntemp_last=7\n");
        TForm1& f = rig.Start();
        f.Bench().Doc().Temp_SaverTimer();  // everything empty
        QCOMPARE(int(f.Bench().Doc().TempCounter()), 7);
        QVERIFY(QDir(QString::fromStdString(rig.Path("Temp"))).isEmpty());
        // Typing alone does not make the configuration non-empty for the autosave.
        TypeLogic(f, "V1=AND(S2)");
        f.Bench().Doc().Temp_SaverTimer();
        QCOMPARE(int(f.Bench().Doc().TempCounter()), 7);
    }
    {
        Rig rig("[File]\ntemp=0\ntemp_last=7\n");
        TForm1& f = rig.Start();
        EnterBlock(f, "S5", "", "V1=AND(S2)");
        f.Bench().Doc().Temp_SaverTimer();
        QCOMPARE(int(f.Bench().Doc().TempCounter()), 7);
        QVERIFY(QDir(QString::fromStdString(rig.Path("Temp"))).isEmpty());
        rig.Stop();
        QVERIFY(QDir(QString::fromStdString(rig.Path("Temp"))).isEmpty());
        QVERIFY(IniEntries(rig.Read("settings.ini")).contains("File/temp_last=7"));
    }
}

void MainWindowFilesTest::autosaveBoxAndFailure() {
    {
        Rig rig("[File]\ntemp=0\ntemp_last=14\n");
        TForm1& f = rig.Start();
        EnterBlock(f, "S5", "", "V1=AND(S2)");
        QVERIFY(!f.Bench().Doc().Temp_Saver->isActive());
        ClickBox(f, f.Check_Save_Temp);  // checked: one autosave at once, then the timer
        QVERIFY(f.Bench().Doc().Temp_Saver->isActive());
        QCOMPARE(int(f.Bench().Doc().TempCounter()), 15);
        QVERIFY(rig.Exists("Temp/15.tmp"));
        f.Bench().Doc().Temp_SaverTimer();
        QCOMPARE(int(f.Bench().Doc().TempCounter()), 1);
        ClickBox(f, f.Check_Save_Temp);
        QVERIFY(!f.Bench().Doc().Temp_Saver->isActive());
        QCOMPARE(int(f.Bench().Doc().TempCounter()), 1);
    }
    {
        // No Temp folder: each tick reports the failure and moves on to the next number.
        Rig rig(nullptr, /*tempFolder=*/false);
        TForm1& f = rig.Start();
        EnterBlock(f, "S5", "", "V1=AND(S2)");
        f.Bench().Doc().Temp_SaverTimer();
        f.Bench().Doc().Temp_SaverTimer();
        QCOMPARE(int(f.Bench().Doc().TempCounter()), 2);
        const std::vector<interlock::Message> messages = rig.dialogs.Messages();
        QCOMPARE(messages.size(), size_t(2));
        QCOMPARE(messages[0].caption, W("Ошибка"));
        QCOMPARE(messages[0].icon, Icon::Error);
        QVERIFY(!messages[0].text.empty());
        QCOMPARE(EditorText(f), QStringLiteral("V1=AND(S2)"));
    }
}

void MainWindowFilesTest::startupRestore_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("file");  // the temporary file that exists
    QTest::addColumn<bool>("restored");

    QTest::newRow("counter 3, Temp/3.tmp") << QByteArray("[File]\ntemp_last=3\n") << "3.tmp" << true;
    QTest::newRow("autosave off") << QByteArray("[File]\ntemp=0\ntemp_last=3\n") << "3.tmp" << false;
    QTest::newRow("other counter") << QByteArray("[File]\ntemp_last=4\n") << "3.tmp" << false;
    QTest::newRow("counter 0 looks for 0.tmp") << QByteArray("") << "0.tmp" << true;
}

void MainWindowFilesTest::startupRestore() {
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

void MainWindowFilesTest::startupRestoreOfBadFile() {
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

void MainWindowFilesTest::closeConfirmation() {
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

void MainWindowFilesTest::exitAutosavesThenWritesSettings() {
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

void MainWindowFilesTest::viewerShowsValuesAlways() {
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

void MainWindowFilesTest::viewerApply() {
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

void MainWindowFilesTest::viewerApplyUnchanged() {
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

void MainWindowFilesTest::viewerApplyDeclined() {
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

void MainWindowFilesTest::viewerInvalidHeaderKeepsText() {
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

void MainWindowFilesTest::viewerApplyKeepsCurrentBlock() {
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

// ---- A logic shown in steps ----

namespace {

// Everything the window shows and the operator can reach: title, fields, labels and hints,
// tabs, grids, and the editor's text, looks, undo state, caret and scroll bars.
QStringList WindowState(Rig& rig, TForm1& f) {
    QStringList s;
    s << f.windowTitle() << f.Block_Name->text() << f.TS_State_Number->text() << f.TS_State_Value->text()
      << QString::number(f.height());
    for (QLabel* l : {f.Top_Label_Name, f.Top_Label4, f.Top_Label5, f.Top_Label6, f.Top_Label7})
        s << l->text() + "|" + TextColour(l).name() + "|" + Hint(l) + "|" + QString::number(l->isVisible());
    for (int i = 1; i <= 16; ++i) s << LookOf(f.Tab[i]);
    for (TColorButton* b : {f.Tab1_16, f.Tab17_32, f.Tab_On, f.Tab_Off}) s << LookOf(b);
    s << TsColumns(f).join(' ') << MRows(f).join(' ');
    QTextDocument* d = f.Logic->document();
    s << EditorText(f) << QString::number(d->isUndoAvailable()) + QString::number(d->isRedoAvailable())
      << QString::number(f.Logic->textCursor().position())
      << QString::number(f.Logic->verticalScrollBar()->value());
    for (QTextBlock b = d->firstBlock(); b.isValid(); b = b.next()) {
        QString looks;
        for (int i = 0; i < b.length() - 1; ++i) {
            const QTextCharFormat c = CharAt(f, b.blockNumber(), i);
            looks += CharColour(f, b.blockNumber(), i).name().mid(1, 2) + (c.fontUnderline() ? "_" : " ");
        }
        s << looks;
    }
    s.replaceInStrings(QString::fromStdString(rig.Dir()), "<dir>/");
    return s;
}

void WaitUntilShown(TForm1& f) {
    for (int i = 0; i < 1000 && f.Bench().StepsPending(); ++i) QCoreApplication::processEvents();
    QVERIFY(!f.Bench().StepsPending());
}

}  // namespace

// The same commands on a window that shows every logic in steps of a few characters and on one
// that shows it at once leave the same window; input that arrives before the last step (a key
// in the editor, a tab click) acts on the whole new logic, as it does after showing it at once.
void MainWindowFilesTest::stagedEditorLeavesTheSameWindow() {
    std::initializer_list<const char*> big = {"@",
                                              "F="
                                              "0001",
                                              "##1 - Q1",
                                              "#On->Off",
                                              "IF (S1)",
                                              "V1=AND(S14)",
                                              "END",
                                              "#Off->On",
                                              "IF (~S1)",
                                              "M1=AND(S3,~S4)",
                                              "M2=OR(S12,~S13,M1)",
                                              "M3=AND(~M2,S5,D7)",
                                              "V1=AND(M1,M2,S14)",
                                              "END",
                                              "##2 - Q2",
                                              "#On->Off",
                                              "IF (S3)",
                                              "V2=AND(S4)",
                                              "END",
                                              "#Off->On",
                                              "IF (~S3)",
                                              "V2=AND(S5)",
                                              "END",
                                              "##3 - Q3",
                                              "#On->Off",
                                              "IF (S6)",
                                              "V3=AND(S4,S9,Q)",
                                              "END",
                                              "#Off->On",
                                              "IF (~S6)",
                                              "V3=AND(S5)",
                                              "END",
                                              "@"};
    struct Step {
        const char* name;
        std::function<void(Rig&, TForm1&)> command;
    };
    auto load = [](const char* name) {
        return [name](Rig& rig, TForm1& f) {
            rig.dialogs.AnswerOpenFile(rig.Path(name));
            f.Bench().Doc().Load_File_ButtonClick();
        };
    };
    const std::vector<Step> steps = {
        {"load", load("big.blk")},
        {"TS typed",
         [](Rig&, TForm1& f) {
             f.TS_Grid->SetCurrentCell(ColumnOf(f, 3), 1);
             f.TsGridKey('1');
         }},
        {"recalculate", [](Rig&, TForm1& f) { f.Recalculate_ButtonClick(); }},
        {"colouring off and on",
         [](Rig&, TForm1& f) {
             f.Check_Color->click();
             f.Check_Color->click();
         }},
        {"block 3 (an error line), then 1",
         [](Rig&, TForm1& f) {
             f.BlockTabClick(3);
             f.BlockTabClick(1);
         }},
        {"OFF, then ON",
         [](Rig&, TForm1& f) {
             f.ViewTabClick(interlock::Side::Off);
             f.ViewTabClick(interlock::Side::On);
         }},
        {"load, then a key at once",
         [load](Rig& rig, TForm1& f) {
             load("big.blk")(rig, f);
             f.Logic->setFocus();
             QTest::keyClicks(f.Logic, "X");
         }},
        {"a block tab clicked at once",
         [load](Rig& rig, TForm1& f) {
             load("big.blk")(rig, f);
             Click(f.Tab[2]);
         }},
        {"load, then a TS value from a source at once",
         [load](Rig& rig, TForm1& f) {
             load("big.blk")(rig, f);
             f.TS_Grid->SetCurrentCell(ColumnOf(f, 4), 1);
             f.TsGridKey('1');  // a refresh, as a source's timer makes it
         }},
        {"half built, then recalculate",
         [load](Rig& rig, TForm1& f) {
             f.BlockTabClick(1);
             f.ViewTabClick(interlock::Side::Off);
             load("big.blk")(rig, f);
             for (int i = 0; i < 4; ++i) QCoreApplication::processEvents();
             f.Recalculate_ButtonClick();
         }},
        {"half built, then another block",
         [](Rig&, TForm1& f) {
             f.BlockTabClick(1);
             f.ViewTabClick(interlock::Side::Off);
             WaitUntilShown(f);
             f.ViewTabClick(interlock::Side::On);
             for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
             f.BlockTabClick(2);
         }},
        {"load another, then recalculate at once",
         [load](Rig& rig, TForm1& f) {
             load("small.blk")(rig, f);
             f.Recalculate_ButtonClick();
         }},
        {"a file with an invalid block number, the one before kept", load("invalid.blk")},
        {"load again", load("big.blk")},
    };
    Rig atOnce;
    Rig inSteps;
    TForm1& a = atOnce.Start();
    TForm1& b = inSteps.Start();
    a.Bench().SetStaging(SIZE_MAX, 1);
    b.Bench().SetStaging(0, 9);
    for (Rig* rig : {&atOnce, &inSteps}) {
        rig->Write("big.blk", ConfigFile(big));
        rig->Write("small.blk",
                   ConfigFile({"@", "##1 - Q1", "#Off->On", "IF (~S1)", "V1=AND(S2)", "END", "@"}));
        rig->Write("invalid.blk", ConfigFile({"@", "##1 - Q1", "#Off->On", "V1=AND(S2)", "##40 - Q40", "@"}));
    }
    ClickBox(a, a.Check_Change_TS);
    ClickBox(b, b.Check_Change_TS);
    int staged = 0;
    for (const Step& step : steps) {
        step.command(atOnce, a);
        WaitUntilShown(a);
        step.command(inSteps, b);
        staged += b.Bench().StepsPending();
        WaitUntilShown(b);
        const QStringList shownInSteps = WindowState(inSteps, b);
        const QStringList shownAtOnce = WindowState(atOnce, a);
        QCOMPARE(shownInSteps.size(), shownAtOnce.size());
        for (qsizetype i = 0; i < shownAtOnce.size(); ++i)
            QVERIFY2(shownInSteps[i] == shownAtOnce[i],
                     qPrintable(QString("%1, line %2: %3 / %4")
                                    .arg(step.name)
                                    .arg(i)
                                    .arg(shownInSteps[i], shownAtOnce[i])));
        QCOMPARE(Boxes(inSteps.dialogs).replaceInStrings(QString::fromStdString(inSteps.Dir()), "<dir>/"),
                 Boxes(atOnce.dialogs).replaceInStrings(QString::fromStdString(atOnce.Dir()), "<dir>/"));
        QVERIFY2(atOnce.ws.Blocks[1].OnLogic == inSteps.ws.Blocks[1].OnLogic, step.name);
    }
    QVERIFY(staged >= 5);  // the steps did run in later passes
}

QTEST_MAIN(MainWindowFilesTest)
#include "main_window_files_test.moc"
