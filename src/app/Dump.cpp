#include "app/Dump.h"

#include <string>

#include "app/CZorlApp.h"
#include "common/Format.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "script/Aliases.h"
#include "script/EventScripts.h"
#include "script/Timers.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/NotifyTimer.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

constexpr const char* kDumpWindow = "~dump";

class DumpWriter {
public:
    explicit DumpWriter(CZorlApp& app) : app_(app) {}

    void Line(const std::string& text) { app_.output.Print(nullptr, kDumpWindow, Cls::Info, text); }
    // "m_user_mynick       = me"
    void Var(const char* name, const std::string& value) {
        Line(Format("%-20s= %s", name, value.c_str()));
    }
    void Var(const char* name, long value) { Var(name, Format("%ld", value)); }
    void Ref(const char* name, unsigned long id) { Var(name, HexId(id)); }

    void Vars() {
        Line("Vars:");
        Var("ircstatus", app_.Connection().StateName());
        Var("m_user_mynick", app_.Connection().Server().m_user_mynick);
        Var("m_server_address", app_.Connection().Server().m_server_address);
        Var("m_server_name", app_.Connection().Server().m_server_name);
        Var("m_server_ports", app_.Connection().Server().m_server_ports);
        Var("last_server_address", app_.Connection().LastAddress());
        Var("last_server_port", app_.Connection().LastPort());
        Var("buttoncount", app_.registry.buttoncount);
        Var("TimerHandle", app_.TimerHandle);
        Var("m_debug_window", app_.output.DebugOn() ? 1 : 0);
        Ref("pMainSocket", app_.Connection().Socket() ? app_.Connection().Socket()->Id() : 0);
        Ref("pIdentSocket", app_.ident.Socket() ? app_.ident.Socket()->Id() : 0);
        Ref("pStatusFrm", app_.registry.pStatusFrm);
        Ref("pLastFrm", app_.registry.pLastFrm);
    }

    // "1 Timer      running=1 on=0 ticks=48 time=5 (fixed 5 random 0) cont=0 ..."
    void Timers() {
        Line("Timers:");
        for (TimerId id : {TimerId::Script, TimerId::Idle, TimerId::Notify}) {
            const bool notify = id == TimerId::Notify;
            const SoftTimer& t = notify ? app_.Connection().NotifyTimer().State()
                                        : app_.timers.Period(static_cast<int>(id));
            const std::string command = notify ? "" : app_.timers.CommandText(static_cast<int>(id));
            Line(
                Format("%d %-10s running=%d on=%d ticks=%d time=%d (fixed %d random %d) cont=%d "
                       "window=%s command=%s",
                       static_cast<int>(id), TimerName(id), t.running, t.on, t.ticks, t.time,
                       t.fixed, t.random, t.cont, HexId(t.window).c_str(), command.c_str()));
        }
    }

    // "00  #chan                 Channel  frame=00000101 socket=... Normal button=1"
    void Channels() {
        Line("Channels:");
        int n = 0;
        for (const ChannelRecord& r : app_.registry.Records()) {
            const SocketType socketType = r.socket ? r.socket->type : kSocketNone;
            Line(Format("%02d  %-20s  %s  frame=%s socket=%s %s button=%d joined=%d title=%s", n++,
                        r.name.c_str(), WindowTypeName(r.type), HexId(r.frame).c_str(),
                        HexId(r.socket ? r.socket->Id() : 0).c_str(), SocketTypeName(socketType),
                        r.buttonnr, r.joined, r.title.c_str()));
        }
    }

    void Buttons() {
        Line("Buttons:");
        for (const ChannelRecord& r : app_.registry.Records())
            if (r.buttonnr >= 0)
                Line(Format("%02d  %-20s  %s", r.buttonnr, r.title.c_str(),
                            app_.registry.IsHighlighted(r) ? "lit" : ""));
    }

    void Aliases() {
        Line("Aliases:");
        for (const auto& [name, text] : app_.aliases.All())
            Line(Format("%-20s  %s", name.c_str(), text.c_str()));
    }

    void Scripts() {
        Line("Scripts:");
        int n = 0;
        for (const std::string& line : app_.events.ScriptLines())
            Line(Format("%02d  %s", n++, line.c_str()));
    }

    void Ignore() {
        Line("Ignore:");
        int n = 0;
        for (const std::string& mask : app_.IgnoreList) Line(Format("%02d  %s", n++, mask.c_str()));
    }

private:
    CZorlApp& app_;
};

}  // namespace

void DumpVariables(CZorlApp& app) {
    if (const ChannelRecord* window =
            app.registry.NewWindow(kDumpWindow, kWindowDefault, nullptr, true))
        app.registry.UpdateCR(window->frame, "Dump", kUpdateTitle);
    DumpWriter dump(app);
    dump.Line(Format("Version: %s [%s  -  %s]", kVersionText, __DATE__, __TIME__));
    dump.Vars();
    dump.Timers();
    dump.Channels();
    dump.Buttons();
    dump.Aliases();
    dump.Scripts();
    dump.Ignore();
}

}  // namespace zorl
