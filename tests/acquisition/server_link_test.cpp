// The server link on a workspace, against the replacement library libtmaccess.so: connecting,
// polling, names, the handlers of the server boxes and the start-up steps. The window's
// controls are a plain object whose boxes run the link's handlers when they change, as the
// window's check boxes do.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <map>
#include <string>
#include <vector>

#include "interlock/cp1251.h"
#include "interlock/report.h"
#include "interlock/ts_cascade.h"
#include "acquisition/server_link.h"
#include "acquisition/tm_library.h"
#include "tests/acquisition/scripted_port.h"
#include "tests/acquisition/tmaccess_fixture.h"

namespace acquisition::test {
namespace {

using interlock::Icon;
using interlock::Message;

// The real library with a hook after each name call: a stand-in for anything that clears the
// link while a name fetch runs.
class HookedLibrary : public TmLibrary {
public:
    explicit HookedLibrary(TmLibrary& inner) : inner_(inner) {}
    std::function<void(int point)> afterName;

    int16_t Init(const std::string& s, const std::string& c) override { return inner_.Init(s, c); }
    void Close() override { inner_.Close(); }
    void StatusByList(const std::vector<TmStatusRequest>& q, std::vector<TmStatusResult>& r) override {
        inner_.StatusByList(q, r);
    }
    int16_t GetObjectName(uint16_t kind, int16_t channel, int16_t rtu, int16_t point, char* buffer,
                          int16_t size) override {
        int16_t r = inner_.GetObjectName(kind, channel, rtu, point, buffer, size);
        if (afterName) afterName(point);
        return r;
    }

private:
    TmLibrary& inner_;
};

class ServerLinkTest : public testing::Test {
protected:
    PointsFolder folder;
    DlTmLibrary dl{{kLibraryPath}};
    HookedLibrary lib{dl};
    interlock::Workspace ws;
    ScriptedPort port{ws};
    FakeControls controls;
    std::string serverName = ".\\TMS";
    ServerLink link{ws, lib, port, controls, serverName, "interlocks-tests"};
    OtherSource rtu;
    ReceptionRule rule;
    const AcquisitionTexts& tx = Texts();

    void SetUp() override {
        controls.link = &link;
        rule.Add(rtu);
        rule.Add(link);
        folder.Write("server .\\TMS\nserver ORVESK\\GW1\nrtu 0 1\n");
    }
    void TearDown() override { link.Close(); }

    // Points of channel 0, RTU 1 (the default numbers), after the server lines.
    void Points(const std::string& lines) { folder.Write("server .\\TMS\nrtu 0 1\n" + lines); }

    // The user checks "Связь с сервером ТМ" and answers the prompt with `name`.
    void UserConnect(const std::string& name = ".\\TMS") {
        port.answers.push_back(name);
        controls.SetChecked(ServerBox::Check_Server, true);
    }
    void StartReception() { controls.SetChecked(ServerBox::Check_Get_TS_Server, true); }

    std::vector<Message> Boxes() const { return port.errors; }
    static Message Error(const std::string& text) { return {text, W("Ошибка"), Icon::Error}; }
    unsigned Refreshes() const { return ws.Display.refreshCount; }

