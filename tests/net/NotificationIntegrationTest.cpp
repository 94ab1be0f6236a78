// Desktop notifications shown by a real notification service, dunst, on a
// private session bus and an Xvfb display of the test's own; its default
// action comes back as the window to show.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "ChildProcess.h"
#include "NetTestSupport.h"
#include "support/TempDir.h"
#include "ui/DesktopNotifier.h"

namespace zorl::test {
namespace {

// What a command prints, or nothing when it fails.
std::optional<std::string> Output(const std::string& command) {
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    if (::pclose(pipe) != 0) return std::nullopt;
    return text;
}

std::string FirstLine(std::string& text) {
    const std::size_t end = text.find('\n');
    std::string line = text.substr(0, end);
    text.erase(0, end == std::string::npos ? text.size() : end + 1);
    return line;
}

// The first display number no X server holds.
int FreeDisplay() {
    for (int n = 91; n < 190; ++n)
        if (!std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock") &&
            !std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)))
            return n;
    return -1;
}

TEST(NotificationIntegrationTest, DunstShowsItAndItsActionNamesTheWindow) {
    TempDir dir("zorl-notify");
    std::optional<std::string> started =
        Output("dbus-daemon --session --fork --print-address=1 --print-pid=1");
    ASSERT_TRUE(started) << "dbus-daemon did not start";
    const std::string address = FirstLine(*started);
    const pid_t busPid = static_cast<pid_t>(std::stol(FirstLine(*started)));
    struct StopBus {
        pid_t pid;
        ~StopBus() { ::kill(pid, SIGTERM); }
    } stopBus{busPid};
    ScopedVariable bus("DBUS_SESSION_BUS_ADDRESS", address);

    const int display = FreeDisplay();
    ASSERT_GT(display, 0);
    std::string error;
    ChildProcess xvfb;
    ASSERT_TRUE(xvfb.Start(
        {"Xvfb", ":" + std::to_string(display), "-screen", "0", "640x480x24", "-nolisten", "tcp"},
        dir.Path(), dir.Path() / "xvfb.log", false, error))
        << error;
    ASSERT_TRUE(WaitUntil([&] {
        return std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display));
    })) << dir.ReadFile("xvfb.log");
    ScopedVariable x("DISPLAY", ":" + std::to_string(display));
    ScopedVariable home("HOME", dir.Path().string());  // dunst's own configuration, none
    ChildProcess dunst;
    ASSERT_TRUE(dunst.Start({"dunst"}, dir.Path(), dir.Path() / "dunst.log", false, error))
        << error;
    ASSERT_TRUE(WaitUntil([] { return Output("dunstctl count displayed").has_value(); }))
        << dir.ReadFile("dunst.log");

    ui::CDesktopNotifier notifier;
    FrameId chosen = 0;
    notifier.onChosen = [&](FrameId frame) { chosen = frame; };
    notifier.Show(7, QStringLiteral("Net / #a"), QStringLiteral("<bob> 1 < 2 & <b>hi</b>"));
    ASSERT_TRUE(WaitUntil([] { return Output("dunstctl count displayed") == "1\n"; }))
        << dir.ReadFile("dunst.log");
    ASSERT_TRUE(Output("dunstctl action 0"));
    EXPECT_TRUE(WaitUntil([&] { return chosen == 7; })) << dir.ReadFile("dunst.log");

    // The body goes as text: the sender's "<b>" is escaped, not markup.
    ASSERT_TRUE(Output("dunstctl close-all"));
    std::optional<std::string> history;
    EXPECT_TRUE(WaitUntil([&] {
        history = Output("dunstctl history");
        return history && history->find("Net / #a") != std::string::npos;
    })) << history.value_or("");
    EXPECT_NE(history.value_or("").find("&lt;bob&gt; 1 &lt; 2 &amp; &lt;b&gt;hi&lt;/b&gt;"),
              std::string::npos)
        << history.value_or("");
}

}  // namespace
}  // namespace zorl::test
