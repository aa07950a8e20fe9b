#include "acquisition/udp_socket.h"

#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

bool IsDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string TrimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// A host given as a dotted address: after leading blanks, only digits, dots and blanks, with
// exactly three dots. Such a host is converted at once instead of being looked up.
bool IsDottedAddress(const std::string& host) {
    const auto start = host.find_first_not_of(' ');
    if (start == std::string::npos) return false;
    int dots = 0;
    for (auto i = start; i < host.size(); ++i) {
        const char c = host[i];
        if (c == '.') {
            ++dots;
        } else if (!(c >= '0' && c <= '9') && c != ' ') {
            return false;
        }
    }
    return dots == 3;
}

std::optional<uint32_t> ParseDotted(const std::string& text) {
    in_addr address{};
    if (inet_pton(AF_INET, TrimBlanks(text).c_str(), &address) != 1) return std::nullopt;
    return ntohl(address.s_addr);
}

std::optional<uint32_t> LookUpHost(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
    std::optional<uint32_t> result;
    for (auto* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
            result = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr);
            break;
        }
    }
    freeaddrinfo(found);
    return result;
}

// A port text: digits are a number, anything else a UDP service name.
std::optional<uint16_t> ConvertPort(const std::string& text) {
    if (IsDigits(text)) {
        if (text.size() > 5) return std::nullopt;
        const long value = std::stol(text);
        if (value > 65535) return std::nullopt;
        return static_cast<uint16_t>(value);
    }
    if (text.empty()) return std::nullopt;
    const servent* service = getservbyname(text.c_str(), "udp");
    if (service == nullptr) return std::nullopt;
    return ntohs(static_cast<uint16_t>(service->s_port));
}

sockaddr_in ToSockAddr(SenderAddress address) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = htonl(address.Address);
    result.sin_port = htons(address.Port);
    return result;
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

}  // namespace

