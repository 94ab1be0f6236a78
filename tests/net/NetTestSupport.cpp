#include "NetTestSupport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace zorl::test {
namespace {

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Waits up to `sliceMs` for `events` on fd, running the event loop first.
bool PollOnce(int fd, short events, int sliceMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    pollfd entry{fd, events, 0};
    return ::poll(&entry, 1, sliceMs) > 0;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    // The pulse bounds each blocking wait of the loop, so the deadline is
    // looked at even when nothing else happens.
    QTimer pulse;
    pulse.start(10);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void PumpFor(int milliseconds) {
    WaitUntil([] { return false; }, milliseconds);
}

uint16_t FreeLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    uint16_t port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (fd >= 0) ::close(fd);
    return port;
}

void StopChild(pid_t& pid, int signal) {
    if (pid <= 0) return;
    ::kill(pid, signal);
    ::kill(pid, SIGCONT);
    int status = 0;
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        ::usleep(10000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    pid = -1;
}

ScopedVariable::ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    ::setenv(name, value.c_str(), 1);
}

ScopedVariable::~ScopedVariable() {
    if (previous_)
        ::setenv(name_.c_str(), previous_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

bool PortAccepts(uint16_t port) { return RawStream::Connect(port, 200).IsOpen(); }

std::optional<std::string> MakeCertificate(const std::string& certFile, const std::string& keyFile,
                                           const std::string& commonName, std::string& error) {
    const std::string made =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1"
        " -nodes -days 30 -subj '/CN=" +
        commonName + "' -addext 'subjectAltName=DNS:" + commonName + "' -keyout '" + keyFile +
        "' -out '" + certFile + "' 2>&1";
    const std::string print = "openssl x509 -noout -fingerprint -sha256 -in '" + certFile + "'";
    std::string out;
    FILE* pipe = ::popen((made + " && " + print).c_str(), "r");
    if (pipe) {
        char buffer[512];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    }
    const bool ran = pipe && ::pclose(pipe) == 0;
    const std::size_t at = out.rfind('=');
    if (!ran || at == std::string::npos) {
        error = "openssl could not make a certificate: " + (out.empty() ? "(failed)" : out);
        return std::nullopt;
    }
    std::string fingerprint = out.substr(at + 1);
    while (!fingerprint.empty() && std::isspace(static_cast<unsigned char>(fingerprint.back())))
        fingerprint.pop_back();
    return fingerprint;
}

// ---- RawListener -------------------------------------------------------------

RawListener::RawListener(int receiveBuffer) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return;
    if (receiveBuffer > 0) {
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd_, 5) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    port_ = ntohs(address.sin_port);
}

RawListener::~RawListener() {
    if (fd_ >= 0) ::close(fd_);
}

int RawListener::Accept(int timeoutMs) {
    if (fd_ < 0) return -1;
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (PollOnce(fd_, POLLIN, 10)) return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    }
    return -1;
}

// ---- RawStream ---------------------------------------------------------------

RawStream::~RawStream() { Close(); }

RawStream& RawStream::operator=(RawStream&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

RawStream RawStream::Connect(uint16_t port, int timeoutMs) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return RawStream();
    sockaddr_in address = Loopback(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
        errno != EINPROGRESS) {
        ::close(fd);
        return RawStream();
    }
    QDeadlineTimer deadline(timeoutMs);
    while (!PollOnce(fd, POLLOUT, 10)) {
        if (deadline.hasExpired()) {
            ::close(fd);
            return RawStream();
        }
    }
    int error = 0;
    socklen_t length = sizeof error;
    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
    if (error != 0) {
        ::close(fd);
        return RawStream();
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return RawStream(fd);
}

bool RawStream::SendAll(const std::string& data, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    std::size_t sent = 0;
    while (fd_ >= 0 && sent < data.size()) {
        if (deadline.hasExpired()) return false;
        if (!PollOnce(fd_, POLLOUT, 10)) continue;
        ssize_t n =
            ::send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
    }
    return fd_ >= 0;
}

std::string RawStream::ReadSome(int timeoutMs, bool& closed) {
    closed = false;
    QDeadlineTimer deadline(timeoutMs);
    char buffer[65536];
    while (fd_ >= 0) {
        if (PollOnce(fd_, POLLIN, 10)) {
            ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) return std::string(buffer, static_cast<std::size_t>(n));
            if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                closed = true;
                return {};
            }
        }
        if (deadline.hasExpired()) break;
    }
    return {};
}

std::string RawStream::ReadExactly(std::size_t count, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    std::string data;
    bool closed = false;
    while (data.size() < count && !closed && !deadline.hasExpired()) {
        data += ReadSome(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)), closed);
    }
    return data;
}

bool RawStream::ReadToEnd(std::string& data, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    bool closed = false;
    while (!closed) {
        if (deadline.hasExpired()) return false;
        data += ReadSome(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)), closed);
    }
    return true;
}

void RawStream::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void RawStream::Reset() {
    if (fd_ < 0) return;
    linger option{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    Close();
}

}  // namespace zorl::test
