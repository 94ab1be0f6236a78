// What the script subsystems and the commands work with: the parts below
// them, the script subsystems themselves (they call one another: a timer runs
// a script line, a line runs commands, EXEC and IF run lines again) and the
// application for what only it can do. The application object owns all of
// it and hands each script subsystem a copy.
#pragma once

#include <string>
#include <vector>

namespace zorl {

struct Platform;
struct CSettings;
struct ColourTables;
class CIniStore;
class CRandom;
class CWindowRegistry;
class COutput;
class CServerConnection;
class CDcc;
class CIgnoreNotify;
class CVariableExpander;
class CCommandInterpreter;
class CAliasTable;
class CEventScripts;
class CTimers;
class IScriptHost;

struct ScriptContext {
    Platform& platform;
    CSettings& settings;
    ColourTables& colours;
    CIniStore& ini;
    CRandom& random;
    CWindowRegistry& registry;
    COutput& output;
    CServerConnection& connection;
    CDcc& dcc;
    CIgnoreNotify& ignoreNotify;   // NOTIFY asks the notify list at once
    const std::string& configDir;  // ends in "/"; SYSTEM looks up names there
    // Masks whose senders are ignored; IGNORE adds one.
    std::vector<std::string>& ignoreList;
    IScriptHost& host;

    CVariableExpander& expander;
    CCommandInterpreter& interpreter;
    CAliasTable& aliases;
    CEventScripts& events;
    CTimers& timers;
};

}  // namespace zorl
