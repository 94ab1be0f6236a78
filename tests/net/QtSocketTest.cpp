// The Qt socket layer on real loopback connections: notifications, error
// codes, queued sends, and listeners that tear the socket down mid-call.
#include "platform/qt/QtSocket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "NetTestSupport.h"

namespace zorl::qt {
namespace {

using test::PumpFor;
using test::RawListener;
using test::RawStream;
using test::WaitUntil;

constexpr unsigned kClientEvents = kEventRead | kEventOutOfBand | kEventConnect | kEventClose;
constexpr unsigned kListenEvents = kEventRead | kEventAccept | kEventClose;

// Records every notification as "connect 0", "receive 0", "close 10054", ...
// and reads what a receive notification announces.
class Recorder : public ISocketListener {
public:
    enum class Reading { Drain, OneByte };

    std::unique_ptr<IAsyncSocket> socket;
    Reading reading = Reading::Drain;
    std::vector<std::string> events;
    std::string received;
    WsaError lastReadError = kWsaOk;
    // Runs after an event was recorded (and read); may destroy `socket`.
    std::function<void(const std::string& event)> after;

    IAsyncSocket* Open(unsigned wanted, const std::string& bind = "127.0.0.1", uint16_t port = 0,
                       WsaError* error = nullptr) {
        socket = std::make_unique<QtSocket>();
        socket->SetListener(this);
        WsaError result = socket->Create(wanted, bind, port);
        if (error) *error = result;
        return socket.get();
    }
    void Adopt(std::unique_ptr<IAsyncSocket> accepted) {
        socket = std::move(accepted);
        if (socket) socket->SetListener(this);
    }
    bool Saw(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }
    // The last event of the given kind ("connect", "close"), as its code.
    int Code(const std::string& kind) const {
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            if (it->rfind(kind + " ", 0) == 0) return std::stoi(it->substr(kind.size() + 1));
        }
        return -1;
    }
    std::string Transcript() const {
        std::string text;
        for (const std::string& event : events) text += event + "; ";
        return text;
    }

