#pragma once

// Shared pieces of the RTU exchange tests that run the main window: a plain UDP peer on the
// loopback address, the program over a folder of its own, and waiting on the event loop.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "interlock/cp1251.h"
#include "tests/support/window_rig.h"
#include "acquisition/rtu_reception.h"
#include "ui/main/main_window.h"
#include "ui/widgets/qt_text.h"
#include "interlock/workspace.h"

namespace rtu_test {

// The ports of the exchange: the program listens on 955, the RTU responder on 956.
constexpr uint16_t kProgramPort = 955;
constexpr uint16_t kResponderPort = 956;

inline std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }

inline sockaddr_in Loopback(uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    return a;
}

// A UDP socket on 127.0.0.1: the RTU responder's stand-in, a sender of datagrams, or a socket
// that keeps a port taken.
class UdpPeer {
public:
    explicit UdpPeer(uint16_t port = 0) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const sockaddr_in a = Loopback(port);
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) {
            bound_ = true;
        } else {
            error_ = std::strerror(errno);
        }
    }
    ~UdpPeer() { Close(); }
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    bool Bound() const { return bound_; }
    const std::string& Error() const { return error_; }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        bound_ = false;
    }

    bool SendTo(uint16_t port, const std::string& data) const {
        const sockaddr_in to = Loopback(port);
        return ::sendto(fd_, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                        sizeof to) == static_cast<ssize_t>(data.size());
    }
    // One pending datagram, without waiting.
    std::optional<std::string> TryReceive() const {
        char buffer[8192];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0) return std::nullopt;
        return std::string(buffer, static_cast<std::size_t>(n));
    }

private:
    int fd_ = -1;
    bool bound_ = false;
    std::string error_;
};

// Why the fixed ports cannot be used, or empty when 127.0.0.1:955 can be bound.
inline std::string FixedPortProblem() {
    UdpPeer probe(kProgramPort);
    if (probe.Bound()) return {};
    return "cannot bind 127.0.0.1:955 (" + probe.Error() +
           "): the RTU exchange tests need root, CAP_NET_BIND_SERVICE, or "
           "net.ipv4.ip_unprivileged_port_start at 955 or lower (see docs/rtu.md), and no other "
           "program listening on the port";
}

// Runs the event loop until done() holds or the time is up; returns done().
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

inline void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

// The program over a folder of its own (settings.ini and Temp/ beside it), with scripted boxes
// unless the test brings its own.
class Rig : public test::WindowRig {
public:
    using WindowRig::WindowRig;

    // The window is not shown: the exchange needs no painting.
    ui::TForm1& Start(ui::Dialogs* boxes = nullptr) { return WindowRig::Start(Shown::No, boxes); }

    // Block 1 on view with state signal S1, ON logic V1=AND(S65) and OFF logic V1=AND(S66).
    void ShowTestBlock() {
        interlock::Block& b = ws.Blocks[1];
        b.OnLogic = {"V1=AND(S65)"};
        b.OffLogic = {"V1=AND(S66)"};
        b.StateSignal = 1;
        form->Bench().Pull();
        ws.CurrentBlock = 1;
        interlock::ShowBlock(ws, 1);
        form->Bench().Push();
    }

    int MemoLines() const { return form->Memo1->document()->blockCount(); }
    std::string LastMemoLine() const { return ui::FromQString(form->Memo1->document()->lastBlock().text()); }
    std::string Verdict() const { return ui::FromQString(form->Top_Label6->text()); }
};

}  // namespace rtu_test
