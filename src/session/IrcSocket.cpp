#include "session/IrcSocket.h"

namespace zorl {
namespace {
uint32_t g_nextSocketId = 0x00A10000;
}

const char* SocketTypeName(SocketType type) {
    switch (type) {
        case kSocketNone: return "None";
        case kSocketNormal: return "Normal";
        case kSocketDccChat: return "DCC_Chat";
        case kSocketDccSendIn: return "DCC_Send_In";
        case kSocketDccSendOut: return "DCC_Send_Out";
        case kSocketIdent: return "Ident";
    }
    return "unknown";
}

CIrcSocket::CIrcSocket(ISocketHost& app) : owner(app), id_(++g_nextSocketId) {}

CIrcSocket::~CIrcSocket() { Close(); }

WsaError CIrcSocket::Create(unsigned events, const std::string& bindAddress, uint16_t port) {
    Close();
    socket_ = owner.SocketFactory().NewSocket();
    ++generation_;
    socket_->SetListener(this);
    WsaError error = socket_->Create(events, bindAddress, port);
    if (error != kWsaOk) Close();
    return error;
}

WsaError CIrcSocket::CreateTls(unsigned events) {
    Close();
    socket_ = owner.SocketFactory().NewTlsSocket();
    ++generation_;
    socket_->SetListener(this);
    WsaError error = socket_->Create(events, "", 0);
    if (error != kWsaOk) Close();
    return error;
}

void CIrcSocket::Adopt(std::unique_ptr<IAsyncSocket> accepted) {
    Close();
    socket_ = std::move(accepted);
    ++generation_;
    if (socket_) socket_->SetListener(this);
}

WsaError CIrcSocket::Connect(const std::string& host, uint16_t port) {
    return socket_ ? socket_->Connect(host, port) : kWsaNotSocket;
}

WsaError CIrcSocket::Listen(int backlog) {
    return socket_ ? socket_->Listen(backlog) : kWsaNotSocket;
}

std::unique_ptr<IAsyncSocket> CIrcSocket::Accept(WsaError& error) {
    if (!socket_) {
        error = kWsaNotSocket;
        return nullptr;
    }
    return socket_->Accept(error);
}

long CIrcSocket::Receive(char* buffer, std::size_t size, WsaError& error) {
    if (!socket_) {
        error = kWsaNotSocket;
        return -1;
    }
    return socket_->Receive(buffer, size, error);
}

long CIrcSocket::Send(const std::string& data, WsaError& error) {
    if (!socket_) {
        error = kWsaNotSocket;
        return -1;
    }
    return socket_->Send(data.data(), data.size(), error);
}

void CIrcSocket::Close() {
    if (!socket_) return;
    // The platform socket may be inside one of its own notifications; hand
    // it to the application, which frees it outside any notification.
    socket_->SetListener(nullptr);
    socket_->Close();
    owner.RetirePlatformSocket(std::move(socket_));
    ++generation_;
}

bool CIrcSocket::PeerAddress(std::string& address, uint16_t& port) const {
    return socket_ && socket_->PeerAddress(address, port);
}

bool CIrcSocket::LocalAddress(std::string& address, uint16_t& port) const {
    return socket_ && socket_->LocalAddress(address, port);
}

void CIrcSocket::OnSocketConnect(WsaError error) { owner.OnConnect(error, *this); }
void CIrcSocket::OnSocketReceive(WsaError error) { owner.OnReceive(error, *this); }
void CIrcSocket::OnSocketClose(WsaError error) { owner.OnClose(error, *this); }
void CIrcSocket::OnSocketAccept(WsaError error) { owner.OnAccept(error, *this); }

}  // namespace zorl
