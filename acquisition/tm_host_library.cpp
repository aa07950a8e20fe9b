#include "acquisition/tm_host_library.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "acquisition/tm_host_protocol.h"

extern char** environ;

namespace acquisition {

using namespace tmhost;
using Clock = std::chrono::steady_clock;

// How long a helper told to end may take to leave by itself before it is killed.
constexpr std::chrono::milliseconds kEndGrace{100};

const char* TmHostFileName() { return "tmaccess-host"; }

HostTmLibrary::HostTmLibrary(std::string hostPath, std::vector<std::string> candidates, TmCallBounds bounds)
    : hostPath_(std::move(hostPath)), candidates_(std::move(candidates)), bounds_(bounds) {}

HostTmLibrary::~HostTmLibrary() {
    Stop(std::chrono::milliseconds(200));
    SetLoop(nullptr);
}

void HostTmLibrary::SetLoop(TmHostLoop* loop) {
    if (loop_) loop_->WatchIdle(-1, {});
    loop_ = loop;
    WatchIdle();
}

void HostTmLibrary::WatchIdle() {
    if (loop_)
        loop_->WatchIdle(socket_, socket_ >= 0 ? std::function<void()>([this] { CheckIdle(); }) : nullptr);
}

void HostTmLibrary::CheckIdle() {
    if (socket_ < 0 || calling_) return;
    pollfd ready{socket_, POLLIN, 0};
    if (::poll(&ready, 1, 0) <= 0) return;
    // Nothing is asked: the helper died, or the library wrote into its socket.
    failed_ = true;
    reason_ = "the helper ended between calls";
    Stop(std::chrono::milliseconds(0));
}

void HostTmLibrary::Fail(const std::string& why) {
    failed_ = true;
    reason_ = why;
    Stop(std::chrono::milliseconds(0));
}

void HostTmLibrary::Stop(std::chrono::milliseconds grace) {
    if (socket_ >= 0) {
        if (loop_) loop_->WatchIdle(-1, {});
        ::close(socket_);
    }
    socket_ = -1;
    if (pid_ <= 0) return;
    // Closing the socket ends a helper that waits for requests; one that is stuck in the
    // library is killed. Its group goes while the helper is not yet reaped, so that the group's
    // number cannot have passed to anybody else.
    const auto deadline = Clock::now() + grace;
    bool killed = false;
    const auto reapDeadline = Clock::now() + grace + std::chrono::seconds(2);
    for (;;) {
        siginfo_t info{};
        const int r = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 || info.si_pid == pid_) break;
        if (!killed && Clock::now() >= deadline) {
            ::kill(-pid_, SIGKILL);
            killed = true;
        }
        // A process that cannot die at once (stuck in the kernel) is left to the system.
        if (Clock::now() >= reapDeadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::kill(-pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, WNOHANG);
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
    // A group of its own: whatever the library starts can be ended with the helper.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);

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

    std::string packet;
    calling_ = true;
    const bool received = Receive(Clock::now() + bounds_.start, packet);
    calling_ = false;
    if (!received) return false;
    const std::optional<Hello> hello = DecodeHello(packet);
    if (!hello) {
        Fail(hostPath_ + ": no greeting");
        return false;
    }
    if (!hello->loaded) {
        Fail(hello->text);  // the library's load errors
        return false;
    }
    WatchIdle();
    return true;
}

bool HostTmLibrary::Receive(Clock::time_point deadline, std::string& packet) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        // How long to block on the socket: the rest of the bound, or not at all when the loop
        // has waited. An answer that came while the loop could not stop (a box of another
        // window open) counts even after the deadline.
        int block = static_cast<int>(std::max<long long>(left.count() + 1, 0));
        if (loop_ && left.count() > 0) {
            const TmHostLoop::Outcome outcome = loop_->Wait(socket_, deadline);
            if (outcome == TmHostLoop::Outcome::Cancelled) {
                Fail("cancelled");
                cancelled_ = true;
                return false;
            }
            if (outcome != TmHostLoop::Outcome::Block) block = 0;
        }
        pollfd ready{socket_, POLLIN, 0};
        const int r = ::poll(&ready, 1, block);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            Fail(std::string("poll: ") + std::strerror(errno));
            return false;
        }
        if (r == 0) {
            if (Clock::now() < deadline) continue;
            Fail("no answer in time");
            return false;
        }
        packet.resize(kMaxPacket + 1);
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

bool HostTmLibrary::Call(const std::string& request, std::chrono::milliseconds bound, std::string& answer) {
    if (calling_) {
        // Asked from inside another call's wait: the helper answers one call at a time, so this
        // one fails and the running one goes on.
        failed_ = true;
        reason_ = "another call is running";
        return false;
    }
    failed_ = false;
    cancelled_ = false;
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
    calling_ = true;
    if (loop_) loop_->WatchIdle(-1, {});
    const bool received = Receive(deadline, answer);
    calling_ = false;
    if (received) {
        // A call refused inside the wait left its mark: this one's outcome holds.
        failed_ = false;
        cancelled_ = false;
        WatchIdle();
    }
    return received;
}

void HostTmLibrary::OutOfTurn() { Fail("an answer out of turn"); }

bool HostTmLibrary::AcceptsNames(const std::string& serverName, const std::string& clientName) const {
    return InitNamesFit(serverName, clientName);
}

int16_t HostTmLibrary::Init(const std::string& serverName, const std::string& clientName) {
    failed_ = false;
    cancelled_ = false;
    const std::optional<std::string> request = EncodeInit({serverName, clientName});
    if (!request) {
        // Never a cut name: the caller asks AcceptsNames first and says why.
        reason_ = "the names do not fit one request";
        return 0;
    }
    if (socket_ < 0 && !Start()) return 0;
    std::string packet;
    if (!Call(*request, bounds_.init, packet)) return 0;
    const std::optional<int16_t> result = DecodeInitAnswer(packet);
    if (!result) {
        OutOfTurn();
        return 0;
    }
    // No link: the helper and whatever the library holds go now.
    if (*result != 1) Stop(kEndGrace);
    return *result;
}

void HostTmLibrary::Close() {
    if (calling_) {
        failed_ = true;  // see Call: the running call goes on
        return;
    }
    failed_ = false;
    cancelled_ = false;
    if (socket_ < 0) return;
    std::string packet;
    if (Call(EncodeClose(), bounds_.close, packet) && !DecodeCloseAnswer(packet)) OutOfTurn();
    const bool failed = failed_;
    Stop(kEndGrace);
    failed_ = failed;
}

void HostTmLibrary::StatusByList(const std::vector<TmStatusRequest>& request,
                                 std::vector<TmStatusResult>& result) {
    result.assign(request.size(), TmStatusResult{0, TM_STATUS_ERROR});
    failed_ = false;
    cancelled_ = false;
    if (request.empty() && socket_ >= 0) return;
    const size_t count = std::min(request.size(), kMaxStatusCount);
    const std::vector<TmStatusRequest> sent(request.begin(), request.begin() + static_cast<ptrdiff_t>(count));
    std::string packet;
    if (!Call(*EncodeStatus(sent), bounds_.status, packet)) return;
    const std::optional<std::vector<TmStatusResult>> answer = DecodeStatusAnswer(packet, count);
    if (!answer) {
        OutOfTurn();
        return;
    }
    std::copy(answer->begin(), answer->end(), result.begin());
}

int16_t HostTmLibrary::GetObjectName(uint16_t kind, int16_t channel, int16_t rtu, int16_t point, char* buffer,
                                     int16_t size) {
    failed_ = false;
    cancelled_ = false;
    if (size < 0) size = 0;
    const NameRequest request{kind, channel, rtu, point, size};
    std::string packet;
    if (!Call(*EncodeName(request), bounds_.name, packet)) return 0;
    const std::optional<NameAnswer> answer = DecodeNameAnswer(packet, static_cast<size_t>(size));
    if (!answer) {
        OutOfTurn();
        return 0;
    }
    if (size > 0) std::memcpy(buffer, answer->bytes.data(), static_cast<size_t>(size));
    return answer->result;
}

}  // namespace acquisition
