#include "support/AppFixture.h"

#include "common/Format.h"
#include "config/Settings.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

void AppFixture::SetUp() {
    ASSERT_FALSE(dir.Path().empty()) << "cannot create a temporary directory";
    app.UseConfigDirectory(dir.Path().string());
    BeforeStart();
    app.LoadSettings();
    // A new folder stamps every line with its time and shows comings and
    // goings quieter; the tests compare lines without either, and the tests
    // of those turn them on.
    app.settings.TimeStamp = 0;
    app.settings.ConversationView = 0;
}

void AppFixture::ReloadSettings(const std::string& zorlIni) {
    dir.WriteFile("zorl.ini", zorlIni);
    app.settings.Load(app.ini);
}

Colour AppFixture::ColourOf(Cls cls) const { return app.output.ColourOf(cls); }

std::shared_ptr<ScriptedSocketState> AppFixture::ConnectServer() {
    auto server = PressConnect();
    server->Connected();
    // A server that negotiates nothing: CAP END goes out, registration waits
    // for the test.
    server->Receive(":irc.example CAP * LS :\r\n");
    server->sent.clear();
    return server;
}

FrameId AppFixture::Open(const std::string& name, WindowType type, bool show) {
    const ChannelRecord* record = app.registry.NewWindow(name, type, Server(), show);
    return record ? record->frame : 0;
}

FrameId AppFixture::OpenChannel(const std::string& name, const std::vector<std::string>& nicks) {
    FrameId frame = Open(name, kWindowChannel);
    if (CZorlDoc* doc = app.registry.DocOf(frame)) {
        for (const std::string& nick : nicks) doc->NickUpdate(kNickAdd, nick, 0);
    }
    return frame;
}

std::map<std::string, std::string> AppFixture::AllShown() const {
    std::map<std::string, std::string> shown;
    for (const ChannelRecord& record : app.registry.Records()) {
        const RecordedFrame& frame = host.surface.Recording(record.frame);
        if (!frame.pieces.empty()) shown[record.name] = frame.Text();
    }
    return shown;
}

void AppFixture::ClearPanes() {
    for (auto& [id, frame] : host.surface.frames) frame.pieces.clear();
}

::testing::AssertionResult AppFixture::Shows(const std::string& window, Colour colour,
                                             const std::string& text) {
    for (const Piece& piece : Pieces(window)) {
        if (piece.colour == colour && (piece.text == text || piece.text == text + "\r\n")) {
            return ::testing::AssertionSuccess();
        }
    }
    return ::testing::AssertionFailure() << "window \"" << window << "\" shows no \"" << text
                                         << "\" in colour " << HexId(colour) << "\n"
                                         << Transcript();
}

}  // namespace zorl::test
