// The application object: owns the whole state of the client for the life
// of the process. Each subsystem is a class of its own, reached through the
// members below; the plain fields are the ones the debug dump prints.
#pragma once

#include <array>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "config/IniStore.h"
#include "incoming/Ctcp.h"
#include "incoming/Dispatcher.h"
#include "incoming/IgnoreNotify.h"
#include "incoming/ModeChanges.h"
#include "incoming/NumericReplies.h"
#include "platform/Platform.h"
#include "script/Aliases.h"
#include "script/CommandInterpreter.h"
#include "script/EventScripts.h"
#include "script/VariableExpander.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/LineParser.h"
#include "session/ServerConnection.h"
#include "session/Timers.h"
#include "windows/Logger.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {

// The program's random source: values 0..32767, seeded once at start-up.
class CRandom {
public:
    void Seed(uint64_t seed) { engine_.seed(static_cast<std::minstd_rand::result_type>(seed)); }
    int Next() { return static_cast<int>(engine_() % 32768); }
    // 0 .. n-1 (n > 0)
    int Below(int n) { return n > 0 ? static_cast<int>(engine_() % static_cast<unsigned>(n)) : 0; }

private:
    std::minstd_rand engine_;
};

class CZorlApp {
public:
    explicit CZorlApp(Platform& platform);
    ~CZorlApp();
    CZorlApp(const CZorlApp&) = delete;
    CZorlApp& operator=(const CZorlApp&) = delete;

    Platform& platform;

private:
    // Declared first so that it is destroyed last: sockets retire into it.
    std::vector<std::unique_ptr<IAsyncSocket>> retired_sockets_;

public:
    // ---- Start-up and the commands of the application object
    void InitInstance();
    void LoadSettings();
    void OnTick();  // the 100 ms platform tick
    void DebugOn();
    void DebugOff();
    void OpenLink(const std::string& selection);
    void LogFiles();
    // An irc:// link from the command line: connects there (the normal
    // Connect path) and joins its channel once the server has greeted us.
    void ConnectToLink(const std::string& link);
    // The main window asks to close (its close box, File > Exit). True: it
    // may close now. False while connected: the QUIT is out, and the engine
    // closes the main window itself (IWindowSurface::CloseMainWindow) once
    // the server has closed the connection or kExitWait ms have passed.
    bool OnMainClose();
    void CheckExit();  // on every tick
    static constexpr uint64_t kExitWait = 2000;

    // ---- Socket notifications, routed by the socket's type
    void OnConnect(int error, CIrcSocket& socket);
    void OnReceive(int error, CIrcSocket& socket);
    void OnClose(int error, CIrcSocket& socket);
    void OnAccept(int error, CIrcSocket& socket);
    // Platform sockets are freed here, outside their own notifications.
    void RetirePlatformSocket(std::unique_ptr<IAsyncSocket> socket);
    void FreeRetiredSockets();

    // ---- Cross-cutting entry points (Part names kept)
    void DispatchIncoming(CIrcSocket* socket, const IrcMessage& message, bool ignored) {
        dispatcher.DispatchIncoming(socket, message, ignored);
    }
    void MatchEvents(CIrcSocket* socket, const IrcMessage& message, bool ignored) {
        events.MatchEvents(socket, message, ignored);
    }
    std::string ExpandVariables(const IrcMessage& message, const std::string& text) {
        return expander.ExpandVariables(message, text);
    }
    void SendString(FrameId frame, const std::string& line) { interpreter.SendString(frame, line); }
    void SendLine(CIrcSocket* socket, const std::string& text, bool markActivity) {
        connection.SendLine(socket, text, markActivity);
    }

    // ---- State shown by the debug dump
    int ircstatus = IDLE;
    std::string last_server_address;
    int last_server_port = 0;
    int reconnect_count = 0;
    bool reconnect_after_close = false;
    bool registered = false;
    std::time_t last_send_time = 0;
    int TimerHandle = 0;
    bool m_debug_window = false;  // the debug output switch (Debug On / Off)
    bool connect_enabled = true;
    bool disconnect_enabled = false;
    // Closing the main window while connected (OnMainClose).
    enum class Exit { Running, WaitingForServer, Closing };
    Exit exit_state = Exit::Running;
    uint64_t exit_deadline = 0;  // tick count at which the wait ends
    std::unique_ptr<CIrcSocket> pMainSocket;
    std::unique_ptr<CIrcSocket> pIdentSocket;

    // ---- Settings and lists
    std::string config_dir;  // working directory + "/"
    CSettings settings;
    ColourTables colours;
    std::vector<std::string> IgnoreList;
    // $x1 ... $x10: slot N-1 holds variable N (filled by SET).
    std::array<std::string, 10> UserVars;
    CRandom random;

    // ---- Subsystems
    CIniStore ini;
    CWindowRegistry registry;
    CLogger logger;
    COutput output;
    CLineParser parser;
    CServerConnection connection;
    CIdentResponder ident;
    CTimers timers;
    CIncomingDispatcher dispatcher;
    CNumericReplies numerics;
    CModeChanges modes;
    CCtcp ctcp;
    CIgnoreNotify ignoreNotify;
    CVariableExpander expander;
    CCommandInterpreter interpreter;
    CAliasTable aliases;
    CEventScripts events;
};

}  // namespace zorl
