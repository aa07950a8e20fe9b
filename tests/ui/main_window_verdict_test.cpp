// The main window tests: the verdict line, the grids and the buttons.

#include "tests/ui/main_window_rig.h"

class MainWindowVerdictTest : public QObject {
    Q_OBJECT

private slots:
    void verdict_data();
    void verdict();
    void headerNameAndHint();
    void tsGridHeight_data();
    void tsGridHeight();
    void tsGridColumnsAndStateValue_data();
    void tsGridColumnsAndStateValue();
    void tsGridEdits();
    void tsEditRecalculatesAllBlocks();
    void tsGridRefusedEdits_data();
    void tsGridRefusedEdits();
    void tsGridHeaderHint();
    void mGrid();
    void recalculateButton();
    void nullifyButton();
};

// ---- The verdict line ----

void MainWindowVerdictTest::verdict_data() {
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

void MainWindowVerdictTest::verdict() {
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

void MainWindowVerdictTest::headerNameAndHint() {
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

void MainWindowVerdictTest::tsGridHeight_data() {
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

void MainWindowVerdictTest::tsGridHeight() {
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

void MainWindowVerdictTest::tsGridColumnsAndStateValue_data() {
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

void MainWindowVerdictTest::tsGridColumnsAndStateValue() {
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

void MainWindowVerdictTest::tsGridEdits() {
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

void MainWindowVerdictTest::tsEditRecalculatesAllBlocks() {
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

void MainWindowVerdictTest::tsGridRefusedEdits_data() {
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

void MainWindowVerdictTest::tsGridRefusedEdits() {
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

void MainWindowVerdictTest::tsGridHeaderHint() {
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

void MainWindowVerdictTest::mGrid() {
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

void MainWindowVerdictTest::recalculateButton() {
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

void MainWindowVerdictTest::nullifyButton() {
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

QTEST_MAIN(MainWindowVerdictTest)
#include "main_window_verdict_test.moc"
