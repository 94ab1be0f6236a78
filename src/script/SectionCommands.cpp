// The commands that edit line sections of script.ini. Lines are stored so
// that they read back as written: text that begins with "[" or holds line
// ends never becomes a header or a line of its own (IniStore::AppendLine).
#include "common/TextSplit.h"
#include "config/IniStore.h"
#include "script/CommandLine.h"
#include "script/CommandTable.h"
#include "script/ScriptContext.h"
#include "script/ScriptFile.h"

namespace zorl {
namespace {

// The first two words of the arguments: COPY from to, RENAME old new.
std::pair<std::string, std::string> TwoNames(const CommandLine& command) {
    Split first = SplitWord(command.Args());
    Split second = SplitWord(first.tail);
    return {std::string(first.head), std::string(second.head)};
}

}  // namespace

// WRITELINE section text: the section holds this one line.
void WritelineCommand(CommandLine& command) {
    command.ctx.ini.ReplaceSectionLines(kScriptFile, command.Target(), {command.ArgsAfterTarget()});
}

// ADDLINE section text: a new last line; a missing section is added at the
// end of the file.
void AddlineCommand(CommandLine& command) {
    command.ctx.ini.AppendLine(kScriptFile, command.Target(), command.ArgsAfterTarget());
}

// COPY from to: every line of «from», comments included, replaces «to».
void CopyCommand(CommandLine& command) {
    auto [from, to] = TwoNames(command);
    CIniStore& ini = command.ctx.ini;
    ini.ReplaceSectionLines(kScriptFile, to, ReadSectionLines(ini, kScriptFile, from));
}

void DeleteCommand(CommandLine& command) {
    command.ctx.ini.DeleteSection(kScriptFile, command.Target());
}

void EmptyCommand(CommandLine& command) {
    command.ctx.ini.EmptySection(kScriptFile, command.Target());
}

// RENAME old new; without a new name nothing changes.
void RenameCommand(CommandLine& command) {
    auto [from, to] = TwoNames(command);
    if (from.empty() || to.empty()) return;
    command.ctx.ini.RenameSection(kScriptFile, from, to);
}

}  // namespace zorl
