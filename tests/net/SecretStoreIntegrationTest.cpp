// The Qt secret store against a real gnome-keyring-daemon on a private bus,
// and with no Secret Service at all; a client that keeps its server password
// there.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QElapsedTimer>

#include "KeyringSession.h"
#include "LiveClient.h"
#include "platform/qt/QtSecretStore.h"
#include "session/ServerConnection.h"

namespace zorl::test {
namespace {

using qt::QtSecretStore;

class SecretStoreIntegrationTest : public ::testing::Test {
protected:
    // One keyring for the suite (see KeyringSession).
    static void SetUpTestSuite() { keyring_ = new KeyringSession; }
    static void TearDownTestSuite() {
        delete keyring_;
        keyring_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(keyring_->Running()) << keyring_->Failure(); }

    // The item QtKeychain files under `key`, as secret-tool finds it.
    static std::optional<std::string> InKeyring(const std::string& key) {
        return keyring_->Lookup({{"user", key}, {"server", QtSecretStore::kService}});
    }

    static KeyringSession* keyring_;
    QtSecretStore store;
};

KeyringSession* SecretStoreIntegrationTest::keyring_ = nullptr;

TEST_F(SecretStoreIntegrationTest, KeepsAnySecretInTheKeyringUntilRemoved) {
    struct Row {
        std::string key, secret;
        std::string shown;  // what the keyring holds: text as it is, bytes in base64
    };
    const std::string bytes(
        "\0\xff\xfe"
        "a",
        4);
    const Row rows[] = {
        {"irc.example.net", "hunter2", "hunter2"},
        {"sasl irc.example.net joe", "p\xC3\xA4sswort \xE2\x9C\x93",
         "p\xC3\xA4sswort \xE2\x9C\x93"},
        {"bytes", bytes, QByteArray::fromStdString(bytes).toBase64().toStdString()},
    };
    ASSERT_TRUE(store.Available()) << store.LastError();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        ASSERT_EQ(store.Write(row.key, row.secret), SecretResult::Ok) << store.LastError();
        std::string read;
        EXPECT_EQ(store.Read(row.key, read), SecretResult::Ok) << store.LastError();
        EXPECT_EQ(read, row.secret);
        EXPECT_EQ(InKeyring(row.key), row.shown);

        EXPECT_EQ(store.Remove(row.key), SecretResult::Ok) << store.LastError();
        EXPECT_EQ(store.Read(row.key, read), SecretResult::NotFound);
        EXPECT_EQ(InKeyring(row.key), std::nullopt);
        EXPECT_EQ(store.Remove(row.key), SecretResult::Ok) << "nothing left to remove";
    }
}

// QtKeychain files text and bytes as different items and looks for text
// first: an older text secret must not outlive a newer secret of bytes.
TEST_F(SecretStoreIntegrationTest, ANewSecretReplacesTheOldOne) {
    const std::string bytes("\x01\x80", 2);
    std::string read;
    for (const std::string& secret : {std::string("old"), bytes, std::string("new")}) {
        SCOPED_TRACE(secret);
        ASSERT_EQ(store.Write("server", secret), SecretResult::Ok) << store.LastError();
        EXPECT_EQ(store.Read("server", read), SecretResult::Ok);
        EXPECT_EQ(read, secret);
    }
    EXPECT_EQ(store.Remove("server"), SecretResult::Ok);
    EXPECT_EQ(InKeyring("server"), std::nullopt);
}

// The first start moves the password of zorl.ini to the keyring; the next
// start takes it from there, and ngircd refuses a wrong one.
TEST_F(SecretStoreIntegrationTest, AClientKeepsItsServerPasswordThereAndConnectsWithIt) {
    NgircdServer server;
    ASSERT_TRUE(server.Running()) << server.Failure();
    TempDir folder("zorl-keyring-client");
    folder.WriteFile("zorl.ini",
                     "[USER]\nNick=zorltest\nUser=zorl\nRealName=Zorl Test\n"
                     "[SERVER]\nAddress=127.0.0.1\nPorts=" +
                         std::to_string(server.Port()) + "\nPassword=" + NgircdServer::kPassword +
                         "\n");
    const LiveClient::InFolder start{folder.Path(), true};
    {
        LiveClient first{start};
        EXPECT_NE(first.Pane("").find("** Passwords moved from zorl.ini and servers.ini to the "
                                      "desktop's keyring"),
                  std::string::npos)
            << first.Transcript();
    }
    EXPECT_EQ(InKeyring("127.0.0.1 password"), NgircdServer::kPassword);
    const std::string ini = folder.ReadFile("zorl.ini");
    EXPECT_NE(ini.find("Password={keyring}"), std::string::npos) << ini;
    EXPECT_EQ(ini.find(NgircdServer::kPassword), std::string::npos) << ini;

    LiveClient second{start};
    second.app.Connection().OnButtonConnect();
    EXPECT_TRUE(second.WaitForWelcome()) << second.Transcript(&server);
}

// A keyring that takes calls and never answers: the first call waits out the
// time-out, every later one knows at once, and an answer that comes late
// lands nowhere.
TEST_F(SecretStoreIntegrationTest, AKeyringThatDoesNotAnswerCountsAsGone) {
    QtSecretStore impatient(300);
    keyring_->Pause(true);
    EXPECT_FALSE(impatient.Available());
    EXPECT_NE(impatient.LastError().find("did not answer"), std::string::npos)
        << impatient.LastError();
    QElapsedTimer clock;
    clock.start();
    std::string read;
    EXPECT_EQ(impatient.Read("server", read), SecretResult::NoService);
    EXPECT_EQ(impatient.Write("server", "x"), SecretResult::NoService);
    EXPECT_LT(clock.elapsed(), 100);
    keyring_->Pause(false);

    // The late answer unblocks QtKeychain's queue for the next store.
    ASSERT_TRUE(store.Available()) << store.LastError();
    EXPECT_EQ(store.Write("server", "x"), SecretResult::Ok) << store.LastError();
    EXPECT_EQ(store.Remove("server"), SecretResult::Ok);
}

TEST(SecretStoreWithoutServiceTest, ReportsNoServiceAtOnce) {
    TempDir nowhere("zorl-nobus");
    ScopedVariable bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + nowhere.Path().string() + "/bus");
    QtSecretStore store;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(store.Available());
    EXPECT_FALSE(store.LastError().empty());
    std::string read = "untouched";
    EXPECT_EQ(store.Read("server", read), SecretResult::NoService);
    EXPECT_EQ(read, "untouched");
    EXPECT_EQ(store.Write("server", "x"), SecretResult::NoService);
    EXPECT_EQ(store.Remove("server"), SecretResult::NoService);
    EXPECT_LT(clock.elapsed(), 2000);
}

}  // namespace
}  // namespace zorl::test
