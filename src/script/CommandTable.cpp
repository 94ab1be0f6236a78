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
    {"NEWSERVER", kNeedsArguments, &NewserverCommand},
    {"SEARCH", kNeedsNothing, &SearchCommand},
    // Script commands and DCC offers.
    {"NOTIFY", kNeedsNothing, &NotifyCommand},
    {"PLAY", kNeedsNothing, &PlayCommand},
    {"BEEP", kNeedsNothing, &BeepCommand},
    {"MBOX", kNeedsNothing, &MboxCommand},
    {"ECHO", kNeedsNothing, &EchoCommand},
    {"EXEC", kNeedsNothing, &ExecCommand},
    {"IF", kNeedsNothing, &IfCommand},
    {"WRITELINE", kNeedsNothing, &WritelineCommand},
    {"ADDLINE", kNeedsNothing, &AddlineCommand},
    {"COPY", kNeedsNothing, &CopyCommand},
    {"DELETE", kNeedsNothing, &DeleteCommand},
    {"EMPTY", kNeedsNothing, &EmptyCommand},
    {"RENAME", kNeedsNothing, &RenameCommand},
    {"SET", kNeedsNothing, &SetCommand},
    {"TIMER", kNeedsNothing, &TimerCommand},
    {"IDLETIMER", kNeedsNothing, &IdletimerCommand},
    {"DCC", kNeedsNothing, &DccCommand},
    {"DUMP", kNeedsNothing, &DumpCommand},
    {"XLAT", kNeedsNothing, &XlatCommand},
    {"SYSTEM", kNeedsNothing, &SystemCommand},
    {"IGNORE", kNeedsNothing, &IgnoreCommand},
};

}  // namespace

std::span<const CommandRow> CommandTable() { return kCommands; }

const CommandRow* FindCommand(std::string_view word) {
    for (const CommandRow& row : kCommands)
        if (EqualsNoCase(word, row.name)) return &row;
    return nullptr;
}

}  // namespace zorl