std::string SenderAddress::AddressText() const {
    in_addr address{};
    address.s_addr = htonl(Address);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

struct TfndUDPSocket::LookupLink {
    std::mutex mutex;
    TfndUDPSocket* owner = nullptr;
};

TfndUDPSocket::TfndUDPSocket(QObject* parent)
    : QObject(parent), HostLookup(LookUpHost), lookupLink_(std::make_shared<LookupLink>()) {
    lookupLink_->owner = this;
}

TfndUDPSocket::~TfndUDPSocket() {
    {
        std::lock_guard lock(lookupLink_->mutex);
        lookupLink_->owner = nullptr;
    }
    Close();
}

void TfndUDPSocket::SetBound(bool on) {
    if (on) {
        Bind();
    } else {
        Close();
    }
}

void TfndUDPSocket::SetProtocol(int protocol) {
    if (protocol == IPPROTO_UDP || protocol == 0) return;
    const std::string message = "AUDPSocket.SetProtocol: Only UDP allowed here";
    RecordError(udp_error::kOnlyUdpAllowed, message);
    throw EWinSock(message, udp_error::kOnlyUdpAllowed);
}

void TfndUDPSocket::RecordError(int code, const std::string& message) {
    lastErrorCode_ = code;
    lastErrorMessage_ = message;
}

void TfndUDPSocket::RaiseEvent(const Event& event) {
    if (event) event(*this);
}

void TfndUDPSocket::RaiseSystemError(const std::string& operation, int error) {
    const std::string message = operation + ": " + std::strerror(error);
    RecordError(error, message);
    RaiseEvent(OnError);
    throw EWinSock(message, error);
}

void TfndUDPSocket::Bind() {
    if (bound_) return;

    const int handle = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (handle < 0) RaiseSystemError("Socket allocation failed", errno);

    // Local address: a dotted address, else a host name; any address when neither works.
    uint32_t localAddress = INADDR_ANY;
    if (!localHost_.empty()) {
        if (auto address = ParseDotted(localHost_)) {
            localAddress = *address;
        } else if (auto found = LookUpHost(localHost_)) {
            localAddress = *found;
        }
    }
    // Local port: digits, else a UDP service name; any port when the name is unknown.
    uint16_t localPort = 0;
    bool portValid = true;
    if (IsDigits(localPort_)) {
        const auto port = ConvertPort(localPort_);
        portValid = port.has_value();
        localPort = port.value_or(0);
    } else if (!localPort_.empty()) {
        localPort = ConvertPort(localPort_).value_or(0);
    }

    if (systemReceiveBufferSize_ > 0) {
        // A request: the system caps it at its own maximum, and a refusal leaves its default.
        const int size = systemReceiveBufferSize_;
        setsockopt(handle, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }

    const sockaddr_in local = ToSockAddr({localAddress, localPort});
    if (!portValid || ::bind(handle, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        const int error = portValid ? errno : EINVAL;
        ::close(handle);
        RaiseSystemError("Socket bind failed", error);
    }
    handle_ = handle;
    bound_ = true;
    writable_ = false;

    const int flags = fcntl(handle_, F_GETFL, 0);
    if (flags < 0 || fcntl(handle_, F_SETFL, flags | O_NONBLOCK) != 0) {
        const int error = errno;
        Close();
        RaiseSystemError("Asynchronous mode not set", error);
    }
    readNotifier_ = new QSocketNotifier(handle_, QSocketNotifier::Read, this);
    writeNotifier_ = new QSocketNotifier(handle_, QSocketNotifier::Write, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &TfndUDPSocket::HandleReadReady);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &TfndUDPSocket::HandleWriteReady);

    if (broadcastOption_) {
        const int on = 1;
        if (setsockopt(handle_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
            const int error = errno;
            Close();
            RaiseSystemError("Socket broadcast option not set", error);
        }
    }
    UpdateNotifiers();
}

void TfndUDPSocket::Close() {
    // The notifiers stop watching before the descriptor closes. They are deleted later, as this may
    // run from inside one of their own notifications.
    for (QSocketNotifier* notifier : {readNotifier_, writeNotifier_}) {
        if (notifier == nullptr) continue;
        notifier->setEnabled(false);
        notifier->disconnect(this);
        notifier->deleteLater();
    }
    readNotifier_ = nullptr;
    writeNotifier_ = nullptr;
    if (handle_ >= 0) ::close(handle_);
    handle_ = -1;
    bound_ = false;
    writable_ = false;
    waitingForRead_ = false;
}

SenderAddress TfndUDPSocket::LocalAddress() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (handle_ < 0 || getsockname(handle_, reinterpret_cast<sockaddr*>(&local), &length) != 0) return {};
    return {ntohl(local.sin_addr.s_addr), ntohs(local.sin_port)};
}

void TfndUDPSocket::SendTo(const std::string& host, const std::string& port, const std::string& data) {
    Bind();
    if (IsDottedAddress(host)) {
        const auto address = ParseDotted(host);
        const auto destinationPort = ConvertPort(port);
        if (!address || !destinationPort) {
            RaiseEvent(OnSendFailed);
            return;
        }
        SendResolved(data, {*address, *destinationPort});
        return;
    }
    SendItem item;
    item.data = data;
    item.host = host;
    item.port = port;
    sendQueue_.push_back(std::move(item));
    StartLookup(host);
}

void TfndUDPSocket::SendResolved(const std::string& data, SenderAddress destination) {
    Bind();
    auto enqueue = [&] {
        SendItem item;
        item.data = data;
        item.resolved = true;
        item.destination = destination;
        sendQueue_.push_back(std::move(item));
        UpdateNotifiers();
    };
    if (useSendBuffer_ && (!writable_ || !sendQueue_.empty())) {
        enqueue();
        return;
    }
    const sockaddr_in to = ToSockAddr(destination);
    ssize_t sent;
    do {
        sent = ::sendto(handle_, data.data(), data.size(), MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&to), sizeof to);
    } while (sent < 0 && errno == EINTR);
    if (sent >= 0) return;

    const int error = errno;
    if (WouldBlock(error)) {
        writable_ = false;
        if (useSendBuffer_) {
            enqueue();
            return;
        }
        // Without the send buffer a datagram that cannot go out now would be lost silently.
        RaiseEvent(OnSendFailed);
        RaiseSystemError("Send failed", error);
    }
    RaiseEvent(OnSendFailed);
    if (!useSendBuffer_) RaiseSystemError("Send failed", error);
    enqueue();
}

void TfndUDPSocket::StartLookup(const std::string& host) {
    if (!pendingLookups_.insert(host).second) return;  // a lookup for this host is under way
    auto link = lookupLink_;
    auto lookup = HostLookup ? HostLookup : HostLookupFunction(LookUpHost);
    try {
        std::thread([link, lookup, host] {
            std::optional<uint32_t> address;
            try {
                address = lookup(host);
            } catch (...) {
                address.reset();
            }
            std::lock_guard lock(link->mutex);
            TfndUDPSocket* owner = link->owner;
            if (owner == nullptr) return;
            // Posted to the owner's thread; dropped by Qt if the owner is destroyed before delivery.
            QMetaObject::invokeMethod(
                owner, [owner, host, address] { owner->LookupFinished(host, address); },
                Qt::QueuedConnection);
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the lookup fails, and the items waiting for it are dropped.
        QMetaObject::invokeMethod(
            this, [this, host] { LookupFinished(host, std::nullopt); }, Qt::QueuedConnection);
    }
}

void TfndUDPSocket::LookupFinished(const std::string& host, std::optional<uint32_t> address) {
    pendingLookups_.erase(host);
    std::vector<SendItem> waiting;
    for (auto it = sendQueue_.begin(); it != sendQueue_.end();) {
        if (!it->resolved && it->host == host) {
            waiting.push_back(std::move(*it));
            it = sendQueue_.erase(it);
        } else {
            ++it;
        }
    }
    QPointer<TfndUDPSocket> self(this);
    for (const auto& item : waiting) {
        // Runs from a notification: failures go no further.
        try {
            const auto port = ConvertPort(item.port);
            if (!address || !port) {
                RaiseEvent(OnSendFailed);
            } else {
                SendResolved(item.data, {*address, *port});
            }
        } catch (...) {
        }
        if (!self) return;
    }
    UpdateNotifiers();
}

TfndUDPSocket::ReceiveResult TfndUDPSocket::ReceiveOne(ReceivedPacket& packet, int& error) {
    packet.data.assign(static_cast<std::size_t>(maxPacketSize_), '\0');
    sockaddr_in from{};
    iovec buffer{packet.data.data(), packet.data.size()};
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &buffer;
    message.msg_iovlen = 1;
    ssize_t received;
    do {
        received = ::recvmsg(handle_, &message, 0);
    } while (received < 0 && errno == EINTR);
    if (received < 0) {
        error = errno;
        packet.data.clear();
        return WouldBlock(error) ? ReceiveResult::WouldBlock : ReceiveResult::Failed;
    }
    packet.data.resize(static_cast<std::size_t>(received));
    packet.sender = {ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)};
    packet.truncated = (message.msg_flags & MSG_TRUNC) != 0;
    return packet.truncated ? ReceiveResult::Truncated : ReceiveResult::Received;
}

bool TfndUDPSocket::ReadPacket(std::string& data, SenderAddress& sender) {
    lastErrorCode_ = 0;
    lastErrorMessage_.clear();
    ReceivedPacket packet;
    if (!receiveQueue_.empty()) {
        packet = std::move(receiveQueue_.front());
        receiveQueue_.pop_front();
    } else {
        Bind();
        if (inDataAvailable_) socketReadDuringEvent_ = true;
        if (waitingForRead_) {
            waitingForRead_ = false;
            UpdateNotifiers();
        }
        int error = 0;
        switch (ReceiveOne(packet, error)) {
            case ReceiveResult::Received:
            case ReceiveResult::Truncated:
                break;
            case ReceiveResult::WouldBlock:
                data.clear();
                sender = {};
                return false;
            case ReceiveResult::Failed:
                data.clear();
                sender = {};
                RaiseSystemError("Error reading packet", error);
        }
    }
    data = std::move(packet.data);
    sender = packet.sender;
    if (inDataAvailable_) ++packetsReadDuringEvent_;
    if (packet.truncated) {
        RecordError(udp_error::kPacketTruncated, "Packet truncated: Buffer too small");
        RaiseEvent(OnError);
    }
    return true;
}

void TfndUDPSocket::SetReadNotificationsEnabled(bool on) {
    readNotificationsEnabled_ = on;
    UpdateNotifiers();
    if (on && !receiveQueue_.empty()) ScheduleAnnouncement();
}

void TfndUDPSocket::ScheduleAnnouncement() {
    if (announcementPending_) return;
    announcementPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            announcementPending_ = false;
            if (!receiveQueue_.empty()) HandleReadReady();
        },
        Qt::QueuedConnection);
}

