#include "KeyringSession.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <cstring>

namespace zorl::test {
namespace {

// Makes and unlocks the login keyring, which is the default collection.
constexpr const char* kUnlockPassword = "zorl";

// A bus that starts no services of its own: only what the test runs is on
// it, so a missing keyring is missing instead of started from the system.
std::string BusConfiguration(const std::string& socket) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path=" +
           socket +
           "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

using Variables = std::vector<std::pair<std::string, std::string>>;

// This process's environment with `overrides` in place.
std::vector<std::string> Environment(const Variables& overrides) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& [overridden, value] : overrides) replaced |= name == overridden;
        if (!replaced) entries.push_back(text);
    }
    for (const auto& [name, value] : overrides) entries.push_back(name + "=" + value);
    return entries;
}

// The descriptors a child gets as its standard streams (and as 3); -1 is
// /dev/null (and nothing for 3).
struct Streams {
    int in = -1;
    int out = -1;
    int err = -1;
    int fd3 = -1;
};

// Starts argv[0], found on PATH; -1 when it cannot fork.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            const Streams& streams) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
    env.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(streams.in >= 0 ? streams.in : null, STDIN_FILENO);
    ::dup2(streams.out >= 0 ? streams.out : null, STDOUT_FILENO);
    ::dup2(streams.err >= 0 ? streams.err : null, STDERR_FILENO);
    if (streams.fd3 == 3)
        ::fcntl(3, F_SETFD, 0);
    else if (streams.fd3 >= 0)
        ::dup2(streams.fd3, 3);
    ::execvpe(args[0], args.data(), env.data());
    ::_exit(127);
}

int OpenLog(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
}

// One line from `fd`, without its LF; empty on time-out or end of file.
std::string ReadLine(int fd, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    std::string line;
    while (!deadline.hasExpired()) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(deadline.remainingTime())) <= 0) continue;
        char c = 0;
        if (::read(fd, &c, 1) != 1) break;
        if (c == '\n') return line;
        line += c;
    }
    return {};
}

// Runs argv to its end; what it wrote to its standard output when it exited
// with 0.
std::optional<std::string> Output(const std::vector<std::string>& argv, const Variables& env) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return std::nullopt;
    pid_t pid = Spawn(argv, Environment(env), {.out = out[1]});
    ::close(out[1]);
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return text;
}

}  // namespace

KeyringSession::KeyringSession() {
    if (dir_.Path().empty()) {
        failure_ = "cannot make a temporary folder";
        return;
    }
    if (StartBus() && ConnectToBus()) StartKeyring();
}

// The keyring goes first: it would leave by itself once the bus is gone.
KeyringSession::~KeyringSession() {
    StopChild(keyring_pid_);
    StopChild(bus_pid_);
    bus_variable_.reset();
    if (connection_) g_object_unref(connection_);
}

bool KeyringSession::StartBus() {
    const std::string folder = dir_.Path().string();
    dir_.WriteFile("bus.conf", BusConfiguration(folder + "/bus"));
    int address[2];
    if (::pipe2(address, O_CLOEXEC) != 0) {
        failure_ = "cannot make a pipe";
        return false;
    }
    const int log = OpenLog(dir_.Path() / "bus.log");
    bus_pid_ = Spawn({"dbus-daemon", "--config-file=" + folder + "/bus.conf", "--nofork",
                      "--nosyslog", "--print-address=3"},
                     Environment({}), {.out = log, .err = log, .fd3 = address[1]});
    ::close(address[1]);
    if (log >= 0) ::close(log);
    // The address comes once the bus listens.
    address_ = ReadLine(address[0], 10000);
    ::close(address[0]);
    if (bus_pid_ > 0 && !address_.empty()) return true;
    failure_ = "dbus-daemon did not start:\n" + dir_.ReadFile("bus.log");
    return false;
}

