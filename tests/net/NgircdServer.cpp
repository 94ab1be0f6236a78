#include "NgircdServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <cctype>
#include <cstdio>
#include <optional>
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

bool ProbePort(uint16_t port) {
    RawStream probe = RawStream::Connect(port, 200);
    return probe.IsOpen();
}

// The output of a shell command line, or nothing when it failed.
std::optional<std::string> Run(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string out;
    char buffer[512];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    return ::pclose(pipe) == 0 ? std::optional<std::string>(out) : std::nullopt;
}

}  // namespace

NgircdServer::NgircdServer(bool tls) : tls_(tls) {
    if (dir_.Path().empty()) {
        failure_ = "cannot make a temporary folder";
        return;
    }
    if (tls_ && !MakeCertificate()) return;
    // The port is free when looked at; another process may take it before
    // ngircd binds, so a failed start is retried on a new port.
    for (int attempt = 0; attempt < 3 && !Running(); ++attempt) StartOnce();
}

NgircdServer::~NgircdServer() { Stop(SIGTERM); }

// An elliptic-curve key: quick to make, and every TLS library takes it.
bool NgircdServer::MakeCertificate() {
    const std::string folder = dir_.Path().string();
    const std::string made =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
        "-subj /CN=localhost -addext subjectAltName=DNS:localhost -keyout '" +
        folder + "/key.pem' -out '" + folder + "/cert.pem' 2>&1";
    const std::optional<std::string> print =
        Run(made + " && openssl x509 -noout -fingerprint -sha256 -in '" + folder + "/cert.pem'");
    const std::size_t at = print ? print->rfind('=') : std::string::npos;
    if (at == std::string::npos) {
        failure_ = "openssl could not make a certificate: " + print.value_or("(failed)");
        return false;
    }
    fingerprint_ = print->substr(at + 1);
    while (!fingerprint_.empty() && std::isspace(static_cast<unsigned char>(fingerprint_.back())))
        fingerprint_.pop_back();
    return true;
}

bool NgircdServer::StartOnce() {
    port_ = FreeLoopbackPort();
    tls_port_ = tls_ ? FreeLoopbackPort() : 0;
    const std::string config = (dir_.Path() / "ngircd.conf").string();
    const std::string log = (dir_.Path() / "ngircd.log").string();
    dir_.WriteFile("ngircd.conf", Configuration(port_, dir_.Path().string(), tls_port_));
    pid_t pid = ::fork();
    if (pid < 0) {
        failure_ = "fork failed";
        return false;
    }
    if (pid == 0) {
        int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (out >= 0) {
            ::dup2(out, STDOUT_FILENO);
            ::dup2(out, STDERR_FILENO);
        }
        int in = ::open("/dev/null", O_RDONLY);
        if (in >= 0) ::dup2(in, STDIN_FILENO);
        ::execlp("ngircd", "ngircd", "--nodaemon", "--passive", "--config", config.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    pid_ = pid;
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            failure_ = "ngircd exited (status " + std::to_string(status) + "):\n" + Log();
            return false;
        }
        if (ProbePort(port_) && (tls_port_ == 0 || ProbePort(tls_port_))) return true;
        ::usleep(20000);
    }
    Stop(SIGKILL);
    failure_ = "ngircd did not open its port:\n" + Log();
    return false;
}

void NgircdServer::Stop(int signal) { StopChild(pid_, signal); }

void NgircdServer::Kill() { Stop(SIGKILL); }

std::string NgircdServer::Log() const { return dir_.ReadFile("ngircd.log"); }

// ---- IrcTestClient -------------------------------------------------------------

std::string CommandOf(const std::string& line) {
    std::size_t start = 0;
    if (!line.empty() && line[0] == ':') {
        start = line.find(' ');
        if (start == std::string::npos) return {};
        start = line.find_first_not_of(' ', start);
        if (start == std::string::npos) return {};
    }
    std::size_t end = line.find(' ', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool IrcTestClient::Connect(const NgircdServer& server, const std::string& nick) {
    stream_ = RawStream::Connect(server.Port());
    closed_ = !stream_.IsOpen();
    return stream_.IsOpen() && Send(std::string("PASS ") + NgircdServer::kPassword) &&
           Send("NICK " + nick) && Send("USER " + nick + " 0 * :zorl test client") &&
           WaitForCommand("001").has_value();
}

bool IrcTestClient::Send(const std::string& line) { return stream_.SendAll(line + "\r\n"); }

bool IrcTestClient::Join(const std::string& channel) {
    return Send("JOIN " + channel) && WaitForCommand("366").has_value();
}

std::optional<std::string> IrcTestClient::WaitForLine(
    const std::function<bool(const std::string&)>& match, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    // Lines of an earlier read that came after its match are still unseen.
    std::size_t& next = seen_;
    for (;;) {
        // Complete lines already buffered come first.
        std::size_t end;
        while ((end = pending_.find("\r\n")) != std::string::npos) {
            lines_.push_back(pending_.substr(0, end));
            pending_.erase(0, end + 2);
        }
        for (; next < lines_.size(); ++next) {
            const std::string& line = lines_[next];
            if (CommandOf(line) == "PING") Send("PONG" + line.substr(line.find("PING") + 4));
            if (match(line)) {
                ++next;
                return line;
            }
        }
        if (closed_ || deadline.hasExpired()) return std::nullopt;
        pending_ += stream_.ReadSome(
            static_cast<int>(std::min<qint64>(deadline.remainingTime(), 100)), closed_);
    }
}

std::optional<std::string> IrcTestClient::WaitForCommand(const std::string& command,
                                                         int timeoutMs) {
    return WaitForLine([&](const std::string& line) { return CommandOf(line) == command; },
                       timeoutMs);
}

std::string IrcTestClient::Transcript() const {
    std::string text;
    for (const std::string& line : lines_) text += line + "\n";
    return text + pending_;
}

}  // namespace zorl::test
