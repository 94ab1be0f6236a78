// The application object: creates every subsystem for the life of the
// process, hands each one references to what it uses, and implements the
// listener interfaces through which the lower layers report (the wiring is
// in CZorlApp.cpp, SocketEvents.cpp, SessionEvents.cpp and WindowEvents.cpp).
// The subsystems are reachable through the references below for the Qt
// layer and the tests; this header names them without including them.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "common/SharedTypes.h"
#include "platform/SocketErrors.h"

namespace zorl {

struct Platform;
class IAsyncSocket;
class ISocketFactory;
class CIrcSocket;
struct IrcMessage;
struct CSettings;
struct ColourTables;
class CRandom;
class CIniStore;
class CWindowRegistry;
class CLogger;
class COutput;
class CServerConnection;
class CNetworks;
class CIdentResponder;
class CTimers;
class CIncomingDispatcher;
class CNumericReplies;
class CModeChanges;
class CCtcp;
class CDcc;
class CIgnoreNotify;
class CVariableExpander;
class CCommandInterpreter;
class CAliasTable;
class CEventScripts;
class CPasswords;
struct ScriptContext;

class ISocketHost;
class CAppListeners;
struct NetworkInfo;

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
    // The listener interfaces of the lower layers (app/Listeners.h), handed
    // to the subsystems; each call comes to the member of its name below.
    std::unique_ptr<CAppListeners> listeners_;
    // Every subsystem object; the references below point into it.
    struct Parts;
    std::unique_ptr<Parts> parts_;
    std::string given_config_dir_;

public:
    // ---- Start-up and the commands of the application object
    // `serverGiven`: a link on the command line names the server to use.
    void InitInstance(bool serverGiven = false);
    // Where LoadSettings finds the configuration; unset, the working
    // directory. Tests and fuzzers give each client a folder of its own.
    void UseConfigDirectory(const std::string& directory) { given_config_dir_ = directory; }
    void LoadSettings();
    void OnTick();  // the 100 ms platform tick
    // The properties dialog on `page` (0: the first); OK applies it at once.
    void Properties(int page);
    // script.ini in the text editor, then the event scripts read again.
    void EditScripts();
    void DebugOn();
    void DebugOff();
    void OpenLink(const std::string& selection);
    void LogFiles();
    // The Servers dialog (Tools > Servers): on OK the selected entry becomes
    // the server to connect to, in memory and in zorl.ini.
    void ChooseServer();
    // Makes a key and a self-signed certificate for the chosen server's
    // entry (certs/ of the configuration folder) and shows its fingerprint,
    // to be registered with the network's services for SASL EXTERNAL.
    void NewClientCertificate();
    // The ban (b), exception (e) and invite exception (I) lists of the
    // channel window `frame` (app/ChannelLists.cpp): the letters its server
    // has, asking for them for the lists dialog, and changing one.
    std::string ChannelListModes(FrameId frame);
    void AskChannelLists(FrameId frame);
    void ChangeChannelList(FrameId frame, char mode, bool add,
                           const std::vector<std::string>& masks);
    // The desktop's colour scheme changed (light or dark).
    void FollowDesktopColours();
    // An irc:// link from the command line: connects there (the normal
    // Connect path) and joins its channel once the server has greeted us.
    void ConnectToLink(const std::string& link);
    // The servers.ini entries marked to connect at start; false: none.
    // `firstTaken`: a link has the first network already.
    bool ConnectMarkedServers(bool firstTaken);
    // The main window asks to close (its close box, File > Exit). True: it
    // may close now. False while connected: the QUIT is out, and the engine
    // closes the main window itself (IWindowSurface::CloseMainWindow) once
    // the server has closed the connection or kExitWait ms have passed.
    bool OnMainClose();
    void CheckExit();  // on every tick
    static constexpr uint64_t kExitWait = 2000;

    // What sockets are made with: the application object routes their
    // notifications.
    ISocketHost& SocketHost();

    // ---- Socket notifications, routed by the socket's type (SocketEvents.cpp)
    ISocketFactory& SocketFactory();
    void OnConnect(WsaError error, CIrcSocket& socket);
    void OnReceive(WsaError error, CIrcSocket& socket);
    void OnClose(WsaError error, CIrcSocket& socket);
    void OnAccept(WsaError error, CIrcSocket& socket);
    // Platform sockets are freed here, outside their own notifications.
    void RetirePlatformSocket(std::unique_ptr<IAsyncSocket> socket);
    void FreeRetiredSockets();

