// The server mode of the main window as the operator uses it, against the replacement library
// libtmaccess.so that lies beside the test program (as it lies beside the program): the
// connect prompt, the names in the TS list, reception and the report, start-up from the
// settings and the settings kept at exit.

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <fstream>
#include <memory>
#include <sstream>

#include "tests/support/window_rig.h"
#include "ui/main/main_window.h"
#include "ui/widgets/qt_text.h"
#include "acquisition/server_link.h"
#include "tests/acquisition/tmaccess_fixture.h"
#include "ui/main/ts_captions_form.h"
#include "ui/widgets/ts_list_grid.h"
#include "interlock/workspace.h"

using acquisition::test::PointsFolder;
using acquisition::test::TsLine;
using acquisition::test::W;
using interlock::Icon;
using ui::TForm1;

namespace {

// The program over a folder of its own files, with the server's points file beside them.
class Rig : public test::WindowRig {
public:
    explicit Rig(const std::string& settings = "")
        : WindowRig(settings.empty() ? nullptr : settings.c_str()) {
        points.Write("server .\\TMS\nserver ORVESK\\GW1\n" +
                     TsLine(0, 1, 1, 0, 0, W("Выключатель Q1 включён")) + TsLine(0, 1, 2, 1, 0) +
                     TsLine(0, 1, 3, 1, 0x0001, W("Напряжение на вводе")) +
                     TsLine(0, 2, 1, 1, 0x0002, W("КП 2, точка 1")));
    }

    // The block on view gets a state signal and ON logic, as the operator types them.
    void TypeBlock(const QString& state, const QString& logic) {
        form->TS_State_Number->setText(state);
        form->Logic->setPlainText(logic);
        form->Recalculate_ButtonClick();
    }
    bool PanelShown() const { return form->Server_Panel->isVisibleTo(form->Settings_Panel); }

    PointsFolder points;
};

interlock::Message Error(const std::string& text) { return {text, W("Ошибка"), Icon::Error}; }

}  // namespace

class ServerWindowTest : public QObject {
    Q_OBJECT
private slots:
    void connectNamesReceptionAndDisconnect();
    void cancelledPromptLeavesTheLinkDown();
    void startUpFromTheSettings_data();
    void startUpFromTheSettings();
    void pollTimerAndChannelField();
    void shippedPointsFileWithTheExampleConfiguration();
    void slowServerLeavesTheWindowAnswering();
    void disconnectOrCloseWhileACallWaits_data();
    void disconnectOrCloseWhileACallWaits();
};

void ServerWindowTest::connectNamesReceptionAndDisconnect() {
    Rig rig;
    TForm1& f = rig.Start();
    rig.TypeBlock("S1", "V1=AND(S2,S3)");
    QVERIFY(f.Check_Server->isEnabled());
    QVERIFY(!rig.PanelShown());

    rig.dialogs.AnswerInput(std::string(".\\TMS"));
    f.Check_Server->click();
    QVERIFY(f.Sources().Server().ServerConnected());
    QVERIFY(rig.PanelShown());
    QCOMPARE(rig.dialogs.Log().size(), size_t{1});

    // Names arrive in the TS table and in the TS list window.
    f.Check_Get_Names_Server->click();
    QCOMPARE(rig.ws.TsTable.Name[3], W("Напряжение на вводе"));
    f.TsCaptionsForm()->Radio_TS_All->setChecked(true);
    QCOMPARE(f.TsCaptionsForm()->StringGrid1->CellText(1, 1), W("Выключатель Q1 включён"));

    // Reception: values, the RTU box disabled, the timer on, and TS 3 unreliable in the report.
    QVERIFY(f.Check_Get_TS_Orvesk->isEnabled());
    f.Check_Get_TS_Server->click();
    QCOMPARE(rig.ws.TsTable.Value[2], int16_t{1});
    QVERIFY(!f.Check_Get_TS_Orvesk->isEnabled());
    QVERIFY(f.Sources().Get_TS_Server_Timer->isActive());
    QVERIFY(f.Top_Label7->isVisibleTo(&f));
    QVERIFY(f.Top_Label7->toolTip().contains("3"));
    QVERIFY(rig.dialogs.Messages().empty());

    // Unchecking the link drops everything that came with it.
    f.Check_Server->click();
    QVERIFY(!f.Sources().Server().ServerConnected());
    QVERIFY(!rig.PanelShown());
    QVERIFY(!f.Check_Get_TS_Server->isChecked());
    QVERIFY(!f.Check_Get_Names_Server->isChecked());
    QVERIFY(!f.Sources().Get_TS_Server_Timer->isActive());
    QVERIFY(f.Check_Get_TS_Orvesk->isEnabled());
    QVERIFY(!f.Top_Label7->isVisibleTo(&f));
    QCOMPARE(rig.ws.TsTable.Name[3], W("Напряжение на вводе"));  // names stay until the next fetch
}

