// The access library in the helper process, against libraries built here that crash, hang,
// answer garbage or lack a function: every such call fails within its bound, the program (this
// test) keeps running, the server link takes its failure path with its message and loses
// nothing else, and the next connect starts a new helper.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/server_link.h"
#include "acquisition/tm_host_library.h"
#include "acquisition/tm_host_protocol.h"
#include "interlock/cp1251.h"
#include "interlock/report.h"
#include "tests/acquisition/scripted_port.h"

namespace acquisition {
namespace {

using test::FakeControls;
using test::ScriptedPort;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kHost = TMACCESS_HOST;
const std::string kBadLibrary = BAD_TMACCESS_LIBRARY;
const std::string kNoNameLibrary = BAD_TMACCESS_NO_NAME_LIBRARY;

// Short bounds, so that the hanging cases take little time; the start keeps its default.
TmCallBounds ShortBounds() {
    TmCallBounds b;
    b.init = 400ms;
    b.close = 200ms;
    b.status = 300ms;
    b.name = 200ms;
    return b;
}

void Mode(const char* mode) { ::setenv("BAD_TMACCESS", mode, 1); }

bool Alive(pid_t pid) { return pid > 0 && ::kill(pid, 0) == 0; }

long RssKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

std::vector<TmStatusRequest> Points() {
    std::vector<TmStatusRequest> list;
    for (int16_t p = 1; p <= 256; ++p) list.push_back({0, 1, p});
    return list;
}

// ---- The calls, one misbehaviour at a time ----

enum class Call { Init, Poll, Name, Close };

struct MisbehaviourRow {
    const char* name;
    const char* mode;
    Call failing;
    std::chrono::milliseconds bound;  // how long the failing call may take at most
};

void PrintTo(const MisbehaviourRow& r, std::ostream* os) { *os << r.name; }

class HostMisbehaviour : public testing::TestWithParam<MisbehaviourRow> {
protected:
    void TearDown() override { Mode("good"); }
};

TEST_P(HostMisbehaviour, FailsWithinItsBoundAndTheNextConnectStartsAfresh) {
    const MisbehaviourRow& row = GetParam();
    Mode(row.mode);
    HostTmLibrary lib(kHost, {kBadLibrary}, ShortBounds());
    const auto slack = 1000ms;  // starting the helper, its end and reaping, on a loaded machine

    auto started = Clock::now();
    const int16_t init = lib.Init("S", "t");
    auto took = Clock::now() - started;
    if (row.failing == Call::Init) {
        EXPECT_EQ(init, 0);
        EXPECT_TRUE(lib.LastCallFailed());
    } else {
        ASSERT_EQ(init, 1) << lib.FailureReason();
        EXPECT_FALSE(lib.LastCallFailed());
        const pid_t pid = lib.HostPid();
        ASSERT_TRUE(Alive(pid));
        started = Clock::now();
        if (row.failing == Call::Poll) {
            std::vector<TmStatusResult> result;
            lib.StatusByList(Points(), result);
            ASSERT_EQ(result.size(), 256u);
            for (const TmStatusResult& r : result) ASSERT_EQ(r.status, TM_STATUS_ERROR);
        } else if (row.failing == Call::Name) {
            char buffer[TM_NAME_SIZE];
            ASSERT_EQ(lib.GetObjectName(TM_OBJECT_TS, 0, 1, 1, buffer, TM_NAME_SIZE), 1);
            ASSERT_FALSE(lib.LastCallFailed());
            EXPECT_STREQ(buffer, "P1");
            started = Clock::now();
            EXPECT_EQ(lib.GetObjectName(TM_OBJECT_TS, 0, 1, 3, buffer, TM_NAME_SIZE), 0);
        } else {
            lib.Close();
        }
        took = Clock::now() - started;
        EXPECT_TRUE(lib.LastCallFailed());
        EXPECT_FALSE(Alive(pid)) << "the helper was left running";
    }
    EXPECT_EQ(lib.HostPid(), -1);
    EXPECT_LE(took, row.bound + slack) << std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
    RecordProperty("failed_call_ms",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));