    // ---- What the server connection reports (SessionEvents.cpp)
    void Print(CIrcSocket* socket, const std::string& name, Cls cls, const std::string& text);
    void Trace(const std::string& text);
    bool WantsDebug() const;
    void DebugOut(Cls cls, const std::string& text, bool withTime);
    void DebugOut(Colour colour, const std::string& text, bool withTime);
    void OnMessage(CIrcSocket* socket, IrcMessage& message, bool ignored);
    void OnStateChanged(ConnectionState state);
    void OnDisconnecting(CIrcSocket& socket);
    void OnOwnNickChanged();
    void OnNotifyDue();
    void AskForUser() { Properties(0); }
    void AskForServer() { ChooseServer(); }
    bool Leaving() const { return exit_state != Exit::Running; }

    // ---- What the windows ask (WindowEvents.cpp)
    NetworkInfo NetworkOf(const CIrcSocket* socket) const;
    const std::string& OwnNick(const CIrcSocket* socket) const;
    void OnWindowActivated(const CIrcSocket* socket);
    const CIrcSocket* CurrentSocket() const;
    // The network a window belongs to; the current one for a DCC window.
    CServerConnection& NetworkOfFrame(FrameId frame) const;
    // The close box of a status window: a network other than the first
    // ends with its windows; the first network's status window stays.
    void CloseStatusWindow(FrameId frame);
    void OnWindowClosing(FrameId frame);
    void OnTypedLine(FrameId frame, const std::string& line);
    // Lines pasted at once into a window's input line. With the option
    // PasteGuard the user is asked first whether to send them, send them as
    // one line or not at all; true then, and they are dealt with. False:
    // they go into the input line as the paste left them.
    bool GuardPaste(FrameId frame, const std::vector<std::string>& lines);
    // Files dropped on a nick or a query window: each is offered to `nick`
    // as /dcc send would, from the window of `frame`.
    void OfferFiles(FrameId frame, const std::string& nick, const std::vector<std::string>& paths);
    // Every window closes: the connection first, then the timers.
    void CloseAllWindows();
    // The open window of a stored line's network and window; 0: not open.
    FrameId WindowOfHistory(const std::string& network, const std::string& window) const;
    // Forgets what the window's history holds; for a status window, all of
    // its network's.
    void ForgetHistoryOf(FrameId frame);

    // ---- What the handlers of server lines ask (IncomingEvents.cpp)
    std::string ExpandVariables(const IrcMessage& message, const std::string& text);
    void MatchEvents(CIrcSocket* socket, const IrcMessage& message, bool ignored);
    void SendString(FrameId frame, const std::string& line);
    void RunStartupList();
    void RunNotifyCommand(const std::string& nick, const std::string& command);

    // ---- What the scripts ask (ScriptHost.cpp, Sounds.cpp)
    // A sound of wav/ or the system's sound folder; false (and an error
    // line) when there is none to play.
    bool PlaySoundFile(const std::string& name);
    // DUMP and Dump Variables: the debug dump (app/Dump.h).
    void ShowDump();
    // DCC GET: takes the waiting file offer of `nick`.
    bool AcceptDccFile(const std::string& nick, const std::string& fileName);

    // ---- State of the application object (the debug dump prints the first two)
    int TimerHandle = 0;
    // Closing the main window while connected (OnMainClose).
    enum class Exit { Running, WaitingForServer, Closing };
    Exit exit_state = Exit::Running;
    uint64_t exit_deadline = 0;  // tick count at which the wait ends

    // ---- Settings and lists
    std::string config_dir;  // the configuration directory + "/"
    CSettings& settings;     // config/Settings.h
    ColourTables& colours;   // config/Settings.h
    std::vector<std::string> IgnoreList;
    CRandom& random;  // common/Random.h

    // ---- Subsystems (each in the header of its name)
    CIniStore& ini;
    CWindowRegistry& registry;
    CLogger& logger;
    COutput& output;
    // Every network (session/Networks.h); commands and handlers work on the
    // current one.
    CNetworks& networks;
    CServerConnection& Connection() const;
    CIdentResponder& ident;
    CDcc& dcc;
    CTimers& timers;
    CIncomingDispatcher& dispatcher;
    CNumericReplies& numerics;
    CModeChanges& modes;
    CCtcp& ctcp;
    CIgnoreNotify& ignoreNotify;
    CVariableExpander& expander;
    CCommandInterpreter& interpreter;
    CAliasTable& aliases;
    CEventScripts& events;
    // What the script subsystems work with; the popup menus run through it.
    const ScriptContext& scriptContext;
    CPasswords& passwords;  // config/Passwords.h: the desktop's keyring
};

}  // namespace zorl
