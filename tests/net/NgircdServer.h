// A private IRC server for the tests: ngircd on a free loopback port, with a
// generated configuration in a temporary folder, in the foreground, stopped
// by its process id. IrcTestClient talks raw IRC to it.
#pragma once

#include <cstdint>
#include <string>

#include "ChildProcess.h"
#include "IrcTestClient.h"
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

    bool Running() const { return process_.Running(); }
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
    // Stops the server as an administrator does (SIGTERM: it closes every
    // connection cleanly) and starts it again on the same port.
    bool Restart();

    static constexpr const char* kServerName = "irc.zorl.test";
    // The connection password: ngircd refuses a PASS that does not match.
    static constexpr const char* kPassword = "letmein";

private:
    bool StartOnce();
    bool Launch();

    TempDir dir_{"zorl-ngircd"};
    ChildProcess process_;
    uint16_t port_ = 0;
    uint16_t tls_port_ = 0;
    bool tls_ = false;
    std::string fingerprint_;
    std::string failure_;
};

}  // namespace zorl::test
