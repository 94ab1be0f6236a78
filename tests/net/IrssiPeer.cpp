#include "IrssiPeer.h"

#include <signal.h>

#include <QDeadlineTimer>
#include <cerrno>
#include <fstream>
#include <sstream>

#include "NetTestSupport.h"

namespace zorl::test {
namespace {

// irssi's own pacing would stretch a test by seconds: its command queue
// sends one line per 2.2 s after the first few, a paste of several typed
// lines waits for a confirmation, and CTCP replies wait in a queue that
// sends one a second once the queries about a joined channel are answered
// and the commands of the last few seconds have drained (half a second
// each, the delayed user mode among them). DCC offers are taken at once,
// and only on loopback.
std::string Configuration(uint16_t port, const std::string& nick, const std::string& onConnect,
                          const std::filesystem::path& downloads) {
    std::ostringstream text;
    text << "servers = ({ address = \"127.0.0.1\"; chatnet = \"zorltest\"; port = \"" << port
         << "\"; password = \"" << NgircdServer::kPassword
         << "\"; autoconnect = \"yes\"; no_cap = \"yes\"; });\n"
         << "chatnets = { zorltest = { type = \"IRC\"; autosendcmd = \"" << onConnect
         << "\"; }; };\n"
         << "settings = {\n"
         << "  core = { nick = \"" << nick << "\"; user_name = \"" << nick
         << "\"; real_name = \"irssi peer\"; settings_autosave = \"no\"; };\n"
         << "  \"irc/core\" = { lag_check_time = \"0\"; cmd_queue_speed = \"0\";"
         << " cmds_max_at_once = \"1000\"; channel_sync = \"no\"; usermode = \"\"; };\n"
         << "  \"irc/dcc\" = { dcc_autoget = \"yes\"; dcc_autochat_masks = \"*\";"
         << " dcc_own_ip = \"127.0.0.1\"; dcc_download_path = \"" << downloads.string()
         << "\"; };\n"
         << "  \"fe-text\" = { paste_detect_time = \"0\"; };\n"
         << "  \"fe-common/core\" = { autolog = \"no\"; };\n"
         << "};\n";
    return text.str();
}

// Gone, or a zombie that only its parent's reaping keeps in the table.
bool ProcessGone(pid_t pid) {
    if (::kill(pid, 0) != 0) return errno == ESRCH;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t end = line.rfind(')');
    return end == std::string::npos || line.compare(end, 3, ") Z") == 0;
}

bool WaitGone(pid_t pid, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!ProcessGone(pid)) {
        if (deadline.hasExpired()) return false;
        ::usleep(10000);
    }
    return true;
}

}  // namespace

IrssiPeer::IrssiPeer(const NgircdServer& server, const std::string& nick,
                     const std::string& onConnect)
    : nick_(nick) {
    if (!Start(server, onConnect)) {
        failure_ = "irssi did not start: " + failure_ + "\n" + Transcript();
        Stop();
    }
}

IrssiPeer::~IrssiPeer() { Stop(); }

bool IrssiPeer::Start(const NgircdServer& server, const std::string& onConnect) {
    if (home_.Path().empty() || !std::filesystem::create_directory(Downloads())) {
        failure_ = "cannot make its home folder";
        return false;
    }
    const std::string home = home_.Path().string();
    home_.WriteFile("config", Configuration(server.Port(), nick_, onConnect, Downloads()));
    // The start-up commands run before irssi connects.
    home_.WriteFile("startup", "/log open " + home + "/irssi.log ALL\n");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(home));
    environment.insert("LANG", "C.UTF-8");
    environment.remove("TMUX");
    tmux_.setProcessEnvironment(environment);
    tmux_.setProgram("tmux");
    tmux_.setArguments({"-D", "-S", QString::fromStdString(home + "/tmux"), "-f", "/dev/null"});
    tmux_.setStandardInputFile(QProcess::nullDevice());
    tmux_.setStandardOutputFile(QString::fromStdString(home + "/tmux.out"));
    tmux_.setStandardErrorFile(QString::fromStdString(home + "/tmux.out"));
    tmux_.start();
    if (!tmux_.waitForStarted(5000)) {
        failure_ = "cannot run tmux";
        return false;
    }
    if (!WaitUntil([&] { return home_.Exists("tmux") || tmux_.state() == QProcess::NotRunning; },
                   5000) ||
        !home_.Exists("tmux")) {
        failure_ = "tmux did not open its socket: " + home_.ReadFile("tmux.out");
        return false;
    }
    std::string pane;
    if (!Tmux({"new-session", "-d", "-s", "irssi", "-x", "160", "-y", "48", "irssi",
               QString::fromStdString("--home=" + home)}) ||
        !Tmux({"display-message", "-p", "-t", "irssi", "#{pane_pid}"}, &pane)) {
        failure_ = "tmux did not start irssi";
        return false;
    }
    irssi_ = std::atoi(pane.c_str());
    if (!WaitForLog("Welcome to the Internet Relay Network " + nick_)) {
        failure_ = "no welcome within 10 s";
        return false;
    }
    return true;
}

void IrssiPeer::Stop() {
    if (irssi_ > 0) {
        ::kill(irssi_, SIGTERM);
        if (!WaitGone(irssi_, 3000)) ::kill(irssi_, SIGKILL);
        irssi_ = -1;
    }
    if (tmux_.state() != QProcess::NotRunning) {
        Tmux({"kill-server"});
        if (!tmux_.waitForFinished(3000)) {
            tmux_.kill();
            tmux_.waitForFinished(3000);
        }
    }
}

bool IrssiPeer::Tmux(const QStringList& arguments, std::string* output) const {
    QProcess tmux;
    tmux.setProcessEnvironment(tmux_.processEnvironment());
    tmux.start("tmux",
               QStringList{"-S", QString::fromStdString(home_.Path() / "tmux")} + arguments);
    if (!tmux.waitForFinished(5000)) {
        tmux.kill();
        tmux.waitForFinished();
        return false;
    }
    if (output) *output = tmux.readAllStandardOutput().trimmed().toStdString();
    return tmux.exitStatus() == QProcess::NormalExit && tmux.exitCode() == 0;
}

bool IrssiPeer::Type(const std::string& line) {
    return Tmux({"send-keys", "-t", "irssi", "-l", QString::fromStdString(line), ";", "send-keys",
                 "-t", "irssi", "Enter"});
}

bool IrssiPeer::WaitForLog(const std::string& text, int timeoutMs) const {
    return WaitUntil([&] { return Log().find(text) != std::string::npos; }, timeoutMs);
}

std::string IrssiPeer::Transcript() const {
    std::string screen;
    if (tmux_.state() != QProcess::NotRunning) Tmux({"capture-pane", "-p", "-t", "irssi"}, &screen);
    return "---- irssi log (" + nick_ + ")\n" + Log() + "---- irssi screen\n" + screen + "\n";
}

}  // namespace zorl::test
