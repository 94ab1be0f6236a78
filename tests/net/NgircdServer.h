// A private IRC server for the tests: ngircd on a free loopback port, with a
// generated configuration in a temporary folder, in the foreground, stopped
// by its process id. Plus a small blocking client that talks raw IRC to it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "NetTestSupport.h"
#include "support/TempDir.h"

namespace zorl::test {

class NgircdServer {
public:
    // Starts the server and waits until its port accepts connections. With
    // `tls`, a second port speaks TLS with a self-signed certificate for
    // "localhost", made for this server alone (openssl).
    explicit NgircdServer(bool tls = false);
    ~NgircdServer();
    NgircdServer(const NgircdServer&) = delete;
    NgircdServer& operator=(const NgircdServer&) = delete;

    bool Running() const { return pid_ > 0; }
    uint16_t Port() const { return port_; }
    uint16_t TlsPort() const { return tls_port_; }
    // SHA-256 of the TLS certificate, "AB:CD:..."; empty without TLS.
    const std::string& Fingerprint() const { return fingerprint_; }
    // Why it did not start, with the server's own output.
    const std::string& Failure() const { return failure_; }
    // What the server wrote so far.
    std::string Log() const;
    // Kills the server at once (SIGKILL), as a crash would, and reaps it.
    void Kill();

    static constexpr const char* kServerName = "irc.zorl.test";
    // The connection password: ngircd refuses a PASS that does not match.
    static constexpr const char* kPassword = "letmein";

private:
    bool StartOnce();
    bool MakeCertificate();
    void Stop(int signal);

    TempDir dir_{"zorl-ngircd"};
    pid_t pid_ = -1;
    uint16_t port_ = 0;
    uint16_t tls_port_ = 0;
    bool tls_ = false;
    std::string fingerprint_;
    std::string failure_;
};

// One raw IRC connection. Every wait runs the Qt event loop too, so a client
// under test in the same thread keeps working; PINGs are answered.
class IrcTestClient {
public:
    // Connects and registers as `nick` (PASS, NICK and USER), then waits for
    // the welcome (001).
    bool Connect(const NgircdServer& server, const std::string& nick);
    bool Send(const std::string& line);  // CR LF is appended
    // JOIN, then waits for the end of the names list (366).
    bool Join(const std::string& channel);
    // Reads lines until one satisfies `match`; the line, or nothing on
    // time-out or when the server closed.
    std::optional<std::string> WaitForLine(const std::function<bool(const std::string&)>& match,
                                           int timeoutMs = 5000);
    // A line whose command (after the prefix) is `command`, e.g. "001".
    std::optional<std::string> WaitForCommand(const std::string& command, int timeoutMs = 5000);
    void Close() { stream_.Close(); }

    // Everything received, for failure messages.
    std::string Transcript() const;

private:
    RawStream stream_;
    std::string pending_;
    std::vector<std::string> lines_;
    std::size_t seen_ = 0;  // lines_ before this index were looked at by a wait
    bool closed_ = false;
};

// The command word of a raw line: ":srv 001 joe :Welcome" gives "001".
std::string CommandOf(const std::string& line);

}  // namespace zorl::test
