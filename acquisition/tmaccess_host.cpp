// tmaccess-host: the helper process that holds the telemechanics access library for the
// program (acquisition/tm_host_protocol.h describes the exchange). It loads the first of its
// arguments that is a usable library, says so, then answers one request at a time until the
// program closes its end of the socket or goes away. A request that does not read whole ends
// the helper: the program never sends one.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/tm_host_protocol.h"
#include "acquisition/tm_library.h"

namespace {

using namespace acquisition::tmhost;

bool Send(const std::string& packet) {
    ssize_t n;
    do {
        n = ::send(kHostSocketFd, packet.data(), packet.size(), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(packet.size());
}

// Room the library may overrun without reaching anything of ours.
constexpr size_t kSlack = 4096;

// The answer to one request, or nullopt for a request that does not read.
std::optional<std::string> Answer(acquisition::DlTmLibrary& lib, std::string_view request) {
    switch (request[0]) {
        case kInit: {
            const std::optional<InitRequest> r = DecodeInit(request);
            if (!r) return std::nullopt;
            return EncodeInitAnswer(lib.Init(r->server, r->client));
        }
        case kClose:
            if (!DecodeClose(request)) return std::nullopt;
            lib.Close();
            return EncodeCloseAnswer();
        case kStatus: {
            const std::optional<std::vector<TmStatusRequest>> list = DecodeStatus(request);
            if (!list) return std::nullopt;
            std::vector<TmStatusResult> result;
            result.reserve(list->size() + kSlack);
            lib.StatusByList(*list, result);
            result.resize(list->size(), TmStatusResult{0, TM_STATUS_ERROR});
            return EncodeStatusAnswer(result);
        }
        case kName: {
            const std::optional<NameRequest> r = DecodeName(request);
            if (!r) return std::nullopt;
            std::vector<char> buffer(static_cast<size_t>(r->size) + kSlack, '\0');
            NameAnswer answer;
            answer.result = lib.GetObjectName(r->kind, r->channel, r->rtu, r->point, buffer.data(), r->size);
            answer.bytes.assign(buffer.data(), static_cast<size_t>(r->size));
            return EncodeNameAnswer(answer);
        }
        default:
            return std::nullopt;
    }
}

// The program went away or the link ended: the whole process group goes, the helper and
// whatever the library started in it.
void OnProgramGone(int) { ::kill(0, SIGKILL); }

}  // namespace

int main(int argc, char** argv) {
    // Never outlive the program, even when it is killed, nor let the library's own children.
    // The program starts the helper in a group of its own; one started otherwise makes its
    // own group first, so that ending the group never reaches the program.
    if (::getpgrp() != ::getpid() && ::setpgid(0, 0) != 0) return 1;
    struct sigaction gone {};
    gone.sa_handler = OnProgramGone;
    ::sigaction(SIGTERM, &gone, nullptr);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() == 1) return 1;

    std::vector<std::string> candidates(argv + 1, argv + argc);
    acquisition::DlTmLibrary lib(candidates);
    const bool loaded = lib.Load();
    if (!Send(EncodeHello({loaded, loaded ? lib.LoadedPath() : lib.LoadError()})) || !loaded) return 1;

    std::string request(kMaxPacket + 1, '\0');
    for (;;) {
        ssize_t n;
        do {
            n = ::recv(kHostSocketFd, request.data(), request.size(), 0);
        } while (n < 0 && errno == EINTR);
        if (n <= 0) break;  // the program closed its end
        const std::optional<std::string> answer =
            Answer(lib, std::string_view(request.data(), static_cast<size_t>(n)));
        if (!answer || !Send(*answer)) break;
    }
    // The link has ended: nothing the library started may stay behind.
    OnProgramGone(0);
    return 0;
}
