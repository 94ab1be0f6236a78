// Helpers of the network tests: a bounded wait that runs the Qt event loop,
// plain blocking POSIX sockets for the far end of a connection, and the
// means to end the programs a test started.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zorl::test {

// Runs the Qt event loop until `done` holds or `timeoutMs` has passed;
// returns whether `done` held. Never a fixed sleep: it returns as soon as
// the condition is met.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Runs the event loop for a while, for checks that nothing more arrives.
void PumpFor(int milliseconds);

// A loopback port nobody listens on at the moment of the call.
uint16_t FreeLoopbackPort();

// Ends a child of this process with `signal`, and with SIGKILL when it is
// still there two seconds later; reaps it and sets `pid` to -1. A stopped
// child is continued so it sees the signal. Nothing when `pid` <= 0.
void StopChild(pid_t& pid, int signal = SIGTERM);

// An environment variable of this process set for the object's lifetime;
// the old value, or its absence, comes back afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};
// Whether 127.0.0.1:port accepts a connection now.
bool PortAccepts(uint16_t port);

// A self-signed certificate for `commonName` (also its DNS name) and its
// key, made by openssl with an elliptic-curve key: quick to make, and every
// TLS library takes it. Its SHA-256 fingerprint "AB:CD:...", or nothing with
// openssl's words in `error`.
std::optional<std::string> MakeCertificate(const std::string& certFile, const std::string& keyFile,
                                           const std::string& commonName, std::string& error);

// A listening socket on 127.0.0.1 and a free port.
class RawListener {
public:
    // receiveBuffer > 0 shrinks the buffer of accepted connections, so a
    // sender fills it quickly.
    explicit RawListener(int receiveBuffer = 0);
    ~RawListener();
    RawListener(const RawListener&) = delete;
    RawListener& operator=(const RawListener&) = delete;

    uint16_t Port() const { return port_; }
    // Waits for one connection while running the event loop; -1 on time-out.
    int Accept(int timeoutMs = 5000);

private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

// One connected stream, owned. Reads and writes run the event loop while
// they wait, so the QtSocket at the other end keeps working.
class RawStream {
public:
    explicit RawStream(int fd = -1) : fd_(fd) {}
    ~RawStream();
    RawStream(RawStream&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    RawStream& operator=(RawStream&& other) noexcept;

    // Connects to 127.0.0.1:port.
    static RawStream Connect(uint16_t port, int timeoutMs = 5000);

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    bool SendAll(const std::string& data, int timeoutMs = 5000);
    // Reads until `count` bytes came or the peer closed or time ran out.
    std::string ReadExactly(std::size_t count, int timeoutMs = 5000);
    // Reads until the peer closes; false on time-out.
    bool ReadToEnd(std::string& data, int timeoutMs = 5000);
    // Reads what is there within `timeoutMs`; empty on time-out, and `closed`
    // set when the peer has closed.
    std::string ReadSome(int timeoutMs, bool& closed);
    // Orderly close (FIN).
    void Close();
    // Abortive close: SO_LINGER with a zero time-out makes the kernel send RST.
    void Reset();

private:
    int fd_ = -1;
};

}  // namespace zorl::test