void ServerWindowTest::cancelledPromptLeavesTheLinkDown() {
    Rig rig;
    TForm1& f = rig.Start();
    rig.dialogs.AnswerInput(std::nullopt);
    f.Check_Server->click();
    QVERIFY(!f.Check_Server->isChecked());
    QVERIFY(!f.Sources().Server().ServerConnected());
    QVERIFY(!rig.PanelShown());
    QVERIFY(rig.dialogs.Messages().empty());
    rig.Stop();
    QVERIFY(rig.Read("settings.ini").find("connect=0") != std::string::npos);
}

void ServerWindowTest::startUpFromTheSettings_data() {
    QTest::addColumn<QString>("serverName");
    QTest::addColumn<bool>("connects");
    QTest::newRow("known server") << "ORVESK\\GW1" << true;
    QTest::newRow("unknown server") << "NOWHERE" << false;
}

void ServerWindowTest::startUpFromTheSettings() {
    QFETCH(QString, serverName);
    QFETCH(bool, connects);
    const std::string name = serverName.toStdString();
    // The RTU reception is asked for only where the server is there to win over it.
    Rig rig(std::string(connects ? "[TS]\nget=1\n" : "") + "[Server]\nconnect=1\nserver_name=" + name +
            "\nchannel=0\nRTU=1\nget_ts=1\nget_names=1\n");
    TForm1& f = rig.Start();
    QCOMPARE(f.Sources().Server().ServerConnected(), connects);
    QCOMPARE(rig.PanelShown(), connects);
    QCOMPARE(f.Check_Server->isChecked(), connects);
    QCOMPARE(f.Check_Get_TS_Server->isChecked(), connects);
    QCOMPARE(f.Sources().Get_TS_Server_Timer->isActive(), connects);
    QVERIFY(!f.Check_Get_TS_Orvesk->isChecked());  // the server wins
    QCOMPARE(f.Check_Get_TS_Orvesk->isEnabled(), !connects);
    if (connects) {
        QVERIFY(rig.dialogs.Log().empty());  // no prompt at start-up
        QCOMPARE(rig.ws.TsTable.Name[1], W("Выключатель Q1 включён"));
        QCOMPARE(rig.ws.TsTable.Value[2], int16_t{1});
        QCOMPARE(rig.ws.TsTable.Unreliability[3], uint8_t{2});
    } else {
        QCOMPARE(rig.dialogs.Messages(),
                 std::vector<interlock::Message>{
                     Error(W("Не удалось создать связь с сервером NOWHERE\n\rПроверьте соединение."))});
        QCOMPARE(rig.ws.TsTable.FromServer[2], uint8_t{0});
    }
    rig.Stop();
    const std::string ini = rig.Read("settings.ini");
    QVERIFY(ini.find("server_name=" + name) != std::string::npos);
    QVERIFY(ini.find(connects ? "connect=1" : "connect=0") != std::string::npos);
    QVERIFY(ini.find(connects ? "get_ts=1" : "get_ts=0") != std::string::npos);
}

void ServerWindowTest::pollTimerAndChannelField() {
    Rig rig("[Server]\nconnect=1\nget_ts=1\n");
    TForm1& f = rig.Start();
    QVERIFY(f.Sources().Server().ServerConnected());
    QCOMPARE(rig.ws.TsTable.Unreliability[1], uint8_t{0});
    // The fields are read afresh at every tick: RTU 2 reports TS 1 manually unreliable.
    f.Server_RTU_Number->setText("2");
    f.Sources().Get_TS_Server_TimerTimer();
    QCOMPARE(rig.ws.TsTable.Unreliability[1], uint8_t{1});
    // An RTU number out of range stops reception with its message.
    f.Server_RTU_Number->setText("0");
    f.Sources().Get_TS_Server_TimerTimer();
    QVERIFY(!f.Check_Get_TS_Server->isChecked());
    QVERIFY(!f.Sources().Get_TS_Server_Timer->isActive());
    QVERIFY(f.Check_Get_TS_Orvesk->isEnabled());
    QCOMPARE(rig.dialogs.Messages(), std::vector<interlock::Message>{Error(W(
                                         "Некорректный номер КП.\n\rЗагрузка данных ТС была остановлена."))});
    QVERIFY(f.Sources().Server().ServerConnected());
}

void ServerWindowTest::shippedPointsFileWithTheExampleConfiguration() {
    // What the user guide walks through: the example points file and the example configuration.
    Rig rig("[Server]\nconnect=1\nget_ts=1\nget_names=1\n");
    std::ifstream shipped(SHIPPED_POINTS, std::ios::binary);
    std::stringstream bytes;
    bytes << shipped.rdbuf();
    rig.points.Write(bytes.str());
    TForm1& f = rig.Start();
    QVERIFY(f.Sources().Server().ServerConnected());
    QVERIFY(!rig.ws.TsTable.Name[12].empty());
    rig.dialogs.AnswerOpenFile(std::string(EXAMPLE_CONFIGURATION));
    f.Bench().Doc().Load_File_ButtonClick();
    f.Sources().Get_TS_Server_TimerTimer();
    QCOMPARE(rig.ws.CurrentBlock, 1);
    QCOMPARE(rig.ws.TsTable.Value[1], int16_t{0});
    QCOMPARE(rig.ws.CurrentView, interlock::Side::On);
    QVERIFY(f.Top_Label7->isVisibleTo(&f));
    QVERIFY(f.Top_Label7->toolTip().contains("12"));
    QCOMPARE(rig.ws.Tabs[1].colour, interlock::colour::kRed);
    QVERIFY(rig.dialogs.Messages().empty());
}

