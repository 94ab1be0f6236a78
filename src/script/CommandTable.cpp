#include "script/CommandTable.h"

#include "common/Text.h"

namespace zorl {
namespace {

const CommandRow kCommands[] = {
    {"QUERY", kNeedsNothing, &QueryCommand},
    {"JOIN", kNeedsArguments, &JoinCommand},
    {"PART", kNeedsNothing, &PartCommand},
    {"QUIT", kNeedsNothing, &QuitCommand},
    {"NICK", kNeedsArguments, &NickCommand},
    {"PRIVMSG", kNeedsNothing, &PrivmsgCommand},
    {"NOTICE", kNeedsArguments, &NoticeCommand},
    {"ACTION", kNeedsChannel, &ActionCommand},
    {"CTCP", kNeedsTargetAndText, &CtcpCommand},
    {"VERSION", kNeedsNothing, &VersionCommand},
    {"TIME", kNeedsNothing, &TimeCommand},
    {"TOPIC", kNeedsNothing, &TopicCommand},
    {"SERVER", kNeedsNothing, &ServerCommand},
    // Script commands and DCC offers.
    {"NOTIFY", kNeedsNothing, nullptr},
    {"PLAY", kNeedsNothing, nullptr},
    {"BEEP", kNeedsNothing, nullptr},
    {"MBOX", kNeedsNothing, nullptr},
    {"ECHO", kNeedsNothing, nullptr},
    {"EXEC", kNeedsNothing, nullptr},
    {"IF", kNeedsNothing, nullptr},
    {"WRITELINE", kNeedsNothing, nullptr},
    {"ADDLINE", kNeedsNothing, nullptr},
    {"COPY", kNeedsNothing, nullptr},
    {"DELETE", kNeedsNothing, nullptr},
    {"EMPTY", kNeedsNothing, nullptr},
    {"RENAME", kNeedsNothing, nullptr},
    {"SET", kNeedsNothing, nullptr},
    {"TIMER", kNeedsNothing, nullptr},
    {"IDLETIMER", kNeedsNothing, nullptr},
    {"DCC", kNeedsNothing, &DccCommand},
    {"DUMP", kNeedsNothing, nullptr},
    {"XLAT", kNeedsNothing, nullptr},
    {"SYSTEM", kNeedsNothing, nullptr},
    {"IGNORE", kNeedsNothing, nullptr},
};

}  // namespace

std::span<const CommandRow> CommandTable() { return kCommands; }

const CommandRow* FindCommand(std::string_view word) {
    for (const CommandRow& row : kCommands)
        if (EqualsNoCase(word, row.name)) return &row;
    return nullptr;
}

}  // namespace zorl
