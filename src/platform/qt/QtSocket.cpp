#include "platform/qt/QtSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QHostInfo>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zorl::qt {

WsaError WsaErrorFromErrno(int error) {
    switch (error) {
        case 0: return kWsaOk;
        case EINTR: return kWsaInterrupted;
        case EBADF: return kWsaBadFile;
        case EPERM:  // a connect refused by a local firewall rule
        case EACCES: return kWsaAccessDenied;
        case EFAULT: return kWsaBadAddress;
        case EINVAL: return kWsaInvalid;
        case ENFILE:
        case EMFILE: return kWsaTooManyFiles;
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
        case EAGAIN: return kWsaWouldBlock;
        case EINPROGRESS: return kWsaInProgress;
        case EALREADY: return kWsaAlready;
        case ENOTSOCK: return kWsaNotSocket;
        case EDESTADDRREQ: return kWsaNoDestination;
        case EMSGSIZE: return kWsaMessageTooLong;
        case EPROTOTYPE: return kWsaWrongProtocol;
        case ENOPROTOOPT: return kWsaBadProtocolOption;
        case EPROTONOSUPPORT: return kWsaProtocolNotSupported;
        case ESOCKTNOSUPPORT: return kWsaSocketTypeNotSupported;
#if ENOTSUP != EOPNOTSUPP
        case ENOTSUP:
#endif
        case EOPNOTSUPP: return kWsaOperationNotSupported;
        case EPFNOSUPPORT: return kWsaProtocolFamilyNotSupported;
        case EAFNOSUPPORT: return kWsaAddressFamilyNotSupported;
        case EADDRINUSE: return kWsaAddressInUse;
        case EADDRNOTAVAIL: return kWsaAddressNotAvailable;
        case ENETDOWN: return kWsaNetworkDown;
        case ENETUNREACH: return kWsaNetworkUnreachable;
        case ENETRESET: return kWsaNetworkReset;
        case EPROTO:  // accept(2): a connection that died while queued
        case ECONNABORTED: return kWsaConnectionAborted;
        case ECONNRESET: return kWsaConnectionReset;
        case ENOMEM:
        case ENOBUFS: return kWsaNoBuffers;
        case EISCONN: return kWsaIsConnected;
        case ENOTCONN: return kWsaNotConnected;
        case EPIPE:
        case ESHUTDOWN: return kWsaShutdown;
        case ETOOMANYREFS: return kWsaTooManyReferences;
        case ETIMEDOUT: return kWsaTimedOut;
        case ECONNREFUSED: return kWsaConnectionRefused;
        case ELOOP: return kWsaLoop;
        case ENAMETOOLONG: return kWsaNameTooLong;
        case EHOSTDOWN: return kWsaHostDown;
        case EHOSTUNREACH: return kWsaHostUnreachable;
        case ENOTEMPTY: return kWsaNotEmpty;
        case EUSERS: return kWsaTooManyUsers;
        case EDQUOT: return kWsaDiskQuota;
        case ESTALE: return kWsaStale;
        case EREMOTE: return kWsaRemote;
        default: return kWsaSystemCallFailure;
    }
}

namespace {

bool IsTransient(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

std::string DottedText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    if (!inet_ntop(AF_INET, &address.sin_addr, text, sizeof text)) return {};
    return text;
}

// Bytes still queued when the engine closes a connection are delivered the
// way the kernel delivers what is already in its buffer: in the background,
// followed by an orderly close. Gives up after a minute of a stalled peer.
class Lingerer : public QObject {
public:
    Lingerer(int fd, std::string data) : fd_(fd), data_(std::move(data)) {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Step(); });
        QTimer::singleShot(60000, this, [this] { Finish(); });
    }
    ~Lingerer() override {
        notifier_.reset();
        ::close(fd_);
    }

private:
    void Step() {
        while (offset_ < data_.size()) {
            ssize_t n = ::send(fd_, data_.data() + offset_, data_.size() - offset_, MSG_NOSIGNAL);
            if (n > 0) {
                offset_ += static_cast<std::size_t>(n);
            } else if (n < 0 && IsTransient(errno)) {
                if (errno != EINTR) return;
            } else {
                break;
            }
        }
        Finish();
    }
    void Finish() {
        if (notifier_) notifier_->setEnabled(false);
        deleteLater();
    }

    int fd_;
    std::string data_;
    std::size_t offset_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

QtSocket::QtSocket() : context_(std::make_unique<QObject>()) {}

QtSocket::QtSocket(int fd, unsigned events) : QtSocket() {
    fd_ = fd;
    events_ = events;
    StartConnected();
}

QtSocket::~QtSocket() { Close(); }