// The connection that GLib keeps for this process (libsecret's, under
// QtKeychain), made now so that the end of the bus does not end the process.
bool KeyringSession::ConnectToBus() {
    bus_variable_.emplace("DBUS_SESSION_BUS_ADDRESS", address_);
    GError* error = nullptr;
    connection_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!connection_) {
        failure_ = std::string("cannot connect to the bus: ") + error->message;
        g_error_free(error);
        return false;
    }
    if (address_.find(std::string("guid=") + g_dbus_connection_get_guid(connection_)) ==
        std::string::npos) {
        failure_ = "this process keeps its connection to an earlier session bus";
        return false;
    }
    g_dbus_connection_set_exit_on_close(connection_, FALSE);
    return true;
}

bool KeyringSession::StartKeyring() {
    const std::string folder = dir_.Path().string();
    ::mkdir((folder + "/run").c_str(), 0700);
    // The password is in the pipe before the daemon starts; it reads to the end.
    int input[2];
    if (::pipe2(input, O_CLOEXEC) != 0) {
        failure_ = "cannot make a pipe";
        return false;
    }
    const bool written = ::write(input[1], kUnlockPassword, std::strlen(kUnlockPassword)) ==
                         static_cast<ssize_t>(std::strlen(kUnlockPassword));
    ::close(input[1]);
    const int log = OpenLog(dir_.Path() / "keyring.log");
    keyring_pid_ =
        Spawn({"gnome-keyring-daemon", "--foreground", "--unlock", "--components=secrets"},
              Environment({{"DBUS_SESSION_BUS_ADDRESS", address_},
                           {"HOME", folder},
                           {"XDG_DATA_HOME", folder + "/data"},
                           {"XDG_CONFIG_HOME", folder + "/config"},
                           {"XDG_CACHE_HOME", folder + "/cache"},
                           {"XDG_RUNTIME_DIR", folder + "/run"}}),
              {.in = input[0], .out = log, .err = log});
    ::close(input[0]);
    if (log >= 0) ::close(log);
    if (!written || keyring_pid_ <= 0) {
        failure_ = "cannot start gnome-keyring-daemon";
        StopChild(keyring_pid_);
        return false;
    }
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        int status = 0;
        if (::waitpid(keyring_pid_, &status, WNOHANG) == keyring_pid_) {
            keyring_pid_ = -1;
            failure_ = "gnome-keyring-daemon exited (status " + std::to_string(status) + "):\n" +
                       dir_.ReadFile("keyring.log");
            return false;
        }
        if (KeyringAnswers()) return true;
        ::usleep(20000);
    }
    StopChild(keyring_pid_);
    failure_ =
        "gnome-keyring-daemon did not make its login keyring:\n" + dir_.ReadFile("keyring.log");
    return false;
}

// Ready once the default collection, where QtKeychain stores, is the login
// keyring: "/" while there is none.
bool KeyringSession::KeyringAnswers() {
    GVariant* reply = g_dbus_connection_call_sync(
        connection_, "org.freedesktop.secrets", "/org/freedesktop/secrets",
        "org.freedesktop.Secret.Service", "ReadAlias", g_variant_new("(s)", "default"),
        G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NONE, 1000, nullptr, nullptr);
    if (!reply) return false;
    const char* path = nullptr;
    g_variant_get(reply, "(&o)", &path);
    const bool ready = path && std::strcmp(path, "/") != 0;
    g_variant_unref(reply);
    return ready;
}

std::optional<std::string> KeyringSession::Lookup(const Attributes& attributes) const {
    std::vector<std::string> argv{"secret-tool", "lookup"};
    for (const auto& [name, value] : attributes) {
        argv.push_back(name);
        argv.push_back(value);
    }
    return Output(argv, {{"DBUS_SESSION_BUS_ADDRESS", address_}});
}

void KeyringSession::Pause(bool paused) {
    if (keyring_pid_ > 0) ::kill(keyring_pid_, paused ? SIGSTOP : SIGCONT);
}

}  // namespace zorl::test
