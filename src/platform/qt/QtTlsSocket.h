// A TLS client connection behind IAsyncSocket.
//
// The TCP connect is a QtSocket's, so its errors are the exact ones of a
// plain connection; the connected descriptor then goes to a QSslSocket for
// the handshake. The handshake completes even when the certificate is not
// trusted: what was found (trust, reason, SHA-256 fingerprint, protocol,
// cipher) is kept for Tls(), and the engine decides whether the connection
// may be used before it sends a byte.
//
// Notifications keep the contract of QtSocket: all come from the event loop,
// never inside a call on this socket; a receive notification is given again
// only after the listener's next Receive(); the close comes once, after the
// listener has read everything the server sent before it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Socket.h"
#include "platform/qt/QtSocket.h"

class QObject;
class QSslCertificate;
class QSslKey;
class QSslSocket;

namespace zorl::qt {

class QtTlsSocket : public IAsyncSocket, private ISocketListener {
public:
    QtTlsSocket();
    ~QtTlsSocket() override;
    QtTlsSocket(const QtTlsSocket&) = delete;
    QtTlsSocket& operator=(const QtTlsSocket&) = delete;

    WsaError Create(unsigned events, const std::string& bindAddress, uint16_t port) override;
    WsaError Connect(const std::string& host, uint16_t port) override;
    WsaError Listen(int) override { return kWsaOperationNotSupported; }
    std::unique_ptr<IAsyncSocket> Accept(WsaError& error) override;
    long Receive(char* buffer, std::size_t size, WsaError& error) override;
    long Send(const char* data, std::size_t size, WsaError& error) override;
    void Close() override;
    bool PeerAddress(std::string& address, uint16_t& port) const override;
    bool LocalAddress(std::string& address, uint16_t& port) const override;
    void SetListener(ISocketListener* listener) override;
    const TlsSession* Tls() const override;
    std::string UseClientCertificate(const std::string& pemPath) override;
    // The TCP connection goes through the proxy; the handshake follows it.
    std::string UseProxy(const ProxyRoute& route) override { return tcp_.UseProxy(route); }
    std::string ProxyFailure() const override { return tcp_.ProxyFailure(); }

private:
    enum class State { Empty, Connecting, Handshaking, Connected, Failed };

    // The TCP connection is up: the handshake starts on its descriptor.
    void OnSocketConnect(WsaError error) override;
    void OnSocketReceive(WsaError) override {}
    void OnSocketClose(WsaError) override {}
    void OnSocketAccept(WsaError) override {}

    void StartHandshake();
    void OnEncrypted();
    void OnSocketError();
    // Looks, from the event loop, at what is waiting: data to tell of, or
    // the close once everything was read.
    void Post();
    void Pump();
    void Fail(WsaError error, const std::string& why);
    // The connect notification, from the event loop: the listener may close
    // or replace this socket, or open a dialog, which must not happen
    // inside the TLS socket's own signal.
    void TellConnect(WsaError error);

    QtSocket tcp_;
    State state_ = State::Empty;
    unsigned events_ = 0;
    std::string host_;
    TlsSession session_;
    // What the handshake presents of us (SASL EXTERNAL); empty: nothing.
    std::unique_ptr<QSslCertificate> local_certificate_;
    std::unique_ptr<QSslKey> local_key_;
    bool receive_told_ = false;  // a receive notification awaits the listener's Receive()
    bool posted_ = false;
    bool peer_closed_ = false;
    bool close_told_ = false;
    WsaError stream_error_ = kWsaOk;
    ISocketListener* listener_ = nullptr;
    // Context of every Qt connection made for this socket: callbacks die with it.
    std::unique_ptr<QObject> context_;
    QSslSocket* ssl_ = nullptr;  // parented to the application once closed
};

}  // namespace zorl::qt
