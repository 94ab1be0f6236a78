#include "support/AppFixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/Settings.h"
#include "common/Format.h"
#include "common/Text.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {

// ---- TempWorkDir -----------------------------------------------------------

TempWorkDir::TempWorkDir() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorl-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        ADD_FAILURE() << "cannot create a temporary directory";
        path_ = previous_;
        return;
    }
    path_ = pattern;
    std::filesystem::current_path(path_);
}

TempWorkDir::~TempWorkDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    if (path_ != previous_) std::filesystem::remove_all(path_, ignored);
}

void TempWorkDir::WriteFile(const std::string& name, const std::string& content) const {
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string TempWorkDir::ReadFile(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TempWorkDir::Exists(const std::string& name) const {
    std::error_code ignored;
    return std::filesystem::exists(path_ / name, ignored);
}

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

// ---- AppFixture ------------------------------------------------------------

void AppFixture::SetUp() {
    BeforeStart();
    app.LoadSettings();
}

void AppFixture::ReloadSettings(const std::string& zorlIni) {
    dir.WriteFile("zorl.ini", zorlIni);
    app.settings.Load(app.ini);
}

Colour AppFixture::ColourOf(Cls cls) const { return app.output.ColourOf(cls); }

FrameId AppFixture::Open(const std::string& name, int type, bool show) {
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

FrameId AppFixture::FrameOf(const std::string& window) const {
    if (window.empty() && app.registry.pStatusFrm) return app.registry.pStatusFrm;
    for (const ChannelRecord& record : app.registry.Records()) {
        if (EqualsNoCase(record.name, window)) return record.frame;
    }
    return 0;
}

RecordedFrame* AppFixture::Recorded(const std::string& window) {
    return host.surface.Frame(FrameOf(window));
}

std::string AppFixture::Shown(const std::string& window) {
    RecordedFrame* frame = Recorded(window);
    return frame ? frame->Text() : std::string();
}

std::vector<Piece> AppFixture::Pieces(const std::string& window) {
    RecordedFrame* frame = Recorded(window);
    return frame ? frame->pieces : std::vector<Piece>{};
}

std::map<std::string, std::string> AppFixture::AllShown() const {
    std::map<std::string, std::string> shown;
    for (const ChannelRecord& record : app.registry.Records()) {
        auto it = host.surface.frames.find(record.frame);
        if (it != host.surface.frames.end() && !it->second.pieces.empty()) {
            shown[record.name] = it->second.Text();
        }
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

namespace {

std::string Visible(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (static_cast<unsigned char>(c) < 0x20)
            out += Format("\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
        else
            out += c;
    }
    return out;
}

}  // namespace

std::string AppFixture::Transcript() const {
    std::ostringstream out;
    out << "---- transcript\n";
    for (const auto& [id, frame] : host.surface.frames) {
        out << "[" << HexId(id) << "] type " << frame.type << " \"" << frame.caption << "\""
            << (frame.destroyed ? " (destroyed)" : "") << "\n";
        for (const Piece& piece : frame.pieces) {
            out << "    " << HexId(piece.colour) << (piece.debug ? " debug " : " ") << "\""
                << Visible(piece.text) << "\"\n";
        }
    }
    for (const std::string& box : host.dialogs.boxes) out << "message box: " << box << "\n";
    return out.str();
}

}  // namespace zorl::test
