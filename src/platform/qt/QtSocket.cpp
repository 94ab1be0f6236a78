#include "platform/qt/QtSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QHostInfo>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>

namespace zorl::qt {

int WsaErrorFromErrno(int error) {
    switch (error) {
        case 0: return 0;
        case EINTR: return 10004;
        case EBADF: return 10009;
        case EPERM:  // a connect refused by a local firewall rule
        case EACCES: return 10013;
        case EFAULT: return 10014;
        case EINVAL: return 10022;
        case ENFILE:
        case EMFILE: return 10024;
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
        case EAGAIN: return 10035;
        case EINPROGRESS: return 10036;
        case EALREADY: return 10037;
        case ENOTSOCK: return 10038;
        case EDESTADDRREQ: return 10039;
        case EMSGSIZE: return 10040;
        case EPROTOTYPE: return 10041;
        case ENOPROTOOPT: return 10042;
        case EPROTONOSUPPORT: return 10043;
        case ESOCKTNOSUPPORT: return 10044;
#if ENOTSUP != EOPNOTSUPP
        case ENOTSUP:
#endif
        case EOPNOTSUPP: return 10045;
        case EPFNOSUPPORT: return 10046;
        case EAFNOSUPPORT: return 10047;
        case EADDRINUSE: return 10048;
        case EADDRNOTAVAIL: return 10049;
        case ENETDOWN: return 10050;
        case ENETUNREACH: return 10051;
        case ENETRESET: return 10052;
        case EPROTO:  // accept(2): a connection that died while queued
        case ECONNABORTED: return 10053;
        case ECONNRESET: return 10054;
        case ENOMEM:
        case ENOBUFS: return 10055;
        case EISCONN: return 10056;
        case ENOTCONN: return 10057;
        case EPIPE:
        case ESHUTDOWN: return 10058;
        case ETOOMANYREFS: return 10059;
        case ETIMEDOUT: return 10060;
        case ECONNREFUSED: return 10061;
        case ELOOP: return 10062;
        case ENAMETOOLONG: return 10063;
        case EHOSTDOWN: return 10064;
        case EHOSTUNREACH: return 10065;
        case ENOTEMPTY: return 10066;
        case EUSERS: return 10068;
        case EDQUOT: return 10069;
        case ESTALE: return 10070;
        case EREMOTE: return 10071;
        default: return 10107;
    }
}

namespace {

constexpr int kNotSocket = 10038;
constexpr int kAlready = 10037;
constexpr int kIsConnected = 10056;
constexpr int kNotConnected = 10057;
constexpr int kNoBuffers = 10055;

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

int QtSocket::Create(unsigned events, const std::string& bindAddress, uint16_t port) {
    if (fd_ >= 0) return 10022;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!bindAddress.empty() && inet_pton(AF_INET, bindAddress.c_str(), &local.sin_addr) != 1) {
        return 10022;
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
            int error = WsaErrorFromErrno(errno);
            ::close(fd);
            return error;
        }
    }
    fd_ = fd;
    events_ = events;
    state_ = State::Created;
    return 0;
}

int QtSocket::Connect(const std::string& host, uint16_t port) {
    switch (state_) {
        case State::Empty: return kNotSocket;
        case State::Resolving:
        case State::Connecting: return kAlready;
        case State::Connected: return kIsConnected;
        case State::Listening: return 10022;
        case State::Created:
        case State::Failed: break;
    }
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
                                      int result = ConnectTo(htonl(value));
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

int QtSocket::ConnectTo(uint32_t address) {
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

int QtSocket::Listen(int backlog) {
    switch (state_) {
        case State::Empty: return kNotSocket;
        case State::Connected: return kIsConnected;
        case State::Resolving:
        case State::Connecting: return kAlready;
        default: break;
    }
    if (::listen(fd_, backlog) != 0) return WsaErrorFromErrno(errno);
    state_ = State::Listening;
    ArmRead(true);
    return 0;
}

std::unique_ptr<IAsyncSocket> QtSocket::Accept(int& error) {
    if (fd_ < 0) {
        error = kNotSocket;
        return nullptr;
    }
    if (state_ != State::Listening) {
        error = 10022;
        return nullptr;
    }
    ArmRead(true);
    int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        error = WsaErrorFromErrno(errno);
        return nullptr;
    }
    error = 0;
    return std::unique_ptr<IAsyncSocket>(new QtSocket(fd, events_));
}

long QtSocket::Receive(char* buffer, std::size_t size, int& error) {
    if (fd_ < 0) {
        error = kNotSocket;
        return -1;
    }
    if (state_ != State::Connected) {
        error = kNotConnected;
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

long QtSocket::Send(const char* data, std::size_t size, int& error) {
    if (fd_ < 0) {
        error = kNotSocket;
        return -1;
    }
    if (state_ != State::Connected) {
        error = kNotConnected;
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
        int code = WsaErrorFromErrno(n < 0 ? errno : EPIPE);
        if (code != 10058 || stream_error_ == 0) stream_error_ = code;
        if (sent > 0) return static_cast<long>(sent);
        error = code;
        return -1;
    }
    if (sent == size) return static_cast<long>(size);
    if (QueuedBytes() + (size - sent) > kQueueLimit) {
        if (sent > 0) return static_cast<long>(sent);
        error = kNoBuffers;
        return -1;
    }
    queue_.append(data + sent, size - sent);
    ArmWrite(true);
    return static_cast<long>(size);
}

int QtSocket::Flush() {
    while (QueuedBytes() > 0) {
        ssize_t n = ::send(fd_, queue_.data() + queue_offset_, QueuedBytes(), MSG_NOSIGNAL);
        if (n > 0) {
            queue_offset_ += static_cast<std::size_t>(n);
        } else if (n < 0 && IsTransient(errno)) {
            if (errno != EINTR) return 0;
        } else {
            queue_.clear();
            queue_offset_ = 0;
            return WsaErrorFromErrno(n < 0 ? errno : EPIPE);
        }
    }
    queue_.clear();
    queue_offset_ = 0;
    return 0;
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
    stream_error_ = 0;
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
    int error = n == 0 ? stream_error_ : WsaErrorFromErrno(errno);
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
            StartConnected();
            NotifyConnect(0);
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
    int error = Flush();
    if (error != 0 && (error != 10058 || stream_error_ == 0)) stream_error_ = error;
    if (QueuedBytes() == 0) ArmWrite(false);
}

void QtSocket::NotifyConnect(int error) {
    if (listener_ && (events_ & kEventConnect)) listener_->OnSocketConnect(error);
}

void QtSocket::NotifyReceive() {
    if (listener_ && (events_ & kEventRead)) listener_->OnSocketReceive(0);
}

void QtSocket::NotifyClose(int error) {
    if (listener_ && (events_ & kEventClose)) listener_->OnSocketClose(error);
}

void QtSocket::NotifyAccept() {
    if (listener_ && (events_ & kEventAccept)) listener_->OnSocketAccept(0);
}

}  // namespace zorl::qt
