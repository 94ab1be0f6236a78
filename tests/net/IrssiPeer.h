// irssi as the other side of a conversation: started in a home folder of its
// own with a generated configuration, connected to a private ngircd, logging
// everything it shows to a file the tests read. irssi wants a terminal, so it
// runs in a tmux session on a private socket; the tmux server is our child
// (not a daemon) and is stopped with irssi.
#pragma once

#include <sys/types.h>

#include <QProcess>
#include <filesystem>
#include <string>

#include "NgircdServer.h"
#include "support/TempDir.h"

namespace zorl::test {

class IrssiPeer {
public:
    // Starts irssi as `nick` and waits for the server's welcome. `onConnect`
    // runs in irssi once it is connected (its server's autosendcmd: commands
    // separated by ";", "/WAIT <ms>" allowed).
    IrssiPeer(const NgircdServer& server, const std::string& nick,
              const std::string& onConnect = "");
    ~IrssiPeer();
    IrssiPeer(const IrssiPeer&) = delete;
    IrssiPeer& operator=(const IrssiPeer&) = delete;

    bool Running() const { return failure_.empty(); }
    // Why it did not start, with what irssi logged and showed.
    const std::string& Failure() const { return failure_; }
    const std::string& Nick() const { return nick_; }

    // Types `line` and Enter into irssi's input line.
    bool Type(const std::string& line);
    // Runs the event loop until irssi's log holds `text`.
    bool WaitForLog(const std::string& text, int timeoutMs = 10000) const;
    // Files offered to irssi land here (it accepts every offer at once).
    std::filesystem::path Downloads() const { return home_.Path() / "download"; }

    std::string Log() const { return home_.ReadFile("irssi.log"); }
    // The log and the terminal's screen, for failure messages.
    std::string Transcript() const;

private:
    bool Start(const NgircdServer& server, const std::string& onConnect);
    bool Tmux(const QStringList& arguments, std::string* output = nullptr) const;
    void Stop();

    TempDir home_{"zorl-irssi"};
    std::string nick_;
    QProcess tmux_;  // the tmux server, in the foreground
    pid_t irssi_ = -1;
    std::string failure_;
};

}  // namespace zorl::test