void TfndUDPSocket::HandleReadReady() {
    if (inDataAvailable_ || handle_ < 0 || !readNotificationsEnabled_) return;
    QPointer<TfndUDPSocket> self(this);
    inDataAvailable_ = true;
    socketReadDuringEvent_ = false;
    packetsReadDuringEvent_ = 0;
    UpdateNotifiers();  // no second OnDataAvailable while this one runs
    try {
        RaiseEvent(OnDataAvailable);
    } catch (...) {
        // The program's handler catches its own failures; nothing may cross the event loop.
    }
    if (!self) return;
    inDataAvailable_ = false;

    if (handle_ >= 0) {
        if (useReceiveBuffer_) {
            // Move everything the socket holds into the receive queue, up to its limit; what does
            // not fit is dropped (the newest, or the oldest queued when DropOldestWhenFull), so
            // the socket is always drained and the notifier stays quiet.
            for (;;) {
                ReceivedPacket packet;
                int error = 0;
                const auto result = ReceiveOne(packet, error);
                if (result == ReceiveResult::WouldBlock || result == ReceiveResult::Failed) break;
                if (maxReceiveBufferPacketCount_ < 0 ||
                    receiveQueue_.size() < static_cast<std::size_t>(maxReceiveBufferPacketCount_)) {
                    receiveQueue_.push_back(std::move(packet));
                } else if (dropOldestWhenFull_ && !receiveQueue_.empty()) {
                    receiveQueue_.pop_front();
                    receiveQueue_.push_back(std::move(packet));
                    ++droppedPacketCount_;
                } else {
                    ++droppedPacketCount_;
                }
            }
        } else if (!socketReadDuringEvent_) {
            // Nobody read: wait for the next ReadPacket instead of being woken again at once.
            waitingForRead_ = true;
        }
    }
    // Datagrams left in the receive queue are announced again, one event each, for as long as the
    // handler takes them; otherwise they would wait for the next arrival and the handler would
    // stay behind by as many datagrams as ever arrived together.
    if (packetsReadDuringEvent_ > 0 && !receiveQueue_.empty()) ScheduleAnnouncement();
    UpdateNotifiers();
}

