// The UDP endpoint against Wine's real Winsock. Everything goes by unicast to
// 127.0.0.1; nothing here broadcasts. Datagrams are awaited by pumping the
// message queue until a condition holds or a deadline passes. That nothing
// arrived is shown with a marker datagram sent afterwards: once the marker is
// in, whatever came before it would have been delivered first.
#include "lan/udp_endpoint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "raw_socket.h"
#include "win_test_support.h"

namespace pavlune {
namespace {

using test::PumpMessages;
using test::PumpUntil;
using test::RawSocket;
using test::ScriptedDialogs;

// Ports of their own, so that a Pavlune running beside the tests is no bother.
constexpr int kReceiverPort = 25963;
constexpr int kOtherPort = 25964;
constexpr int kSenderPort = 25965;

constexpr const char* kLoopback = "127.0.0.1";
constexpr const char* kMarker = "marker";

std::string Bytes(const char* data, size_t size) { return std::string(data, size); }

// One datagram as the handler saw it.
struct Delivery {
    int NumberBytes = 0;
    std::string FromIp;
    int Port = 0;
    std::string Bytes;       // what ReadBuffer copied
    int Length = 0;          // what ReadBuffer reported
    bool WroteBeyond = false;  // ReadBuffer touched the caller's buffer past NumberBytes
};

// An endpoint whose handler copies every datagram out with ReadBuffer. The
// buffer is larger than any datagram and filled with a mark, so that bytes
// copied past NumberBytes show.
class Listener {
public:
    explicit Listener(UserDialogs& dialogs) : endpoint(dialogs) {
        endpoint.OnDataReceived = [this](TUdpEndpoint& sender, int numberBytes, const std::string& fromIp, int port) {
            EXPECT_EQ(&sender, &endpoint);
            const size_t size = static_cast<size_t>(std::max(numberBytes, 0));
            std::vector<char> buffer(TUdpEndpoint::kReceiveBufferSize + 16, '#');
            Delivery delivery;
            delivery.NumberBytes = numberBytes;
            delivery.FromIp = fromIp;
            delivery.Port = port;
            sender.ReadBuffer(buffer.data(), delivery.Length);
            delivery.Bytes.assign(buffer.data(), size);
            delivery.WroteBeyond = std::any_of(buffer.begin() + static_cast<long>(size), buffer.end(),
                                               [](char c) { return c != '#'; });
            deliveries.push_back(delivery);
        };
    }

    // Waits for a datagram with these bytes.
    bool AwaitBytes(const std::string& bytes) {
        return PumpUntil([&] {
            return std::any_of(deliveries.begin(), deliveries.end(),
                               [&](const Delivery& d) { return d.Bytes == bytes; });
        });
    }
    bool AwaitCount(size_t count) {
        return PumpUntil([&] { return deliveries.size() >= count; });
    }
    std::vector<std::string> ReceivedBytes() const {
        std::vector<std::string> all;
        for (const Delivery& d : deliveries) all.push_back(d.Bytes);
        return all;
    }

    TUdpEndpoint endpoint;
    std::vector<Delivery> deliveries;
};

class UdpEndpointTest : public ::testing::Test {
protected:
    // A listener bound to port, as the program's endpoints are.
    std::unique_ptr<Listener> Bound(int port) {
        auto listener = std::make_unique<Listener>(dialogs_);
        listener->endpoint.SetLocalPort(port);
        return listener;
    }
    // An endpoint bound to port that sends to 127.0.0.1:remotePort.
    std::unique_ptr<Listener> Sender(int port, int remotePort) {
        auto sender = Bound(port);
        sender->endpoint.RemoteHost = kLoopback;
        sender->endpoint.RemotePort = remotePort;
        return sender;
    }
    static void Send(TUdpEndpoint& endpoint, const std::string& bytes) {
        endpoint.SendBuffer(bytes.data(), static_cast<int>(bytes.size()));
    }

