#include "script/Timers.h"

#include <algorithm>

#include "common/Format.h"
#include "common/Random.h"
#include "common/TimeText.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "script/EventScripts.h"
#include "script/ScriptContext.h"
#include "script/ScriptTimer.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl {

CTimers::CTimers(const ScriptContext& ctx) : ctx_(ctx), timers_(new ScriptTimer[kSlots]) {}

CTimers::~CTimers() = default;

bool CTimers::IdleTimerOn() const { return timers_[kIdle].on; }

FrameId CTimers::IdleTimerWindow() const { return timers_[kIdle].window; }

bool CTimers::Running(int id) const { return Valid(id) && timers_[id].running; }

const ScriptTimer& CTimers::Get(int id) const { return timers_[Valid(id) ? id : 0]; }

const SoftTimer& CTimers::Period(int id) const { return Get(id); }

std::string CTimers::CommandText(int id) const { return Get(id).command.Text(); }

void CTimers::StartTimer(int id, int fixed, int random, FrameId window, const std::string& command,
                         bool cont) {
    StartTimer(id, fixed, random, window, ScriptText::Own(command), cont);
}

void CTimers::NewPeriod(ScriptTimer& timer, int floor) { timer.NewPeriod(ctx_.random, floor); }

void CTimers::Trace(const std::string& text) {
    if (ctx_.settings.TimerDebug) ctx_.output.DebugOut(Cls::Info, text, true);
}

void CTimers::StartTimer(int id, int fixed, int random, FrameId window, const ScriptText& command,
                         bool cont) {
    if (ctx_.Connection().State() != CONNECTED) return;
    if (!Valid(id)) {
        Trace("Unknown Timer-ID (start)\n");
        return;
    }
    ScriptTimer& timer = timers_[id];
    if (id == kIdle ? timer.on : timer.running) return;
    timer.command = command;
    timer.window = window;
    timer.fixed = fixed;
    timer.random = random;
    timer.cont = cont;
    NewPeriod(timer, 0);
    timer.running = true;
    if (id == kIdle) timer.on = true;
    ++changes_[id];
    Trace(Format("%s started: %d\n", TimerName(static_cast<TimerId>(id)), timer.time));
}

void CTimers::ResetTimer(int id) {
    if (!Valid(id)) {
        Trace("Unknown Timer-ID (reset)\n");
        return;
    }
    ScriptTimer& timer = timers_[id];
    if (!(id == kIdle ? timer.on : timer.running)) return;
    NewPeriod(timer, kMinRepeatSeconds);
    if (id == kIdle) timer.running = true;
    Trace(Format("%s reset: %d\n", TimerName(static_cast<TimerId>(id)), timer.time));
}

void CTimers::StopTimer(int id) {
    if (!Valid(id)) {
        Trace("Unknown Timer-ID (stop)\n");
        return;
    }
    ScriptTimer& timer = timers_[id];
    // The idle timer keeps its armed flag: only counting stops.
    bool& counting = id == kIdle ? timer.on : timer.running;
    if (!counting) return;
    counting = false;
    ++changes_[id];
    Trace(Format("%s stopped\n", TimerName(static_cast<TimerId>(id))));
}

void CTimers::StopTimersOf(FrameId window) {
    if (timers_[kScript].running && timers_[kScript].window == window) StopTimer(kScript);
    if (timers_[kIdle].on && timers_[kIdle].window == window) StopTimer(kIdle);
}

bool CTimers::RunCommand(int id) {
    const uint64_t before = changes_[id];
    const FrameId window = timers_[id].window;
    const ScriptText command = timers_[id].command;
    firing_[id] = true;
    ctx_.events.RunScriptLine(window, command);
    firing_[id] = false;
    return changes_[id] == before;
}

void CTimers::OnTick() {
    TickScriptTimer();
    TickIdleTimer();
}

void CTimers::TickScriptTimer() {
    ScriptTimer& timer = timers_[kScript];
    if (!timer.running || firing_[kScript] || !timer.CountDown()) return;
    Trace("  Timer expired\n");
    if (!RunCommand(kScript)) return;
    if (!timer.cont) {
        timer.running = false;
        return;
    }
    NewPeriod(timer, kMinRepeatSeconds);
    Trace(Format("Timer started again: %d\n", timer.time));
}

// The armed flag drops before the command runs, so that a line for the
// window arriving while it runs (in a dialog's event loop) arms it again.
void CTimers::TickIdleTimer() {
    ScriptTimer& timer = timers_[kIdle];
    if (!timer.on || firing_[kIdle] || !timer.CountDown()) return;
    Trace("  IdleTimer expired\n");
    const bool armed = timer.running;
    timer.running = false;
    if (armed && !RunCommand(kIdle)) return;
    if (!timer.cont) {
        timer.on = false;
        return;
    }
    NewPeriod(timer, kMinRepeatSeconds);
    Trace(Format("IdleTimer started again: %d\n", timer.time));
}

std::string CTimers::TimerInfoText() {
    const ScriptTimer& idle = timers_[kIdle];
    if (!idle.on) return "Not running";
    const int seconds = idle.ticks / 10;
    const CZorlDoc* doc = ctx_.registry.DocOf(ctx_.registry.pLastFrm);
    const std::string lastNick = doc ? doc->LastSpeaker() : std::string();
    return Format(
        "Time: %s  secs: %d  (%d:%02d)\nTimer = %d (fixed:%d random:%d)\n%s   Command = \"%s\"  "
        "LastNick = %s",
        FormatLocalTime("[%#H:%M:%S]", ctx_.platform.clock.Now()).c_str(), seconds,
        idle.ticks / 600, seconds % 60, idle.time, idle.fixed, idle.random,
        idle.running ? "On" : "Off", idle.command.Text().c_str(), lastNick.c_str());
}

void CTimers::TimerInfo() { ctx_.platform.dialogs.MessageBox(TimerInfoText()); }

}  // namespace zorl
