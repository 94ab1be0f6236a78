// A started client connected to a scripted server, fed raw server lines.
// Tests read like transcripts: Recv(line), then what each window shows and
// what was sent back; a failed expectation prints every window and the wire.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "session/IrcSocket.h"
#include "session/LineParser.h"
#include "support/AppFixture.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {

class IncomingTest : public AppFixture {
protected:
    using NickMap = std::map<std::string, int>;

    void SetUp() override {
        AppFixture::SetUp();
        app.settings.m_user_mynick = "me";
        server = Server();
        server->type = kSocketNormal;
        server->Create(kEventRead | kEventConnect | kEventClose);
        wire = host.sockets.Last();
        server->connected = true;
        app.Connection().ForceStateForTest(CONNECTED, app.Connection().Registered());
        app.Connection().ForceStateForTest(app.Connection().State(), true);
        Clear();
    }

    // One line from the server, as the connection hands it to the parser.
    void Recv(const std::string& line) { app.Connection().ParseLine(server, line); }

    // The user's own join as the server reports it, with the names that follow.
    void Join(const std::string& channel, const std::string& names) {
        Recv(":me!u@client JOIN :" + channel);
        Recv(":irc.test 353 me = " + channel + " :" + names);
        Recv(":irc.test 366 me " + channel + " :End of NAMES list");
    }

    // Forgets what was shown and sent so far.
    void Clear() {
        ClearPanes();
        if (wire) wire->sent.clear();
    }

    const ChannelRecord* Record(const std::string& name) {
        FrameId frame = FrameOf(name);
        return frame ? app.registry.GetCRbyFrm(frame) : nullptr;
    }
    bool HasWindow(const std::string& name) const { return FrameOf(name) != 0; }
    NickMap Nicks(const std::string& channel) {
        CZorlDoc* doc = app.registry.DocOf(FrameOf(channel));
        return doc ? doc->Nicks() : NickMap{};
    }

    void ExpectLines(const std::string& window, const std::vector<std::string>& lines) {
        EXPECT_EQ(Lines(window), lines) << "window \"" << window << "\"\n" << Transcript();
    }
    // No window shows anything.
    void ExpectNothingShown() { EXPECT_TRUE(AllShown().empty()) << Transcript(); }
    void ExpectSent(const std::vector<std::string>& lines) {
        EXPECT_EQ(wire->SentLines(), lines) << Transcript();
    }
    void ExpectNothingSent() { ExpectSent({}); }

    CIrcSocket* server = nullptr;
    std::shared_ptr<ScriptedSocketState> wire;
};

}  // namespace zorl::test
