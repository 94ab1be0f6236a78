// Event scripts with incoming lines. The input is script lines, a NUL, and
// server bytes; the client's own events, which echo what others say to
// #out, come before the input's lines.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzClient.h"
#include "session/SendQueue.h"
#include "session/ServerConnection.h"

using namespace zorl;

namespace {

// An empty TEXTIN pattern is found in every text.
const char* const kOwnEvents =
    "TEXTIN : *!*@* : /privmsg #out said $nick $2-\n"
    "ON JOIN : *!*@* : /privmsg #out join $nick $channel\n"
    "ON NOTICE : *!*@* : /privmsg #out notice $2-\n";

// Lines the client sends of its own accord in answer to server lines.
bool IsOwnReply(std::string_view line) {
    for (const char* reply : {"PONG", "NOTICE ", "MODE ", "NICK ", "WHO", "USERHOST"})
        if (line.starts_with(reply)) return true;
    return false;
}

// What others say is data: it never adds a command or a line, never asks
// the user and never starts a program. Checked when the input brought no
// script lines of its own. A long echo may go out in pieces.
void CheckDataStayedData(const fuzz::FuzzClient& client, std::string_view bytes) {
    std::size_t lines = 1;
    for (char c : bytes) lines += c == '\n' || c == '\r';
    std::size_t echoes = 0;
    bool afterEcho = false;
    for (const std::string& line : client.server->SentLines()) {
        const bool toOut = line.starts_with("PRIVMSG #out :");
        const std::string_view text = toOut ? std::string_view(line).substr(14) : "";
        const bool echo =
            text.starts_with("said ") || text.starts_with("join ") || text.starts_with("notice ");
        echoes += echo;
        if (toOut && !echo && !afterEcho) fuzz::Fail("received text sent a line: " + line);
        if (!toOut && !IsOwnReply(line)) fuzz::Fail("received text sent a command: " + line);
        afterEcho = toOut;
    }
    if (echoes > lines) fuzz::Fail("received text added echoes");
    fuzz::Require(client.host.dialogs.prompts.empty(), "received text asked the user");
    fuzz::Require(client.host.shell.executed.empty(), "received text started a program");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    auto [script, bytes] = fuzz::Cut({reinterpret_cast<const char*>(data), size}, '\0');
    fuzz::FuzzClient client(fuzz::Files{
        {"script.ini", "[Script]\n" + std::string(kOwnEvents) + std::string(script) + "\n"}});
    client.GoOnline();
    client.server->sent.clear();
    client.Receive(bytes);
    // The send queue paces what the events send; let it all out.
    for (int i = 0; client.app.Connection().LinesWaiting() > 0 && i < 2000; ++i)
        client.host.Elapse(CSendQueue::kInterval);
    client.CheckInvariants();
    if (script.empty()) CheckDataStayedData(client, bytes);
    return 0;
}
