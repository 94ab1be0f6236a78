// A started client for the script tests: nick "me" on irc.example, the quit
// text "gone fishing", and the alias and script files a test asks for.
//
//   class Joins : public test::ScriptFixture {};
//   TEST_F(Joins, Sends) {
//       Connect();
//       Type(StatusFrame(), "/join #x");
//       EXPECT_EQ(TakeSent(), "JOIN #x :\r\n");
//   }
#pragma once

#include <memory>
#include <string>

#include "support/AppFixture.h"
#include "windows/WindowRegistry.h"

namespace zorl::test {

class ScriptFixture : public AppFixture {
protected:
    static constexpr const char* kServer = "irc.example";

    void BeforeStart() override {
        dir.WriteFile("zorl.ini",
                      "[USER]\nNick=me\nUser=u\nRealName=Me Myself\n"
                      "[SERVER]\nAddress=irc.example\nName=irc.example\nPorts=6667\n"
                      "[REPLY]\nQuit=gone fishing\n");
        dir.WriteFile("aliases.ini", AliasesIni());
        dir.WriteFile("script.ini", ScriptIni());
    }
    virtual std::string AliasesIni() const { return ""; }
    virtual std::string ScriptIni() const { return ""; }

    // Connects the way the Connect command does, lets the TCP connect
    // complete and forgets the registration lines. The server has not sent
    // its welcome yet.
    void Connect() {
        server_ = ConnectServer();
        ASSERT_EQ(app.Connection().State(), CONNECTED) << Transcript();
        ClearPanes();
    }
    // Connected, with the channel #chan and a query window for joe open.
    void Online() {
        Connect();
        chan_ = OpenChannel("#chan");
        Open("joe", kWindowQuery);
        ClearPanes();
    }
    // The newest socket that was asked to connect to `address`.
    std::shared_ptr<ScriptedSocketState> SocketTo(const std::string& address) const {
        for (auto it = host.sockets.all.rbegin(); it != host.sockets.all.rend(); ++it)
            if ((*it)->connectHost == address) return *it;
        return nullptr;
    }

    // One line of the Error colour in the status window, and only one.
    void ExpectOneError(const std::string& text) {
        int count = 0;
        for (const Piece& piece : Pieces(""))
            if (piece.colour == ColourOf(Cls::Error)) ++count;
        EXPECT_EQ(count, 1) << Transcript();
        ExpectShown("", Cls::Error, text);
    }

    // What went out on the server connection since the last call.
    std::string TakeSent() {
        if (!server_) return "";
        std::string sent = std::move(server_->sent);
        server_->sent.clear();
        return sent;
    }

    void Type(FrameId frame, const std::string& line) { app.SendString(frame, line); }
    FrameId StatusFrame() const { return app.registry.pStatusFrm; }

    std::shared_ptr<ScriptedSocketState> server_;
    FrameId chan_ = 0;
};

}  // namespace zorl::test