void TfndUDPSocket::HandleWriteReady() {
    if (handle_ < 0) return;
    QPointer<TfndUDPSocket> self(this);
    writable_ = true;
    std::size_t i = 0;
    while (i < sendQueue_.size() && handle_ >= 0) {
        if (!sendQueue_[i].resolved) {
            ++i;  // still waiting for its host
            continue;
        }
        const sockaddr_in to = ToSockAddr(sendQueue_[i].destination);
        const std::string& data = sendQueue_[i].data;
        ssize_t sent;
        do {
            sent = ::sendto(handle_, data.data(), data.size(), MSG_NOSIGNAL,
                            reinterpret_cast<const sockaddr*>(&to), sizeof to);
        } while (sent < 0 && errno == EINTR);
        if (sent >= 0) {
            sendQueue_.erase(sendQueue_.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        if (WouldBlock(errno)) {
            writable_ = false;
            break;
        }
        sendQueue_.erase(sendQueue_.begin() + static_cast<std::ptrdiff_t>(i));
        try {
            RaiseEvent(OnSendFailed);
        } catch (...) {
        }
        if (!self) return;
    }
    UpdateNotifiers();
}

void TfndUDPSocket::UpdateNotifiers() {
    if (readNotifier_ != nullptr) {
        readNotifier_->setEnabled(readNotificationsEnabled_ && !inDataAvailable_ && !waitingForRead_);
    }
    if (writeNotifier_ != nullptr) {
        const bool anyResolved = std::any_of(sendQueue_.begin(), sendQueue_.end(),
                                             [](const SendItem& item) { return item.resolved; });
        writeNotifier_->setEnabled(anyResolved);
    }
}
