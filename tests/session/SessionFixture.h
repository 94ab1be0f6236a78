// A started client read as a transcript of its server connection: bytes in
// on the scripted server socket, the status window's lines and the bytes
// sent out.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "support/AppFixture.h"

namespace zorl::test {

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

    // The listening ident socket made by the last StartIdent.
    std::shared_ptr<ScriptedSocketState> IdentListener() const {
        for (auto it = host.sockets.all.rbegin(); it != host.sockets.all.rend(); ++it)
            if ((*it)->bindPort == 113) return *it;
        return nullptr;
    }

    // The status window's lines shown since `from` (an index into Lines("")).
    std::vector<std::string> StatusSince(std::size_t from) {
        std::vector<std::string> texts = Lines("");
        return {texts.begin() + static_cast<long>(std::min(from, texts.size())), texts.end()};
    }

    // Lines the read loop handed to the parser, seen through the "<< "
    // debug lines (debug output on).
    std::vector<std::string> Parsed() {
        std::vector<std::string> lines;
        for (const Piece& piece : Pieces("")) {
            std::size_t mark = piece.text.find("<< ");
            if (piece.debug && mark != std::string::npos)
                lines.push_back(WithoutLineEnd(piece.text.substr(mark + 3)));
        }
        return lines;
    }
};

}  // namespace zorl::test
