// Typed lines with aliases. Each input line is one of
//   "a NAME REPLACEMENT"   an alias (aliases.ini, before the start)
//   "c LINE" / "q LINE"    typed in the channel / the query window
//   LINE                   typed in the status window
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzClient.h"
#include "windows/WindowRegistry.h"

using namespace zorl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string aliases = "[Aliases]\n";
    std::vector<std::string_view> typed;
    int count = 0;
    while (!rest.empty()) {
        auto [line, after] = fuzz::Cut(rest, '\n');
        rest = after;
        if (line.starts_with("a "))
            aliases += "n" + std::to_string(count++) + "=" + std::string(line.substr(2)) + "\n";
        else
            typed.push_back(line);
    }
    fuzz::FuzzClient client(fuzz::Files{{"aliases.ini", aliases}});
    client.GoOnline();
    for (std::string_view line : typed) {
        std::string window;
        if (line.starts_with("c ") || line.starts_with("q ")) {
            window = line[0] == 'c' ? "#chan" : "dave";
            line.remove_prefix(2);
        }
        // A window an earlier line closed takes the line in the status window.
        FrameId frame = test::FrameOf(client.app, window);
        if (!frame) frame = client.app.registry.pStatusFrm;
        client.app.SendString(frame, std::string(line));
    }
    client.CheckInvariants();
    return 0;
}