    // A healthy library again: the next connect starts a new helper that answers.
    Mode("good");
    ASSERT_EQ(lib.Init("S", "t"), 1) << lib.FailureReason();
    std::vector<TmStatusResult> result;
    lib.StatusByList(Points(), result);
    ASSERT_FALSE(lib.LastCallFailed());
    EXPECT_EQ(result[0].value, 1);
    EXPECT_EQ(result[1].value, 0);
    EXPECT_EQ(result[255].status, 0);
}

const MisbehaviourRow kMisbehaviours[] = {
    {"CrashInInit", "crash-init", Call::Init, 0ms},    {"HangInInit", "hang-init", Call::Init, 400ms},
    {"CrashInPoll", "crash-poll", Call::Poll, 0ms},    {"HangInPoll", "hang-poll", Call::Poll, 300ms},
    {"CrashInName", "crash-name", Call::Name, 0ms},    {"HangInName", "hang-name", Call::Name, 200ms},
    {"HangInClose", "hang-close", Call::Close, 200ms}, {"WritesIntoTheChannel", "chatter", Call::Poll, 0ms},
};

INSTANTIATE_TEST_SUITE_P(Libraries, HostMisbehaviour, testing::ValuesIn(kMisbehaviours),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostTmLibrary, GarbageIsPassedOnAndOverrunsHurtOnlyTheHelper) {
    Mode("garbage");
    HostTmLibrary lib(kHost, {kBadLibrary}, ShortBounds());
    ASSERT_EQ(lib.Init("S", "t"), 1);
    std::vector<TmStatusResult> result;
    lib.StatusByList(Points(), result);
    EXPECT_FALSE(lib.LastCallFailed());
    ASSERT_EQ(result.size(), 256u);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(result.data());
    for (size_t i = 0; i < 256 * sizeof(TmStatusResult); ++i)
        ASSERT_EQ(bytes[i], static_cast<unsigned char>(i * 131 + 7)) << i;
    char buffer[TM_NAME_SIZE + 1];
    buffer[TM_NAME_SIZE] = '#';
    EXPECT_EQ(lib.GetObjectName(TM_OBJECT_TS, 0, 1, 1, buffer, TM_NAME_SIZE), 32767);
    EXPECT_EQ(std::string(buffer, TM_NAME_SIZE), std::string(TM_NAME_SIZE, 'G'));
    EXPECT_EQ(buffer[TM_NAME_SIZE], '#');
    EXPECT_FALSE(lib.LastCallFailed());
    Mode("good");
}

struct LoadRow {
    const char* name;
    std::string host;
    std::vector<std::string> candidates;
};

class HostLoad : public testing::TestWithParam<LoadRow> {};

TEST_P(HostLoad, ALibraryThatCannotServeFailsTheConnect) {
    HostTmLibrary lib(GetParam().host, GetParam().candidates, ShortBounds());
    EXPECT_EQ(lib.Init("S", "t"), 0);
    EXPECT_TRUE(lib.LastCallFailed());
    EXPECT_FALSE(lib.FailureReason().empty());
    EXPECT_EQ(lib.HostPid(), -1);
    std::vector<TmStatusResult> result;
    lib.StatusByList(Points(), result);
    EXPECT_EQ(result.size(), 256u);
    EXPECT_EQ(result[0].status, TM_STATUS_ERROR);
}

INSTANTIATE_TEST_SUITE_P(Libraries, HostLoad,
                         testing::Values(LoadRow{"LacksASymbol", kHost, {kNoNameLibrary}},
                                         LoadRow{"Missing", kHost, {"/nonexistent/libtmaccess.so"}},
                                         LoadRow{"NoHelper", "/nonexistent/tmaccess-host", {kBadLibrary}}),
                         [](const auto& info) { return std::string(info.param.name); });

// The figures of the closing note: with the default bounds, how long a crash and a hang keep
// the caller waiting, and what the helper costs in memory.
TEST(HostTmLibrary, FiguresWithTheDefaultBounds) {
    Mode("good");
    HostTmLibrary lib(kHost, {kBadLibrary});
    const auto started = Clock::now();
    ASSERT_EQ(lib.Init("S", "t"), 1);
    const auto connect = Clock::now() - started;
    std::vector<TmStatusResult> result;
    lib.StatusByList(Points(), result);
    const long rss = RssKb(lib.HostPid());
    auto ms = [](Clock::duration d) {
        return static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(d).count()) /
               1000.0;
    };

