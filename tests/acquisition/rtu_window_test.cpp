// The RTU exchange end to end: the main window offscreen, listening on 127.0.0.1:955, with real
// datagrams sent to it from another socket on the responder's port 956 (or from rtu-sim).
// These tests bind the fixed ports and must run one at a time.

#include <QCheckBox>
#include <QEventLoop>
#include <QProcess>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

#include "acquisition/rtu_exchange.h"
#include "tests/acquisition/rtu_test_rig.h"
#include "ui/main/ts_captions_form.h"
#include "ui/widgets/ts_list_grid.h"
#include "acquisition/udp_socket.h"

using namespace rtu_test;

namespace {

const std::string kOnes(32, '1');
const std::string kZeros(32, '0');

std::string Response(char group, const std::string& values) {
    return std::string("r") + group + " " + values;
}

// One scenario of responses: the table flags to set first, the datagrams to send (the earlier
// ones prepare the last), and what the window shows after the last one.
struct ResponseCase {
    std::vector<std::pair<int, int>> inverted;  // (TS, 1) Inverted flags set before
    std::vector<int> pairs;                     // first TS of two-position pairs
    std::vector<std::string> datagrams;
    bool fromOtherPort = false;               // sent from a port other than the responder's
    bool receptionOff = false;                // "Принимать ТС с КП" unchecked before sending
    bool recalculated = false;                // the last datagram ran the recalculation
    std::vector<std::pair<int, int>> values;  // (TS, value) afterwards
    std::string verdict;                      // Top_Label6 afterwards, UTF-8; empty: not checked
    std::string operation = "Включение:";     // Top_Label5 afterwards
};

// Block 1's view after a datagram: a TS list value of the logic's TS, for the refill check.
std::string ListedValue(ui::TForm1& f, int ts) {
    ui::TsListGrid* grid = f.TsCaptionsForm()->StringGrid1;
    for (int row = 1; row < grid->RowCount(); ++row) {
        if (grid->CellText(ui::kTsNumberColumn, row) == std::to_string(ts))
            return grid->CellText(ui::kTsValueColumn, row);
    }
    return "absent";
}

// Message boxes that run a nested event loop, as a real modal box does, for `ms` milliseconds;
// `whileOpen` runs inside that loop.
class NestedLoopDialogs : public ui::ScriptedDialogs {
public:
    int ms = 400;
    std::function<void()> onOpen;
    std::function<void()> onClose;
    int open = 0;
    int maxOpen = 0;

    void Message(const interlock::Message& message) override {
        ui::ScriptedDialogs::Message(message);
        ++open;
        maxOpen = std::max(maxOpen, open);
        if (onOpen) onOpen();
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
        if (onClose) onClose();
        --open;
    }
};

}  // namespace

Q_DECLARE_METATYPE(ResponseCase)

class RtuWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        const std::string problem = FixedPortProblem();
        if (!problem.empty()) QFAIL(problem.c_str());
    }

    // The box starts and stops the one-second requests "R0".."R7" to 127.0.0.1:956, and the group
    // goes on where it stopped.
    void requestsCycleThroughTheGroups() {
        UdpPeer responder(kResponderPort);
        QVERIFY2(responder.Bound(), responder.Error().c_str());
        Rig rig;
        ui::TForm1& f = rig.Start();
        QVERIFY(!f.Sources().Rtu().Socket().Bound());  // nothing bound before the first request
        QVERIFY(f.Check_Get_TS_Orvesk->isEnabled());

        f.Check_Get_TS_Orvesk->setChecked(true);
        QVERIFY(f.Sources().Get_TS_Orvesk_Timer->isActive());
        QVERIFY(!f.Check_Get_TS_Server->isEnabled());
        QElapsedTimer clock;
        clock.start();
        std::optional<std::string> first;
        QVERIFY(PumpUntil([&] { return (first = responder.TryReceive()).has_value(); }, 3000));
        QCOMPARE(*first, std::string("R0"));
        QVERIFY2(clock.elapsed() >= 900, "the first request goes out one interval after switching on");
        QVERIFY(f.Sources().Rtu().Socket().Bound());
        QCOMPARE(f.Sources().Rtu().Socket().LocalAddress().AddressText(), std::string("127.0.0.1"));
        QCOMPARE(f.Sources().Rtu().Socket().LocalAddress().Port, kProgramPort);

        auto collect = [&](int count) {
            std::string got;
            for (int i = 0; i < count; ++i) {
                std::optional<std::string> r;
                if (!PumpUntil([&] { return (r = responder.TryReceive()).has_value(); }, 2000))
                    return got + "?";
                got += *r;
            }
            return got;
        };
        f.Sources().Get_TS_Orvesk_TimerTimer();
        f.Sources().Get_TS_Orvesk_TimerTimer();
        QCOMPARE(collect(2), std::string("R1R2"));

        f.Check_Get_TS_Orvesk->setChecked(false);
        QVERIFY(!f.Sources().Get_TS_Orvesk_Timer->isActive());
        QVERIFY(f.Check_Get_TS_Server->isEnabled());
        f.Check_Get_TS_Orvesk->setChecked(true);
        // Groups outside 0..7 send nothing.
        f.Sources().Rtu().SendTsRequest(8);
        f.Sources().Rtu().SendTsRequest(-1);
        for (int i = 0; i < 6; ++i) f.Sources().Get_TS_Orvesk_TimerTimer();
        QCOMPARE(collect(6), std::string("R3R4R5R6R7R0"));
        QVERIFY(rig.dialogs.Log().empty());
    }

    void responsesAreAppliedAndLogged_data() {
        QTest::addColumn<ResponseCase>("c");
        // clang-format off
        // inverted, pairs, datagrams, fromOtherPort, receptionOff, recalculated, values, verdict[, operation]
        QTest::newRow("group 2 sets TS 65..96") << ResponseCase{
            {}, {}, {Response('2', kOnes)}, false, false, true, {{64, 0}, {65, 1}, {96, 1}, {97, 0}}, "разрешено"};
        QTest::newRow("same datagram twice changes nothing") << ResponseCase{
            {}, {}, {Response('2', kOnes), Response('2', kOnes)}, false, false, false, {{65, 1}}, "разрешено"};
        QTest::newRow("upper-case R ignored") << ResponseCase{
            {}, {}, {"R2 " + kOnes}, false, false, false, {{65, 0}}, "запрещено*"};
        QTest::newRow("group 8 ignored") << ResponseCase{
            {}, {}, {Response('8', kOnes)}, false, false, false, {{65, 0}}, "запрещено*"};
        QTest::newRow("empty datagram logged") << ResponseCase{
            {}, {}, {""}, false, false, false, {}, "запрещено*"};
        QTest::newRow("20 bytes update TS 65..81 only") << ResponseCase{
            {}, {}, {Response('2', kOnes), Response('2', std::string(17, '0'))}, false, false, true,
            {{65, 0}, {81, 0}, {82, 1}, {96, 1}}, "запрещено*"};
        QTest::newRow("value bytes 2 and blank leave TS") << ResponseCase{
            {}, {}, {Response('2', kOnes), Response('2', "2 ")}, false, false, false, {{65, 1}, {66, 1}}, "разрешено"};
        QTest::newRow("state TS on shows the OFF logic") << ResponseCase{
            {}, {}, {Response('2', kOnes), Response('0', "1")}, false, false, true, {{1, 1}}, "разрешено",
            "Отключение:"};
        QTest::newRow("inverted TS stores the complement") << ResponseCase{
            {{65, 1}}, {}, {Response('2', kOnes)}, false, false, true, {{65, 0}, {66, 1}}, "запрещено*"};
        QTest::newRow("pair follows its inverted first TS") << ResponseCase{
            {{65, 1}}, {65}, {Response('2', "10")}, false, false, true, {{65, 0}, {66, 1}}, ""};
        QTest::newRow("line breaks stay on one log line") << ResponseCase{
            {}, {}, {"r2\n\r" + kOnes}, false, false, true, {{65, 0}, {66, 1}, {96, 1}}, "запрещено*"};
        QTest::newRow("any sender is answered") << ResponseCase{
            {}, {}, {Response('2', kOnes)}, true, false, true, {{65, 1}}, "разрешено"};
        QTest::newRow("applied with reception off") << ResponseCase{
            {}, {}, {Response('2', kOnes)}, false, true, true, {{65, 1}}, "разрешено"};
        // clang-format on
    }

    void responsesAreAppliedAndLogged() {
        QFETCH(ResponseCase, c);
        UdpPeer responder(kResponderPort);
        QVERIFY2(responder.Bound(), responder.Error().c_str());
        UdpPeer stranger;
        Rig rig;
        ui::TForm1& f = rig.Start();
        rig.ShowTestBlock();
        for (auto [n, v] : c.inverted) rig.ws.TsTable.Inverted[n] = static_cast<uint8_t>(v);
        for (int n : c.pairs) {
            rig.ws.TsTable.TwoPosition[n] = 1;
            rig.ws.TsTable.PairSecond[n + 1] = 1;
        }
        f.Check_Get_TS_Orvesk->setChecked(true);
        f.Sources().Get_TS_Orvesk_TimerTimer();  // the first request binds the socket
        QVERIFY(f.Sources().Rtu().Socket().Bound());
        if (c.receptionOff) f.Check_Get_TS_Orvesk->setChecked(false);

        unsigned refreshes = 0;
        for (const std::string& datagram : c.datagrams) {
            const int lines = rig.MemoLines();
            refreshes = rig.ws.Display.refreshCount;
            QVERIFY((c.fromOtherPort ? stranger : responder).SendTo(kProgramPort, datagram));
            QVERIFY2(PumpUntil([&] { return rig.MemoLines() == lines + 1; }, 2000),
                     "one log line per datagram");
            QCOMPARE(rig.LastMemoLine(), acquisition::LogLine(datagram));
        }
        QCOMPARE(rig.ws.Display.refreshCount != refreshes, c.recalculated);
        for (auto [n, v] : c.values)
            QCOMPARE(std::make_pair(n, int(rig.ws.TsTable.Value[n])), std::make_pair(n, v));
        if (!c.verdict.empty()) QCOMPARE(rig.Verdict(), W(c.verdict.c_str()));
        QVERIFY(rig.dialogs.Log().empty());
        QCOMPARE(ui::FromQString(f.Top_Label5->text()), W(c.operation.c_str()));
        // The TS list was refilled with the values of the logic's TS.
        if (!c.recalculated) return;
        const int listed = rig.ws.CurrentView == interlock::Side::On ? 65 : 66;
        QCOMPARE(ListedValue(f, listed), std::to_string(rig.ws.TsTable.Value[listed]));
    }

    // A request that cannot be sent (here: the port is taken, so the socket cannot bind) switches
    // reception off without a message; switching it on again goes on with the next group.
    void sendFailureSwitchesReceptionOffSilently() {
        auto blocker = std::make_unique<UdpPeer>(kProgramPort);
        QVERIFY2(blocker->Bound(), blocker->Error().c_str());
        UdpPeer responder(kResponderPort);
        Rig rig;
        ui::TForm1& f = rig.Start();
        f.Check_Get_TS_Orvesk->setChecked(true);
        f.Sources().Get_TS_Orvesk_TimerTimer();
        QVERIFY(!f.Check_Get_TS_Orvesk->isChecked());
        QVERIFY(!f.Sources().Get_TS_Orvesk_Timer->isActive());
        QVERIFY(f.Check_Get_TS_Server->isEnabled());
        QVERIFY(rig.dialogs.Log().empty());

        blocker.reset();
        f.Check_Get_TS_Orvesk->setChecked(true);
        f.Sources().Get_TS_Orvesk_TimerTimer();
        std::optional<std::string> r;
        QVERIFY(PumpUntil([&] { return (r = responder.TryReceive()).has_value(); }, 2000));
        QCOMPARE(*r, std::string("R1"));
        QVERIFY(f.Check_Get_TS_Orvesk->isChecked());
    }

    // A failing read switches reception off and shows one error box. The box runs a nested event
    // loop while datagrams keep arriving: the event does not run again until it is closed, a
    // second failure meanwhile opens no second box, and what arrived is applied afterwards.
    void readFailureShowsOneBoxWithoutReentry() {
        UdpPeer responder(kResponderPort);
        NestedLoopDialogs boxes;
        Rig rig;
        ui::TForm1& f = rig.Start(&boxes);
        rig.ShowTestBlock();
        f.Check_Get_TS_Orvesk->setChecked(true);
        f.Sources().Get_TS_Orvesk_TimerTimer();
        QVERIFY(f.Sources().Rtu().Socket().Bound());

        // A datagram cut to the read buffer raises the socket's OnError: here it fails the read.
        f.Sources().Rtu().Socket().OnError = [](TfndUDPSocket& s) {
            if (s.LastErrorCode() == udp_error::kPacketTruncated)
                throw EWinSock("read failed", s.LastErrorCode());
        };
        int depth = 0;
        int maxDepth = 0;
        auto handler = f.Sources().Rtu().Socket().OnDataAvailable;
        f.Sources().Rtu().Socket().OnDataAvailable = [&](TfndUDPSocket& s) {
            maxDepth = std::max(maxDepth, ++depth);
            handler(s);
            --depth;
        };
        const std::string tooLong = Response('2', kOnes) + std::string(5000, '1');
        int linesAtOpen = -1;
        int linesAtClose = -1;
        boxes.onOpen = [&] {
            linesAtOpen = rig.MemoLines();
            responder.SendTo(kProgramPort, tooLong);
            for (char g : {'2', '3', '4'}) responder.SendTo(kProgramPort, Response(g, kOnes));
            // Something calls the event again while the box is open: the long datagram fails too.
            QTimer::singleShot(100, [&] { f.Sources().Rtu().DataAvailable(); });
        };
        boxes.onClose = [&] { linesAtClose = rig.MemoLines(); };

        responder.SendTo(kProgramPort, tooLong);
        QVERIFY(PumpUntil([&] { return boxes.Log().size() == 1 && boxes.open == 0; }, 3000));
        QCOMPARE(linesAtClose, linesAtOpen);  // nothing was taken while the box was open
        QCOMPARE(maxDepth, 1);
        QCOMPARE(boxes.maxOpen, 1);
        QCOMPARE(boxes.Messages().size(), std::size_t(1));
        const interlock::Message shown = boxes.Messages()[0];
        QCOMPARE(shown.text, W("Ошибка при чтении данных ТС с КП.\n\rПроверьте соединение."));
        QCOMPARE(shown.caption, W("Ошибка"));
        QVERIFY(shown.icon == interlock::Icon::Error);
        QVERIFY(!f.Check_Get_TS_Orvesk->isChecked());
        QVERIFY(!f.Sources().Get_TS_Orvesk_Timer->isActive());
        QVERIFY(f.Check_Get_TS_Server->isEnabled());

        // The three valid datagrams that waited are applied after the box.
        QVERIFY(PumpUntil([&] { return rig.ws.TsTable.Value[128] == 1; }, 2000));
        QCOMPARE(int(rig.ws.TsTable.Value[65]), 1);
        QCOMPARE(int(rig.ws.TsTable.Value[97]), 1);
        QCOMPARE(rig.Verdict(), W("разрешено"));
        QCOMPARE(boxes.Messages().size(), std::size_t(1));
    }

    // Responses that arrive together while the window is busy are each logged and applied, and
    // the screen ends with the values they leave, also when the one that changed a value is not
    // the last of them.
    void burstEndsWithItsValuesOnShow() {
        UdpPeer responder(kResponderPort);
        Rig rig;
        ui::TForm1& f = rig.Start();
        rig.ShowTestBlock();
        f.Sources().Get_TS_Orvesk_TimerTimer();
        QVERIFY(f.Sources().Rtu().Socket().Bound());
        const int lines = rig.MemoLines();
        std::vector<std::string> burst = {Response('7', kZeros), Response('7', kZeros), Response('2', kOnes)};
        for (int i = 0; i < 40; ++i) burst.push_back(Response(i % 2 ? '5' : '2', kOnes));
        for (const std::string& d : burst) QVERIFY(responder.SendTo(kProgramPort, d));
        QVERIFY(PumpUntil([&] { return rig.MemoLines() == lines + int(burst.size()); }, 3000));
        QTextBlock logged = f.Memo1->document()->findBlockByNumber(lines);
        for (const std::string& d : burst) {  // in the order they came
            QCOMPARE(ui::FromQString(logged.text()), acquisition::LogLine(d));
            logged = logged.next();
        }
        QCOMPARE(rig.Verdict(), W("разрешено"));
        QCOMPARE(ListedValue(f, 65), std::string("1"));
        QCOMPARE(int(rig.ws.TsTable.Value[161]), 1);
        QCOMPARE(int(rig.ws.TsTable.Value[192]), 1);
        QCOMPARE(f.Sources().Rtu().Socket().DroppedPacketCount(), uint64_t(0));
    }

    // The receipt log keeps the newest lines only, one per datagram.
    void logKeepsTheNewestLines() {
        UdpPeer responder(kResponderPort);
        Rig rig;
        ui::TForm1& f = rig.Start();
        f.Sources().Get_TS_Orvesk_TimerTimer();
        QVERIFY(f.Sources().Rtu().Socket().Bound());
        QCOMPARE(rig.MemoLines(), 1);  // "Memo1"
        const int count = ui::TsSources::kMemoLineLimit + 100;
        for (int i = 0; i < count; ++i) {
            QVERIFY(responder.SendTo(kProgramPort, "x" + std::to_string(i)));
            // In steps the receive queue takes whole, so that no datagram is dropped.
            if (i % 100 == 99 || i == count - 1) {
                const std::string last = "x" + std::to_string(i);
                QVERIFY(PumpUntil([&] { return rig.LastMemoLine() == last; }, 3000));
            }
        }
        QCOMPARE(rig.MemoLines(), ui::TsSources::kMemoLineLimit);
        QCOMPARE(ui::FromQString(f.Memo1->document()->firstBlock().text()),
                 "x" + std::to_string(count - ui::TsSources::kMemoLineLimit));
        QCOMPARE(f.Sources().Rtu().Socket().DroppedPacketCount(), uint64_t(0));
    }

    // With the settings "get" on, the start-up switches reception on without running the click:
    // the timer runs and the server reception is disabled.
    void settingsSwitchReceptionOnAtStartUp() {
        Rig rig("[TS]\r\nget=1\r\n");
        ui::TForm1& f = rig.Start();
        QVERIFY(f.Check_Get_TS_Orvesk->isChecked());
        QVERIFY(f.Check_Get_TS_Orvesk->isEnabled());
        QVERIFY(f.Sources().Get_TS_Orvesk_Timer->isActive());
        QVERIFY(!f.Check_Get_TS_Server->isEnabled());
        QCOMPARE(int(f.Sources().Rtu().RequestGroup()), 0);
    }

    // With rtu-sim answering on 956, switching reception on makes the verdict follow its values.
    void verdictsFollowTheSimulator() {
        QTemporaryDir dir;
        const QString values = dir.filePath("values.txt");
        auto writeValues = [&](char ts65) {
            std::ofstream out(values.toStdString(), std::ios::binary);
            for (int g = 0; g < 8; ++g) {
                std::string v = kZeros;
                if (g == 2) v[0] = ts65;
                out << "#TS" << g << "=" << v << "\r\n";
            }
        };
        writeValues('1');
        QProcess sim;
        sim.setProgram(RTU_SIM_PATH);
        sim.setArguments({"--values", values});
        sim.start();
        QVERIFY(sim.waitForStarted(5000));
        QVERIFY2(PumpUntil([&] { return sim.canReadLine() || sim.state() != QProcess::Running; }, 5000),
                 "rtu-sim did not start listening");
        QVERIFY2(sim.readLine().contains("listening"), qPrintable(sim.readAllStandardError()));

        Rig rig;
        ui::TForm1& f = rig.Start();
        rig.ShowTestBlock();
        QCOMPARE(rig.Verdict(), W("запрещено*"));
        f.Check_Get_TS_Orvesk->setChecked(true);
        // R0 after one second, R1 and R2 one second each after it: TS 65 arrives with R2.
        for (int i = 0; i < 2; ++i) f.Sources().Get_TS_Orvesk_TimerTimer();
        QVERIFY(PumpUntil([&] { return rig.Verdict() == W("разрешено"); }, 4000));

        // New values in the file: the next request for group 2 brings TS 65 = 0 back.
        writeValues('0');
        for (int sent = -1; sent != 2;) {
            sent = f.Sources().Rtu().RequestGroup() > 7 ? 0 : f.Sources().Rtu().RequestGroup();
            f.Sources().Get_TS_Orvesk_TimerTimer();
        }
        QVERIFY(PumpUntil([&] { return rig.Verdict() == W("запрещено*"); }, 4000));
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
    }
};

QTEST_MAIN(RtuWindowTest)
#include "rtu_window_test.moc"
