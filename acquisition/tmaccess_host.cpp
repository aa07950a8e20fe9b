// tmaccess-host: the helper process that holds the telemechanics access library for the
// program (acquisition/tm_host_protocol.h describes the exchange). It loads the first of its
// arguments that is a usable library, says so, then answers one request at a time until the
// program closes its end of the socket or goes away.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
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

// The answer to one request, or "" for a request that makes no sense (the program never sends one).
std::string Answer(acquisition::DlTmLibrary& lib, const std::string& request) {
    std::string out(1, request[0]);
    size_t at = 1;
    switch (request[0]) {
        case kInit: {
            uint32_t serverLength = 0;
            if (!Get(request, at, serverLength) || request.size() - at < serverLength) return "";
            const std::string server = request.substr(at, serverLength);
            const std::string client = request.substr(at + serverLength);
            Put<int16_t>(out, lib.Init(server, client));
            return out;
        }
        case kClose:
            lib.Close();
            return out;
        case kStatus: {
            int16_t count = 0;
            if (!Get(request, at, count) || count < 0 ||
                request.size() - at != static_cast<size_t>(count) * sizeof(TmStatusRequest))
                return "";
            std::vector<TmStatusRequest> list(static_cast<size_t>(count));
            std::memcpy(list.data(), request.data() + at, request.size() - at);
            std::vector<TmStatusResult> result;
            result.reserve(list.size() + kSlack);
            lib.StatusByList(list, result);
            out.append(reinterpret_cast<const char*>(result.data()), list.size() * sizeof(TmStatusResult));
            return out;
        }
        case kName: {
            uint16_t kind = 0;
            int16_t channel = 0, rtu = 0, point = 0, size = 0;
            if (!Get(request, at, kind) || !Get(request, at, channel) || !Get(request, at, rtu) ||
                !Get(request, at, point) || !Get(request, at, size) || size < 0)
                return "";
            std::vector<char> buffer(static_cast<size_t>(size) + kSlack, '\0');
            Put<int16_t>(out, lib.GetObjectName(kind, channel, rtu, point, buffer.data(), size));
            out.append(buffer.data(), static_cast<size_t>(size));
            return out;
        }
        default:
            return "";
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Never outlive the program, even when it is killed.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() == 1) return 1;

    std::vector<std::string> candidates(argv + 1, argv + argc);
    acquisition::DlTmLibrary lib(candidates);
    const bool loaded = lib.Load();
    std::string hello(1, kHello);
    Put<uint8_t>(hello, loaded ? 1 : 0);
    hello += loaded ? lib.LoadedPath() : lib.LoadError();
    if (hello.size() > kMaxPacket) hello.resize(kMaxPacket);
    if (!Send(hello) || !loaded) return 1;

    std::string request(kMaxPacket, '\0');
    for (;;) {
        ssize_t n;
        do {
            n = ::recv(kHostSocketFd, request.data(), request.size(), 0);
        } while (n < 0 && errno == EINTR);
        if (n <= 0) return 0;  // the program closed its end
        const std::string answer = Answer(lib, request.substr(0, static_cast<size_t>(n)));
        if (answer.empty() || !Send(answer)) return 1;
    }
}
