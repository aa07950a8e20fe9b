// Tests of the RTU responder simulator: its value-file reading and answers, and one run of the
// program over loopback.

#include "tools/rtu_values.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

const std::string kZeros(32, '0');
const std::string kOnes(32, '1');

// The values of one group as expected after parsing; unnamed groups stay all "0".
struct ParseRow {
    const char* name;
    std::string text;
    int group;
    std::string expected;
};

class ValueLinesTest : public testing::TestWithParam<ParseRow> {};

TEST_P(ValueLinesTest, Parses) {
    const auto& row = GetParam();
    const rtu::RtuValues values = rtu::ParseValueLines(row.text);
    for (int g = 0; g < rtu::kGroupCount; ++g) {
        EXPECT_EQ(values.groups[g], g == row.group ? row.expected : kZeros) << "group " << g;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ValueLinesTest,
    testing::Values(
        ParseRow{"Empty", "", 0, kZeros}, ParseRow{"Lf", "#TS0=" + kOnes + "\n", 0, kOnes},
        ParseRow{"NoFinalLineBreak", "#TS7=" + kOnes, 7, kOnes},
        ParseRow{"CrLfAmongOtherLines", "#Block 1\r\n#Off->On\r\n#TS3=" + kOnes + "\r\n#End\r\n", 3, kOnes},
        ParseRow{"CrOnly", "x\r#TS5=" + std::string(16, '1') + std::string(16, '0') + "\r", 5,
                 std::string(16, '1') + std::string(16, '0')},
        ParseRow{"GroupEightIgnored", "#TS8=" + kOnes, -1, kZeros},
        ParseRow{"ShortLineIgnored", "#TS1=" + std::string(30, '1'), -1, kZeros},
        ParseRow{"ThirtyOneValuesTaken", "#TS1=" + std::string(31, '1'), 1, std::string(31, '1') + "0"},
        ParseRow{"FifthCharacterNotChecked", "#TS2:" + kOnes, 2, kOnes},
        ParseRow{"ExtraCharactersIgnored", "#TS4=" + kOnes + "0000", 4, kOnes},
        ParseRow{"OtherCharactersLeaveTheValue", "#TS6=" + kOnes + "\n#TS6=0 2x" + std::string(28, '0'), 6,
                 "0111" + std::string(28, '0')},
        ParseRow{"LeadingBlankIgnored", " #TS0=" + kOnes, -1, kZeros},
        ParseRow{"LowerCaseIgnored", "#ts0=" + kOnes, -1, kZeros}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RtuAnswerTest, AnswersValidRequestsOnly) {
    rtu::RtuValues values;
    values.groups[2] = "1010" + std::string(28, '0');
    values.groups[7] = kOnes;
    const struct {
        std::string request;
        std::optional<std::string> answer;
    } rows[] = {
        {"R2", "r2 1010" + std::string(28, '0')},
        {"R7", "r7 " + kOnes},
        {"R0", "r0 " + kZeros},
        {"R2\n", "r2 1010" + std::string(28, '0')},  // as sent by hand with nc
        {"R8", std::nullopt},
        {"R/", std::nullopt},
        {"r0", std::nullopt},
        {"R", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(rtu::Answer(row.request, values), row.answer) << "request \"" << row.request << "\"";
    }
    EXPECT_EQ(rtu::Answer("R3", values)->size(), 35u);
}

TEST(RtuAnswerTest, ToggleFlipsOneTs) {
    rtu::RtuValues values;
    EXPECT_TRUE(values.Toggle(1));
    EXPECT_TRUE(values.Toggle(65));
    EXPECT_TRUE(values.Toggle(256));
    EXPECT_EQ(values.groups[0], "1" + std::string(31, '0'));
    EXPECT_EQ(values.groups[2], "1" + std::string(31, '0'));
    EXPECT_EQ(values.groups[7], std::string(31, '0') + "1");
    EXPECT_TRUE(values.Toggle(65));
    EXPECT_EQ(values.groups[2], kZeros);
    EXPECT_FALSE(values.Toggle(0));
    EXPECT_FALSE(values.Toggle(257));
}

// rtu-sim as a child process, listening on a free port that it prints at start.
class RtuSimProcess {
public:
    explicit RtuSimProcess(std::vector<std::string> arguments) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        arguments.insert(arguments.begin(), RTU_SIM_PATH);
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, RTU_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        // First line: "rtu-sim: listening on 127.0.0.1:<port>".
        std::string line;
        pollfd ready{out[0], POLLIN, 0};
        while (pid_ > 0 && line.find('\n') == std::string::npos && ::poll(&ready, 1, 5000) == 1) {
            char buffer[128];
            const ssize_t n = ::read(out[0], buffer, sizeof buffer);
            if (n <= 0) break;
            line.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(out[0]);
        const auto colon = line.rfind(':');
        if (colon != std::string::npos) port_ = static_cast<uint16_t>(std::atoi(line.c_str() + colon + 1));
    }
    ~RtuSimProcess() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    uint16_t Port() const { return port_; }

    // Sends SIGTERM; the exit status, or nullopt when it did not stop within five seconds.
    std::optional<int> Stop() {
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::nullopt;
    }

private:
    pid_t pid_ = -1;
    uint16_t port_ = 0;
    bool exited_ = false;
};

// Sends one request to 127.0.0.1:port and waits up to a second for the answer.
std::optional<std::string> Ask(uint16_t port, const std::string& request) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    ::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    std::optional<std::string> answer;
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 1000) == 1) {
        char buffer[256];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n >= 0) answer = std::string(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer;
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST(RtuSimProgramTest, AnswersFromTheValueFileAndFollowsItsChanges) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("rtu_sim_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto valueFile = folder / "values.blk";
    WriteFile(valueFile, "#TS2=" + kOnes + "\r\n");

    RtuSimProcess sim({"--port", "0", "--values", valueFile.string()});
    ASSERT_NE(sim.Port(), 0) << "rtu-sim did not report its port";
    EXPECT_EQ(Ask(sim.Port(), "R2"), std::optional<std::string>("r2 " + kOnes));
    EXPECT_EQ(Ask(sim.Port(), "R0"), std::optional<std::string>("r0 " + kZeros));
    EXPECT_FALSE(Ask(sim.Port(), "X0").has_value());

    // A changed file (different size, so the change shows whatever the clock's resolution) is
    // served from the next request on.
    WriteFile(valueFile, "#Block 1\n#TS2=" + std::string(31, '0') + "1\n");
    EXPECT_EQ(Ask(sim.Port(), "R2"), std::optional<std::string>("r2 " + std::string(31, '0') + "1"));

    // A vanished file serves zeros.
    std::filesystem::remove(valueFile);
    EXPECT_EQ(Ask(sim.Port(), "R2"), std::optional<std::string>("r2 " + kZeros));

    EXPECT_EQ(sim.Stop(), std::optional<int>(0));
    std::filesystem::remove_all(folder);
}

TEST(RtuSimProgramTest, ToggledTsChangesOverTime) {
    RtuSimProcess sim({"--port", "0", "--toggle", "33,64", "--period", "50"});
    ASSERT_NE(sim.Port(), 0);
    bool sawOn = false;
    bool sawOff = false;
    for (int i = 0; i < 40 && !(sawOn && sawOff); ++i) {
        const auto answer = Ask(sim.Port(), "R1");
        ASSERT_TRUE(answer.has_value());
        ASSERT_EQ(answer->size(), 35u);
        // Both toggled TS flip together; nothing else changes.
        EXPECT_EQ((*answer)[3], (*answer)[34]);
        EXPECT_EQ(answer->substr(4, 30), std::string(30, '0'));
        ((*answer)[3] == '1' ? sawOn : sawOff) = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(sawOn && sawOff);
    EXPECT_EQ(sim.Stop(), std::optional<int>(0));
}

}  // namespace
