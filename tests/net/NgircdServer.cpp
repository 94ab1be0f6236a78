#include "NgircdServer.h"

#include <signal.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <sstream>

namespace zorl::test {
namespace {

// Generous limits: the tests talk fast and from one address. Ident, DNS
// and PAM are off so registration is immediate. Started as root, ngircd
// drops to "nobody" by itself; as another user it stays that user.
std::string Configuration(uint16_t port, const std::string& tlsFolder, uint16_t tlsPort) {
    std::ostringstream text;
    text << "[Global]\n"
         << "Name = " << NgircdServer::kServerName << "\n"
         << "Info = zorl test server\n"
         << "AdminInfo1 = zorl tests\n"
         << "AdminInfo2 = loopback only\n"
         << "AdminEMail = nobody@localhost\n"
         << "Listen = 127.0.0.1\n"
         << "Ports = " << port << "\n"
         << "MotdPhrase = zorl test server\n"
         << "Password = " << NgircdServer::kPassword << "\n"
         << "[Limits]\n"
         << "MaxConnections = 0\n"
         << "MaxConnectionsIP = 0\n"
         << "MaxJoins = 0\n"
         << "MaxPenaltyTime = 0\n"
         << "PingTimeout = 600\n"
         << "PongTimeout = 600\n"
         // A server left behind by a crashed test run ends by itself.
         << "IdleTimeout = 300\n"
         << "[Options]\n"
         << "PAM = no\n"
         << "Ident = no\n"
         << "DNS = no\n";
    if (tlsPort != 0)
        text << "[SSL]\n"
             << "CertFile = " << tlsFolder << "/cert.pem\n"
             << "KeyFile = " << tlsFolder << "/key.pem\n"
             << "Ports = " << tlsPort << "\n";
    return text.str();
}

}  // namespace

NgircdServer::NgircdServer(bool tls) : tls_(tls) {
    if (dir_.Path().empty()) {
        failure_ = "cannot make a temporary folder";
        return;
    }
    if (tls_) {
        const std::string folder = dir_.Path().string();
        std::optional<std::string> print =
            MakeCertificate(folder + "/cert.pem", folder + "/key.pem", "localhost", failure_);
        if (!print) return;
        fingerprint_ = *print;
    }
    // The port is free when looked at; another process may take it before
    // ngircd binds, so a failed start is retried on a new port.
    for (int attempt = 0; attempt < 3 && !Running(); ++attempt) StartOnce();
}

NgircdServer::~NgircdServer() { process_.Stop(); }

bool NgircdServer::StartOnce() {
    port_ = FreeLoopbackPort();
    tls_port_ = tls_ ? FreeLoopbackPort() : 0;
    const std::string config = (dir_.Path() / "ngircd.conf").string();
    dir_.WriteFile("ngircd.conf", Configuration(port_, dir_.Path().string(), tls_port_));
    return Launch();
}

bool NgircdServer::Restart() {
    process_.Stop();
    return Launch();
}

bool NgircdServer::Launch() {
    const std::string config = (dir_.Path() / "ngircd.conf").string();
    // Started as root, ngircd drops to "nobody" by itself.
    if (!process_.Start({"ngircd", "--nodaemon", "--passive", "--config", config}, dir_.Path(),
                        dir_.Path() / "ngircd.log", false, failure_))
        return false;
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        std::string status;
        if (process_.Exited(status)) {
            failure_ = "ngircd exited (" + status + "):\n" + Log();
            return false;
        }
        if (PortAccepts(port_) && (tls_port_ == 0 || PortAccepts(tls_port_))) return true;
        ::usleep(20000);
    }
    process_.Stop(SIGKILL);
    failure_ = "ngircd did not open its port:\n" + Log();
    return false;
}

void NgircdServer::Kill() { process_.Stop(SIGKILL); }

std::string NgircdServer::Log() const { return dir_.ReadFile("ngircd.log"); }

}  // namespace zorl::test
