// The RTU reception as a TS source without the window: its controls and the window's port are
// plain objects, the one-receiver rule holds it and a second source. No datagram goes out: the
// responses are handed to the reception as the socket would hand them over.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <string>
#include <vector>

#include "acquisition/rtu_reception.h"
#include "acquisition/udp_socket.h"

namespace acquisition::test {
namespace {

class FakeRtuControls : public RtuControls {
public:
    RtuReception* reception = nullptr;
    bool ready = true;
    bool checked = false;
    bool enabled = true;
    bool timer = false;
    std::vector<std::string> log;
    int logUpdates = 0;

    bool WindowReady() const override { return ready; }
    bool Checked() const override { return checked; }
    void SetChecked(bool c) override {
        if (c == checked) return;
        checked = c;
        reception->Check_Get_TS_OrveskClick();
    }
    void SetEnabled(bool e) override { enabled = e; }
    void SetTimerEnabled(bool t) override { timer = t; }
    void AppendLog(const std::vector<std::string>& lines) override {
        log.insert(log.end(), lines.begin(), lines.end());
        ++logUpdates;
    }
};

class RecordingPort : public SourcePort {
public:
    std::vector<std::string> errors;
    std::vector<interlock::TsCascade> cascades;
    void ShowError(const std::string& text) override { errors.push_back(text); }
    std::optional<std::string> AskText(const std::string&, const std::string&, const std::string&) override {
        ADD_FAILURE() << "the RTU reception asks nothing";
        return std::nullopt;
    }
    void TsValuesChanged(const interlock::TsCascade& cascade) override { cascades.push_back(cascade); }
};

class OtherSource : public TsSource {
public:
    bool receiving = false;
    bool allowed = true;
    bool Receiving() const override { return receiving; }
    void StopReceiving() override { receiving = false; }
    void AllowReception(bool a) override { allowed = a; }
};

class RtuReceptionTest : public testing::Test {
protected:
    interlock::Workspace ws;
    RecordingPort port;
    FakeRtuControls controls;
    RtuReception rtu{ws, port, controls};
    OtherSource server;
    ReceptionRule rule;

    void SetUp() override {
        controls.reception = &rtu;
        rule.Add(rtu);
        rule.Add(server);
    }
    // The operator checks or unchecks "Принимать ТС с КП".
    void Click(bool on) { controls.SetChecked(on); }
};

TEST_F(RtuReceptionTest, TheBoxDrivesTheTimerAndLocksTheOtherSource) {
    controls.ready = false;  // held back while the window is built
    Click(true);
    EXPECT_FALSE(controls.timer);
    EXPECT_TRUE(server.allowed);

    controls.ready = true;
    Click(false);
    Click(true);
    EXPECT_TRUE(controls.timer);
    EXPECT_TRUE(rtu.Receiving());
    EXPECT_FALSE(server.allowed);
    Click(false);
    EXPECT_FALSE(controls.timer);
    EXPECT_TRUE(server.allowed);
}

TEST_F(RtuReceptionTest, ResponsesAreLoggedAndOnlyChangesRunTheCascade) {
    const std::string ones = "r0 " + std::string(32, '1');
    struct Row {
        std::string datagram;
        size_t cascades;  // after this datagram
    };
    const Row rows[] = {
        {ones, 1},          // TS 1..32 become 1
        {ones, 1},          // nothing changes
        {"r0 0\x01", 2},    // TS 1 back to 0; the control byte shows as "."
        {"x9 garbage", 2},  // not a response
    };
    for (const Row& row : rows) {
        rtu.ReceiveTsData(row.datagram);
        EXPECT_EQ(port.cascades.size(), row.cascades) << row.datagram;
    }
    EXPECT_EQ(controls.log, (std::vector<std::string>{ones, ones, "r0 0.", "x9 garbage"}));
    EXPECT_EQ(ws.TsTable.Value[1], 0);
    EXPECT_EQ(ws.TsTable.Value[2], 1);
    // The whole cascade: view by state, all blocks, the TS list refilled.
    EXPECT_EQ(port.cascades[0].view, interlock::TsCascade::View::BeforeRecalculation);
    EXPECT_TRUE(port.cascades[0].refillList);
    EXPECT_FALSE(port.cascades[0].fillGrid);
    EXPECT_TRUE(port.errors.empty());
}

TEST_F(RtuReceptionTest, RequestsCycleThroughTheGroups) {
    rtu.SetPorts("0", "9");  // an ephemeral local port; the discard port takes the requests
    std::string groups;
    for (int i = 0; i < 10; ++i) {
        groups += std::to_string(rtu.RequestGroup());
        rtu.Get_TS_Orvesk_TimerTimer();
    }
    // The group of the next request; past group 7 the counter stands at 8 until the next tick
    // starts again at 0.
    EXPECT_EQ(groups, "0123456781");
    EXPECT_TRUE(rtu.Socket().Bound());
}

}  // namespace
}  // namespace acquisition::test

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
