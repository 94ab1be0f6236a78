#include "IrcTestClient.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <algorithm>

#include "NgircdServer.h"

namespace zorl::test {
namespace {

// Where the word starting at `at` ends, and the next one begins.
std::size_t NextWord(const std::string& line, std::size_t at) {
    std::size_t end = line.find(' ', at);
    return end == std::string::npos ? end : line.find_first_not_of(' ', end);
}

}  // namespace

std::string CommandOf(const std::string& line) {
    std::size_t start = 0;
    if (line.rfind('@', 0) == 0) start = NextWord(line, start);
    if (start != std::string::npos && line.compare(start, 1, ":") == 0)
        start = NextWord(line, start);
    if (start == std::string::npos) return {};
    std::size_t end = line.find(' ', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool IrcTestClient::Open(uint16_t port) {
    stream_ = RawStream::Connect(port);
    closed_ = !stream_.IsOpen();
    return stream_.IsOpen();
}

bool IrcTestClient::SendRegistration(const std::string& nick, const std::string& password) {
    return (password.empty() || Send("PASS " + password)) && Send("NICK " + nick) &&
           Send("USER " + nick + " 0 * :zorl test client");
}

bool IrcTestClient::Connect(uint16_t port, const std::string& nick, const std::string& password) {
    return Open(port) && SendRegistration(nick, password) && WaitForCommand("001").has_value();
}

bool IrcTestClient::Connect(const NgircdServer& server, const std::string& nick) {
    return Connect(server.Port(), nick, NgircdServer::kPassword);
}

bool IrcTestClient::Send(const std::string& line) { return stream_.SendAll(line + "\r\n"); }

bool IrcTestClient::Join(const std::string& channel) {
    return Send("JOIN " + channel) && WaitForCommand("366").has_value();
}

std::optional<std::string> IrcTestClient::AuthenticatePlain(const std::string& account,
                                                            const std::string& password) {
    const std::string plain = account + '\0' + account + '\0' + password;
    const QByteArray encoded =
        QByteArray(plain.data(), static_cast<qsizetype>(plain.size())).toBase64();
    if (!Send("AUTHENTICATE PLAIN") || !WaitForCommand("AUTHENTICATE") ||
        !Send("AUTHENTICATE " + encoded.toStdString()))
        return std::nullopt;
    return WaitForLine([](const std::string& line) {
        const std::string command = CommandOf(line);
        return command == "903" || (command >= "904" && command <= "907");
    });
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
