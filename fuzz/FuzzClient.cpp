#include "FuzzClient.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "common/Text.h"
#include "windows/WindowRegistry.h"

namespace zorl::fuzz {

namespace fs = std::filesystem;

void Fail(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

std::pair<std::string_view, std::string_view> Cut(std::string_view data, char separator) {
    std::size_t at = data.find(separator);
    if (at == std::string_view::npos) return {data, {}};
    return {data.substr(0, at), data.substr(at + 1)};
}

const char* const kZorlIni =
    "[USER]\nNick=me\nUser=u\nRealName=Me\n"
    "[SERVER]\nAddress=irc.example\nName=irc.example\nPorts=6667\n"
    "[REPLY]\nQuit=bye\nFinger=none\n"
    "[OPTIONS]\nLogChannels=1\nLogQuery=1\nTimeStamp=1\nDebugWindow=0\n";

// ---- The sandbox --------------------------------------------------------------

Sandbox& Sandbox::Get() {
    static Sandbox sandbox;
    return sandbox;
}

Sandbox::Sandbox() {
    std::string pattern = (fs::temp_directory_path() / "zorl-fuzz-XXXXXX").string();
    Require(::mkdtemp(pattern.data()) != nullptr, "no temporary folder");
    root_ = pattern;
    config_ = root_ / "config";
    working_ = fs::current_path();
    // The folder goes with the process, however it ends.
    static std::string removeAtExit;
    removeAtExit = root_.string();
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(removeAtExit, ignored);
    });
}

namespace {

std::set<std::string> EntriesOf(const fs::path& folder) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

}  // namespace

void Sandbox::Reset(const Files& files) {
    // Others may write to the working directory between inputs (logs).
    working_entries_ = EntriesOf(working_);
    std::error_code ignored;
    fs::remove_all(config_, ignored);
    fs::create_directory(config_);
    for (const auto& [name, bytes] : files)
        std::ofstream(config_ / name, std::ios::binary) << bytes;
}

void Sandbox::CheckNothingOutside() const {
    for (const fs::directory_entry& entry : fs::directory_iterator(root_))
        if (entry.path() != config_)
            Fail("written outside the configuration folder: " + entry.path().filename().string());
    for (const std::string& name : EntriesOf(working_))
        if (!working_entries_.count(name)) Fail("written to the working directory: " + name);
}

std::string Sandbox::Read(const std::string& name) const {
    std::ifstream in(config_ / name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// ---- The client ---------------------------------------------------------------------

FuzzClient::FuzzClient(Files files) {
    files.try_emplace("zorl.ini", kZorlIni);
    Sandbox::Get().Reset(files);
    app.UseConfigDirectory(Sandbox::Get().Config().string());
    app.LoadSettings();
}

void FuzzClient::GoOnline() {
    server = test::PressConnect(app, host.sockets);
    server->Connected();
    Receive(
        ":irc.example 001 me :Welcome\r\n"
        ":me!u@h JOIN :#chan\r\n"
        ":irc.example 353 me = #chan :me @bob +carol\r\n"
        ":irc.example 366 me #chan :End of NAMES list\r\n"
        ":dave!d@h PRIVMSG me :hi\r\n");
    Require(test::FrameOf(app, "#chan") && test::FrameOf(app, "dave"), "not online");
}

void FuzzClient::Receive(std::string_view bytes) {
    // Chunk sizes vary with the input so that lines are cut everywhere.
    const std::size_t chunk = 1 + bytes.size() % 97 * 5;
    for (std::size_t at = 0; at < bytes.size() && server && !server->closed; at += chunk)
        server->Receive(std::string(bytes.substr(at, chunk)));
}

void FuzzClient::CheckInvariants() const {
    CheckSentLines(host, file_sockets);
    CheckRecords(host, app);
    Sandbox::Get().CheckNothingOutside();
}

void CheckSentLines(const test::HeadlessHost& host,
                    const std::set<const test::ScriptedSocketState*>& skipped) {
    for (const auto& socket : host.sockets.all) {
        if (skipped.count(socket.get())) continue;
        const std::string& sent = socket->sent;
        Require(sent.empty() || sent.ends_with("\r\n"), "a send that is not whole lines");
        for (std::size_t i = 0; i < sent.size(); ++i) {
            char c = sent[i];
            bool lineEnd = (c == '\r' && i + 1 < sent.size() && sent[i + 1] == '\n') ||
                           (c == '\n' && i > 0 && sent[i - 1] == '\r');
            if ((c == '\r' || c == '\n' || c == '\0') && !lineEnd)
                Fail("a sent line holds a lone CR, LF or NUL: " + sent);
        }
    }
}

void CheckRecords(const test::HeadlessHost& host, const CZorlApp& app) {
    std::set<std::pair<std::string, const CIrcSocket*>> names;
    std::set<FrameId> frames;
    for (const ChannelRecord& record : app.registry.Records()) {
        if (!names.emplace(ToLower(record.name), record.socket).second)
            Fail("two records for window " + record.name);
        if (!frames.insert(record.frame).second) Fail("two records share a frame");
        auto frame = host.surface.frames.find(record.frame);
        if (frame == host.surface.frames.end() || frame->second.destroyed)
            Fail("a record without its frame: " + record.name);
    }
    for (const auto& [id, frame] : host.surface.frames)
        if (!frame.destroyed && !frames.count(id)) Fail("a frame without a record");
}

}  // namespace zorl::fuzz
