// What the script subsystems that run commands work with: the parts below
// them, the script subsystems themselves (they call one another: a timer runs
// a script line, a line runs commands, EXEC and IF run lines again) and the
// host for what only the application does. The application object owns all
// of it; the interpreter, the event scripts and the timers each refer to it,
// as every CommandLine does, and the popup menus run
// with the application's.
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
class CNetworks;
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
    // The networks; the handlers and commands work on the current one.
    CNetworks& networks;
    CDcc& dcc;
    CIgnoreNotify& ignoreNotify;   // NOTIFY asks the notify list at once
    const std::string& configDir;  // ends in "/"; SYSTEM looks up names there
    // Masks whose senders are ignored; IGNORE adds one.
    std::vector<std::string>& ignoreList;
    IScriptHost& host;  // script/ScriptHost.h

    CVariableExpander& expander;
    CCommandInterpreter& interpreter;
    CAliasTable& aliases;
    CEventScripts& events;
    CTimers& timers;

    CServerConnection& Connection() const;
};

}  // namespace zorl
