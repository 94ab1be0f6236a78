// Variable expansion: the first line is a server line (the message the
// variables read), the rest is the template.
#include <cstddef>
#include <cstdint>

#include "FuzzClient.h"
#include "script/VariableExpander.h"
#include "session/LineParser.h"

using namespace zorl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    auto [line, text] = fuzz::Cut({reinterpret_cast<const char*>(data), size}, '\n');
    // Sections for $randline and $getline, each able to call itself.
    fuzz::FuzzClient client(fuzz::Files{{"script.ini",
                                         "[greet]\nhello $nick\n$randline greet\n;comment\n"
                                         "[table]\nkey value $2-\n* $getline table $1\n"}});
    client.GoOnline();
    std::size_t n = 0;
    for (const char* value : {"one", "$nick", "$$", "|", "$x1", "", "%s", "7", "{", "$?"})
        client.app.expander.SetUserVar(++n, value);
    for (const char* answer : {"$nick $2-", "x", "$?"})
        client.host.dialogs.inputAnswers.push_back(answer);

    bool ignored = false;
    IrcMessage message = ParseMessage(std::string(line), "me", {}, ignored);
    const std::string expanded = client.app.ExpandVariables(message, std::string(text));
    // Text without a variable sign ("$", and "#" where there is a channel)
    // is its own expansion.
    if (text.find_first_of("$#") == std::string_view::npos && expanded != text)
        fuzz::Fail("text without variables expanded to " + expanded);
    client.CheckInvariants();
    return 0;
}