    // The state every failure path must end in: reception off and the RTU box usable again.
    void ExpectReceptionOff() {
        EXPECT_FALSE(controls.Checked(ServerBox::Check_Get_TS_Server));
        EXPECT_FALSE(controls.timer);
        EXPECT_TRUE(rtu.allowed);
    }
    void ExpectDisconnected() {
        EXPECT_FALSE(link.ServerConnected());
        EXPECT_FALSE(controls.panel);
        EXPECT_FALSE(controls.Checked(ServerBox::Check_Server));
        EXPECT_FALSE(controls.Checked(ServerBox::Check_Get_Names_Server));
        ExpectReceptionOff();
    }
};

// ---- Connecting ----

TEST_F(ServerLinkTest, ConnectPromptsWithTheCurrentNameAndShowsThePanel) {
    UserConnect("ORVESK\\GW1");
    ASSERT_EQ(port.inputs.size(), 1u);
    EXPECT_TRUE(port.errors.empty());
    const auto& input = port.inputs[0];
    EXPECT_EQ(input.caption, W("Соединение с сервером"));
    EXPECT_EQ(input.prompt, W("Укажите имя сервера для соединения:\n\r\n\rАлиас\\шлюз"));
    EXPECT_EQ(input.value, ".\\TMS");
    EXPECT_TRUE(link.ServerConnected());
    EXPECT_TRUE(controls.panel);
    EXPECT_EQ(serverName, "ORVESK\\GW1");
}

struct PromptRow {
    const char* name;
    std::optional<std::string> answer;
    std::string nameAfter;
    bool failureBox;
};

class ConnectPromptTest : public ServerLinkTest, public testing::WithParamInterface<PromptRow> {};

TEST_P(ConnectPromptTest, EndsDisconnectedWithoutALink) {
    const PromptRow& row = GetParam();
    port.answers.push_back(row.answer);
    controls.SetChecked(ServerBox::Check_Server, true);
    ExpectDisconnected();
    EXPECT_EQ(serverName, row.nameAfter);
    std::vector<Message> expected;
    if (row.failureBox) {
        expected.push_back(Error(W("Не удалось создать связь с сервером ") + row.nameAfter +
                                 W("\n\rПроверьте соединение.")));
    }
    EXPECT_EQ(Boxes(), expected);
}

INSTANTIATE_TEST_SUITE_P(Answers, ConnectPromptTest,
                         testing::Values(PromptRow{"Cancel", std::nullopt, ".\\TMS", false},
                                         PromptRow{"EmptyKeepsTheName", std::string(), ".\\TMS", false},
                                         // The typed name stays even though the server does not answer to it.
                                         PromptRow{"UnknownServer", std::string("NOWHERE\\GW"), "NOWHERE\\GW",
                                                   true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServerLinkTest, AMissingLibraryFailsWithTheConnectMessage) {
    DlTmLibrary missing{{"/nonexistent/libtmaccess.so"}};
    ServerLink broken{ws, missing, port, controls, serverName, "t"};
    controls.link = &broken;
    port.answers.push_back(".\\TMS");
    controls.SetChecked(ServerBox::Check_Server, true);
    ExpectDisconnected();
    EXPECT_FALSE(broken.ServerConnected());
    EXPECT_EQ(Boxes(), std::vector<Message>{
                           Error(W("Не удалось создать связь с сервером .\\TMS\n\rПроверьте соединение."))});
    controls.link = &link;
}

TEST_F(ServerLinkTest, UncheckingTheServerBoxDisconnectsAndClearsTheServerMarks) {
    Points(TsLine(0, 1, 3, 1, 0x0001));
    UserConnect();
    StartReception();
    ASSERT_EQ(ws.TsTable.FromServer[3], 1);
    ASSERT_EQ(ws.TsTable.Unreliability[3], 2);
    controls.SetChecked(ServerBox::Check_Server, false);
    ExpectDisconnected();
    for (int n = 0; n <= interlock::kTsCount; ++n) {
        ASSERT_EQ(ws.TsTable.FromServer[n], 0) << n;
        ASSERT_EQ(ws.TsTable.Unreliability[n], 0) << n;
    }
    EXPECT_EQ(ws.TsTable.Value[3], 1);  // the values stay; only their origin is forgotten
    // The library's connection is closed too: it no longer answers.
    std::vector<TmStatusResult> r;
    dl.StatusByList({{0, 1, 3}}, r);
    EXPECT_EQ(r.at(0).status, TM_STATUS_ERROR);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ServerLinkTest, HandlersWaitForTheWindow) {
    controls.ready = false;
    controls.SetChecked(ServerBox::Check_Server, true);  // no prompt while the window is built
    controls.SetChecked(ServerBox::Check_Get_TS_Server, true);
    controls.SetChecked(ServerBox::Check_Get_Names_Server, true);
    EXPECT_TRUE(port.errors.empty() && port.inputs.empty());
    EXPECT_FALSE(link.ServerConnected());
    EXPECT_FALSE(controls.timer);
    EXPECT_FALSE(link.ForceRecalc);
}

// ---- Start-up ----

TEST_F(ServerLinkTest, StartUpConnectsWithoutPromptFetchesAndPollsOnce) {
    Points(TsLine(0, 1, 1, 1, 0, W("Выключатель Q1")) + TsLine(0, 1, 2, 1, 0x0002));
    controls.ready = false;
    controls.SetChecked(ServerBox::Check_Server, true);
    controls.SetChecked(ServerBox::Check_Get_TS_Server, true);
    controls.SetChecked(ServerBox::Check_Get_Names_Server, true);
    const unsigned before = Refreshes();
    link.StartUpConnect();
    EXPECT_TRUE(link.ServerConnected());
    EXPECT_TRUE(controls.panel);
    link.StartUpFetchAndPoll();
    EXPECT_TRUE(port.errors.empty() && port.inputs.empty());
    EXPECT_EQ(ws.TsTable.Name[1], W("Выключатель Q1"));
    EXPECT_EQ(ws.TsTable.Value[1], 1);
    EXPECT_EQ(ws.TsTable.Unreliability[2], 1);
    EXPECT_FALSE(link.ForceRecalc);  // the first poll took it
    EXPECT_EQ(Refreshes(), before);  // and recalculated nothing yet
    EXPECT_EQ(port.fillTsList, 0);
}

TEST_F(ServerLinkTest, StartUpFailureLeavesEverythingOffWithoutPrompt) {
    serverName = "NOWHERE";
    controls.ready = false;
    for (auto box :
         {ServerBox::Check_Server, ServerBox::Check_Get_TS_Server, ServerBox::Check_Get_Names_Server})
        controls.SetChecked(box, true);
    controls.timer = true;
    rtu.allowed = false;
    link.StartUpConnect();
    ExpectDisconnected();
    EXPECT_EQ(Boxes(), std::vector<Message>{
                           Error(W("Не удалось создать связь с сервером NOWHERE\n\rПроверьте соединение."))});
    link.StartUpFetchAndPoll();  // nothing left to do
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(ServerLinkTest, StartUpWithoutTheLinkUnchecksTheReceptionBoxes) {
    controls.ready = false;
    controls.SetChecked(ServerBox::Check_Get_TS_Server, true);
    controls.SetChecked(ServerBox::Check_Get_Names_Server, true);
    link.StartUpConnect();
    EXPECT_FALSE(controls.Checked(ServerBox::Check_Get_TS_Server));
    EXPECT_FALSE(controls.Checked(ServerBox::Check_Get_Names_Server));
    EXPECT_TRUE(port.errors.empty() && port.inputs.empty());
}

// ---- Polling ----

struct StatusRow {
    const char* name;
    int value;  // as the file gives it
    unsigned status;
    int16_t before;  // Value before the poll
    int16_t value_after;
    uint8_t unreliability;
    uint8_t fromServer;
};

class PollStatusTest : public ServerLinkTest, public testing::WithParamInterface<StatusRow> {};

TEST_P(PollStatusTest, ClassifiesAndStores) {
    const StatusRow& row = GetParam();
    Points(TsLine(0, 1, 7, row.value, row.status));
    ws.TsTable.Value[7] = row.before;
    UserConnect();
    StartReception();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ws.TsTable.Value[7], row.value_after);
    EXPECT_EQ(ws.TsTable.Unreliability[7], row.unreliability);
    EXPECT_EQ(ws.TsTable.FromServer[7], row.fromServer);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, PollStatusTest,
    testing::Values(StatusRow{"Reliable", 1, 0x0000, 0, 1, 0, 1},
                    StatusRow{"OtherBitsAreReliable", 1, 0x0100, 0, 1, 0, 1},
                    StatusRow{"Hardware", 1, 0x0001, 0, 1, 2, 1}, StatusRow{"Manual", 0, 0x0002, 1, 0, 1, 1},
                    StatusRow{"BothCountAsManual", 1, 0x0003, 0, 1, 1, 1},
                    // An error keeps the old value, is not from the server, and reads as manual.
                    StatusRow{"Error", 1, 0xFFFF, 0, 0, 1, 0},
                    // Only the first byte of the value counts, as a signed number.
                    StatusRow{"LowByteOnly", 0x0101, 0, 0, 1, 0, 1},
                    StatusRow{"SignedByte", 0x00FF, 0, 0, -1, 0, 1},
                    StatusRow{"NegativeWord", -2, 0, 0, -2, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

class ErrorCountTest : public ServerLinkTest, public testing::WithParamInterface<int> {};

TEST_P(ErrorCountTest, MoreThan250ErrorsAbortThePollUntouched) {
    const int errors = GetParam();
    std::string lines;
    for (int n = 1; n <= errors; ++n) lines += TsLine(0, 1, n, 1, 0xFFFF);
    for (int n = errors + 1; n <= 256; ++n) lines += TsLine(0, 1, n, 1, 0x0001);
    Points(lines);
    UserConnect();
    StartReception();
    const bool aborted = errors > 250;
    if (aborted) {
        EXPECT_EQ(Boxes(), std::vector<Message>{Error(
                               W("Большое число ошибочных данных ТС.\n\rПроверьте состояние сервера.\n\r"
                                 "Загрузка данных ТС была отменена."))});
        ExpectReceptionOff();
        EXPECT_TRUE(link.ServerConnected());
        for (int n = 1; n <= 256; ++n) {
            ASSERT_EQ(ws.TsTable.Value[n], 0) << n;
            ASSERT_EQ(ws.TsTable.Unreliability[n], 0) << n;
            ASSERT_EQ(ws.TsTable.FromServer[n], 0) << n;
        }
    } else {
        EXPECT_TRUE(Boxes().empty());
        EXPECT_TRUE(controls.timer);
        EXPECT_FALSE(rtu.allowed);
        EXPECT_EQ(ws.TsTable.Value[256], 1);
        EXPECT_EQ(ws.TsTable.Unreliability[256], 2);
        EXPECT_EQ(ws.TsTable.Unreliability[1], 1);
        EXPECT_EQ(ws.TsTable.FromServer[1], 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, ErrorCountTest, testing::Values(250, 251, 256),
                         [](const auto& info) { return "Errors" + std::to_string(info.param); });

struct NumbersRow {
    const char* name;
    std::string channel;
    std::string rtu;
    bool channelMessage;  // otherwise the RTU message
};

class NumbersTest : public ServerLinkTest, public testing::WithParamInterface<NumbersRow> {};

TEST_P(NumbersTest, APollWithABadNumberStopsReception) {
    UserConnect();
    ws.Fields.Server_channel_Number = GetParam().channel;
    ws.Fields.Server_RTU_Number = GetParam().rtu;
    StartReception();
    ExpectReceptionOff();
    EXPECT_TRUE(link.ServerConnected());
    EXPECT_EQ(Boxes(),
              std::vector<Message>{
                  Error(GetParam().channelMessage
                            ? W("Некорректный номер канала данных.\n\rЗагрузка данных ТС была остановлена.")
                            : W("Некорректный номер КП.\n\rЗагрузка данных ТС была остановлена."))});
}

TEST_P(NumbersTest, ANameFetchWithABadNumberIsCancelled) {
    UserConnect();
    ws.TsTable.Name[1] = "kept";
    ws.Fields.Server_channel_Number = GetParam().channel;
    ws.Fields.Server_RTU_Number = GetParam().rtu;
    controls.SetChecked(ServerBox::Check_Get_Names_Server, true);
    EXPECT_FALSE(controls.Checked(ServerBox::Check_Get_Names_Server));
    EXPECT_EQ(ws.TsTable.Name[1], "kept");
    EXPECT_EQ(Boxes(),
              std::vector<Message>{
                  Error(GetParam().channelMessage
                            ? W("Некорректный номер канала данных.\n\rЗагрузка наименований была отменена.")
                            : W("Некорректный номер КП.\n\rЗагрузка наименований была отменена."))});
}

INSTANTIATE_TEST_SUITE_P(
    Fields, NumbersTest,
    testing::Values(NumbersRow{"Channel257", "257", "1", true}, NumbersRow{"ChannelText", "abc", "1", true},
                    NumbersRow{"ChannelEmpty", "", "1", true}, NumbersRow{"ChannelNegative", "-1", "1", true},
                    NumbersRow{"BothBadChannelFirst", "300", "0", true}, NumbersRow{"Rtu0", "0", "0", false},
                    NumbersRow{"Rtu257", "256", "257", false}, NumbersRow{"RtuText", "0", "1a", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServerLinkTest, NumbersAreReadAtEveryPollAndAcceptHexadecimal) {
    folder.Write("server .\\TMS\n" + TsLine(2, 16, 1, 1, 0) + TsLine(0, 1, 1, 0, 0x0002));
    UserConnect();
    ws.Fields.Server_channel_Number = "2";
    ws.Fields.Server_RTU_Number = "$10";
    StartReception();
    EXPECT_EQ(ws.TsTable.Value[1], 1);
    EXPECT_EQ(ws.TsTable.Unreliability[1], 0);
    ws.Fields.Server_channel_Number = "0";
    ws.Fields.Server_RTU_Number = "1";
    link.Get_TS_Server_TimerTimer();
    EXPECT_EQ(ws.TsTable.Value[1], 0);
    EXPECT_EQ(ws.TsTable.Unreliability[1], 1);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ServerLinkTest, ForceRecalcMakesOnePollRecalculateThenOnlyChangesDo) {
    Points(TsLine(0, 1, 1, 0, 0));
    UserConnect();
    unsigned r0 = Refreshes();
    StartReception();  // nothing changes (all 0, reliable) but reception just started
    EXPECT_EQ(Refreshes(), r0 + 1);
    EXPECT_EQ(port.fillTsList, 1);
    EXPECT_FALSE(link.ForceRecalc);
    link.Get_TS_Server_TimerTimer();  // identical data
    EXPECT_EQ(Refreshes(), r0 + 1);
    EXPECT_EQ(port.fillTsList, 1);
    Points(TsLine(0, 1, 1, 1, 0));  // the file is edited while the program runs
    link.Get_TS_Server_TimerTimer();
    EXPECT_EQ(ws.TsTable.Value[1], 1);
    EXPECT_EQ(Refreshes(), r0 + 2);
    Points(TsLine(0, 1, 1, 1, 0x0001));  // a change of reliability alone counts as a change
    link.Get_TS_Server_TimerTimer();
    EXPECT_EQ(Refreshes(), r0 + 3);
    EXPECT_EQ(port.fillTsList, 3);
}

TEST_F(ServerLinkTest, AnAbortedPollKeepsForceRecalcForTheNextOne) {
    UserConnect();
    controls.ready = false;  // so that stopping the reception runs no handler
    controls.boxes[ServerBox::Check_Get_TS_Server] = true;
    link.ForceRecalc = true;
    ws.Fields.Server_RTU_Number = "0";
    link.ServerPollTs();
    EXPECT_TRUE(link.ForceRecalc);
    controls.boxes[ServerBox::Check_Get_TS_Server] = true;
    ws.Fields.Server_RTU_Number = "1";
    link.ServerPollTs();
    EXPECT_FALSE(link.ForceRecalc);
}

TEST_F(ServerLinkTest, AServerPairKeepsItsSecondValueAndIsReleasedToTheComplement) {
    ws.TsTable.TwoPosition[5] = 1;
    ws.TsTable.PairSecond[6] = 1;
    ws.TsTable.Value[6] = 1;
    Points(TsLine(0, 1, 5, 1, 0) + TsLine(0, 1, 6, 1, 0) + TsLine(0, 1, 9, 1, 0));
    UserConnect();
    StartReception();
    EXPECT_EQ(ws.TsTable.Value[5], 1);
    EXPECT_EQ(ws.TsTable.Value[6], 0);  // derived from TS 5, never the server's own value
    EXPECT_EQ(ws.TsTable.FromServer[6], 1);
    controls.SetChecked(ServerBox::Check_Get_TS_Server, false);
    EXPECT_EQ(ws.TsTable.Value[6], 0);  // complement of TS 5
    EXPECT_EQ(ws.TsTable.Value[9], 1);
    for (int n = 1; n <= 256; ++n) ASSERT_EQ(ws.TsTable.FromServer[n], 0) << n;
    EXPECT_TRUE(link.ForceRecalc);
    ExpectReceptionOff();
    EXPECT_TRUE(link.ServerConnected());
}

// The second TS of a server pair follows the first as soon as the poll stores it, so the
// evaluation right after the poll already reads it: one more recalculation changes nothing.
struct PairPollRow {
    const char* name;
    int first;              // the server's value of TS 4
    unsigned secondStatus;  // the server's status of TS 5
    int16_t secondBefore;
    int16_t secondAfter;
    uint8_t result;  // of V1=AND(~S5)
};

class ServerPairPollTest : public ServerLinkTest, public testing::WithParamInterface<PairPollRow> {};

TEST_P(ServerPairPollTest, EvaluationAfterThePollReadsTheDerivedValue) {
    const PairPollRow& row = GetParam();
    ws.TsTable.TwoPosition[4] = 1;
    ws.TsTable.PairSecond[5] = 1;
    ws.TsTable.Value[5] = row.secondBefore;
    interlock::Block& b = ws.Blocks[1];
    b.OnLogic = {"V1=AND(~S5)"};
    interlock::ShowBlock(ws, 1);
    Points(TsLine(0, 1, 4, row.first, 0) + TsLine(0, 1, 5, 0, row.secondStatus));
    UserConnect();
    StartReception();
    EXPECT_EQ(ws.TsTable.Value[5], row.secondAfter);
    EXPECT_EQ(b.OnResult, row.result);
    interlock::RecalculateAll(ws);
    interlock::RefreshBlockDisplay(ws);
    EXPECT_EQ(ws.TsTable.Value[5], row.secondAfter);
    EXPECT_EQ(b.OnResult, row.result);
}

INSTANTIATE_TEST_SUITE_P(Pairs, ServerPairPollTest,
                         testing::Values(PairPollRow{"FirstOnSecondStale", 1, 0, 1, 0, 1},
                                         PairPollRow{"FirstOffSecondStale", 0, 0, 0, 1, 0},
                                         // No valid data for the second: it is not the server's
                                         // and keeps the operator's value.
                                         PairPollRow{"SecondInError", 1, 0xFFFF, 1, 1, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServerLinkTest, ReceptionFromTheServerAndFromTheRtuExcludeEachOther) {
    UserConnect();
    StartReception();
    EXPECT_TRUE(controls.timer);
    EXPECT_FALSE(rtu.allowed);
    controls.SetChecked(ServerBox::Check_Get_TS_Server, false);
    EXPECT_FALSE(controls.timer);
    EXPECT_TRUE(rtu.allowed);
}

TEST_F(ServerLinkTest, APollWithoutTheLinkDisconnectsWithItsMessage) {
    controls.SetChecked(ServerBox::Check_Get_TS_Server, true);  // the box on without a link
    ExpectDisconnected();
    EXPECT_EQ(Boxes(), std::vector<Message>{
                           Error(W("Соединение с сервером отстутствует.\n\rЗагрузка данных ТС отменена."))});
}

TEST_F(ServerLinkTest, AServerThatGoesAwayStopsReceptionAtTheNextPoll) {
    Points(TsLine(0, 1, 1, 1, 0));
    UserConnect();
    StartReception();
    ASSERT_EQ(ws.TsTable.Value[1], 1);
    folder.Write("server ORVESK\\GW1\n");  // the server is no longer there
    link.Get_TS_Server_TimerTimer();
    ExpectReceptionOff();
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(ws.TsTable.Value[1], 1);
}

TEST_F(ServerLinkTest, PollingRecalculatesTheBlocksAndTheReportShowsUnreliableTs) {
    interlock::Block& b = ws.Blocks[1];
    b.OnLogic = {"V1=AND(S2,S3)"};
    b.OffLogic = {"V1=AND(S2)"};
    interlock::SetStateSignal(ws, 1, "S1");
    interlock::ShowBlock(ws, 1);
    EXPECT_FALSE(ws.Display.Top_Label7.visible);
    Points(TsLine(0, 1, 1, 0, 0) + TsLine(0, 1, 2, 1, 0) + TsLine(0, 1, 3, 1, 0x0001));
    UserConnect();
    StartReception();
    EXPECT_EQ(b.OnResult, 1);
    EXPECT_TRUE(ws.Display.Top_Label7.visible);
    EXPECT_EQ(interlock::StatusOf(ws, b), interlock::BlockStatus::Erroneous);  // hardware unreliability
    Points(TsLine(0, 1, 1, 0, 0) + TsLine(0, 1, 2, 1, 0) + TsLine(0, 1, 3, 1, 0));
    link.Get_TS_Server_TimerTimer();
    EXPECT_FALSE(ws.Display.Top_Label7.visible);
    EXPECT_EQ(interlock::StatusOf(ws, b), interlock::BlockStatus::Normal);
}

// ---- Names ----

TEST_F(ServerLinkTest, NamesArriveAndAreCutTo80Bytes) {
    std::string cyrillic80;
    for (int i = 0; i < 80; ++i) cyrillic80 += "Ж";
    const std::string n80 = W(cyrillic80);
    ASSERT_EQ(n80.size(), 80u);
    Points(TsLine(0, 1, 1, 0, 0, W("Выключатель Q1")) + TsLine(0, 1, 2, 0, 0, n80) +
           TsLine(0, 1, 3, 0, 0, std::string(81, 'L') + "tail") + TsLine(0, 1, 4, 0, 0));
    for (int n = 1; n <= 256; ++n) ws.TsTable.Name[n] = "old";
    UserConnect();
    controls.SetChecked(ServerBox::Check_Get_Names_Server, true);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(ws.TsTable.Name[1], W("Выключатель Q1"));
    EXPECT_EQ(ws.TsTable.Name[2], n80);  // the whole buffer, no zero byte
    EXPECT_EQ(ws.TsTable.Name[3], std::string(80, 'L'));
    EXPECT_EQ(ws.TsTable.Name[4], "");  // the server has no name for it
    EXPECT_EQ(ws.TsTable.Name[256], "");
}

TEST_F(ServerLinkTest, NamesAreFetchedOnlyWhenTheBoxBecomesChecked) {
    Points(TsLine(0, 1, 1, 0, 0, "First"));
    UserConnect();
    controls.SetChecked(ServerBox::Check_Get_Names_Server, true);
    Points(TsLine(0, 1, 1, 0, 0, "Second"));
    StartReception();
    link.Get_TS_Server_TimerTimer();
    EXPECT_EQ(ws.TsTable.Name[1], "First");  // polls do not refresh names
    controls.SetChecked(ServerBox::Check_Get_Names_Server, false);
    EXPECT_EQ(ws.TsTable.Name[1], "First");
    controls.SetChecked(ServerBox::Check_Server, false);
    EXPECT_EQ(ws.TsTable.Name[1], "First");  // nor does a disconnect clear them
}

TEST_F(ServerLinkTest, ALinkLostDuringTheFetchLeavesTheEntriesNotFetchedAsTheyWere) {
    std::string lines;
    for (int n = 1; n <= 10; ++n) lines += TsLine(0, 1, n, 0, 0, "New" + std::to_string(n));
    Points(lines);
    for (int n = 1; n <= 256; ++n) ws.TsTable.Name[n] = "Old" + std::to_string(n);
    UserConnect();
    lib.afterName = [this](int point) {
        if (point == 4) link.ServerDisconnect();
    };
    controls.SetChecked(ServerBox::Check_Get_Names_Server, true);
    lib.afterName = nullptr;
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(ws.TsTable.Name[n], "New" + std::to_string(n)) << n;
    for (int n = 5; n <= 256; ++n) ASSERT_EQ(ws.TsTable.Name[n], "Old" + std::to_string(n)) << n;
    ExpectDisconnected();
    EXPECT_EQ(
        Boxes(),
        std::vector<Message>{Error(
            W("Во время получения наименований связь с сервером была потеряна.\n\rЗагрузка остановлена."))});
}

TEST_F(ServerLinkTest, AFetchWithoutTheLinkIsCancelled) {
    ws.TsTable.Name[1] = "kept";
    controls.SetChecked(ServerBox::Check_Get_Names_Server, true);
    EXPECT_EQ(ws.TsTable.Name[1], "kept");
    ExpectDisconnected();
    EXPECT_EQ(Boxes(), std::vector<Message>{Error(
                           W("Соединение с сервером отстутствует.\n\rЗагрузка наименований отменена."))});
}

TEST_F(ServerLinkTest, ALibraryThatDropsTheLinkDuringNamesFailsAtTheNextPoll) {
    Points(TsLine(0, 1, 1, 1, 0, "One") + TsLine(0, 1, 2, 1, 0, "Two") + "lost 0 1 2\n");
    UserConnect();
    controls.SetChecked(ServerBox::Check_Get_Names_Server, true);
    EXPECT_EQ(ws.TsTable.Name[1], "One");
    EXPECT_EQ(ws.TsTable.Name[2], "");
    EXPECT_TRUE(Boxes().empty());  // the contract gives no sign of it here
    StartReception();
    ExpectReceptionOff();
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(ws.TsTable.Value[1], 0);
}

// ---- Exit ----

TEST_F(ServerLinkTest, CloseEndsTheLibrarysConnectionAndLeavesTheControls) {
    UserConnect();
    link.Close();
    EXPECT_FALSE(link.ServerConnected());
    EXPECT_TRUE(controls.panel);
    EXPECT_TRUE(controls.Checked(ServerBox::Check_Server));
    std::vector<TmStatusResult> r;
    dl.StatusByList({{0, 1, 1}}, r);
    EXPECT_EQ(r.at(0).status, TM_STATUS_ERROR);
}

TEST(TsStatusIs, ClassifiesOneWord) {
    struct Row {
        uint16_t status;
        bool error, hdw, manual, both;
    };
    for (const Row& r : std::vector<Row>{{0x0000, false, false, false, false},
                                         {0x0001, false, true, false, false},
                                         {0x0002, false, false, true, false},
                                         {0x0003, false, true, true, true},
                                         {0x0100, false, false, false, false},
                                         {0xFFFE, false, false, true, false},
                                         {0xFFFF, true, true, true, true}}) {
        EXPECT_EQ(TsStatusIs(r.status, TsStatusWord::Error), r.error) << r.status;
        EXPECT_EQ(TsStatusIs(r.status, TsStatusWord::UnreliableHdw), r.hdw) << r.status;
        EXPECT_EQ(TsStatusIs(r.status, TsStatusWord::UnreliableManual), r.manual) << r.status;
        EXPECT_EQ(TsStatusIs(r.status, TsStatusWord::UnreliableBoth), r.both) << r.status;
    }
}

}  // namespace
}  // namespace acquisition::test

namespace acquisition::test {
namespace {

// ---- The one-receiver rule ----

TEST(ReceptionRule, SettleKeepsTheStrongestReceiverAndLocksTheOthers) {
    struct Row {
        std::vector<bool> receiving;  // weakest first
        std::vector<bool> after;
        std::vector<bool> allowed;
    };
    const Row rows[] = {
        {{false, false}, {false, false}, {true, true}},
        {{true, false}, {true, false}, {true, false}},
        {{false, true}, {false, true}, {false, true}},
        {{true, true}, {false, true}, {false, true}},
        {{true, true, true}, {false, false, true}, {false, false, true}},
        {{true, false, false}, {true, false, false}, {true, false, false}},
    };
    for (const Row& row : rows) {
        std::vector<OtherSource> sources(row.receiving.size());
        ReceptionRule rule;
        for (size_t i = 0; i < sources.size(); ++i) {
            sources[i].receiving = row.receiving[i];
            rule.Add(sources[i]);
        }
        rule.Settle();
        for (size_t i = 0; i < sources.size(); ++i) {
            EXPECT_EQ(sources[i].receiving, row.after[i]) << i;
            EXPECT_EQ(sources[i].allowed, row.allowed[i]) << i;
        }
    }
}

TEST(ReceptionRule, AChangeLocksOrFreesEveryOtherSource) {
    std::vector<OtherSource> sources(3);
    ReceptionRule rule;
    for (OtherSource& s : sources) rule.Add(s);
    sources[1].receiving = true;
    rule.Changed(sources[1]);
    EXPECT_FALSE(sources[0].allowed);
    EXPECT_TRUE(sources[1].allowed);
    EXPECT_FALSE(sources[2].allowed);
    sources[1].receiving = false;
    rule.Changed(sources[1]);
    EXPECT_TRUE(sources[0].allowed && sources[2].allowed);
}

}  // namespace
}  // namespace acquisition::test
