// The way to the server through a real SOCKS5 proxy (microsocks) on
// loopback, with and without its login, as the proxy of all servers and as
// one server's own: the client registers and chats through it, and a
// refused login says so instead of connecting.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDeadlineTimer>

#include "ChildProcess.h"
#include "LiveClient.h"
#include "config/Settings.h"
#include "session/ServerConnection.h"
#include "support/TempDir.h"

namespace zorl::test {
namespace {

class SocksProxy {
public:
    // `user` empty: no login asked.
    explicit SocksProxy(const std::string& user = "", const std::string& password = "") {
        port_ = FreeLoopbackPort();
        std::vector<std::string> argv{"microsocks", "-i", "127.0.0.1", "-p", std::to_string(port_)};
        if (!user.empty()) argv.insert(argv.end(), {"-u", user, "-P", password});
        if (!process_.Start(argv, dir_.Path(), dir_.Path() / "microsocks.log", false, failure_))
            return;
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired() && !PortAccepts(port_)) ::usleep(20000);
        if (!PortAccepts(port_)) failure_ = "microsocks did not open its port";
    }
    bool Running() const { return failure_.empty(); }
    const std::string& Failure() const { return failure_; }
    uint16_t Port() const { return port_; }

private:
    TempDir dir_{"zorl-socks"};
    ChildProcess process_;
    uint16_t port_ = 0;
    std::string failure_;
};

void UseProxy(LiveClient& zorl, const SocksProxy& proxy, const std::string& user,
              const std::string& password) {
    CSettings& s = zorl.app.settings;
    s.ProxyType = "socks5";
    s.ProxyHost = "127.0.0.1";
    s.ProxyPort = proxy.Port();
    s.ProxyUser = user;
    s.ProxyPassword = password;
}

TEST(ProxyIntegrationTest, RegistersAndChatsThroughSocks5WithAndWithoutLogin) {
    NgircdServer server;
    ASSERT_TRUE(server.Running()) << server.Failure();
    IrcTestClient bob;
    ASSERT_TRUE(bob.Connect(server, "bob")) << bob.Transcript();
    struct Case {
        const char* nick;
        const char* user;
    } cases[] = {{"open", ""}, {"login", "joe"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nick);
        SocksProxy proxy(c.user, "s3cret");
        ASSERT_TRUE(proxy.Running()) << proxy.Failure();
        LiveClient zorl(c.nick);
        if (*c.user) {
            UseProxy(zorl, proxy, c.user, "wrong");
            zorl.PressConnect(server);
            EXPECT_TRUE(zorl.WaitForPane(
                "", "** Connection failed: proxy 127.0.0.1:" + std::to_string(proxy.Port()) +
                        ": it refused the user name or password"))
                << zorl.Transcript();
            ASSERT_TRUE(WaitUntil([&] { return zorl.app.Connection().State() == IDLE; }));
        }
        if (*c.user) {
            UseProxy(zorl, proxy, c.user, "s3cret");
        } else {
            // Without a login, the server's own proxy (PROXY: of its entry).
            zorl.app.settings.ServerProxy = "socks5:127.0.0.1:" + std::to_string(proxy.Port());
        }
        ASSERT_TRUE(zorl.Connect(server)) << zorl.Transcript(&server);
        EXPECT_NE(zorl.Pane("").find(" through socks5 proxy 127.0.0.1:"), std::string::npos);
        ASSERT_TRUE(zorl.Type("", "/privmsg bob :hello through the proxy"));
        EXPECT_TRUE(bob.WaitForLine([&](const std::string& line) {
            return line.starts_with(":" + std::string(c.nick) + "!") &&
                   line.ends_with("PRIVMSG bob :hello through the proxy");
        })) << bob.Transcript();
    }
}

}  // namespace
}  // namespace zorl::test