    ScriptedDialogs dialogs_;
};

// ---- Delivery ---------------------------------------------------------------

TEST_F(UdpEndpointTest, DatagramArrivesOnceWithTheSendersAddressAndPort) {
    auto receiver = Bound(kReceiverPort);
    auto sender = Sender(kSenderPort, kReceiverPort);

    Send(sender->endpoint, "在席");
    Send(sender->endpoint, kMarker);
    ASSERT_TRUE(receiver->AwaitBytes(kMarker));

    ASSERT_EQ(receiver->ReceivedBytes(), (std::vector<std::string>{"在席", kMarker}));
    const Delivery& first = receiver->deliveries[0];
    EXPECT_EQ(first.NumberBytes, 4);
    EXPECT_EQ(first.Length, 4);
    EXPECT_EQ(first.FromIp, "127.0.0.1");
    EXPECT_EQ(first.Port, kSenderPort);
    EXPECT_TRUE(sender->deliveries.empty()) << "the sender's own port hears nothing";
}

TEST_F(UdpEndpointTest, ReadBufferCopiesExactlyTheBytesOfTheDatagram) {
    std::string full(TUdpEndpoint::kReceiveBufferSize, '\0');
    for (size_t i = 0; i < full.size(); ++i) full[i] = static_cast<char>(i * 7 + 1);
    const std::vector<std::string> payloads = {
        "x",
        "表示ソフト\\会議中",                          // second bytes 0x5C
        Bytes("2024/05/01 12:00:00\\外出\\山田\0", 30),  // the zero byte that ends a presence datagram
        Bytes("a\0b\0\0c", 6),
        "\x81\x40\xFF\x80\xFC\xFC\x9F",
        full,  // exactly the size of the receive buffer
    };
    auto receiver = Bound(kReceiverPort);
    auto sender = Sender(kSenderPort, kReceiverPort);

    for (const std::string& payload : payloads) {
        receiver->deliveries.clear();
        Send(sender->endpoint, payload);
        ASSERT_TRUE(receiver->AwaitCount(1)) << "size " << payload.size();
        const Delivery& got = receiver->deliveries[0];
        EXPECT_EQ(got.NumberBytes, static_cast<int>(payload.size()));
        EXPECT_EQ(got.Length, static_cast<int>(payload.size()));
        EXPECT_EQ(got.Bytes, payload) << "size " << payload.size();
        EXPECT_FALSE(got.WroteBeyond) << "size " << payload.size();
    }
}

TEST_F(UdpEndpointTest, EmptyDatagramIsDeliveredAsZeroBytes) {
    auto receiver = Bound(kReceiverPort);
    RawSocket raw(kOtherPort);

    raw.SendTo(kReceiverPort, "");
    ASSERT_TRUE(receiver->AwaitCount(1));
    const Delivery& got = receiver->deliveries[0];
    EXPECT_EQ(got.NumberBytes, 0);
    EXPECT_EQ(got.Length, 0);
    EXPECT_FALSE(got.WroteBeyond);
    EXPECT_EQ(got.FromIp, "127.0.0.1");
    EXPECT_EQ(got.Port, kOtherPort);
}

TEST_F(UdpEndpointTest, DatagramLargerThanTheBufferIsAFailedReadAndTheNextOneComes) {
    auto receiver = Bound(kReceiverPort);
    RawSocket raw(kOtherPort);

    raw.SendTo(kReceiverPort, std::string(TUdpEndpoint::kReceiveBufferSize + 1, 'a'));
    raw.SendTo(kReceiverPort, std::string(3000, 'b'));
    raw.SendTo(kReceiverPort, kMarker);
    ASSERT_TRUE(receiver->AwaitBytes(kMarker));

    ASSERT_EQ(receiver->deliveries.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        const Delivery& failed = receiver->deliveries[i];
        EXPECT_EQ(failed.NumberBytes, -1) << i;
        EXPECT_EQ(failed.Length, -1) << i;
        EXPECT_FALSE(failed.WroteBeyond) << "a failed read copies nothing";
    }
    EXPECT_EQ(receiver->deliveries[2].NumberBytes, 6);
}

// ---- Sending ----------------------------------------------------------------

TEST_F(UdpEndpointTest, SendingNoBytesIsAnInvalidBufferAndSendsNothing) {
    auto receiver = Bound(kReceiverPort);
    auto sender = Sender(kSenderPort, kReceiverPort);

    try {
        sender->endpoint.SendBuffer("ignored", 0);
        FAIL() << "no error";
    } catch (const UDPSockError& e) {
        FAIL() << "a general error is expected, not a sockets error: " << e.what();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid buffer");
    }
    Send(sender->endpoint, kMarker);
    ASSERT_TRUE(receiver->AwaitBytes(kMarker));
    EXPECT_EQ(receiver->ReceivedBytes(), std::vector<std::string>{kMarker});
}

TEST_F(UdpEndpointTest, NullRemoteAddressIsRefused) {
    auto sender = Sender(kSenderPort, kReceiverPort);
    sender->endpoint.RemoteHost = "0.0.0.0";
    try {
        Send(sender->endpoint, "在席");
        FAIL() << "no error";
    } catch (const UDPSockError& e) {
        EXPECT_STREQ(e.what(), "Null Remote Address");
    }
}

// A window of the test's own that counts the WM_APP messages posted to it.
class CountingWindow {
public:
    CountingWindow() {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &WindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "UdpEndpointTestCounter";
        RegisterClassExA(&windowClass);
        handle = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, nullptr);
        SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count));
    }
    ~CountingWindow() { DestroyWindow(handle); }

    HWND handle;
    int count = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* count = reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_APP && count) {
            ++*count;
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

TEST_F(UdpEndpointTest, HostNameIsLookedUpWhileTheApplicationGoesOn) {
    auto receiver = Bound(kReceiverPort);
    auto sender = Sender(kSenderPort, kReceiverPort);
    sender->endpoint.RemoteHost = "localhost";
    CountingWindow window;
    ASSERT_NE(window.handle, nullptr);

    // Queued before the lookup starts, so its answer comes after this.
    PostMessageA(window.handle, WM_APP, 0, 0);
    Send(sender->endpoint, "在席");
    EXPECT_EQ(window.count, 1) << "messages are handled while the name is looked up";

    ASSERT_TRUE(receiver->AwaitBytes("在席"));
    EXPECT_EQ(receiver->deliveries[0].FromIp, "127.0.0.1");
    EXPECT_EQ(receiver->deliveries[0].Port, kSenderPort);
}

TEST_F(UdpEndpointTest, UnknownHostNameFailsAsACanceledLookup) {
    auto sender = Sender(kSenderPort, kReceiverPort);
    // The reserved top-level domain never resolves. Without a name server
    // the lookup takes as long as the resolver's time-outs.
    sender->endpoint.RemoteHost = "no-such-host.invalid";
    const DWORD start = GetTickCount();
    try {
        Send(sender->endpoint, "在席");
        FAIL() << "no error";
    } catch (const UDPSockError& e) {
        EXPECT_STREQ(e.what(), "Host Lookup Canceled");
    }
    std::printf("two lookups of an unknown name took %lu ms\n", GetTickCount() - start);
}

// ---- The local port ---------------------------------------------------------

TEST_F(UdpEndpointTest, EndpointMadeAtRunTimeHearsNothingUntilItGetsAPort) {
    auto peer = Bound(kOtherPort);
    Listener late(dialogs_);
    late.endpoint.RemoteHost = kLoopback;
    late.endpoint.RemotePort = kOtherPort;

    // Sending gives the unbound socket a port of the system's choice; a reply
    // to that port finds the datagram queued but nobody told about it.
    Send(late.endpoint, "hello");
    ASSERT_TRUE(peer->AwaitBytes("hello"));
    const int sourcePort = peer->deliveries[0].Port;
    peer->endpoint.RemoteHost = kLoopback;
    peer->endpoint.RemotePort = sourcePort;
    Send(peer->endpoint, "reply");
    // Once the peer hears its own marker, a notification of the reply would
    // have been handled as well.
    RawSocket raw(kSenderPort);
    raw.SendTo(kOtherPort, kMarker);
    ASSERT_TRUE(peer->AwaitBytes(kMarker));
    EXPECT_TRUE(late.deliveries.empty());

    late.endpoint.SetLocalPort(kReceiverPort);
    raw.SendTo(kReceiverPort, "after");
    ASSERT_TRUE(late.AwaitBytes("after"));
    EXPECT_EQ(late.ReceivedBytes(), std::vector<std::string>{"after"});
}

TEST_F(UdpEndpointTest, PortZeroStopsReceivingOnTheOldPortButStillSends) {
    auto presence = Sender(kReceiverPort, kOtherPort);
    auto peer = Bound(kOtherPort);

    presence->endpoint.SetLocalPort(0);
    Send(presence->endpoint, "logoff");
    ASSERT_TRUE(peer->AwaitBytes("logoff"));
    const int newPort = peer->deliveries[0].Port;
    EXPECT_NE(newPort, kReceiverPort);
    EXPECT_NE(newPort, 0);

    // The old socket is closed: its port is free for someone else.
    auto successor = Bound(kReceiverPort);
    RawSocket raw(kSenderPort);
    raw.SendTo(kReceiverPort, "to the old port");
    raw.SendTo(newPort, kMarker);
    ASSERT_TRUE(successor->AwaitBytes("to the old port"));
    ASSERT_TRUE(presence->AwaitBytes(kMarker));
    EXPECT_EQ(presence->ReceivedBytes(), std::vector<std::string>{kMarker});
}

TEST_F(UdpEndpointTest, PortInUseBindsSilentlyToNothingButStillSends) {
    auto first = Bound(kReceiverPort);
    auto second = Sender(kReceiverPort, kOtherPort);  // no error
    auto peer = Bound(kOtherPort);

    Send(second->endpoint, "from the second");
    ASSERT_TRUE(peer->AwaitBytes("from the second"));
    const int secondPort = peer->deliveries[0].Port;
    EXPECT_NE(secondPort, kReceiverPort) << "the system chose the source port";

    RawSocket raw(kSenderPort);
    raw.SendTo(kReceiverPort, "to the shared port");
    raw.SendTo(secondPort, kMarker);
    ASSERT_TRUE(first->AwaitBytes("to the shared port"));
    ASSERT_TRUE(second->AwaitBytes(kMarker));
    EXPECT_EQ(second->ReceivedBytes(), std::vector<std::string>{kMarker});
    EXPECT_EQ(first->ReceivedBytes(), std::vector<std::string>{"to the shared port"});
}

TEST_F(UdpEndpointTest, MovingToAnotherPortLosesWhatWaitedOnTheOldOne) {
    auto receiver = Bound(kReceiverPort);
    RawSocket raw(kSenderPort);

    // A datagram waits on the old socket and its read event in the queue.
    raw.SendTo(kReceiverPort, "waiting");
    MSG waiting;
    ASSERT_TRUE(PumpUntil([&] {
        return PeekMessageA(&waiting, nullptr, TUdpEndpoint::kNotifyMessage, TUdpEndpoint::kNotifyMessage,
                            PM_NOREMOVE) != FALSE;
    }));
    receiver->endpoint.SetLocalPort(kOtherPort);
    EXPECT_EQ(receiver->endpoint.LocalPort(), kOtherPort);
    // A read event of the old socket left in the queue must not read the
    // new one (which has nothing yet: that would be a failed read).
    PumpMessages();

    raw.SendTo(kOtherPort, kMarker);
    ASSERT_TRUE(receiver->AwaitBytes(kMarker));
    EXPECT_EQ(receiver->ReceivedBytes(), std::vector<std::string>{kMarker});
}

// ---- The handler ------------------------------------------------------------

TEST_F(UdpEndpointTest, HandlerErrorIsShownInTheErrorBoxAndTheNextDatagramStillComes) {
    auto receiver = Bound(kReceiverPort);
    auto handler = receiver->endpoint.OnDataReceived;
    receiver->endpoint.OnDataReceived = [&](TUdpEndpoint& sender, int numberBytes, const std::string& fromIp,
                                            int port) {
        handler(sender, numberBytes, fromIp, port);
        if (receiver->deliveries.back().Bytes == "bad") throw Error("handler failed");
    };
    auto sender = Sender(kSenderPort, kReceiverPort);

    Send(sender->endpoint, "bad");
    Send(sender->endpoint, "good");
    ASSERT_TRUE(receiver->AwaitBytes("good"));

    EXPECT_EQ(receiver->ReceivedBytes(), (std::vector<std::string>{"bad", "good"}));
    ASSERT_EQ(dialogs_.Messages.size(), 1u);
    EXPECT_EQ(dialogs_.Messages[0].Text, "handler failed.");
    EXPECT_EQ(dialogs_.Messages[0].Caption, "Pavlune");
    EXPECT_EQ(dialogs_.Messages[0].Flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
}

// ---- A busy LAN -------------------------------------------------------------

// A thousand presence datagrams arrive while the program is busy (a saver
// runs, a dialog is open): the queue of 1 MB holds them all until the
// program reads them, also when the port is given after the size.
struct QueueOrder {
    const char* Name;
    bool SizeFirst;
};
void PrintTo(const QueueOrder& order, std::ostream* out) { *out << order.Name; }

class ReceiveQueueTest : public UdpEndpointTest, public ::testing::WithParamInterface<QueueOrder> {};

TEST_P(ReceiveQueueTest, BurstOfAThousandIsDeliveredInFull) {
    constexpr int kBurst = 1000;
    auto receiver = std::make_unique<Listener>(dialogs_);
    if (GetParam().SizeFirst) receiver->endpoint.SetReceiveQueueSize(1 << 20);
    receiver->endpoint.SetLocalPort(kReceiverPort);
    if (!GetParam().SizeFirst) receiver->endpoint.SetReceiveQueueSize(1 << 20);
    auto sender = Sender(kSenderPort, kReceiverPort);

    std::vector<std::string> sent;
    for (int i = 0; i < kBurst; ++i) {
        char text[64];
        int length = std::snprintf(text, sizeof text, "2024/05/01 12:00:00\\会議中 %04d\\山田\\営業部", i);
        sent.emplace_back(text, static_cast<size_t>(length) + 1);
        Send(sender->endpoint, sent.back());
    }
    receiver->AwaitCount(kBurst);
    std::printf("%s: %zu of %d datagrams delivered\n", GetParam().Name, receiver->deliveries.size(), kBurst);
    ASSERT_EQ(receiver->deliveries.size(), sent.size());
    EXPECT_TRUE(receiver->ReceivedBytes() == sent) << "every datagram intact and in the order sent";
}

INSTANTIATE_TEST_SUITE_P(Order, ReceiveQueueTest,
                         ::testing::Values(QueueOrder{"SizeThenPort", true}, QueueOrder{"PortThenSize", false}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace pavlune
