// Bursts of RTU answers larger than the window's receive queue: the latest answer of each group
// decides the TS values and the verdict, however many older ones the burst held. The window
// listens on the fixed port 955; these tests run one at a time with the other RTU tests.

#include <QCheckBox>
#include <QtTest>

#include <fstream>

#include "tests/acquisition/rtu_test_rig.h"
#include "acquisition/rtu_reception.h"
#include "acquisition/udp_socket.h"

using namespace rtu_test;

class RtuBurstTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        const std::string problem = FixedPortProblem();
        if (!problem.empty()) QFAIL(problem.c_str());
    }

    void lastAnswersDecide_data() {
        QTest::addColumn<int>("answers");
        QTest::newRow("just beyond the bound") << acquisition::RtuReception::kReceiveQueueLimit + 8;
        QTest::newRow("300") << 300;
        QTest::newRow("600") << 600;
    }

    // The answers go round the eight groups; only the last answer of each group carries ones, so
    // any older answer applied last would leave its group at zero.
    void lastAnswersDecide() {
        QFETCH(int, answers);
        std::ifstream rmemMax("/proc/sys/net/core/rmem_max");
        long systemMax = 0;
        rmemMax >> systemMax;
        if (systemMax < answers * 1024L)
            QSKIP("the system's receive buffer cannot hold the burst while the window is busy");

        UdpPeer responder(kResponderPort);
        Rig rig;
        ui::TForm1& f = rig.Start();
        rig.ShowTestBlock();
        f.Check_Get_TS_Orvesk->setChecked(true);
        f.Sources().Get_TS_Orvesk_TimerTimer();
        QVERIFY(f.Sources().Rtu().Socket().Bound());
        QCOMPARE(rig.Verdict(), W("запрещено*"));

        // The whole burst arrives while the window is busy: nothing is read until it is sent.
        for (int i = 0; i < answers; ++i) {
            const int group = i % 8;
            const bool last = i >= answers - 8;
            const std::string answer = "r" + std::to_string(group) + " " + std::string(32, last ? '1' : '0');
            QVERIFY(responder.SendTo(kProgramPort, answer));
        }
        PumpUntil(
            [&] {
                return f.Sources().Rtu().Socket().ReceiveQueueSize() == 0 && rig.Verdict() == W("разрешено");
            },
            5000);
        PumpFor(100);
        for (int n = 1; n <= 256; ++n) {
            if (rig.ws.TsTable.Value[n] != 1)
                QFAIL(("TS " + std::to_string(n) + " kept an older answer").c_str());
        }
        QCOMPARE(rig.Verdict(), W("разрешено"));
        QVERIFY(f.Sources().Rtu().Socket().DroppedPacketCount() > 0);  // the bound held
    }
};

QTEST_MAIN(RtuBurstTest)
#include "rtu_burst_test.moc"
