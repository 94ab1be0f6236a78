// A program a network test starts on loopback, such as an IRC server, with
// its output in a file. It is stopped and reaped with the object, so no test
// leaves one behind.
#pragma once

#include <sys/types.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace zorl::test {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (looked up in PATH unless it is a path) in `folder`,
    // stdin from /dev/null, stdout and stderr appended to `output`, never
    // leaving a core dump. With `unprivileged` and run by root, the program
    // runs as "nobody", which is handed `folder` for that. False, with the
    // reason in `error`, when it could not be started.
    bool Start(const std::vector<std::string>& argv, const std::filesystem::path& folder,
               const std::filesystem::path& output, bool unprivileged, std::string& error);

    bool Running() const { return pid_ > 0; }
    // Whether it has ended by itself; then `status` says how.
    bool Exited(std::string& status);
    // Sends `signal`, and SIGKILL after two seconds; reaps it either way.
    void Stop(int signal = SIGTERM);

private:
    pid_t pid_ = -1;
};

}  // namespace zorl::test
