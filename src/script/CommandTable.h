// The command words of the interpreter, in dispatch order, with what each
// needs before it runs. A word that is in no row goes to the server as typed
// (lower-cased): '/WHOIS joe' sends "whois joe".
#pragma once

#include <span>
#include <string_view>

namespace zorl {

struct CommandLine;

// Preconditions checked by the dispatcher; a command whose needs are not met
// does not run.
enum CommandNeeds : unsigned {
    kNeedsNothing = 0,
    kNeedsChannel = 1,        // a channel or peer window, else "No active channel"
    kNeedsArguments = 2,      // some text after the command word, else nothing
    kNeedsTargetAndText = 4,  // a first argument and text after it, else nothing
};

using CommandHandler = void (*)(CommandLine&);

struct CommandRow {
    const char* name;  // upper case; typed words compare without regard to case
    unsigned needs;
    // Null for the words whose commands are not built yet: they do nothing,
    // and are never sent to the server.
    CommandHandler run;
};

std::span<const CommandRow> CommandTable();

// The first row whose name equals `word` without regard to case, or null.
const CommandRow* FindCommand(std::string_view word);

// The protocol commands (MessageCommands.cpp, SessionCommands.cpp).
void QueryCommand(CommandLine& line);
void JoinCommand(CommandLine& line);
void PartCommand(CommandLine& line);
void QuitCommand(CommandLine& line);
void NickCommand(CommandLine& line);
void PrivmsgCommand(CommandLine& line);
void NoticeCommand(CommandLine& line);
void ActionCommand(CommandLine& line);
void CtcpCommand(CommandLine& line);
void VersionCommand(CommandLine& line);
void TimeCommand(CommandLine& line);
void TopicCommand(CommandLine& line);
void ServerCommand(CommandLine& line);
void NewserverCommand(CommandLine& line);
void SearchCommand(CommandLine& line);
// DccCommand.cpp
void DccCommand(CommandLine& line);

// The script commands (ScriptCommands.cpp, SectionCommands.cpp,
// TimerCommands.cpp).
void NotifyCommand(CommandLine& line);
void PlayCommand(CommandLine& line);
void BeepCommand(CommandLine& line);
void MboxCommand(CommandLine& line);
void EchoCommand(CommandLine& line);
void ExecCommand(CommandLine& line);
void IfCommand(CommandLine& line);
void WritelineCommand(CommandLine& line);
void AddlineCommand(CommandLine& line);
void CopyCommand(CommandLine& line);
void DeleteCommand(CommandLine& line);
void EmptyCommand(CommandLine& line);
void RenameCommand(CommandLine& line);
void SetCommand(CommandLine& line);
void TimerCommand(CommandLine& line);
void IdletimerCommand(CommandLine& line);
void DumpCommand(CommandLine& line);
void XlatCommand(CommandLine& line);
void SystemCommand(CommandLine& line);
void IgnoreCommand(CommandLine& line);

}  // namespace zorl
