// Tests of the UDP socket component over loopback. Every socket uses an ephemeral port, so the
// tests run in parallel with anything.

#include "acquisition/udp_socket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kLoopback = 0x7F000001;

// Spins the event loop until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void SpinFor(int ms) {
    WaitUntil([] { return false; }, ms);
}

// A plain blocking UDP socket on 127.0.0.1 at an ephemeral port: the other end of the exchange.
class Peer {
public:
    Peer() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(kLoopback);
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) ADD_FAILURE() << "peer bind";
        socklen_t length = sizeof local;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length);
        port_ = ntohs(local.sin_port);
    }
    ~Peer() { ::close(fd_); }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    uint16_t Port() const { return port_; }
    std::string PortText() const { return std::to_string(port_); }

    void SendTo(uint16_t port, const std::string& data) const {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(kLoopback);
        to.sin_port = htons(port);
        ASSERT_EQ(::sendto(fd_, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
                  static_cast<ssize_t>(data.size()));
    }

    // The next datagram, waiting at most timeoutMs.
    std::optional<std::string> Receive(int timeoutMs) const {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, timeoutMs) != 1) return std::nullopt;
        std::string data(65536, '\0');
        const ssize_t n = ::recv(fd_, data.data(), data.size(), 0);
        if (n < 0) return std::nullopt;
        data.resize(static_cast<std::size_t>(n));
        return data;
    }

private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

// A component bound to 127.0.0.1 at an ephemeral port.
std::unique_ptr<TfndUDPSocket> BoundSocket() {
    auto socket = std::make_unique<TfndUDPSocket>();
    socket->SetLocalHost("127.0.0.1");
    socket->SetLocalPort("0");
    socket->SetBound(true);
    return socket;
}

// Waits until the socket's descriptor has a datagram, without running the event loop.
void WaitForDatagramInSystemBuffer() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

TEST(UdpSocketTest, FirstDatagramWaitsForWriteReadyThenLaterOnesGoStraightOut) {
    Peer peer;
    TfndUDPSocket socket;
    socket.SetLocalHost("127.0.0.1");
    socket.SetLocalPort("0");

    socket.SendTo("127.0.0.1", peer.PortText(), "R0");
    EXPECT_TRUE(socket.Bound());  // bound by the first send
    EXPECT_FALSE(socket.Writable());
    EXPECT_EQ(socket.SendQueueSize(), 1u);
    EXPECT_FALSE(peer.Receive(50).has_value()) << "sent before the first write-ready notification";

    ASSERT_TRUE(WaitUntil([&] { return socket.SendQueueSize() == 0; }));
    EXPECT_TRUE(socket.Writable());
    EXPECT_EQ(peer.Receive(1000), std::optional<std::string>("R0"));

    socket.SendTo("127.0.0.1", peer.PortText(), "R1");
    EXPECT_EQ(socket.SendQueueSize(), 0u) << "queued although the socket is writable";
    EXPECT_EQ(peer.Receive(1000), std::optional<std::string>("R1"));
    // Leading and trailing blanks around a dotted address are accepted.
    socket.SendTo("  127.0.0.1 ", peer.PortText(), "R2");
    EXPECT_EQ(peer.Receive(1000), std::optional<std::string>("R2"));
}

TEST(UdpSocketTest, WithoutSendBufferTheFirstDatagramGoesOutAtOnce) {
    Peer peer;
    auto socket = BoundSocket();
    socket->SetUseSendBuffer(false);
    socket->SendTo("127.0.0.1", peer.PortText(), "now");
    EXPECT_EQ(socket->SendQueueSize(), 0u);
    EXPECT_EQ(peer.Receive(1000), std::optional<std::string>("now"));
}

