// An application on the headless host with a status window, read as a
// transcript: bytes in on the scripted server socket, the status window's
// lines and the bytes sent out.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CZorlApp.h"
#include "support/HeadlessHost.h"

namespace zorl::test {

// The recording surface with a hook that runs inside every append: output is
// the first thing a received line causes, so the hook stands in for a handler
// that acts in the middle of the read loop.
class HookedSurface : public RecordingSurface {
public:
    void AppendPiece(FrameId frame, const std::string& text, Colour colour, bool debug) override {
        RecordingSurface::AppendPiece(frame, text, colour, debug);
        // A copy: the hook may replace itself while it runs.
        if (auto hook = onAppend) hook(text);
    }
    std::function<void(const std::string&)> onAppend;
};

struct ShownLine {
    std::string text;  // without its CR LF
    Colour colour = 0;
    bool debug = false;
};

class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        CSettings& s = app.settings;
        s.m_user_mynick = "joe";
        s.User = "joe";
        s.RealName = "Joe Bloggs";
        s.m_server_address = "irc.example";
        s.m_server_ports = "6667";
        s.Password = "secret";
        s.Quit = "bye";
        s.DebugWindow = 0;  // debug lines land in the status window
        if (ChannelRecord* status =
                app.registry.NewWindow("", kWindowStatus, app.pMainSocket.get(), true))
            app.registry.pStatusFrm = status->frame;
    }

    HeadlessHost host;
    HookedSurface surface;
    Platform platform{host.sockets, host.clock,   host.ticker, host.sound,
                      host.shell,   host.dialogs, surface};
    CZorlApp app{platform};

    Colour ColourOf(Cls cls) const {
        const auto& c = app.settings.Color;
        switch (cls) {
            case Cls::Normal: return c.Normal;
            case Cls::Own: return c.Own;
            case Cls::Info: return c.Info;
            case Cls::UError: return c.UError;
            case Cls::Error: return c.Error;
            case Cls::Flow: return c.Flow;
            default: return 0xFFFFFFFF;
        }
    }

    // ---- Connecting

    // Connect pressed; returns the new server socket (connect in progress),
    // or a detached stand-in when no connect was issued.
    std::shared_ptr<ScriptedSocketState> PressConnect() {
        std::size_t before = host.sockets.all.size();
        app.connection.OnButtonConnect();
        for (std::size_t i = host.sockets.all.size(); i > before; --i)
            if (!host.sockets.all[i - 1]->connectHost.empty()) return host.sockets.all[i - 1];
        return std::make_shared<ScriptedSocketState>();
    }
    // Connect pressed and the TCP connection up; registration already sent.
    std::shared_ptr<ScriptedSocketState> ConnectServer() {
        auto server = PressConnect();
        server->Connected(0);
        server->sent.clear();
        return server;
    }
    // The listening ident socket made by the last StartIdent.
    std::shared_ptr<ScriptedSocketState> IdentListener() const {
        for (auto it = host.sockets.all.rbegin(); it != host.sockets.all.rend(); ++it)
            if ((*it)->bindPort == 113) return *it;
        return nullptr;
    }

    // ---- The status window as a transcript

    std::vector<ShownLine> Shown(bool withDebug = false) {
        std::vector<ShownLine> lines;
        RecordedFrame* frame = surface.Frame(app.registry.pStatusFrm);
        if (!frame) return lines;
        for (const Piece& piece : frame->pieces) {
            if (piece.debug && !withDebug) continue;
            std::string text = piece.text;
            if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
                text.resize(text.size() - 2);
            lines.push_back({text, piece.colour, piece.debug});
        }
        return lines;
    }
    std::vector<std::string> ShownTexts() {
        std::vector<std::string> texts;
        for (const ShownLine& line : Shown()) texts.push_back(line.text);
        return texts;
    }
    std::string Transcript() {
        std::string dump = "\n--- status window:\n";
        for (const ShownLine& line : Shown(true))
            dump += (line.debug ? "  [debug] " : "  ") + line.text + "\n";
        return dump;
    }
    // Lines the read loop handed to the parser, seen through the "<< "
    // debug lines (debug output on).
    std::vector<std::string> Parsed() {
        std::vector<std::string> lines;
        for (const ShownLine& line : Shown(true)) {
            std::size_t mark = line.text.find("<< ");
            if (line.debug && mark != std::string::npos)
                lines.push_back(line.text.substr(mark + 3));
        }
        return lines;
    }
    void ExpectShown(Cls cls, const std::string& text) {
        for (const ShownLine& line : Shown())
            if (line.text == text) {
                EXPECT_EQ(line.colour, ColourOf(cls)) << "colour of \"" << text << "\"";
                return;
            }
        ADD_FAILURE() << "not shown: \"" << text << "\"" << Transcript();
    }
    void ExpectNotShown(const std::string& text) {
        for (const ShownLine& line : Shown())
            if (line.text == text) ADD_FAILURE() << "shown: \"" << text << "\"" << Transcript();
    }
    // The lines shown since `from` (an index into Shown()).
    std::vector<std::string> ShownSince(std::size_t from) {
        std::vector<std::string> texts = ShownTexts();
        return {texts.begin() + static_cast<long>(std::min(from, texts.size())), texts.end()};
    }
};

}  // namespace zorl::test
