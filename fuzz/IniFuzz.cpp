// Ini file bytes through every reader and one write. The input is the file,
// then after a NUL the section, key and value to write, NUL-separated. All
// five files of the client hold the bytes, so the start-up reads them all.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzClient.h"
#include "config/IniStore.h"

using namespace zorl;

namespace {

// The lines of a file as bytes between LFs (a CR stays part of its line).
std::vector<std::string> LinesOf(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        auto [line, rest] = fuzz::Cut(bytes, '\n');
        lines.emplace_back(line);
        bytes = rest;
    }
    return lines;
}

// A rewrite gives back every line it did not change: between the common
// head and tail, at most the key's old line went, and only the key's new
// line (with its section header and a blank line, for a new section) came.
// A CR LF file writes its own line end on every line.
void CheckOnlyKeyChanged(const std::string& before, const std::string& after,
                         std::string_view key) {
    const std::vector<std::string> old = LinesOf(before), now = LinesOf(after);
    const bool crlf = before.find('\n') != std::string::npos && before.find('\n') > 0 &&
                      before[before.find('\n') - 1] == '\r';
    auto same = [&](const std::string& a, const std::string& b) {
        return a == b || (crlf && b == a + "\r");
    };
    std::size_t head = 0;
    while (head < old.size() && head < now.size() && same(old[head], now[head])) ++head;
    std::size_t tail = 0;
    while (tail < old.size() - head && tail < now.size() - head &&
           same(old[old.size() - 1 - tail], now[now.size() - 1 - tail]))
        ++tail;
    fuzz::Require(old.size() - head - tail <= 1, "a rewrite changed a line it did not write");
    fuzz::Require(now.size() - head - tail <= 3, "a rewrite added more than its key");
    int keyLines = 0;
    for (std::size_t i = head; i < now.size() - tail; ++i) {
        std::string_view line = now[i];
        if (crlf && line.ends_with('\r')) line.remove_suffix(1);
        fuzz::Require(line.find('\r') == std::string_view::npos, "a written line holds a CR");
        if (line.empty() || line.starts_with('[')) continue;
        fuzz::Require(key.empty() || line.starts_with(key.substr(0, key.find_first_of("\r\n"))),
                      "a rewrite added a line that is not its key");
        ++keyLines;
    }
    fuzz::Require(keyLines <= 1, "a rewrite added two key lines");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    auto [file, write] = fuzz::Cut({reinterpret_cast<const char*>(data), size}, '\0');
    auto [section, keyValue] = fuzz::Cut(write, '\0');
    auto [key, value] = fuzz::Cut(keyValue, '\0');
    const std::string bytes(file);
    fuzz::FuzzClient client(fuzz::Files{{"zorl.ini", bytes},
                                        {"servers.ini", bytes},
                                        {"script.ini", bytes},
                                        {"aliases.ini", bytes},
                                        {"popups.ini", bytes}});
    CIniStore& ini = client.app.ini;
    const std::string s(section), k(key), v(value);
    ini.ReadString(s, k, "");
    ini.ReadInt(s, k, 0);
    ini.ReadKey(s, k, "");
    ini.ReadList("zorl.ini", s);
    std::string line;
    for (int i = 0; i < 64 && ini.ReadSectionLine("zorl.ini", s, i, line); ++i) {
    }

    ini.WriteKey(s, k, v);
    CheckOnlyKeyChanged(bytes, fuzz::Sandbox::Get().Read("zorl.ini"), k);
    client.CheckInvariants();
    return 0;
}