    void OnSocketConnect(WsaError error) override { Record("connect", error); }
    void OnSocketReceive(WsaError error) override { Record("receive", error); }
    void OnSocketClose(WsaError error) override { Record("close", error); }
    void OnSocketAccept(WsaError error) override { Record("accept", error); }

private:
    void Record(const char* kind, WsaError error) {
        std::string event = std::string(kind) + " " + std::to_string(error);
        events.push_back(event);
        if (event == "receive 0" && socket) Read();
        if (after) after(event);
    }
    void Read() {
        char buffer[40950];
        std::size_t size = reading == Reading::OneByte ? 1 : sizeof buffer;
        for (;;) {
            WsaError error = kWsaOk;
            long n = socket->Receive(buffer, size, error);
            if (n <= 0) {
                lastReadError = n < 0 ? error : kWsaOk;
                return;
            }
            received.append(buffer, static_cast<std::size_t>(n));
            if (reading == Reading::OneByte) return;
        }
    }
};

std::string Pattern(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return data;
}

// A client QtSocket connected to a raw peer.
struct RawPair {
    explicit RawPair(int receiveBuffer = 0) : listener(receiveBuffer) {
        client.Open(kClientEvents, "", 0);
        connectResult = client.socket->Connect("127.0.0.1", listener.Port());
        peer = RawStream(listener.Accept());
        WaitUntil([&] { return client.Saw("connect 0"); });
    }
    RawListener listener;
    Recorder client;
    WsaError connectResult = kWsaOk;
    RawStream peer;
};

TEST(QtSocketTest, ConnectsAcceptsAndCarriesBytesBothWays) {
    Recorder listening;
    WsaError error = kWsaInvalid;
    IAsyncSocket* listener = listening.Open(kListenEvents, "127.0.0.1", 0, &error);
    ASSERT_EQ(error, kWsaOk);
    ASSERT_EQ(listener->Listen(5), 0);
    std::string listenAddress;
    uint16_t listenPort = 0;
    ASSERT_TRUE(listener->LocalAddress(listenAddress, listenPort));
    EXPECT_EQ(listenAddress, "127.0.0.1");
    ASSERT_NE(listenPort, 0);

    Recorder client;
    ASSERT_NE(client.Open(kClientEvents, "", 0), nullptr);
    EXPECT_EQ(client.socket->Connect("127.0.0.1", listenPort), kWsaWouldBlock);
    // Nothing is delivered inside the engine's own call.
    EXPECT_TRUE(client.events.empty());
    EXPECT_TRUE(listening.events.empty());

    ASSERT_TRUE(WaitUntil([&] { return listening.Saw("accept 0") && client.Saw("connect 0"); }))
        << listening.Transcript() << " / " << client.Transcript();
    Recorder server;
    server.Adopt(listener->Accept(error));
    ASSERT_TRUE(server.socket) << error;
    EXPECT_EQ(error, kWsaOk);
    EXPECT_EQ(listener->Accept(error), nullptr);
    EXPECT_EQ(error, kWsaWouldBlock);

    std::string clientAddress, peerAddress;
    uint16_t clientPort = 0, peerPort = 0;
    ASSERT_TRUE(client.socket->LocalAddress(clientAddress, clientPort));
    ASSERT_TRUE(server.socket->PeerAddress(peerAddress, peerPort));
    EXPECT_EQ(peerAddress, "127.0.0.1");
    EXPECT_EQ(peerPort, clientPort);
    ASSERT_TRUE(client.socket->PeerAddress(peerAddress, peerPort));
    EXPECT_EQ(peerPort, listenPort);

    char scratch[16];
    EXPECT_EQ(client.socket->Receive(scratch, sizeof scratch, error), -1);
    EXPECT_EQ(error, kWsaWouldBlock);

    const std::string line = "NICK joe\r\n";
    EXPECT_EQ(client.socket->Send(line.data(), line.size(), error), static_cast<long>(line.size()));
    ASSERT_TRUE(WaitUntil([&] { return server.received == line; })) << server.received;

    // Far more than one read: the client drains it over several notifications.
    const std::string bulk = Pattern(3 << 20);
    EXPECT_EQ(server.socket->Send(bulk.data(), bulk.size(), error), static_cast<long>(bulk.size()));
    ASSERT_TRUE(WaitUntil([&] { return client.received.size() >= bulk.size(); }, 20000))
        << client.received.size();
    EXPECT_TRUE(client.received == bulk);
    for (std::size_t i = 1; i < client.events.size(); ++i) {
        EXPECT_EQ(client.events[i], "receive 0") << client.Transcript();
    }
    EXPECT_EQ(client.lastReadError, kWsaWouldBlock);
}

TEST(QtSocketTest, ResolvesAHostNameWhileTheEventLoopRuns) {
    RawListener listener;
    Recorder client;
    client.Open(kClientEvents, "", 0);
    EXPECT_EQ(client.socket->Connect("localhost", listener.Port()), kWsaWouldBlock);
    EXPECT_TRUE(client.events.empty());
    RawStream peer(listener.Accept());
    ASSERT_TRUE(peer.IsOpen());
    ASSERT_TRUE(WaitUntil([&] { return !client.events.empty(); })) << client.Transcript();
    EXPECT_EQ(client.events, std::vector<std::string>{"connect 0"});
    std::string address;
    uint16_t port = 0;
    ASSERT_TRUE(client.socket->PeerAddress(address, port));
    EXPECT_EQ(address, "127.0.0.1");
    EXPECT_EQ(port, listener.Port());
}

TEST(QtSocketTest, ConnectFailuresArriveAsWindowsSocketsCodes) {
    const struct {
        const char* what;
        std::string host;
        uint16_t port;
        WsaError code;
    } cases[] = {
        {"nothing listens on the port", "127.0.0.1", test::FreeLoopbackPort(),
         kWsaConnectionRefused},
        {"the name does not resolve", "no-such-host.invalid", 6667, kWsaInvalid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder client;
        client.Open(kClientEvents, "", 0);
        ASSERT_EQ(client.socket->Connect(c.host, c.port), kWsaWouldBlock);
        ASSERT_TRUE(WaitUntil([&] { return !client.events.empty(); }, 20000));
        EXPECT_EQ(client.events, std::vector<std::string>{"connect " + std::to_string(c.code)});
        // A failed connection is no connection.
        WsaError error = kWsaOk;
        EXPECT_EQ(client.socket->Send("x", 1, error), -1);
        EXPECT_EQ(error, kWsaNotConnected);
    }
}

TEST(QtSocketTest, OperationsRefusedAtOnceGiveTheirCodes) {
    RawListener busy;
    QtSocket bound;
    ASSERT_EQ(bound.Create(kClientEvents, "127.0.0.1", 0), kWsaOk);
    QtSocket never;
    WsaError error = kWsaOk;
    char buffer[8];

    const struct {
        const char* what;
        std::function<WsaError()> run;
        WsaError code;
    } cases[] = {
        {"bind to a port somebody listens on",
         [&] { return QtSocket().Create(kListenEvents, "127.0.0.1", busy.Port()); },
         kWsaAddressInUse},
        {"bind to an address that is no address",
         [&] { return QtSocket().Create(kListenEvents, "300.1.2.3", 0); }, kWsaInvalid},
        {"create twice", [&] { return bound.Create(kClientEvents, "", 0); }, kWsaInvalid},
        {"connect without a socket", [&] { return never.Connect("127.0.0.1", 1); }, kWsaNotSocket},
        {"listen without a socket", [&] { return never.Listen(5); }, kWsaNotSocket},
        {"accept on a socket that does not listen",
         [&] { return bound.Accept(error) ? kWsaOk : error; }, kWsaInvalid},
        {"receive before connecting",
         [&] { return bound.Receive(buffer, sizeof buffer, error) < 0 ? error : kWsaOk; },
         kWsaNotConnected},
        {"send before connecting", [&] { return bound.Send("x", 1, error) < 0 ? error : kWsaOk; },
         kWsaNotConnected},
        {"connect to an empty host name", [&] { return bound.Connect("", 6667); }, kWsaInvalid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.run(), c.code);
    }
    bound.Close();
    EXPECT_EQ(bound.Send("x", 1, error), -1);
    EXPECT_EQ(error, kWsaNotSocket);
}

TEST(QtSocketTest, ThePeerGoingAwayIsOneCloseAfterTheData) {
    const struct {
        const char* what;
        std::string lastWords;
        bool reset;
        std::vector<std::string> events;
    } cases[] = {
        {"orderly close after data", "QUIT bye\r\n", false, {"receive 0", "close 0"}},
        {"orderly close, nothing said", "", false, {"close 0"}},
        {"reset after data", "ERROR :gone\r\n", true, {"receive 0", "close 10054"}},
        {"reset, nothing said", "", true, {"close 10054"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RawPair pair;
        ASSERT_TRUE(pair.peer.IsOpen());
        ASSERT_EQ(pair.client.events, std::vector<std::string>{"connect 0"});
        pair.client.events.clear();
        ASSERT_TRUE(pair.peer.SendAll(c.lastWords));
        if (c.reset) {
            pair.peer.Reset();
        } else {
            pair.peer.Close();
        }
        ASSERT_TRUE(WaitUntil([&] { return pair.client.Code("close") >= 0; }))
            << pair.client.Transcript();
        PumpFor(50);  // no second close, nothing after it
        EXPECT_EQ(pair.client.events, c.events) << pair.client.Transcript();
        EXPECT_EQ(pair.client.received, c.lastWords);
        if (c.reset) {
            // A dead connection refuses to send; it never raises SIGPIPE.
            WsaError error = kWsaOk;
            EXPECT_EQ(pair.client.socket->Send("QUIT\r\n", 6, error), -1);
            EXPECT_TRUE(error == kWsaShutdown || error == kWsaConnectionReset) << error;
        }
    }
}

TEST(QtSocketTest, AListenerThatReadsLittleIsToldAgainWhileDataRemains) {
    RawPair pair;
    ASSERT_TRUE(pair.peer.IsOpen());
    pair.client.reading = Recorder::Reading::OneByte;
    pair.client.events.clear();
    ASSERT_TRUE(pair.peer.SendAll("abcde"));
    pair.peer.Close();
    ASSERT_TRUE(WaitUntil([&] { return pair.client.Code("close") >= 0; }))
        << pair.client.Transcript();
    EXPECT_EQ(pair.client.received, "abcde");
    EXPECT_EQ(pair.client.Transcript(),
              "receive 0; receive 0; receive 0; receive 0; receive 0; close 0; ");
}

TEST(QtSocketTest, SendQueuesWhatTheKernelCannotTakeAndKeepsTheOrder) {
    RawPair pair(4096);
    ASSERT_TRUE(pair.peer.IsOpen());
    const std::string data = Pattern(6 << 20);
    const std::size_t block = 65536;
    WsaError error = kWsaOk;
    for (std::size_t offset = 0; offset < data.size(); offset += block) {
        ASSERT_EQ(pair.client.socket->Send(data.data() + offset, block, error),
                  static_cast<long>(block))
            << "offset " << offset << " error " << error;
    }
    auto* socket = static_cast<QtSocket*>(pair.client.socket.get());
    EXPECT_GT(socket->QueuedBytes(), 0u) << "the peer's small buffer should have filled";
    std::string got = pair.peer.ReadExactly(data.size(), 30000);
    ASSERT_EQ(got.size(), data.size());
    EXPECT_TRUE(got == data);
    EXPECT_EQ(socket->QueuedBytes(), 0u);
}

TEST(QtSocketTest, BytesStillQueuedAtCloseReachThePeer) {
    RawPair pair(4096);
    ASSERT_TRUE(pair.peer.IsOpen());
    const std::string data = Pattern(6 << 20);
    WsaError error = kWsaOk;
    ASSERT_EQ(pair.client.socket->Send(data.data(), data.size(), error),
              static_cast<long>(data.size()));
    ASSERT_GT(static_cast<QtSocket*>(pair.client.socket.get())->QueuedBytes(), 0u);
    pair.client.socket->SetListener(nullptr);
    pair.client.socket->Close();
    pair.client.socket.reset();
    std::string got;
    ASSERT_TRUE(pair.peer.ReadToEnd(got, 30000)) << got.size();
    ASSERT_EQ(got.size(), data.size());
    EXPECT_TRUE(got == data);
}

// The owner may go away inside any notification: the socket is destroyed,
// or closed and left without a listener, while its own handler is running.
TEST(QtSocketTest, AListenerMayTearTheSocketDownInsideAnyNotification) {
    enum class Teardown { Destroy, CloseAndForget };
    enum class Trigger { Connected, Refused, Unresolved, DataArrives, PeerCloses, Accept };
    const struct {
        const char* what;
        Trigger trigger;
        Teardown teardown;
        std::string event;
    } cases[] = {
        {"destroyed on connect", Trigger::Connected, Teardown::Destroy, "connect 0"},
        {"destroyed on a refused connect", Trigger::Refused, Teardown::Destroy, "connect 10061"},
        {"destroyed on a failed lookup", Trigger::Unresolved, Teardown::Destroy, "connect 10022"},
        {"destroyed on receive", Trigger::DataArrives, Teardown::Destroy, "receive 0"},
        {"closed on receive", Trigger::DataArrives, Teardown::CloseAndForget, "receive 0"},
        {"destroyed on close", Trigger::PeerCloses, Teardown::Destroy, "close 0"},
        {"closed on close", Trigger::PeerCloses, Teardown::CloseAndForget, "close 0"},
        {"destroyed on accept", Trigger::Accept, Teardown::Destroy, "accept 0"},
        {"closed on accept", Trigger::Accept, Teardown::CloseAndForget, "accept 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RawListener listener;
        Recorder owner;
        auto tearDown = [&](const std::string&) {
            if (!owner.socket) return;
            if (c.teardown == Teardown::Destroy) {
                owner.socket.reset();
            } else {
                owner.socket->SetListener(nullptr);
                owner.socket->Close();
            }
        };
        RawStream peer;
        if (c.trigger == Trigger::DataArrives || c.trigger == Trigger::PeerCloses) {
            owner.Open(kClientEvents, "", 0);
            ASSERT_EQ(owner.socket->Connect("127.0.0.1", listener.Port()), kWsaWouldBlock);
            peer = RawStream(listener.Accept());
            ASSERT_TRUE(WaitUntil([&] { return owner.Saw("connect 0"); }));
            owner.events.clear();
            owner.after = tearDown;
            if (c.trigger == Trigger::DataArrives) peer.SendAll("PING :x\r\nPING :y\r\n");
            if (c.trigger == Trigger::PeerCloses) peer.Close();
        } else if (c.trigger == Trigger::Accept) {
            owner.after = tearDown;
            owner.Open(kListenEvents, "127.0.0.1", 0);
            ASSERT_EQ(owner.socket->Listen(5), 0);
            std::string address;
            uint16_t port = 0;
            owner.socket->LocalAddress(address, port);
            peer = RawStream::Connect(port);
        } else {
            owner.after = tearDown;
            owner.Open(kClientEvents, "", 0);
            const bool unresolved = c.trigger == Trigger::Unresolved;
            uint16_t port = c.trigger == Trigger::Connected ? listener.Port()
                            : unresolved                    ? 6667
                                                            : test::FreeLoopbackPort();
            ASSERT_EQ(
                owner.socket->Connect(unresolved ? "no-such-host.invalid" : "127.0.0.1", port),
                kWsaWouldBlock);
            if (c.trigger == Trigger::Connected) peer = RawStream(listener.Accept());
        }
        ASSERT_TRUE(WaitUntil([&] { return !owner.events.empty(); }, 20000));
        if (peer.IsOpen()) peer.SendAll("more\r\n");
        PumpFor(50);  // whatever else the loop had for the socket finds it gone
        EXPECT_EQ(owner.events, std::vector<std::string>{c.event});
        EXPECT_EQ(owner.socket == nullptr, c.teardown == Teardown::Destroy);
    }
}

TEST(QtSocketTest, OperatingSystemErrorsMapToWindowsSocketsCodes) {
    const std::pair<int, int> table[] = {
        {0, 0},
        {ECONNREFUSED, 10061},
        {ECONNRESET, 10054},
        {ETIMEDOUT, 10060},
        {ENETUNREACH, 10051},
        {EHOSTUNREACH, 10065},
        {EADDRINUSE, 10048},
        {EACCES, 10013},
        {EADDRNOTAVAIL, 10049},
        {ECONNABORTED, 10053},
        {EWOULDBLOCK, 10035},
        {EAGAIN, 10035},
        {EINPROGRESS, 10036},
        {EALREADY, 10037},
        {EINTR, 10004},
        {EBADF, 10009},
        {EFAULT, 10014},
        {EINVAL, 10022},
        {EMFILE, 10024},
        {ENOTSOCK, 10038},
        {EMSGSIZE, 10040},
        {ENOBUFS, 10055},
        {EISCONN, 10056},
        {ENOTCONN, 10057},
        {EPIPE, 10058},
        {ESHUTDOWN, 10058},
        {ENETDOWN, 10050},
        {ENETRESET, 10052},
        {EHOSTDOWN, 10064},
        {ENAMETOOLONG, 10063},
        {EAFNOSUPPORT, 10047},
        {EIO, 10107},
    };
    for (const auto& [error, code] : table) {
        SCOPED_TRACE(error);
        EXPECT_EQ(WsaErrorFromErrno(error), code);
    }
}

}  // namespace
}  // namespace zorl::qt
