#pragma once

// TfndUDPSocket: the non-blocking UDP endpoint of the main window. It binds itself on first use,
// sends datagrams through a send queue, announces arriving datagrams with OnDataAvailable on the
// thread that owns it (the user-interface thread, through its Qt event loop) and hands out one
// datagram at a time with its sender's address.
//
// Readiness reaches the component through two QSocketNotifier objects. They are level-triggered,
// so the write notifier is switched on only while a datagram with a resolved destination waits in
// the send queue, and the read notifier is paused while OnDataAvailable runs (the handler may run a
// nested event loop, e.g. a modal message box) and whenever the socket was left unread.
// Datagrams that wait in the receive queue after an event are announced again by a deferred
// OnDataAvailable as long as the handler keeps taking them.
//
// All data are bytes (std::string); texts of the program are Windows-1251 bytes.

#include <QObject>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

class QSocketNotifier;

// A failure of the socket component, with the system's socket error code (an errno value) or one
// of the component's own codes below.
class EWinSock : public std::runtime_error {
public:
    EWinSock(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

namespace udp_error {
constexpr int kPacketTruncated = 10040;  // "Packet truncated: Buffer too small"
constexpr int kOnlyUdpAllowed = 20004;   // "AUDPSocket.SetProtocol: Only UDP allowed here"
}  // namespace udp_error

// An IPv4 address with a port, both in host byte order.
struct SenderAddress {
    uint32_t Address = 0;
    uint16_t Port = 0;

    std::string AddressText() const;  // dotted form, "127.0.0.1"
    bool operator==(const SenderAddress&) const = default;
};

class TfndUDPSocket : public QObject {
    Q_OBJECT

public:
    using Event = std::function<void(TfndUDPSocket& sender)>;
    // Resolves a host name to an IPv4 address in host byte order. Runs on a background thread.
    using HostLookupFunction = std::function<std::optional<uint32_t>(const std::string& host)>;

    explicit TfndUDPSocket(QObject* parent = nullptr);
    ~TfndUDPSocket() override;

    TfndUDPSocket(const TfndUDPSocket&) = delete;
    TfndUDPSocket& operator=(const TfndUDPSocket&) = delete;

    // Properties. LocalHost and LocalPort take effect at the next binding.
    const std::string& LocalHost() const { return localHost_; }
    void SetLocalHost(const std::string& host) { localHost_ = host; }
    const std::string& LocalPort() const { return localPort_; }
    void SetLocalPort(const std::string& port) { localPort_ = port; }
    bool UseSendBuffer() const { return useSendBuffer_; }
    void SetUseSendBuffer(bool on) { useSendBuffer_ = on; }
    bool UseReceiveBuffer() const { return useReceiveBuffer_; }
    void SetUseReceiveBuffer(bool on) { useReceiveBuffer_ = on; }
    // Negative: no limit. Datagrams that arrive while the receive queue holds this many are dropped
    // (see DropOldestWhenFull).
    int MaxReceiveBufferPacketCount() const { return maxReceiveBufferPacketCount_; }
    void SetMaxReceiveBufferPacketCount(int count) { maxReceiveBufferPacketCount_ = count; }
    // With a full receive queue, an arriving datagram pushes out the oldest queued one instead of
    // being dropped itself: for exchanges where the latest answer is what counts. Off by default.
    bool DropOldestWhenFull() const { return dropOldestWhenFull_; }
    void SetDropOldestWhenFull(bool on) { dropOldestWhenFull_ = on; }
    // Bytes asked of the system for its own receive buffer at the next binding, so that a burst
    // waits there while the owner is busy; 0 keeps the system's default. The system may give less.
    int SystemReceiveBufferSize() const { return systemReceiveBufferSize_; }
    void SetSystemReceiveBufferSize(int bytes) { systemReceiveBufferSize_ = bytes < 0 ? 0 : bytes; }
    int MaxPacketSize() const { return maxPacketSize_; }
    void SetMaxPacketSize(int size) { maxPacketSize_ = size < 0 ? 0 : size; }
    bool BroadcastOption() const { return broadcastOption_; }
    void SetBroadcastOption(bool on) { broadcastOption_ = on; }
    // True while the socket is bound. Setting it binds now (true) or closes the socket (false).
    bool Bound() const { return bound_; }
    void SetBound(bool on);
    // The protocol is fixed to UDP (17, or 0 for the default); anything else raises code 20004.
    void SetProtocol(int protocol);

    // Events, all raised on the owning thread.
    Event OnDataAvailable;
    Event OnError;
    Event OnSendFailed;

    // Host name lookup used by SendTo for names that are not dotted addresses; getaddrinfo by default.
    HostLookupFunction HostLookup;

    // Queues one datagram for host:port and sends it as soon as the destination is known and the
    // socket is writable. Raises EWinSock when binding fails, or when sending fails with
    // UseSendBuffer clear.
    void SendTo(const std::string& host, const std::string& port, const std::string& data);

    // Takes the oldest datagram: from the receive queue, else straight from the socket. False with
    // empty data when nothing is pending. A datagram longer than MaxPacketSize is cut to that size
    // and recorded as last error 10040. Raises EWinSock on any other read failure.
    bool ReadPacket(std::string& data, SenderAddress& sender);

    // Pauses or resumes read-ready notifications (and so OnDataAvailable); datagrams wait in the
    // system's socket buffer meanwhile.
    void SetReadNotificationsEnabled(bool on);
    bool ReadNotificationsEnabled() const { return readNotificationsEnabled_; }

    int LastErrorCode() const { return lastErrorCode_; }
    const std::string& LastErrorMessage() const { return lastErrorMessage_; }

    // The local address the socket is bound to (port resolved by the system for port "0").
    SenderAddress LocalAddress() const;
    std::size_t ReceiveQueueSize() const { return receiveQueue_.size(); }
    std::size_t SendQueueSize() const { return sendQueue_.size(); }
    // Datagrams dropped because the receive queue was full (the newest or the oldest).
    uint64_t DroppedPacketCount() const { return droppedPacketCount_; }
    bool Writable() const { return writable_; }

private:
    struct SendItem {
        std::string data;
        bool resolved = false;
        SenderAddress destination;  // when resolved
        std::string host;           // while waiting for host resolution
        std::string port;
    };
    struct ReceivedPacket {
        std::string data;
        SenderAddress sender;
        bool truncated = false;
    };
    // Shared with background lookups; cleared by the destructor so that a late result is not
    // delivered to a destroyed socket.
    struct LookupLink;

    void Bind();
    void Close();
    [[noreturn]] void RaiseSystemError(const std::string& operation, int error);
    void RecordError(int code, const std::string& message);
    void RaiseEvent(const Event& event);

    void SendResolved(const std::string& data, SenderAddress destination);
    void StartLookup(const std::string& host);
    void LookupFinished(const std::string& host, std::optional<uint32_t> address);

    enum class ReceiveResult { Received, Truncated, WouldBlock, Failed };
    ReceiveResult ReceiveOne(ReceivedPacket& packet, int& error);

    void HandleReadReady();
    void ScheduleAnnouncement();
    void HandleWriteReady();
    void UpdateNotifiers();

    std::string localHost_;
    std::string localPort_;
    bool useSendBuffer_ = true;
    bool useReceiveBuffer_ = true;
    int maxReceiveBufferPacketCount_ = -1;
    bool dropOldestWhenFull_ = false;
    int systemReceiveBufferSize_ = 0;
    int maxPacketSize_ = 4096;
    bool broadcastOption_ = false;

    int handle_ = -1;
    bool bound_ = false;
    bool writable_ = false;
    std::deque<SendItem> sendQueue_;
    std::deque<ReceivedPacket> receiveQueue_;
    int lastErrorCode_ = 0;
    std::string lastErrorMessage_;
    uint64_t droppedPacketCount_ = 0;

    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    bool readNotificationsEnabled_ = true;  // the owner's pause
    bool inDataAvailable_ = false;          // OnDataAvailable is running
    bool waitingForRead_ = false;           // a notification found the socket left unread
    bool socketReadDuringEvent_ = false;
    int packetsReadDuringEvent_ = 0;
    bool announcementPending_ = false;  // a deferred OnDataAvailable for queued datagrams

    std::set<std::string> pendingLookups_;
    std::shared_ptr<LookupLink> lookupLink_;
};