WsaError QtSocket::Create(unsigned events, const std::string& bindAddress, uint16_t port) {
    if (fd_ >= 0) return kWsaInvalid;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!bindAddress.empty() && inet_pton(AF_INET, bindAddress.c_str(), &local.sin_addr) != 1) {
        return kWsaInvalid;
    }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return WsaErrorFromErrno(errno);
    if (!bindAddress.empty() || port != 0) {
        // Lets a listener take its port again at once after a previous run
        // left connections in TIME_WAIT; a port somebody listens on is still
        // refused with EADDRINUSE.
        int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
            WsaError error = WsaErrorFromErrno(errno);
            ::close(fd);
            return error;
        }
    }
    fd_ = fd;
    events_ = events;
    state_ = State::Created;
    return kWsaOk;
}

WsaError QtSocket::Connect(const std::string& host, uint16_t port) {
    switch (state_) {
        case State::Empty: return kWsaNotSocket;
        case State::Resolving:
        case State::Proxying:
        case State::Connecting: return kWsaAlready;
        case State::Connected: return kWsaIsConnected;
        case State::Listening: return kWsaInvalid;
        case State::Created:
        case State::Failed: break;
    }
    if (host.empty() || host.find('\0') != std::string::npos) return kWsaInvalid;
    proxy_failure_.clear();
    proxy_.reset();
    if (proxy_route_.type != ProxyType::None) {
        // The name goes to the proxy; only the proxy's own is resolved here.
        proxy_ = std::make_unique<CProxyHandshake>(proxy_route_, host, port);
        return ConnectDirect(proxy_route_.host, proxy_route_.port);
    }
    return ConnectDirect(host, port);
}

WsaError QtSocket::ConnectDirect(const std::string& host, uint16_t port) {
    connect_port_ = port;
    in_addr numeric{};
    if (inet_pton(AF_INET, host.c_str(), &numeric) == 1) return ConnectTo(numeric.s_addr);
    if (host.empty() || host.find('\0') != std::string::npos) return kWsaInvalid;

    state_ = State::Resolving;
    lookup_id_ =
        QHostInfo::lookupHost(QString::fromUtf8(host.data(), static_cast<qsizetype>(host.size())),
                              context_.get(), [this](const QHostInfo& info) {
                                  if (state_ != State::Resolving || info.lookupId() != lookup_id_)
                                      return;
                                  lookup_id_ = -1;
                                  for (const QHostAddress& address : info.addresses()) {
                                      bool ipv4 = false;
                                      quint32 value = address.toIPv4Address(&ipv4);
                                      if (!ipv4) continue;
                                      WsaError result = ConnectTo(htonl(value));
                                      if (result != kWsaWouldBlock) {
                                          state_ = State::Failed;
                                          NotifyConnect(result);
                                      }
                                      return;
                                  }
                                  state_ = State::Failed;
                                  NotifyConnect(kWsaInvalid);
                              });
    return kWsaWouldBlock;
}

WsaError QtSocket::ConnectTo(uint32_t address) {
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(connect_port_);
    remote.sin_addr.s_addr = address;
    int result = ::connect(fd_, reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
    // Even a connect that completes at once is reported through the write
    // notifier, so the engine hears of it from the event loop. An EINTR
    // leaves the connect running in the background.
    if (result == 0 || errno == EINPROGRESS || errno == EINTR) {
        state_ = State::Connecting;
        ArmWrite(true);
        return kWsaWouldBlock;
    }
    state_ = State::Failed;
    return WsaErrorFromErrno(errno);
}

WsaError QtSocket::Listen(int backlog) {
    switch (state_) {
        case State::Empty: return kWsaNotSocket;
        case State::Connected: return kWsaIsConnected;
        case State::Resolving:
        case State::Connecting: return kWsaAlready;
        default: break;
    }
    if (::listen(fd_, backlog) != 0) return WsaErrorFromErrno(errno);
    state_ = State::Listening;
    ArmRead(true);
    return kWsaOk;
}

std::unique_ptr<IAsyncSocket> QtSocket::Accept(WsaError& error) {
    if (fd_ < 0) {
        error = kWsaNotSocket;
        return nullptr;
    }
    if (state_ != State::Listening) {
        error = kWsaInvalid;
        return nullptr;
    }
    ArmRead(true);
    int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        error = WsaErrorFromErrno(errno);
        return nullptr;
    }
    error = kWsaOk;
    return std::unique_ptr<IAsyncSocket>(new QtSocket(fd, events_));
}

