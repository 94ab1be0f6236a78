// A scripted IRC server for the benchmarks: a blocking loopback socket on a
// thread of its own, so the client's event loop does all the client's work
// and none of the server's.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include <QApplication>
#include <QTimer>

namespace zorl::bench {

// A socket listening on a free loopback port, which goes into `port`.
inline int ListenOnLoopback(int backlog, int& port) {
    const int listening = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(listening, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listening, backlog);
    socklen_t length = sizeof address;
    ::getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return listening;
}

class BenchServer {
public:
    using Clock = std::chrono::steady_clock;

    // In the body: port_ is set after the members are.
    BenchServer() { listen_ = ListenOnLoopback(1, port_); }
    ~BenchServer() {
        // Unblocks the thread when the client never answered.
        ::shutdown(listen_, SHUT_RDWR);
        if (client_ >= 0) ::shutdown(client_, SHUT_RDWR);
        if (thread_.joinable()) thread_.join();
        if (client_ >= 0) ::close(client_);
        ::close(listen_);
    }

    int Port() const { return port_; }

    // After registration: `greeting` (welcome, join), then `flood`, then a
    // PING; the clock runs from the flood's first byte to the PONG.
    void Run(std::string greeting, std::string flood) {
        thread_ = std::thread([this, greeting = std::move(greeting), flood = std::move(flood)] {
            client_ = ::accept(listen_, nullptr, nullptr);
            if (client_ < 0) return Finish(false);
            if (!ReadUntil("USER ")) return Finish(false);
            SendAll(greeting);
            ReadFor(std::chrono::milliseconds(300));  // let the client settle in
            const auto start = Clock::now();
            SendAll(flood);
            SendAll("PING :bench-end\r\n");
            const bool answered = ReadUntil("PONG");
            elapsed_ = Clock::now() - start;
            Finish(answered);
        });
    }

    bool Done() const { return done_; }
    bool Answered() const { return answered_; }
    double Seconds() const { return std::chrono::duration<double>(elapsed_).count(); }

private:
    void Finish(bool answered) {
        answered_ = answered;
        done_ = true;
    }
    void SendAll(const std::string& data) {
        std::size_t sent = 0;
        while (sent < data.size()) {
            ssize_t n = ::send(client_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<std::size_t>(n);
        }
    }
    bool ReadUntil(const char* word) {
        char buffer[4096];
        while (received_.find(word) == std::string::npos) {
            ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
            if (n <= 0) return false;
            received_.append(buffer, static_cast<std::size_t>(n));
        }
        received_.clear();
        return true;
    }
    void ReadFor(std::chrono::milliseconds span) {
        timeval timeout{0, static_cast<suseconds_t>(span.count() * 1000)};
        ::setsockopt(client_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        char buffer[4096];
        while (::recv(client_, buffer, sizeof buffer, 0) > 0) {
        }
        timeout = {0, 0};
        ::setsockopt(client_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    }

    int listen_ = -1;
    std::atomic<int> client_{-1};
    int port_ = 0;
    std::thread thread_;
    std::string received_;
    std::atomic<bool> done_{false};
    std::atomic<bool> answered_{false};
    Clock::duration elapsed_{};
};

// A line of /proc/self/status in MiB ("VmHWM:" peak, "VmRSS:" now).
inline double StatusMegabytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = key;
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::stod(line.substr(prefix.size())) / 1024.0;
    return 0;
}

// Peak resident memory of this process in MiB.
inline double PeakMegabytes() { return StatusMegabytes("VmHWM:"); }

// A configuration directory with a zorl.ini that points at the server.
// `options`: more lines of [OPTIONS], each ending in CR LF.
inline void WriteConfig(int port, const std::string& options = "") {
    std::ofstream ini("zorl.ini", std::ios::binary);
    ini << "[USER]\r\nNick=bench\r\nUser=bench\r\nRealName=Bench\r\n"
        << "[SERVER]\r\nAddress=127.0.0.1\r\nName=bench\r\nPorts=" << port << "\r\n"
        << "[OPTIONS]\r\nMaxLines=1000\r\n"
        << options;
}

// Runs the client's event loop until the server has had its answer, or for
// `limitMs` at most.
inline void RunUntilDone(const BenchServer& server, int limitMs = 20000) {
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (server.Done()) QApplication::exit(0);  // quit() would close the windows
    });
    poll.start(5);
    QTimer::singleShot(limitMs, [] { QApplication::exit(1); });
    QApplication::exec();
}

// What the server says after registration before its payload: the welcome,
// the end of the message of the day and the client's own JOIN of `channel`.
inline std::string Greeting(const std::string& channel) {
    return ":bench 001 bench :Welcome\r\n:bench 376 bench :End of MOTD\r\n"
           ":bench!bench@localhost JOIN :" +
           channel + "\r\n";
}

}  // namespace zorl::bench