TEST(UdpSocketTest, DatagramsArrivingTogetherAreReturnedInArrivalOrder) {
    Peer peer;
    auto socket = BoundSocket();
    const uint16_t port = socket->LocalAddress().Port;
    struct Read {
        std::string data;
        SenderAddress from;
        std::size_t queuedAfter;
    };
    std::vector<Read> reads;
    socket->OnDataAvailable = [&](TfndUDPSocket& sender) {
        Read read;
        if (!sender.ReadPacket(read.data, read.from)) return;
        read.queuedAfter = sender.ReceiveQueueSize();
        reads.push_back(read);
        // A newer datagram arrives while the second one still waits.
        if (reads.size() == 1) peer.SendTo(port, "third");
    };
    peer.SendTo(port, "first");
    peer.SendTo(port, "second");
    WaitForDatagramInSystemBuffer();

    ASSERT_TRUE(WaitUntil([&] { return reads.size() == 3; }));
    EXPECT_EQ(reads[0].data, "first");
    EXPECT_EQ(reads[0].queuedAfter, 0u) << "the first one is read straight from the socket";
    EXPECT_EQ(reads[1].data, "second");
    EXPECT_EQ(reads[1].queuedAfter, 1u) << "the second one comes from the queue, the third waits behind it";
    EXPECT_EQ(reads[2].data, "third");
    EXPECT_EQ(reads[0].from, (SenderAddress{kLoopback, peer.Port()}));
    EXPECT_EQ(reads[0].from.AddressText(), "127.0.0.1");

    SpinFor(50);
    EXPECT_EQ(reads.size(), 3u);
    std::string data;
    SenderAddress from;
    EXPECT_FALSE(socket->ReadPacket(data, from));
}

TEST(UdpSocketTest, QueuedDatagramsWaitForTheHandlerWhenItTakesNothing) {
    Peer peer;
    auto socket = BoundSocket();
    const uint16_t port = socket->LocalAddress().Port;
    int events = 0;
    socket->OnDataAvailable = [&](TfndUDPSocket& sender) {
        ++events;
        std::string data;
        SenderAddress from;
        if (events == 1) sender.ReadPacket(data, from);
    };
    for (const char* text : {"a", "b", "c"}) peer.SendTo(port, text);
    WaitForDatagramInSystemBuffer();
    ASSERT_TRUE(WaitUntil([&] { return events == 2; }));
    SpinFor(100);
    EXPECT_EQ(events, 2) << "announced again only while the handler takes datagrams";
    EXPECT_EQ(socket->ReceiveQueueSize(), 2u);
}

TEST(UdpSocketTest, ReadPacketWithNothingPendingReturnsFalseAndEmptyData) {
    TfndUDPSocket socket;
    socket.SetLocalHost("127.0.0.1");
    socket.SetLocalPort("0");
    std::string data = "stale";
    SenderAddress from{1, 2};
    EXPECT_FALSE(socket.ReadPacket(data, from));
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(from, SenderAddress{});
    EXPECT_TRUE(socket.Bound()) << "reading binds the socket";
    EXPECT_EQ(socket.LastErrorCode(), 0);
}

// A datagram read straight from the socket, or moved into the receive queue first, is cut to
// MaxPacketSize with error 10040.
struct TruncationRow {
    const char* name;
    std::size_t size;
    int maxPacketSize;
    bool throughQueue;
    std::size_t expectedSize;
    bool truncated;
};

class UdpTruncationTest : public testing::TestWithParam<TruncationRow> {};

