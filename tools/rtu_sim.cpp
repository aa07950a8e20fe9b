// rtu-sim: a stand-in for the RTU responder of the controlled point. It listens for the TS
// requests "R0".."R7" of the interlock tool and answers each one to its sender with "r", the group
// digit, a space and the 32 values of that group.
//
// The values come from a text file in the form of the configuration's value lines ("#TS0=" ...
// "#TS7="); the file is read again whenever it changes, so a running tool can be fed new values by
// editing it. --toggle flips chosen TS periodically, for demonstrations.

#include "tools/rtu_values.h"

#include <CLI/CLI.hpp>

#include "cli/cli11_help.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }

// The value file and what was last read from it.
class ValueSource {
public:
    explicit ValueSource(std::string path) : path_(std::move(path)) {}

    // Reads the file again when it appeared, vanished or changed since the last look.
    void Refresh() {
        if (path_.empty()) return;
        struct stat info {};
        if (::stat(path_.c_str(), &info) != 0) {
            if (state_ != State::Missing) {
                std::cerr << "rtu-sim: warning: value file \"" << path_ << "\" not found; all values are 0\n";
                values_ = rtu::RtuValues();
                state_ = State::Missing;
            }
            return;
        }
        const Stamp stamp{info.st_mtim.tv_sec, info.st_mtim.tv_nsec, info.st_size, info.st_ino};
        if (state_ == State::Read && stamp == stamp_) return;
        std::ifstream file(path_, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        if (!file) {
            if (state_ != State::Missing) {
                std::cerr << "rtu-sim: warning: value file \"" << path_
                          << "\" cannot be read; all values are 0\n";
            }
            values_ = rtu::RtuValues();
            state_ = State::Missing;
            return;
        }
        values_ = rtu::ParseValueLines(text.str());
        stamp_ = stamp;
        state_ = State::Read;
    }

    rtu::RtuValues& Values() { return values_; }

private:
    struct Stamp {
        long seconds = 0;
        long nanoseconds = 0;
        long long size = 0;
        unsigned long long inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    enum class State { NotRead, Read, Missing };

    std::string path_;
    rtu::RtuValues values_;
    State state_ = State::NotRead;
    Stamp stamp_;
};

std::string Printable(const std::string& bytes) {
    std::string text;
    for (const char c : bytes) text += (c >= 0x20 && c < 0x7F) ? c : '.';
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"", "rtu-sim"};
    std::string bindAddress = "127.0.0.1";
    int port = 956;
    std::string valuesPath;
    std::vector<int> toggled;
    int periodMs = 1000;
    bool verbose = false;
    app.add_option("--bind", bindAddress)->capture_default_str();
    app.add_option("--port", port)->check(CLI::Range(0, 65535))->capture_default_str();
    app.add_option("--values", valuesPath);
    app.add_option("--toggle", toggled)->delimiter(',')->check(CLI::Range(1, 256));
    app.add_option("--period", periodMs)->check(CLI::Range(1, 3600000))->capture_default_str();
    app.add_flag("-v,--verbose", verbose);
    // --help and the options' descriptions from the help catalogue (cli/help_texts.cpp), and --version.
    cli::UseCatalogueHelp(app, cli::RtuSim());
    CLI11_PARSE(app, argc, argv);

    in_addr address{};
    if (inet_pton(AF_INET, bindAddress.c_str(), &address) != 1) {
        std::cerr << "rtu-sim: not an IPv4 address: " << bindAddress << "\n";
        return 2;
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        std::cerr << "rtu-sim: socket: " << std::strerror(errno) << "\n";
        return 1;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = address;
    local.sin_port = htons(static_cast<uint16_t>(port));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        std::cerr << "rtu-sim: cannot listen on " << bindAddress << ":" << port << ": "
                  << std::strerror(errno) << "\n";
        ::close(fd);
        return 1;
    }
    socklen_t length = sizeof local;
    getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
    std::cout << "rtu-sim: listening on " << bindAddress << ":" << ntohs(local.sin_port) << std::endl;

    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: poll() returns at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    ValueSource source(valuesPath);
    source.Refresh();

    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(periodMs);
    auto nextToggle = Clock::now() + period;

    while (!stopRequested) {
        source.Refresh();
        auto now = Clock::now();
        if (!toggled.empty() && now >= nextToggle) {
            for (const int ts : toggled) source.Values().Toggle(ts);
            nextToggle += period;
            if (nextToggle <= now) nextToggle = now + period;
        }
        // Wake at least five times a second to notice a stop request and a changed file.
        auto wait = std::chrono::milliseconds(200);
        if (!toggled.empty()) {
            wait = std::min(wait, std::chrono::duration_cast<std::chrono::milliseconds>(nextToggle - now));
            wait = std::max(wait, std::chrono::milliseconds(0));
        }
        pollfd ready{fd, POLLIN, 0};
        const int result = ::poll(&ready, 1, static_cast<int>(wait.count()));
        if (result < 0) {
            if (errno == EINTR) continue;
            std::cerr << "rtu-sim: poll: " << std::strerror(errno) << "\n";
            break;
        }
        if (result == 0) continue;

        for (;;) {
            char buffer[512];
            sockaddr_in from{};
            socklen_t fromLength = sizeof from;
            const ssize_t received = ::recvfrom(fd, buffer, sizeof buffer, MSG_DONTWAIT,
                                                reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (received < 0) break;  // drained, or a transient error
            source.Refresh();
            const std::string request(buffer, static_cast<std::size_t>(received));
            const auto answer = rtu::Answer(request, source.Values());
            if (verbose) {
                std::cerr << "rtu-sim: <- \"" << Printable(request) << "\""
                          << (answer ? " -> \"" + *answer + "\"" : std::string(" ignored")) << "\n";
            }
            if (!answer) continue;
            if (::sendto(fd, answer->data(), answer->size(), 0, reinterpret_cast<sockaddr*>(&from),
                         fromLength) < 0) {
                std::cerr << "rtu-sim: send: " << std::strerror(errno) << "\n";
            }
        }
    }
    ::close(fd);
    std::cerr << "rtu-sim: stopped\n";
    return 0;
}
