// One raw IRC connection to a server the test started: the other user of a
// conversation, a watcher, or the set-up of accounts.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "NetTestSupport.h"

namespace zorl::test {

class NgircdServer;

// Every wait runs the Qt event loop too, so a client under test in the same
// thread keeps working; PINGs are answered.
class IrcTestClient {
public:
    // Connects to 127.0.0.1:port without a word said.
    bool Open(uint16_t port);
    // PASS (when `password` is not empty), NICK and USER as `nick`.
    bool SendRegistration(const std::string& nick, const std::string& password = "");
    // Opens, registers as `nick` and waits for the welcome (001).
    bool Connect(uint16_t port, const std::string& nick, const std::string& password = "");
    // The same with the private ngircd's connection password.
    bool Connect(const NgircdServer& server, const std::string& nick);
    bool Send(const std::string& line);  // CR LF is appended
    // JOIN, then waits for the end of the names list (366).
    bool Join(const std::string& channel);
    // SASL PLAIN as `account`, once the server acknowledged "sasl". The
    // server's verdict (903 on success, 904 with its reason on failure), or
    // nothing when none came.
    std::optional<std::string> AuthenticatePlain(const std::string& account,
                                                 const std::string& password);
    // Reads lines until one satisfies `match`; the line, or nothing on
    // time-out or when the server closed.
    std::optional<std::string> WaitForLine(const std::function<bool(const std::string&)>& match,
                                           int timeoutMs = 5000);
    // A line whose command (after tags and prefix) is `command`, e.g. "001".
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

// The command word of a raw line: ":srv 001 joe :Welcome" gives "001", and
// so does "@time=... :srv 001 joe :Welcome".
std::string CommandOf(const std::string& line);

}  // namespace zorl::test