TEST_P(UdpTruncationTest, CutsToMaxPacketSizeAndRecordsTheError) {
    const auto& row = GetParam();
    Peer peer;
    auto socket = BoundSocket();
    socket->SetMaxPacketSize(row.maxPacketSize);
    int errors = 0;
    socket->OnError = [&](TfndUDPSocket& sender) {
        ++errors;
        EXPECT_EQ(sender.LastErrorCode(), udp_error::kPacketTruncated);
    };
    const uint16_t port = socket->LocalAddress().Port;
    std::string payload(row.size, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>('a' + i % 26);

    if (row.throughQueue) {
        // The handler takes a filler datagram; the payload behind it lands in the receive queue.
        bool handled = false;
        socket->OnDataAvailable = [&](TfndUDPSocket& sender) {
            std::string data;
            SenderAddress from;
            if (!handled) handled = sender.ReadPacket(data, from);
        };
        peer.SendTo(port, "f");
        peer.SendTo(port, payload);
        WaitForDatagramInSystemBuffer();
        ASSERT_TRUE(WaitUntil([&] { return handled && socket->ReceiveQueueSize() == 1; }));
        socket->OnDataAvailable = nullptr;
    } else {
        peer.SendTo(port, payload);
        WaitForDatagramInSystemBuffer();
    }

    std::string data;
    SenderAddress from;
    ASSERT_TRUE(socket->ReadPacket(data, from));
    EXPECT_EQ(data, payload.substr(0, row.expectedSize));
    EXPECT_EQ(from.Port, peer.Port());
    if (row.truncated) {
        EXPECT_EQ(socket->LastErrorCode(), 10040);
        EXPECT_EQ(socket->LastErrorMessage(), "Packet truncated: Buffer too small");
        EXPECT_EQ(errors, 1);
    } else {
        EXPECT_EQ(socket->LastErrorCode(), 0);
        EXPECT_EQ(errors, 0);
    }
    // The next read starts with a clean error.
    EXPECT_FALSE(socket->ReadPacket(data, from));
    EXPECT_EQ(socket->LastErrorCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, UdpTruncationTest,
                         testing::Values(TruncationRow{"Over4096Direct", 5000, 4096, false, 4096, true},
                                         TruncationRow{"Over4096Queued", 5000, 4096, true, 4096, true},
                                         TruncationRow{"Exactly4096", 4096, 4096, false, 4096, false},
                                         TruncationRow{"EmptyDatagram", 0, 4096, false, 0, false},
                                         TruncationRow{"SmallLimitQueued", 10, 4, true, 4, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UdpSocketTest, UnresolvableHostRaisesSendFailedAndSendsNothing) {
    Peer peer;
    auto socket = BoundSocket();
    std::atomic<int> lookups{0};
    socket->HostLookup = [&](const std::string& host) -> std::optional<uint32_t> {
        ++lookups;
        EXPECT_EQ(host, "rtu.invalid");
        return std::nullopt;
    };
    int sendFailed = 0;
    socket->OnSendFailed = [&](TfndUDPSocket&) { ++sendFailed; };

    socket->SendTo("rtu.invalid", peer.PortText(), "R0");
    socket->SendTo("rtu.invalid", peer.PortText(), "R1");
    EXPECT_EQ(sendFailed, 0) << "a host name is looked up in the background";
    ASSERT_TRUE(WaitUntil([&] { return sendFailed == 2; }));
    EXPECT_EQ(lookups.load(), 1) << "items waiting for the same host share one lookup";
    EXPECT_EQ(socket->SendQueueSize(), 0u);
    SpinFor(50);
    EXPECT_FALSE(peer.Receive(50).has_value());
}

TEST(UdpSocketTest, ResolvedHostNameSendsEveryWaitingItemInOrder) {
    Peer peer;
    auto socket = BoundSocket();
    socket->HostLookup = [](const std::string&) -> std::optional<uint32_t> {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        return kLoopback;
    };
    socket->SendTo("rtu", peer.PortText(), "R0");
    socket->SendTo("rtu", peer.PortText(), "R1");
    EXPECT_EQ(socket->SendQueueSize(), 2u);
    ASSERT_TRUE(WaitUntil([&] { return socket->SendQueueSize() == 0; }));
    EXPECT_EQ(peer.Receive(1000), std::optional<std::string>("R0"));
    EXPECT_EQ(peer.Receive(1000), std::optional<std::string>("R1"));
}

TEST(UdpSocketTest, SystemLookupResolvesLocalhost) {
    Peer peer;
    auto socket = BoundSocket();
    socket->SendTo("localhost", peer.PortText(), "hello");
    ASSERT_TRUE(WaitUntil([&] { return socket->SendQueueSize() == 0; }));
    EXPECT_EQ(peer.Receive(1000), std::optional<std::string>("hello"));
}

TEST(UdpSocketTest, BadDestinationPortRaisesSendFailed) {
    auto socket = BoundSocket();
    int sendFailed = 0;
    socket->OnSendFailed = [&](TfndUDPSocket&) { ++sendFailed; };
    for (const char* port : {"70000", "no-such-udp-service", ""}) {
        socket->SendTo("127.0.0.1", port, "x");
    }
    EXPECT_EQ(sendFailed, 3);
    EXPECT_EQ(socket->SendQueueSize(), 0u);
}

TEST(UdpSocketTest, DestroyingTheSocketDuringALookupIsSafe) {
    Peer peer;
    auto socket = BoundSocket();
    socket->HostLookup = [](const std::string&) -> std::optional<uint32_t> {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return kLoopback;
    };
    socket->SendTo("slow-host", peer.PortText(), "late");
    socket.reset();
    SpinFor(250);
    EXPECT_FALSE(peer.Receive(50).has_value());
}

TEST(UdpSocketTest, BindFailureOnAPortInUse) {
    Peer peer;
    TfndUDPSocket socket;
    socket.SetLocalHost("127.0.0.1");
    socket.SetLocalPort(peer.PortText());
    std::string messageSeenByOnError;
    socket.OnError = [&](TfndUDPSocket& sender) { messageSeenByOnError = sender.LastErrorMessage(); };
    const std::string expected = std::string("Socket bind failed: ") + std::strerror(EADDRINUSE);
    try {
        socket.SendTo("127.0.0.1", peer.PortText(), "R0");
        FAIL() << "no exception";
    } catch (const EWinSock& error) {
        EXPECT_EQ(std::string(error.what()), expected);
        EXPECT_EQ(error.Code(), EADDRINUSE);
    }
    EXPECT_EQ(messageSeenByOnError, expected) << "OnError comes before the exception, with the error stored";
    EXPECT_EQ(socket.LastErrorCode(), EADDRINUSE);
    EXPECT_FALSE(socket.Bound());
    EXPECT_EQ(socket.SendQueueSize(), 0u);
}

// LocalHost and LocalPort resolution at binding.
struct LocalAddressRow {
    const char* name;
    const char* host;
    const char* port;
    uint32_t expectedAddress;
};

class UdpLocalAddressTest : public testing::TestWithParam<LocalAddressRow> {};

TEST_P(UdpLocalAddressTest, ResolvesLocalHostAndPort) {
    const auto& row = GetParam();
    TfndUDPSocket socket;
    socket.SetLocalHost(row.host);
    socket.SetLocalPort(row.port);
    socket.SetBound(true);
    ASSERT_TRUE(socket.Bound());
    EXPECT_EQ(socket.LocalAddress().Address, row.expectedAddress);
    EXPECT_NE(socket.LocalAddress().Port, 0);
    socket.SetBound(false);
    EXPECT_FALSE(socket.Bound());
}

INSTANTIATE_TEST_SUITE_P(Rows, UdpLocalAddressTest,
                         testing::Values(LocalAddressRow{"Dotted", "127.0.0.1", "0", kLoopback},
                                         LocalAddressRow{"HostName", "localhost", "0", kLoopback},
                                         LocalAddressRow{"EmptyIsAny", "", "", 0},
                                         LocalAddressRow{"UnknownServiceIsAnyPort", "127.0.0.1",
                                                         "no-such-udp-service", kLoopback}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UdpSocketTest, PortNumberOutOfRangeFailsToBind) {
    TfndUDPSocket socket;
    socket.SetLocalHost("127.0.0.1");
    socket.SetLocalPort("70000");
    EXPECT_THROW(socket.SetBound(true), EWinSock);
    EXPECT_FALSE(socket.Bound());
}

// The receive queue keeps at most MaxReceiveBufferPacketCount datagrams; the rest are dropped:
// the newest ones, or with DropOldestWhenFull the oldest queued ones.
struct QueueLimitRow {
    int limit;
    bool dropOldest;
    std::size_t kept;
    int first;  // the first datagram kept
};

class UdpReceiveLimitTest : public testing::TestWithParam<QueueLimitRow> {};

TEST_P(UdpReceiveLimitTest, KeepsUpToTheLimit) {
    const auto& row = GetParam();
    constexpr int kSent = 5;
    Peer peer;
    auto socket = BoundSocket();
    socket->SetMaxReceiveBufferPacketCount(row.limit);
    socket->SetDropOldestWhenFull(row.dropOldest);
    const uint16_t port = socket->LocalAddress().Port;
    for (int i = 0; i < kSent; ++i) peer.SendTo(port, std::to_string(i));
    WaitForDatagramInSystemBuffer();
    ASSERT_TRUE(
        WaitUntil([&] { return socket->ReceiveQueueSize() + socket->DroppedPacketCount() == kSent; }));
    EXPECT_EQ(socket->ReceiveQueueSize(), row.kept);
    for (std::size_t i = 0; i < row.kept; ++i) {
        std::string data;
        SenderAddress from;
        ASSERT_TRUE(socket->ReadPacket(data, from));
        EXPECT_EQ(data, std::to_string(row.first + static_cast<int>(i)));
    }
    // The socket was drained, so the notifier stays quiet and the queue does not refill.
    SpinFor(50);
    EXPECT_EQ(socket->ReceiveQueueSize(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Limits, UdpReceiveLimitTest,
                         testing::Values(QueueLimitRow{-1, false, 5, 0}, QueueLimitRow{0, false, 0, 0},
                                         QueueLimitRow{2, false, 2, 0}, QueueLimitRow{5, false, 5, 0},
                                         QueueLimitRow{-1, true, 5, 0}, QueueLimitRow{0, true, 0, 0},
                                         QueueLimitRow{1, true, 1, 4}, QueueLimitRow{2, true, 2, 3},
                                         QueueLimitRow{5, true, 5, 0}));

// A burst larger than the bound, with a handler that takes one datagram per event: it sees the
// first datagram, then the newest ones up to the bound, the last one last.
TEST(UdpSocketTest, BurstBeyondTheBoundEndsWithItsNewestDatagrams) {
    constexpr int kBound = 8;
    constexpr int kSent = 40;
    Peer peer;
    auto socket = BoundSocket();
    socket->SetMaxReceiveBufferPacketCount(kBound);
    socket->SetDropOldestWhenFull(true);
    std::vector<std::string> seen;
    socket->OnDataAvailable = [&](TfndUDPSocket& s) {
        std::string data;
        SenderAddress from;
        if (s.ReadPacket(data, from)) seen.push_back(data);
    };
    for (int i = 0; i < kSent; ++i) peer.SendTo(socket->LocalAddress().Port, std::to_string(i));
    WaitForDatagramInSystemBuffer();
    ASSERT_TRUE(WaitUntil([&] { return !seen.empty() && seen.back() == std::to_string(kSent - 1); }));
    SpinFor(30);
    std::vector<std::string> expected{"0"};
    for (int i = kSent - kBound; i < kSent; ++i) expected.push_back(std::to_string(i));
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(socket->DroppedPacketCount(), static_cast<uint64_t>(kSent - 1 - kBound));
}

TEST(UdpSocketTest, SystemReceiveBufferIsAskedForAtBinding) {
    constexpr int kBytes = 1 << 20;
    std::ifstream rmemMax("/proc/sys/net/core/rmem_max");
    long systemMax = 0;
    rmemMax >> systemMax;
    if (systemMax < kBytes)
        GTEST_SKIP() << "the system gives a receive buffer of " << systemMax << " bytes at most";
    auto socket = std::make_unique<TfndUDPSocket>();
    socket->SetLocalHost("127.0.0.1");
    socket->SetLocalPort("0");
    socket->SetSystemReceiveBufferSize(kBytes);
    socket->SetBound(true);
    Peer peer;
    // A burst of that many bytes waits in the system while nobody reads.
    constexpr int kSent = 600;
    for (int i = 0; i < kSent; ++i) peer.SendTo(socket->LocalAddress().Port, "r2 " + std::string(32, '1'));
    WaitForDatagramInSystemBuffer();
    ASSERT_TRUE(WaitUntil([&] { return socket->ReceiveQueueSize() == kSent; }));
}

TEST(UdpSocketTest, DataAvailableIsNotReenteredFromANestedEventLoop) {
    Peer peer;
    auto socket = BoundSocket();
    int depth = 0;
    int maxDepth = 0;
    int events = 0;
    socket->OnDataAvailable = [&](TfndUDPSocket& sender) {
        ++events;
        maxDepth = std::max(maxDepth, ++depth);
        std::string data;
        SenderAddress from;
        sender.ReadPacket(data, from);
        if (events == 1) {
            // Like a modal message box shown from the handler.
            peer.SendTo(sender.LocalAddress().Port, "during");
            QEventLoop loop;
            QTimer::singleShot(100, &loop, &QEventLoop::quit);
            loop.exec();
        }
        --depth;
    };
    peer.SendTo(socket->LocalAddress().Port, "first");
    ASSERT_TRUE(WaitUntil([&] { return events >= 2; }));
    EXPECT_EQ(maxDepth, 1);
}

TEST(UdpSocketTest, ClosingFromInsideTheHandlerIsSafeAndTheSocketBindsAgain) {
    Peer peer;
    auto socket = BoundSocket();
    int events = 0;
    socket->OnDataAvailable = [&](TfndUDPSocket& sender) {
        ++events;
        sender.SetBound(false);
    };
    peer.SendTo(socket->LocalAddress().Port, "x");
    ASSERT_TRUE(WaitUntil([&] { return events == 1; }));
    SpinFor(20);
    EXPECT_FALSE(socket->Bound());
    socket->SendTo("127.0.0.1", peer.PortText(), "again");
    EXPECT_TRUE(socket->Bound());
    ASSERT_TRUE(WaitUntil([&] { return socket->SendQueueSize() == 0; }));
    EXPECT_EQ(peer.Receive(1000), std::optional<std::string>("again"));
}

TEST(UdpSocketTest, PausedReadNotificationsHoldTheEventBack) {
    Peer peer;
    auto socket = BoundSocket();
    int events = 0;
    socket->OnDataAvailable = [&](TfndUDPSocket& sender) {
        ++events;
        std::string data;
        SenderAddress from;
        sender.ReadPacket(data, from);
    };
    socket->SetReadNotificationsEnabled(false);
    peer.SendTo(socket->LocalAddress().Port, "held");
    SpinFor(100);
    EXPECT_EQ(events, 0);
    socket->SetReadNotificationsEnabled(true);
    EXPECT_TRUE(WaitUntil([&] { return events == 1; }));
}

TEST(UdpSocketTest, UnreadDatagramWithoutReceiveBufferDoesNotSpin) {
    Peer peer;
    auto socket = BoundSocket();
    socket->SetUseReceiveBuffer(false);
    int events = 0;
    socket->OnDataAvailable = [&](TfndUDPSocket&) { ++events; };  // reads nothing
    peer.SendTo(socket->LocalAddress().Port, "unread");
    ASSERT_TRUE(WaitUntil([&] { return events == 1; }));
    SpinFor(100);
    EXPECT_EQ(events, 1);
    std::string data;
    SenderAddress from;
    ASSERT_TRUE(socket->ReadPacket(data, from));
    EXPECT_EQ(data, "unread");
    // Reading re-arms the notification.
    peer.SendTo(socket->LocalAddress().Port, "next");
    EXPECT_TRUE(WaitUntil([&] { return events == 2; }));
}

TEST(UdpSocketTest, SendFailure) {
    // Broadcast without the broadcast option is refused by the system.
    Peer peer;
    int sendFailed = 0;
    int errors = 0;
    {
        auto socket = BoundSocket();
        socket->SetUseSendBuffer(false);
        socket->OnSendFailed = [&](TfndUDPSocket&) { ++sendFailed; };
        socket->OnError = [&](TfndUDPSocket&) { ++errors; };
        try {
            socket->SendTo("255.255.255.255", peer.PortText(), "x");
            FAIL() << "no exception";
        } catch (const EWinSock& error) {
            EXPECT_EQ(std::string(error.what()).rfind("Send failed: ", 0), 0u) << error.what();
        }
        EXPECT_EQ(sendFailed, 1);
        EXPECT_EQ(errors, 1);
    }
    {
        // With the send buffer the failure shows when the queue is sent: the item is dropped.
        sendFailed = 0;
        auto socket = BoundSocket();
        socket->OnSendFailed = [&](TfndUDPSocket&) { ++sendFailed; };
        socket->SendTo("255.255.255.255", peer.PortText(), "x");
        socket->SendTo("127.0.0.1", peer.PortText(), "after");
        ASSERT_TRUE(WaitUntil([&] { return socket->SendQueueSize() == 0; }));
        EXPECT_EQ(sendFailed, 1);
        EXPECT_EQ(peer.Receive(1000), std::optional<std::string>("after"));
    }
}

TEST(UdpSocketTest, OnlyUdpIsAllowed) {
    TfndUDPSocket socket;
    EXPECT_NO_THROW(socket.SetProtocol(IPPROTO_UDP));
    try {
        socket.SetProtocol(IPPROTO_TCP);
        FAIL() << "no exception";
    } catch (const EWinSock& error) {
        EXPECT_EQ(error.Code(), 20004);
        EXPECT_STREQ(error.what(), "AUDPSocket.SetProtocol: Only UDP allowed here");
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
