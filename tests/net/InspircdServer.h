// A private IRCv3 network for the tests: InspIRCd 3 with Anope 2.0 services
// linked to it, on free loopback ports, each program with a generated
// configuration in its own temporary folder, in the foreground, stopped by
// its process id. Started by root, both run as "nobody".
//
// The server offers the IRCv3 capabilities (sasl=EXTERNAL,PLAIN, sts,
// server-time, message-tags, batch, labeled-response, echo-message, ...),
// MONITOR, channel history (mode +H), PREFIX=(qaohv)~&@%+ and a TLS port
// with a self-signed certificate for "localhost" that asks for client
// certificates. NickServ registers accounts without e-mail or delays.
//
// InspIRCd completes a registration only at its once-a-second check, so
// every connection waits about a second for its welcome.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ChildProcess.h"
#include "IrcTestClient.h"
#include "support/TempDir.h"

namespace zorl::test {

struct InspircdOptions {
    // Whether ircv3_sts advertises a policy: "sts=port=<TLS port>" on every
    // plain connection; "sts=duration=<seconds>" on a TLS connection only
    // when the client's SNI host name matches the glob `stsHost` (no SNI,
    // as for a connection to 127.0.0.1, gets no policy). So a client that
    // is to see the TLS policy connects to "localhost".
    bool sts = true;
    // At least 60: InspIRCd replaces a shorter duration with its default, 300.
    int stsDurationSeconds = 300;
    std::string stsHost = "localhost";
};

// A client certificate made for a test, and its SHA-256 fingerprint.
struct ClientCertificate {
    std::string certFile;
    std::string keyFile;
    std::string fingerprint;  // "AB:CD:..."
};

class InspircdServer {
public:
    // Starts both and waits until the ports accept connections and the
    // services have linked; Running() tells whether that came in time.
    explicit InspircdServer(InspircdOptions options = {});
    ~InspircdServer();
    InspircdServer(const InspircdServer&) = delete;
    InspircdServer& operator=(const InspircdServer&) = delete;

    bool Running() const { return ircd_.Running() && services_.Running(); }
    uint16_t Port() const { return port_; }
    uint16_t TlsPort() const { return tls_port_; }
    // SHA-256 of the server's TLS certificate, "AB:CD:...".
    const std::string& Fingerprint() const { return fingerprint_; }
    // Why it did not start, or why the last helper below failed, with
    // what was said.
    const std::string& Failure() const { return failure_; }
    // What both programs wrote so far.
    std::string Log() const;

    // Registers `account` (also its nick) with NickServ from a raw
    // connection of that nick.
    bool RegisterAccount(const std::string& account, const std::string& password);
    // Adds a certificate fingerprint, "AB:CD:..." or as InspIRCd writes it,
    // to a registered account, so SASL EXTERNAL with that certificate logs
    // in to it. A services operator does it, registered on first use.
    bool AddCertificate(const std::string& account, const std::string& fingerprint);
    // A self-signed client certificate for `name` and its key, in the
    // server's folder.
    std::optional<ClientCertificate> MakeClientCertificate(const std::string& name);

    static constexpr const char* kServerName = "irc.zorl.test";
    static constexpr const char* kServicesName = "services.zorl.test";

private:
    bool StartOnce();
    bool StartIrcd();
    bool StartServices();
    // Runs `command` at NickServ from `client` and waits for a NickServ
    // notice that contains `success`.
    bool AskNickServ(IrcTestClient& client, const std::string& command, const std::string& success);
    void Stop();

    InspircdOptions options_;
    TempDir dir_{"zorl-inspircd"};
    ChildProcess ircd_;
    ChildProcess services_;
    uint16_t port_ = 0;
    uint16_t tls_port_ = 0;
    uint16_t link_port_ = 0;
    bool operator_registered_ = false;
    std::string fingerprint_;
    std::string failure_;
};

}  // namespace zorl::test