long QtSocket::Receive(char* buffer, std::size_t size, WsaError& error) {
    if (fd_ < 0) {
        error = kWsaNotSocket;
        return -1;
    }
    if (state_ != State::Connected) {
        error = kWsaNotConnected;
        return -1;
    }
    if (!close_notified_) ArmRead(true);
    ssize_t n;
    do {
        n = ::recv(fd_, buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    if (n >= 0) return static_cast<long>(n);
    error = WsaErrorFromErrno(errno);
    if (error != kWsaWouldBlock) stream_error_ = error;
    return -1;
}

long QtSocket::Send(const char* data, std::size_t size, WsaError& error) {
    if (fd_ < 0) {
        error = kWsaNotSocket;
        return -1;
    }
    if (state_ != State::Connected) {
        error = kWsaNotConnected;
        return -1;
    }
    if (size == 0) return 0;
    std::size_t sent = 0;
    // Behind queued bytes nothing may overtake them.
    while (QueuedBytes() == 0 && sent < size) {
        ssize_t n = ::send(fd_, data + sent, size - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && IsTransient(errno)) break;
        WsaError code = WsaErrorFromErrno(n < 0 ? errno : EPIPE);
        if (code != kWsaShutdown || stream_error_ == kWsaOk) stream_error_ = code;
        if (sent > 0) return static_cast<long>(sent);
        error = code;
        return -1;
    }
    if (sent == size) return static_cast<long>(size);
    if (QueuedBytes() + (size - sent) > kQueueLimit) {
        if (sent > 0) return static_cast<long>(sent);
        error = kWsaNoBuffers;
        return -1;
    }
    queue_.append(data + sent, size - sent);
    ArmWrite(true);
    return static_cast<long>(size);
}

WsaError QtSocket::Flush() {
    while (QueuedBytes() > 0) {
        ssize_t n = ::send(fd_, queue_.data() + queue_offset_, QueuedBytes(), MSG_NOSIGNAL);
        if (n > 0) {
            queue_offset_ += static_cast<std::size_t>(n);
        } else if (n < 0 && IsTransient(errno)) {
            if (errno != EINTR) return kWsaOk;
        } else {
            queue_.clear();
            queue_offset_ = 0;
            return WsaErrorFromErrno(n < 0 ? errno : EPIPE);
        }
    }
    queue_.clear();
    queue_offset_ = 0;
    return kWsaOk;
}

void QtSocket::Close() {
    if (lookup_id_ >= 0) {
        QHostInfo::abortHostLookup(lookup_id_);
        lookup_id_ = -1;
    }
    // Safe inside the notifiers' own signals: Qt stops the emission when the
    // sender goes away.
    read_notifier_.reset();
    write_notifier_.reset();
    if (fd_ >= 0) {
        if (state_ == State::Connected && QueuedBytes() > 0) {
            new Lingerer(fd_, queue_.substr(queue_offset_));
        } else {
            ::close(fd_);
        }
    }
    fd_ = -1;
    state_ = State::Empty;
    queue_.clear();
    queue_offset_ = 0;
    close_notified_ = false;
    stream_error_ = kWsaOk;
    proxy_.reset();
}

std::string QtSocket::UseProxy(const ProxyRoute& route) {
    if (state_ != State::Created && state_ != State::Failed && state_ != State::Empty)
        return "the connection has started already";
    if (route.type != ProxyType::None && (route.host.empty() || route.port == 0))
        return "the proxy has no host or port";
    proxy_route_ = route;
    return {};
}

void QtSocket::OnTcpConnected() {
    if (!proxy_) {
        StartConnected();
        NotifyConnect(kWsaOk);
        return;
    }
    state_ = State::Proxying;
    if (!SendToProxy(proxy_->Start())) return;
    ArmRead(true);
}

bool QtSocket::SendToProxy(const std::string& bytes) {
    if (!proxy_->Failure().empty()) {
        FailProxy(proxy_->Failure());
        return false;
    }
    // A few hundred bytes on a fresh connection: the kernel takes them whole.
    ssize_t n;
    do {
        n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n == static_cast<ssize_t>(bytes.size())) return true;
    FailProxy("it did not take the request");
    return false;
}

void QtSocket::ReadFromProxy() {
    char buffer[512];
    const std::size_t wanted = std::min(proxy_->Wanted(), sizeof buffer);
    ssize_t n;
    do {
        n = ::recv(fd_, buffer, wanted, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && IsTransient(errno)) return;
    if (n <= 0) {
        FailProxy(n == 0 ? "it closed the connection" : std::strerror(errno));
        return;
    }
    const std::string reply = proxy_->Feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    if (!proxy_->Failure().empty()) {
        FailProxy(proxy_->Failure());
        return;
    }
    if (!reply.empty() && !SendToProxy(reply)) return;
    if (!proxy_->Done()) return;
    proxy_.reset();
    StartConnected();
    NotifyConnect(kWsaOk);
}

void QtSocket::FailProxy(const std::string& why) {
    proxy_failure_ =
        "proxy " + proxy_route_.host + ":" + std::to_string(proxy_route_.port) + ": " + why;
    proxy_.reset();
    ArmRead(false);
    state_ = State::Failed;
    NotifyConnect(kWsaConnectionRefused);
}

int QtSocket::ReleaseDescriptor() {
    if (state_ != State::Connected || QueuedBytes() > 0) return -1;
    read_notifier_.reset();
    write_notifier_.reset();
    const int fd = fd_;
    fd_ = -1;
    state_ = State::Empty;
    close_notified_ = false;
    stream_error_ = kWsaOk;
    return fd;
}

namespace {

// getpeername or getsockname of an IPv4 socket, as dotted text and port.
using NameQuery = int (*)(int, sockaddr*, socklen_t*);
bool AddressOf(int fd, NameQuery query, std::string& address, uint16_t& port) {
    sockaddr_in name{};
    socklen_t length = sizeof name;
    if (fd < 0 || query(fd, reinterpret_cast<sockaddr*>(&name), &length) != 0 ||
        name.sin_family != AF_INET) {
        return false;
    }
    address = DottedText(name);
    port = ntohs(name.sin_port);
    return true;
}

}  // namespace

bool QtSocket::PeerAddress(std::string& address, uint16_t& port) const {
    return AddressOf(fd_, ::getpeername, address, port);
}

bool QtSocket::LocalAddress(std::string& address, uint16_t& port) const {
    return AddressOf(fd_, ::getsockname, address, port);
}

void QtSocket::SetListener(ISocketListener* listener) {
    listener_ = listener;
    // Readiness seen while nobody listened is looked at again.
    if (listener_ &&
        ((state_ == State::Connected && !close_notified_) || state_ == State::Listening)) {
        ArmRead(true);
    }
}

void QtSocket::StartConnected() {
    state_ = State::Connected;
    ArmRead(true);
}

void QtSocket::ArmRead(bool on) {
    if (!read_notifier_) {
        if (!on || fd_ < 0) return;
        read_notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(read_notifier_.get(), &QSocketNotifier::activated, context_.get(),
                         [this] { OnReadable(); });
    }
    read_notifier_->setEnabled(on);
}

void QtSocket::ArmWrite(bool on) {
    if (!write_notifier_) {
        if (!on || fd_ < 0) return;
        write_notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
        QObject::connect(write_notifier_.get(), &QSocketNotifier::activated, context_.get(),
                         [this] { OnWritable(); });
    }
    write_notifier_->setEnabled(on);
}

void QtSocket::OnReadable() {
    // Nobody to tell: stay quiet until SetListener() looks again.
    if (!listener_) {
        ArmRead(false);
        return;
    }
    if (state_ == State::Listening) {
        ArmRead(false);
        NotifyAccept();
        return;
    }
    if (state_ == State::Proxying) {
        ReadFromProxy();
        return;
    }
    if (state_ != State::Connected || close_notified_) {
        ArmRead(false);
        return;
    }
    char byte;
    ssize_t n = ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
        ArmRead(false);  // re-armed by the listener's next Receive()
        NotifyReceive();
        return;
    }
    if (n < 0 && IsTransient(errno)) return;
    // End of stream. A reset that Receive() or Send() already consumed is
    // reported here, where the kernel now only shows the end.
    WsaError error = n == 0 ? stream_error_ : WsaErrorFromErrno(errno);
    close_notified_ = true;
    ArmRead(false);
    NotifyClose(error);
}

void QtSocket::OnWritable() {
    if (state_ == State::Connecting) {
        ArmWrite(false);
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
        if (error == 0) {
            OnTcpConnected();
        } else {
            state_ = State::Failed;
            NotifyConnect(WsaErrorFromErrno(error));
        }
        return;
    }
    if (state_ != State::Connected) {
        ArmWrite(false);
        return;
    }
    WsaError error = Flush();
    if (error != kWsaOk && (error != kWsaShutdown || stream_error_ == kWsaOk))
        stream_error_ = error;
    if (QueuedBytes() == 0) ArmWrite(false);
}

void QtSocket::NotifyConnect(WsaError error) {
    if (listener_ && (events_ & kEventConnect)) listener_->OnSocketConnect(error);
}

void QtSocket::NotifyReceive() {
    if (listener_ && (events_ & kEventRead)) listener_->OnSocketReceive(kWsaOk);
}

void QtSocket::NotifyClose(WsaError error) {
    if (listener_ && (events_ & kEventClose)) listener_->OnSocketClose(error);
}

void QtSocket::NotifyAccept() {
    if (listener_ && (events_ & kEventAccept)) listener_->OnSocketAccept(kWsaOk);
}

}  // namespace zorl::qt