    Mode("crash-poll");
    HostTmLibrary crashing(kHost, {kBadLibrary});
    ASSERT_EQ(crashing.Init("S", "t"), 1);
    auto t = Clock::now();
    crashing.StatusByList(Points(), result);
    const auto crash = Clock::now() - t;
    EXPECT_TRUE(crashing.LastCallFailed());
    EXPECT_LT(crash, 1s);
    Mode("good");
    std::printf(
        "helper: start and connect %.1f ms, RSS %ld kB; a crash in a poll fails the call after %.1f ms; "
        "a hang after its bound (poll %lld ms)\n",
        ms(connect), rss, ms(crash), static_cast<long long>(TmCallBounds{}.status.count()));
    RecordProperty("helper_rss_kb", static_cast<int>(rss));
}

// ---- The server link over the helper ----

struct LinkRow {
    const char* name;
    const char* mode;
    bool names;               // fetch names (else poll values)
    const char* messageUtf8;  // the one box shown
};

void PrintTo(const LinkRow& r, std::ostream* os) { *os << r.name; }

class LinkOverHost : public testing::TestWithParam<LinkRow> {
protected:
    void TearDown() override { Mode("good"); }
};

TEST_P(LinkOverHost, ALibraryFailureDropsTheLinkWithItsMessageAndNothingElse) {
    const LinkRow& row = GetParam();
    Mode(row.mode);
    HostTmLibrary lib(kHost, {kBadLibrary}, ShortBounds());
    interlock::Workspace ws;
    ScriptedPort port{ws};
    FakeControls controls;
    std::string serverName = ".\\TMS";
    ServerLink link(ws, lib, port, controls, serverName, "t");
    controls.link = &link;
    // What the user has typed: it must outlive the library's failure untouched.
    ws.Blocks[1].OnLogic = {"V1=AND(S1,~S2)"};
    ws.Blocks[2].Name = "Q2";
    ws.TsTable.Value[7] = 1;

    port.answers.push_back(".\\TMS");
    controls.SetChecked(ServerBox::Check_Server, true);
    ASSERT_TRUE(link.ServerConnected());
    controls.SetChecked(row.names ? ServerBox::Check_Get_Names_Server : ServerBox::Check_Get_TS_Server, true);

    EXPECT_FALSE(link.ServerConnected());
    EXPECT_FALSE(controls.boxes[ServerBox::Check_Server]);
    EXPECT_FALSE(controls.boxes[ServerBox::Check_Get_TS_Server]);
    EXPECT_FALSE(controls.panel);
    EXPECT_FALSE(controls.timer);
    const interlock::Message expected{cp1251::FromUtf8(row.messageUtf8), cp1251::FromUtf8("Ошибка"),
                                      interlock::Icon::Error};
    EXPECT_EQ(port.errors, std::vector<interlock::Message>{expected});
    EXPECT_EQ(ws.Blocks[1].OnLogic, std::vector<std::string>{"V1=AND(S1,~S2)"});
    EXPECT_EQ(ws.Blocks[2].Name, "Q2");
    EXPECT_EQ(ws.TsTable.Value[7], 1);
    if (row.names) {
        EXPECT_EQ(ws.TsTable.Name[1], "P1");
        EXPECT_EQ(ws.TsTable.Name[2], "P2");
        EXPECT_EQ(ws.TsTable.Name[3], "");
    }

    // The user connects again, to a library that behaves: a new helper serves the link.
    Mode("good");
    port.answers.push_back(".\\TMS");
    controls.SetChecked(ServerBox::Check_Server, true);
    EXPECT_TRUE(link.ServerConnected());
    controls.SetChecked(ServerBox::Check_Get_TS_Server, true);
    EXPECT_EQ(ws.TsTable.Value[1], 1);
    EXPECT_EQ(ws.TsTable.FromServer[1], 1);
    link.Close();
}

