#include "ChildProcess.h"

#include "NetTestSupport.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zorl::test {
namespace {

// The user a program started by root runs as, and the folder handed to it.
bool HandTo(const passwd& user, const std::filesystem::path& folder, std::string& error) {
    std::error_code failed;
    auto own = [&](const std::filesystem::path& path) {
        if (::lchown(path.c_str(), user.pw_uid, user.pw_gid) != 0)
            failed.assign(errno, std::generic_category());
    };
    own(folder);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, failed))
        own(entry.path());
    if (failed) error = "cannot hand " + folder.string() + " to nobody: " + failed.message();
    return !failed;
}

std::string StatusText(int status) {
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        return "exit code 127: not found, or it could not be run";
    if (WIFEXITED(status)) return "exit code " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void RunChild(char* const* argv, const char* folder, const char* output,
                           const passwd* user) {
    const rlimit noCore{0, 0};  // a server may raise its soft limit up to this
    ::setrlimit(RLIMIT_CORE, &noCore);
    if (::chdir(folder) != 0) ::_exit(126);
    int out = ::open(output, O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (out >= 0) {
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
    }
    int in = ::open("/dev/null", O_RDONLY);
    if (in >= 0) ::dup2(in, STDIN_FILENO);
    if (user && (::setgroups(0, nullptr) != 0 || ::setgid(user->pw_gid) != 0 ||
                 ::setuid(user->pw_uid) != 0))
        ::_exit(126);
    ::execvp(argv[0], argv);
    ::_exit(127);
}

}  // namespace

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                         const std::filesystem::path& output, bool unprivileged,
                         std::string& error) {
    Stop();
    const passwd* user = nullptr;
    if (unprivileged && ::geteuid() == 0) {
        user = ::getpwnam("nobody");
        if (!user) {
            error = "there is no user \"nobody\" to run " + argv.at(0) + " as";
            return false;
        }
        if (!HandTo(*user, folder, error)) return false;
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid < 0) {
        error = "fork failed";
        return false;
    }
    if (pid == 0) RunChild(args.data(), folder.c_str(), output.c_str(), user);
    pid_ = pid;
    return true;
}

bool ChildProcess::Exited(std::string& status) {
    int raw = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &raw, WNOHANG) != pid_) return false;
    pid_ = -1;
    status = StatusText(raw);
    return true;
}

void ChildProcess::Stop(int signal) { StopChild(pid_, signal); }

}  // namespace zorl::test
