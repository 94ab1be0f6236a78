#include "app/CZorlApp.h"

#include "app/Listeners.h"

#include "common/Random.h"
#include "config/IniStore.h"
#include "config/Passwords.h"
#include "config/Settings.h"
#include "dcc/Dcc.h"
#include "dcc/DccServices.h"
#include "incoming/Ctcp.h"
#include "incoming/Dispatcher.h"
#include "incoming/IgnoreNotify.h"
#include "incoming/IncomingContext.h"
#include "incoming/ModeChanges.h"
#include "incoming/NumericReplies.h"
#include "platform/Platform.h"
#include "script/Aliases.h"
#include "script/CommandInterpreter.h"
#include "script/EventScripts.h"
#include "script/ScriptContext.h"
#include "script/Timers.h"
#include "script/VariableExpander.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/Networks.h"
#include "session/ServerConnection.h"
#include "windows/LastingHistory.h"
#include "windows/Logger.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {

struct CZorlApp::Parts {
    Parts(CZorlApp& app, CAppListeners& ls, Platform& host)
        : ini(host.dialogs),
          windowServices{host, settings, ini, random, app.config_dir, ls},
          registry(windowServices, output, logger),
          logger(windowServices, registry, output),
          output(windowServices, registry, logger),
          passwords(host.secrets,
                    [&app](const std::string& line) { app.output.Status(Cls::UError, line); }),
          networks(SessionServices{host, settings, ini, random, passwords, app.config_dir, ls, ls,
                                   app.IgnoreList}),
          dccServices{host, settings, app.config_dir, ls, registry, output},
          dcc(dccServices),
          incoming{host,           settings,       ini, registry, output, networks, dcc,
                   app.config_dir, app.IgnoreList, ls,  numerics, modes,  ctcp,     ignoreNotify},
          dispatcher(incoming),
          numerics(incoming),
          modes(incoming),
          ctcp(incoming),
          ignoreNotify(incoming),
          script{host,   settings, colours,     ini,          random,         registry,
                 output, networks, dcc,         ignoreNotify, app.config_dir, app.IgnoreList,
                 ls,     expander, interpreter, aliases,      events,         timers},
          expander(host, ini, random, registry, output),
          interpreter(script),
          aliases(ini),
          events(script),
          timers(script) {}

    CSettings settings;
    ColourTables colours;
    CRandom random;
    CIniStore ini;
    WindowServices windowServices;
    CWindowRegistry registry;
    CLogger logger;
    COutput output;
    CPasswords passwords;
    CNetworks networks;
    DccServices dccServices;
    CDcc dcc;
    // The handlers keep a reference to it; it names them before they exist.
    IncomingContext incoming;
    CIncomingDispatcher dispatcher;
    CNumericReplies numerics;
    CModeChanges modes;
    CCtcp ctcp;
    CIgnoreNotify ignoreNotify;
    // The script subsystems keep a reference; it names them before they exist.
    ScriptContext script;
    CVariableExpander expander;
    CCommandInterpreter interpreter;
    CAliasTable aliases;
    CEventScripts events;
    CTimers timers;
};

CZorlApp::CZorlApp(Platform& host)
    : platform(host),
      listeners_(std::make_unique<CAppListeners>(*this)),
      parts_(std::make_unique<Parts>(*this, *listeners_, host)),
      settings(parts_->settings),
      colours(parts_->colours),
      random(parts_->random),
      ini(parts_->ini),
      registry(parts_->registry),
      logger(parts_->logger),
      output(parts_->output),
      networks(parts_->networks),
      ident(parts_->networks.First().Ident()),
      dcc(parts_->dcc),
      timers(parts_->timers),
      dispatcher(parts_->dispatcher),
      numerics(parts_->numerics),
      modes(parts_->modes),
      ctcp(parts_->ctcp),
      ignoreNotify(parts_->ignoreNotify),
      expander(parts_->expander),
      interpreter(parts_->interpreter),
      aliases(parts_->aliases),
      events(parts_->events),
      scriptContext(parts_->script),
      passwords(parts_->passwords) {}

CServerConnection& CZorlApp::Connection() const { return networks.Current(); }

CZorlApp::~CZorlApp() {
    // The sockets retire into retired_sockets_ as they close.
    parts_.reset();
    retired_sockets_.clear();
}

void CZorlApp::RetirePlatformSocket(std::unique_ptr<IAsyncSocket> socket) {
    if (socket) retired_sockets_.push_back(std::move(socket));
}

void CZorlApp::FreeRetiredSockets() { retired_sockets_.clear(); }

void CZorlApp::OnTick() {
    FreeRetiredSockets();
    ident.OnTick();
    dcc.ReleaseOrphans();
    timers.OnTick();
    for (const auto& network : networks.All()) {
        const auto serving = networks.Serve(network.get());
        network->OnTimerTick();
        network->OnTick();
    }
    if (const std::string problem = output.Lasting().TakeProblem(); !problem.empty())
        output.Status(Cls::Error, problem);
    CheckExit();
}

}  // namespace zorl
