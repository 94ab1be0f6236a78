// A started client read as a transcript of its server connection: bytes in
// on the scripted server socket, the status window's lines and the bytes
// sent out.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "session/ServerConnection.h"
#include "support/AppFixture.h"

namespace zorl::test {

struct ShownLine {
    std::string text;  // without its CR LF
    Colour colour = 0;
    bool debug = false;
};

class SessionTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        CSettings& s = app.settings;
        s.m_user_mynick = "joe";
        s.User = "joe";
        s.RealName = "Joe Bloggs";
        s.m_server_address = "irc.example";
        s.m_server_ports = "6667";
        s.Password = "secret";
        s.Quit = "bye";
        s.DebugWindow = 0;  // debug lines land in the status window
        ClearPanes();
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

    // ---- The status window

    std::vector<ShownLine> StatusLines(bool withDebug = false) {
        std::vector<ShownLine> lines;
        for (const Piece& piece : Pieces("")) {
            if (piece.debug && !withDebug) continue;
            std::string text = piece.text;
            if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
                text.resize(text.size() - 2);
            lines.push_back({text, piece.colour, piece.debug});
        }
        return lines;
    }
    std::vector<std::string> StatusTexts() {
        std::vector<std::string> texts;
        for (const ShownLine& line : StatusLines()) texts.push_back(line.text);
        return texts;
    }
    // The lines shown since `from` (an index into StatusTexts()).
    std::vector<std::string> StatusSince(std::size_t from) {
        std::vector<std::string> texts = StatusTexts();
        return {texts.begin() + static_cast<long>(std::min(from, texts.size())), texts.end()};
    }
    void ExpectStatus(Cls cls, const std::string& text) { ExpectShown("", ColourOf(cls), text); }

    // Lines the read loop handed to the parser, seen through the "<< "
    // debug lines (debug output on).
    std::vector<std::string> Parsed() {
        std::vector<std::string> lines;
        for (const ShownLine& line : StatusLines(true)) {
            std::size_t mark = line.text.find("<< ");
            if (line.debug && mark != std::string::npos)
                lines.push_back(line.text.substr(mark + 3));
        }
        return lines;
    }
};

}  // namespace zorl::test