const LinkRow kLinkRows[] = {
    {"CrashInPoll", "crash-poll", false,
     "Соединение с сервером отстутствует.\n\rЗагрузка данных ТС отменена."},
    {"HangInPoll", "hang-poll", false, "Соединение с сервером отстутствует.\n\rЗагрузка данных ТС отменена."},
    {"CrashInNames", "crash-name", true,
     "Во время получения наименований связь с сервером была потеряна.\n\rЗагрузка остановлена."},
    {"HangInNames", "hang-name", true,
     "Во время получения наименований связь с сервером была потеряна.\n\rЗагрузка остановлена."},
};

INSTANTIATE_TEST_SUITE_P(Libraries, LinkOverHost, testing::ValuesIn(kLinkRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LinkOverHostConnect, CrashHangOrMissingFunctionFailsWithTheConnectMessage) {
    for (const char* mode : {"crash-init", "hang-init", "lacks"}) {
        SCOPED_TRACE(mode);
        Mode(mode);
        HostTmLibrary lib(kHost, {std::string(mode) == "lacks" ? kNoNameLibrary : kBadLibrary},
                          ShortBounds());
        interlock::Workspace ws;
        ScriptedPort port{ws};
        FakeControls controls;
        std::string serverName = ".\\TMS";
        ServerLink link(ws, lib, port, controls, serverName, "t");
        controls.link = &link;
        port.answers.push_back(".\\TMS");
        controls.SetChecked(ServerBox::Check_Server, true);
        EXPECT_FALSE(link.ServerConnected());
        EXPECT_FALSE(controls.boxes[ServerBox::Check_Server]);
        const interlock::Message failed{
            cp1251::FromUtf8("Не удалось создать связь с сервером .\\TMS\n\rПроверьте соединение."),
            cp1251::FromUtf8("Ошибка"), interlock::Icon::Error};
        EXPECT_EQ(port.errors, std::vector<interlock::Message>{failed});
    }
    Mode("good");
}

// ---- Requests as a peer other than the program may send them ----

// The helper started by hand over the replacement library, its socket in the test's hands.
class RawHost {
public:
    RawHost() {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(pair[1], tmhost::kHostSocketFd);
            ::setpgid(0, 0);
            ::execl(kHost.c_str(), kHost.c_str(), kBadLibrary.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pair[1]);
        fd_ = pair[0];
        hello_ = Receive();
    }
    ~RawHost() {
        ::close(fd_);
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    const std::optional<std::string>& Hello() const { return hello_; }
    // The answer, or nullopt when the helper ends (or says nothing within 2 s).
    std::optional<std::string> Ask(const std::string& packet) {
        if (::send(fd_, packet.data(), packet.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(packet.size()))
            return std::nullopt;
        return Receive();
    }

private:
    std::optional<std::string> Receive() {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, 2000) != 1) return std::nullopt;
        std::string packet(tmhost::kMaxPacket + 1, '\0');
        const ssize_t n = ::recv(fd_, packet.data(), packet.size(), 0);
        if (n <= 0) return std::nullopt;
        packet.resize(static_cast<size_t>(n));
        return packet;
    }
    pid_t pid_ = -1;
    int fd_ = -1;
    std::optional<std::string> hello_;
};

template <typename T>
std::string Bytes(T value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

TEST(HostRequests, OnlyRequestsThatReadWholeAreAnswered) {
    Mode("good");
    const struct {
        const char* name;
        std::string request;
        std::optional<size_t> answerSize;  // nullopt: the helper ends without an answer
    } rows[] = {
        {"a status request with an empty list", "S" + Bytes<int16_t>(0), 1},
        {"a status request", *tmhost::EncodeStatus({{0, 1, 1}, {0, 1, 2}}), 1 + 2 * sizeof(TmStatusResult)},
        {"a name request", *tmhost::EncodeName({TM_OBJECT_TS, 0, 1, 1, 80}), 3 + 80},
        {"a status request with a byte after its list", *tmhost::EncodeStatus({{0, 1, 1}}) + "x",
         std::nullopt},
        {"a name request with a byte after its fields",
         *tmhost::EncodeName({TM_OBJECT_TS, 0, 1, 1, 80}) + "x", std::nullopt},
        {"a connect request with bytes after its names", *tmhost::EncodeInit({"S", "t"}) + "tail",
         std::nullopt},
        {"a close request with a byte after it", "Cx", std::nullopt},
        {"a connect request cut short", tmhost::EncodeInit({"S", "t"})->substr(0, 6), std::nullopt},
        {"a request of no kind", "Z", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RawHost host;
        ASSERT_TRUE(host.Hello());
        const std::optional<std::string> answer = host.Ask(row.request);
        ASSERT_EQ(answer.has_value(), row.answerSize.has_value());
        if (answer) {
            EXPECT_EQ(answer->size(), *row.answerSize);
        }
    }
}

// ---- Connect names ----

std::string TempLog() {
    char path[] = "/tmp/bad_tmaccess_log.XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd >= 0) ::close(fd);
    ::setenv("BAD_TMACCESS_LOG", path, 1);
    return path;
}

std::vector<std::string> LogLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(HostNames, NamesReachTheLibraryWholeOrAConnectIsRefusedWithItsMessage) {
    Mode("good");
    const size_t longest = tmhost::kMaxInitNames;
    const struct {
        const char* name;
        size_t server, client;
        bool fits;
    } rows[] = {
        {"short", 5, 10, true},
        {"the longest pair", longest - 6000, 6000, true},
        {"60000 and 6000 bytes", 60000, 6000, false},
        {"a client name one byte too long", longest - 6000, 6001, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string log = TempLog();
        HostTmLibrary lib(kHost, {kBadLibrary}, ShortBounds());
        interlock::Workspace ws;
        ScriptedPort port{ws};
        FakeControls controls;
        std::string serverName = ".\\TMS";
        ServerLink link(ws, lib, port, controls, serverName, std::string(row.client, 'c'));
        controls.link = &link;
        port.answers.push_back(std::string(row.server, 's'));
        controls.SetChecked(ServerBox::Check_Server, true);

        EXPECT_EQ(link.ServerConnected(), row.fits);
        if (row.fits) {
            EXPECT_TRUE(port.errors.empty());
            EXPECT_EQ(LogLines(log), std::vector<std::string>{std::to_string(row.server) + " " +
                                                              std::to_string(row.client)});
        } else {
            const interlock::Message refused{Texts().connectNamesTooLong, cp1251::FromUtf8("Ошибка"),
                                             interlock::Icon::Error};
            EXPECT_EQ(port.errors, std::vector<interlock::Message>{refused});
            EXPECT_TRUE(LogLines(log).empty()) << "the library was called";
            EXPECT_FALSE(controls.boxes[ServerBox::Check_Server]);
            EXPECT_EQ(lib.HostPid(), -1);
        }
        link.Close();
        std::remove(log.c_str());
    }
    ::unsetenv("BAD_TMACCESS_LOG");
}

// ---- The helper's process group and its end ----

// Gone, or a zombie that nobody is left to reap but the system.
bool Ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;
    const size_t paren = line.rfind(')');
    return paren != std::string::npos && paren + 2 < line.size() && line[paren + 2] == 'Z';
}

bool EndsWithin(pid_t pid, std::chrono::milliseconds bound) {
    const auto until = Clock::now() + bound;
    while (!Ended(pid)) {
        if (Clock::now() > until) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

enum class LinkEnd { Disconnect, ProgramExits, ProgramKilled };

TEST(HostGroup, AChildOfTheLibraryEndsWithTheLink) {
    Mode("fork");
    const struct {
        const char* name;
        LinkEnd end;
    } rows[] = {{"disconnect", LinkEnd::Disconnect},
                {"the program exits", LinkEnd::ProgramExits},
                {"the program is killed", LinkEnd::ProgramKilled}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string log = TempLog();
        pid_t helper = -1;
        if (row.end == LinkEnd::ProgramKilled) {
            // The program is this test's child, killed with its link up.
            const pid_t program = ::fork();
            if (program == 0) {
                HostTmLibrary lib(kHost, {kBadLibrary}, ShortBounds());
                if (lib.Init("S", "t") != 1) ::_exit(1);
                ::kill(::getpid(), SIGKILL);
            }
            ASSERT_GT(program, 0);
            int status = 0;
            ::waitpid(program, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status));
        } else {
            auto lib =
                std::make_unique<HostTmLibrary>(kHost, std::vector<std::string>{kBadLibrary}, ShortBounds());
            ASSERT_EQ(lib->Init("S", "t"), 1) << lib->FailureReason();
            helper = lib->HostPid();
            if (row.end == LinkEnd::Disconnect) {
                lib->Close();
                EXPECT_FALSE(lib->LastCallFailed());
                EXPECT_EQ(lib->HostPid(), -1);
            } else {
                lib.reset();
            }
        }
        const std::vector<std::string> lines = LogLines(log);
        ASSERT_EQ(lines.size(), 2u);
        const pid_t child = static_cast<pid_t>(std::stol(lines[1]));
        EXPECT_TRUE(EndsWithin(child, 2000ms)) << "the library's child outlived the link";
        if (helper > 0) {
            EXPECT_FALSE(Alive(helper)) << "the helper was left running or unreaped";
        }
        std::remove(log.c_str());
    }
    ::unsetenv("BAD_TMACCESS_LOG");
    Mode("good");
}

// A loop that only keeps the idle watch, for a test to fire by hand.
class IdleWatch : public TmHostLoop {
public:
    Outcome Wait(int, Clock::time_point) override { return Outcome::Block; }
    void WatchIdle(int fd, std::function<void()> onReadable) override {
        fd_ = fd;
        callback_ = std::move(onReadable);
    }
    int fd_ = -1;
    std::function<void()> callback_;
};

TEST(HostReaping, AHelperThatDiesBetweenCallsIsReapedWithoutWaitingForTheNext) {
    Mode("good");
    IdleWatch watch;
    HostTmLibrary lib(kHost, {kBadLibrary}, ShortBounds());
    lib.SetLoop(&watch);
    ASSERT_EQ(lib.Init("S", "t"), 1);
    const pid_t helper = lib.HostPid();
    ASSERT_GE(watch.fd_, 0);
    // A healthy helper waiting for its next request is left alone.
    watch.callback_();
    EXPECT_EQ(lib.HostPid(), helper);

    ::kill(helper, SIGKILL);
    pollfd ready{watch.fd_, POLLIN, 0};
    ASSERT_EQ(::poll(&ready, 1, 2000), 1);
    watch.callback_();
    EXPECT_EQ(lib.HostPid(), -1);
    EXPECT_EQ(watch.fd_, -1);
    EXPECT_FALSE(Alive(helper)) << "a zombie is left";
    lib.SetLoop(nullptr);
}

}  // namespace
}  // namespace acquisition
