// IAsyncSocket on non-blocking POSIX TCP sockets, driven by QSocketNotifier
// on the thread that runs the Qt event loop.
//
// How readiness becomes notifications:
//   - Read readiness on a connected socket is looked at with a one-byte
//     MSG_PEEK: data waiting gives OnSocketReceive(kWsaOk); end of stream
//     gives OnSocketClose(kWsaOk); a reset gives
//     OnSocketClose(kWsaConnectionReset). After a receive
//     notification the read notifier stays off until the listener calls
//     Receive() again, so a listener that reads one chunk at a time is told
//     again while data remains, and one that drains to "would block" or to 0
//     is told of the close that follows. The close notification comes once.
//   - Read readiness on a listening socket gives OnSocketAccept(kWsaOk), again
//     re-armed by the next Accept().
//   - Write readiness is used for a connect in progress (then the outcome is
//     OnSocketConnect(code)) and to flush bytes that Send() had to queue when
//     the kernel buffer was full. Send() never loses bytes and never blocks.
//   - A host name is resolved by QHostInfo while the event loop runs; Connect()
//     returns kWsaWouldBlock and the connect notification carries the outcome
//     (kWsaInvalid when the name cannot be resolved). Only IPv4 addresses are used: the
//     engine shows and sends addresses as dotted text.
//   - No notification is ever delivered inside a call the engine made on the
//     same socket: even a connect that completes at once is reported from the
//     event loop.
//   - A listener may close the socket, drop itself or destroy the socket from
//     inside any notification; nothing touches the socket afterwards.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Socket.h"

class QObject;
class QSocketNotifier;

namespace zorl::qt {

// The Windows Sockets code for an errno value (ECONNREFUSED ->
// kWsaConnectionRefused, EINPROGRESS -> kWsaInProgress, ...). Values the table
// has no counterpart for map to kWsaSystemCallFailure, which reads as an
// unknown error rather than as some other, misleading one.
WsaError WsaErrorFromErrno(int error);

class QtSocket : public IAsyncSocket {
public:
    QtSocket();
    ~QtSocket() override;
    QtSocket(const QtSocket&) = delete;
    QtSocket& operator=(const QtSocket&) = delete;

    WsaError Create(unsigned events, const std::string& bindAddress, uint16_t port) override;
    WsaError Connect(const std::string& host, uint16_t port) override;
    WsaError Listen(int backlog) override;
    std::unique_ptr<IAsyncSocket> Accept(WsaError& error) override;
    long Receive(char* buffer, std::size_t size, WsaError& error) override;
    long Send(const char* data, std::size_t size, WsaError& error) override;
    void Close() override;
    bool PeerAddress(std::string& address, uint16_t& port) const override;
    bool LocalAddress(std::string& address, uint16_t& port) const override;
    void SetListener(ISocketListener* listener) override;
    std::string UseProxy(const ProxyRoute& route) override;
    std::string ProxyFailure() const override { return proxy_failure_; }

    // Hands the descriptor of a connected socket, with no bytes queued, to
    // the caller, who closes it; this object is empty afterwards. -1 when
    // there is none. Safe inside this socket's own connect notification.
    int ReleaseDescriptor();

    // Bytes accepted by Send() and not yet handed to the kernel.
    std::size_t QueuedBytes() const { return queue_.size() - queue_offset_; }

    // Upper bound of the send queue; Send() beyond it fails with kWsaNoBuffers.
    static constexpr std::size_t kQueueLimit = 4u << 20;

private:
    enum class State {
        Empty,
        Created,
        Resolving,
        Connecting,
        Proxying,  // connected to the proxy, which opens the way
        Connected,
        Listening,
        Failed
    };

    QtSocket(int fd, unsigned events);  // an accepted connection
    void StartConnected();
    // Issues the connect to an IPv4 address in network byte order;
    // kWsaWouldBlock or an error code.
    WsaError ConnectTo(uint32_t address);
    // Connect() to `host` itself, whether the proxy or the server.
    WsaError ConnectDirect(const std::string& host, uint16_t port);
    void OnReadable();
    // The TCP connection is up: straight to the listener, or to the proxy.
    void OnTcpConnected();
    // Sends the proxy's next bytes; false when they did not go out whole.
    bool SendToProxy(const std::string& bytes);
    void ReadFromProxy();
    void FailProxy(const std::string& why);
    void OnWritable();
    void ArmRead(bool on);
    void ArmWrite(bool on);
    // Hands queued bytes to the kernel; kWsaOk, or the error that ended the
    // stream.
    WsaError Flush();
    // The listener calls, for the events asked for at Create().
    // NOTE: the listener may destroy this socket inside any of them, so each
    // is the last thing its caller does.
    void NotifyConnect(WsaError error);
    void NotifyReceive();
    void NotifyClose(WsaError error);
    void NotifyAccept();

    int fd_ = -1;
    State state_ = State::Empty;
    unsigned events_ = 0;
    uint16_t connect_port_ = 0;
    int lookup_id_ = -1;
    bool close_notified_ = false;
    WsaError stream_error_ = kWsaOk;  // a reset seen by Receive/Send, reported by the close
    ISocketListener* listener_ = nullptr;
    std::string queue_;
    std::size_t queue_offset_ = 0;
    // Context of every Qt connection made for this socket: callbacks die with it.
    std::unique_ptr<QObject> context_;
    std::unique_ptr<QSocketNotifier> read_notifier_;
    std::unique_ptr<QSocketNotifier> write_notifier_;
    ProxyRoute proxy_route_;
    std::unique_ptr<CProxyHandshake> proxy_;
    std::string proxy_failure_;
};

}  // namespace zorl::qt
