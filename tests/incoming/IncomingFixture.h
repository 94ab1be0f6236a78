// A connected client with its status window, fed raw server lines. Tests read
// like transcripts: Recv(line), then what each window shows and what was
// sent; a failed expectation prints every window and the wire.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/CZorlApp.h"
#include "common/Text.h"
#include "support/HeadlessHost.h"

namespace zorl::test {

class IncomingTest : public ::testing::Test {
protected:
    IncomingTest() {
        dir_ = std::filesystem::temp_directory_path() /
               ("zorl-incoming-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        std::filesystem::create_directories(dir_);
        app.config_dir = dir_.string() + "/";
        app.ini.SetDirectory(app.config_dir);

        app.settings.m_user_mynick = "me";
        app.pMainSocket = std::make_unique<CIrcSocket>(app);
        server = app.pMainSocket.get();
        server->type = kSocketNormal;
        server->Create(kEventRead | kEventConnect | kEventClose);
        wire = host.sockets.Last();
        server->connected = true;
        app.ircstatus = CONNECTED;
        app.registered = true;

        ChannelRecord* status = app.registry.NewWindow("", kWindowStatus, server, true);
        if (status) {
            app.registry.pStatusFrm = status->frame;
            app.registry.UpdateCR(status->frame, "Status", kUpdateTitle);
        }
        Clear();
    }

    ~IncomingTest() override {
        std::error_code ignoredError;
        std::filesystem::remove_all(dir_, ignoredError);
    }

    // One line from the server, as the connection hands it to the parser.
    void Recv(const std::string& line) { app.parser.ParseLine(server, line); }

    // The user's own join as the server reports it, with the names that follow.
    void Join(const std::string& channel, const std::string& names) {
        Recv(":me!u@client JOIN :" + channel);
        Recv(":irc.test 353 me = " + channel + " :" + names);
        Recv(":irc.test 366 me " + channel + " :End of NAMES list");
    }

    // Forgets what was shown and sent so far.
    void Clear() {
        for (auto& [id, frame] : host.surface.frames) frame.pieces.clear();
        if (wire) wire->sent.clear();
    }

    const ChannelRecord* Record(const std::string& name) const {
        for (const ChannelRecord& r : app.registry.Records())
            if (EqualsNoCase(r.name, name)) return &r;
        return nullptr;
    }
    CZorlDoc* Doc(const std::string& name) {
        const ChannelRecord* r = Record(name);
        return r ? app.registry.DocOf(r->frame) : nullptr;
    }
    bool HasWindow(const std::string& name) const { return Record(name) != nullptr; }

    // The lines a window shows, without their line ends ("status" is "").
    std::vector<Piece> Pieces(const std::string& name) {
        const ChannelRecord* r = Record(name);
        RecordedFrame* frame = r ? host.surface.Frame(r->frame) : nullptr;
        return frame ? frame->pieces : std::vector<Piece>{};
    }
    std::vector<std::string> Lines(const std::string& name) {
        std::vector<std::string> lines;
        for (const Piece& p : Pieces(name)) {
            std::string text = p.text;
            if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
                text.resize(text.size() - 2);
            lines.push_back(text);
        }
        return lines;
    }
    std::vector<std::string> Sent() const {
        std::vector<std::string> lines;
        std::string all = wire ? wire->sent : std::string();
        std::size_t at = 0;
        while (at < all.size()) {
            std::size_t end = all.find("\r\n", at);
            if (end == std::string::npos) end = all.size();
            lines.push_back(all.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    }
    std::map<std::string, int> Nicks(const std::string& channel) {
        CZorlDoc* doc = Doc(channel);
        return doc ? doc->Nicks() : std::map<std::string, int>{};
    }

    // Everything shown and sent, for failure messages.
    std::string Transcript() {
        std::string out = "\n--- transcript ---\n";
        for (const ChannelRecord& r : app.registry.Records()) {
            out +=
                "[" + (r.name.empty() ? std::string("status") : r.name) + "] \"" + r.title + "\"\n";
            for (const std::string& line : Lines(r.name)) out += "    " + line + "\n";
        }
        out += "[sent]\n";
        for (const std::string& line : Sent()) out += "    " + line + "\n";
        return out;
    }

    // The window shows exactly this line, in this colour class.
    void ExpectShown(const std::string& window, Cls cls, const std::string& line) {
        Colour colour = app.output.ColourOf(cls);
        for (const Piece& p : Pieces(window))
            if (p.text == line + "\r\n" && p.colour == colour) return;
        ADD_FAILURE() << "[" << window << "] does not show \"" << line << "\" in colour " << colour
                      << Transcript();
    }
    void ExpectLines(const std::string& window, const std::vector<std::string>& lines) {
        EXPECT_EQ(Lines(window), lines) << "[" << window << "]" << Transcript();
    }
    void ExpectSent(const std::vector<std::string>& lines) {
        EXPECT_EQ(Sent(), lines) << Transcript();
    }
    void ExpectNothingSent() { ExpectSent({}); }

    HeadlessHost host;
    CZorlApp app{host.platform};
    CIrcSocket* server = nullptr;
    std::shared_ptr<ScriptedSocketState> wire;

private:
    std::filesystem::path dir_;
};

}  // namespace zorl::test
