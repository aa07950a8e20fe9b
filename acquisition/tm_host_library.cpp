#include "acquisition/tm_host_library.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "acquisition/tm_host_protocol.h"

extern char** environ;

namespace acquisition {

using namespace tmhost;
using Clock = std::chrono::steady_clock;

const char* TmHostFileName() { return "tmaccess-host"; }

HostTmLibrary::HostTmLibrary(std::string hostPath, std::vector<std::string> candidates, TmCallBounds bounds)
    : hostPath_(std::move(hostPath)), candidates_(std::move(candidates)), bounds_(bounds) {}

HostTmLibrary::~HostTmLibrary() { Stop(std::chrono::milliseconds(200)); }

void HostTmLibrary::Fail(const std::string& why) {
    failed_ = true;
    reason_ = why;
    Stop(std::chrono::milliseconds(0));
}

void HostTmLibrary::Stop(std::chrono::milliseconds grace) {
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
    if (pid_ <= 0) return;
    // Closing the socket ends a helper that waits for requests; one that is stuck in the
    // library is killed.
    const auto deadline = Clock::now() + grace;
    bool killed = false;
    const auto reapDeadline = Clock::now() + grace + std::chrono::seconds(2);
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_ || (r < 0 && errno == ECHILD)) break;
        if (!killed && Clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            killed = true;
        }
        // A process that cannot die at once (stuck in the kernel) is left to the system.
        if (Clock::now() >= reapDeadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    pid_ = -1;
}

bool HostTmLibrary::Start() {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
        Fail(std::string("socketpair: ") + std::strerror(errno));
        return false;
    }
    // The helper's end must not already sit on the descriptor it is moved to.
    int childEnd = ::fcntl(pair[1], F_DUPFD_CLOEXEC, kHostSocketFd + 1);
    ::close(pair[1]);
    socket_ = pair[0];
    if (childEnd < 0) {
        Fail(std::string("fcntl: ") + std::strerror(errno));
        return false;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, childEnd, kHostSocketFd);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv;
    argv.push_back(hostPath_.data());
    for (std::string& c : candidates_) argv.push_back(c.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, hostPath_.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(childEnd);
    if (spawned != 0) {
        Fail(hostPath_ + ": " + std::strerror(spawned));
        return false;
    }
    pid_ = pid;

    std::string hello;
    if (!Receive(Clock::now() + bounds_.start, hello)) return false;
    if (hello.size() < 2 || hello[0] != kHello) {
        Fail(hostPath_ + ": no greeting");
        return false;
    }
    if (hello[1] != 1) {
        Fail(hello.substr(2));  // the library's load errors
        return false;
    }
    return true;
}

bool HostTmLibrary::Receive(Clock::time_point deadline, std::string& packet) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) {
            Fail("no answer in time");
            return false;
        }
        pollfd ready{socket_, POLLIN, 0};
        const int r = ::poll(&ready, 1, static_cast<int>(left.count()) + 1);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            Fail(std::string("poll: ") + std::strerror(errno));
            return false;
        }
        if (r == 0) continue;  // the deadline is checked above
        packet.resize(kMaxPacket);
        const ssize_t n = ::recv(socket_, packet.data(), packet.size(), MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) {
            Fail("the helper ended");
            return false;
        }
        packet.resize(static_cast<size_t>(n));
        return true;
    }
}

bool HostTmLibrary::Call(const std::string& request, size_t answerSize, std::chrono::milliseconds bound,
                         std::string& answer) {
    failed_ = false;
    if (socket_ < 0) {
        failed_ = true;
        reason_ = "no helper";
        return false;
    }
    const auto deadline = Clock::now() + bound;
    ssize_t sent;
    do {
        sent = ::send(socket_, request.data(), request.size(), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent != static_cast<ssize_t>(request.size())) {
        Fail("the helper ended");
        return false;
    }
    if (!Receive(deadline, answer)) return false;
    if (answer.size() != answerSize || answer[0] != request[0]) {
        Fail("an answer out of turn");
        return false;
    }
    return true;
}

int16_t HostTmLibrary::Init(const std::string& serverName, const std::string& clientName) {
    failed_ = false;
    if (socket_ < 0 && !Start()) return 0;
    std::string request(1, kInit);
    Put<uint32_t>(request, static_cast<uint32_t>(serverName.size()));
    request += serverName;
    request += clientName;
    if (request.size() > kMaxPacket) request.resize(kMaxPacket);  // the server link's names are short
    std::string answer;
    if (!Call(request, 1 + sizeof(int16_t), bounds_.init, answer)) return 0;
    int16_t result = 0;
    size_t at = 1;
    Get(answer, at, result);
    return result;
}

void HostTmLibrary::Close() {
    failed_ = false;
    if (socket_ < 0) return;
    std::string answer;
    Call(std::string(1, kClose), 1, bounds_.close, answer);
}

void HostTmLibrary::StatusByList(const std::vector<TmStatusRequest>& request,
                                 std::vector<TmStatusResult>& result) {
    result.assign(request.size(), TmStatusResult{0, TM_STATUS_ERROR});
    failed_ = false;
    if (request.empty() && socket_ >= 0) return;
    const size_t count = std::min<size_t>(request.size(), (kMaxPacket - 16) / sizeof(TmStatusRequest));
    std::string packet(1, kStatus);
    Put<int16_t>(packet, static_cast<int16_t>(count));
    packet.append(reinterpret_cast<const char*>(request.data()), count * sizeof(TmStatusRequest));
    std::string answer;
    if (!Call(packet, 1 + count * sizeof(TmStatusResult), bounds_.status, answer)) return;
    std::memcpy(result.data(), answer.data() + 1, count * sizeof(TmStatusResult));
}

int16_t HostTmLibrary::GetObjectName(uint16_t kind, int16_t channel, int16_t rtu, int16_t point, char* buffer,
                                     int16_t size) {
    failed_ = false;
    if (size < 0) size = 0;
    std::string packet(1, kName);
    Put<uint16_t>(packet, kind);
    Put<int16_t>(packet, channel);
    Put<int16_t>(packet, rtu);
    Put<int16_t>(packet, point);
    Put<int16_t>(packet, size);
    std::string answer;
    if (!Call(packet, 1 + sizeof(int16_t) + static_cast<size_t>(size), bounds_.name, answer)) return 0;
    int16_t result = 0;
    size_t at = 1;
    Get(answer, at, result);
    std::memcpy(buffer, answer.data() + at, static_cast<size_t>(size));
    return result;
}

}  // namespace acquisition