namespace {

// A slow server: every connect and poll of the replacement library answers late.
constexpr int kSlowMs = 800;

class SlowServer {
public:
    SlowServer() { qputenv("TMACCESS_DELAY_MS", QByteArray::number(kSlowMs)); }
    ~SlowServer() { qunsetenv("TMACCESS_DELAY_MS"); }
};

// The longest time the window's event loop went without running a 10 ms timer.
class FreezeProbe {
public:
    FreezeProbe() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, clock_.restart()); });
        clock_.start();
        timer_.start();
    }
    qint64 LongestMs() { return std::max(longest_, clock_.restart()); }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

}  // namespace

void ServerWindowTest::slowServerLeavesTheWindowAnswering() {
    SlowServer slow;
    Rig rig;
    TForm1& f = rig.Start();
    rig.TypeBlock("S1", "V1=AND(S2,S3)");
    rig.dialogs.AnswerInput(std::string(".\\TMS"));
    // What the user types while the connect waits is kept when the connect ends.
    QTimer::singleShot(kSlowMs / 4, &f, [&] {
        QVERIFY(f.Sources().ServerCallPending());
        f.Block_Name->setText("Q7");
    });
    FreezeProbe connectProbe;
    f.Check_Server->click();
    const qint64 connectFreeze = connectProbe.LongestMs();
    QVERIFY(f.Sources().Server().ServerConnected());
    QCOMPARE(f.Block_Name->text(), QString("Q7"));

    // While the poll waits the server panel is disabled.
    bool pending = false;
    bool panelEnabled = true;
    QTimer::singleShot(kSlowMs / 4, &f, [&] {
        pending = f.Sources().ServerCallPending();
        panelEnabled = f.Server_Panel->isEnabled();
    });
    FreezeProbe pollProbe;
    f.Check_Get_TS_Server->click();
    const qint64 pollFreeze = pollProbe.LongestMs();
    QVERIFY(pending);
    QVERIFY(!panelEnabled);
    QVERIFY(f.Server_Panel->isEnabled());
    QVERIFY(!f.Sources().ServerCallPending());
    QCOMPARE(rig.ws.TsTable.Value[2], int16_t{1});
    QCOMPARE(rig.ws.TsTable.FromServer[2], uint8_t{1});
    QVERIFY(rig.dialogs.Messages().empty());
    qInfo(
        "with a server answering in %d ms the window stood still for at most %lld ms (connect) and %lld ms "
        "(poll)",
        kSlowMs, static_cast<long long>(connectFreeze), static_cast<long long>(pollFreeze));
    QVERIFY(connectFreeze < kSlowMs / 2);
    QVERIFY(pollFreeze < kSlowMs / 2);
}

void ServerWindowTest::disconnectOrCloseWhileACallWaits_data() {
    QTest::addColumn<bool>("close");
    QTest::newRow("the user disconnects") << false;
    QTest::newRow("the user closes the window") << true;
}

void ServerWindowTest::disconnectOrCloseWhileACallWaits() {
    QFETCH(bool, close);
    SlowServer slow;
    Rig rig("[Server]\nconnect=1\nserver_name=.\\TMS\nget_ts=1\n");
    TForm1& f = rig.Start();
    QVERIFY(f.Sources().Server().ServerConnected());
    if (close) rig.dialogs.AnswerYesNo(true);
    QTimer::singleShot(kSlowMs / 4, &f, [&] {
        QVERIFY(f.Sources().ServerCallPending());
        if (close)
            f.close();
        else
            f.Check_Server->click();
    });
    QElapsedTimer took;
    took.start();
    f.Sources().Get_TS_Server_TimerTimer();
    // The call ended at the user's word, not at the server's answer, and nobody is told of it.
    QVERIFY(took.elapsed() < kSlowMs);
    QVERIFY(!f.Sources().ServerCallPending());
    QVERIFY(rig.dialogs.Messages().empty());
    QVERIFY(!f.Sources().Server().ServerConnected());
    if (!close) {
        QVERIFY(!f.Check_Server->isChecked());
        QVERIFY(!rig.PanelShown());
        QVERIFY(!f.Check_Get_TS_Server->isChecked());
        QVERIFY(f.isVisible());
        return;
    }
    QTRY_VERIFY(!f.isVisible());
    QCOMPARE(rig.dialogs.Log().size(), size_t{1});  // asked once
    rig.Stop();
    // The settings keep the link as the user left it.
    const std::string ini = rig.Read("settings.ini");
    QVERIFY(ini.find("connect=1") != std::string::npos);
    QVERIFY(ini.find("get_ts=1") != std::string::npos);
}

QTEST_MAIN(ServerWindowTest)
#include "server_window_test.moc"
