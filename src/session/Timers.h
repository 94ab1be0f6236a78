// The three software timers driven by the 100 ms tick: 1 the script timer
// (TIMER), 2 the idle timer (IDLETIMER), 3 the notify timer.
//
// Each period is `fixed` seconds plus a random part of up to `random`
// seconds, drawn anew at every (re)start. The idle timer counts while it is
// on; incoming lines for its window reset it, and its command runs only when
// a full period passes without them (`running` is its "armed" flag).
#pragma once

#include <cstdint>
#include <string>

#include "common/SharedTypes.h"
#include "script/ScriptText.h"

namespace zorl {

class CZorlApp;

struct SoftTimer {
    bool running = false;  // timers 1 and 3: counting; timer 2: armed
    bool on = false;       // idle timer only: counting
    int ticks = 0;         // tenths of a second left
    int time = 0;          // seconds of the current period
    int fixed = 0;
    int random = 0;
    ScriptText command;  // what a message put in stays data when it runs
    bool cont = false;
    FrameId window = 0;
};

class CTimers {
public:
    static constexpr int kScript = 1;
    static constexpr int kIdle = 2;
    static constexpr int kNotify = 3;
    // Periods are cut here so that tenths of a second fit an int (three years).
    static constexpr int kMaxSeconds = 100'000'000;
    // A timer that fires again (a continuous one, or the idle timer after a
    // reset) waits at least this long, so '/TIMER -1 0 C /msg #x hi' or an
    // idle command that answers itself cannot flood the server ten lines a
    // second until it drops the connection.
    static constexpr int kMinRepeatSeconds = 1;

    explicit CTimers(CZorlApp& app) : app_(app) {}

    // Only while connected; a timer that is already counting keeps its
    // command and period.
    void StartTimer(int id, int fixed, int random, FrameId window, const ScriptText& command,
                    bool cont);
    void StartTimer(int id, int fixed, int random, FrameId window, const std::string& command,
                    bool cont) {
        StartTimer(id, fixed, random, window, ScriptText::Own(command), cont);
    }
    void ResetTimer(int id);
    void StopTimer(int id);
    void OnTimer(int platformId);
    // A window goes: the timers that would run their command in it stop.
    void StopTimersOf(FrameId window);

    // The "Test2" command: a message box about the idle timer.
    void TimerInfo();
    std::string TimerInfoText();

    bool IdleTimerOn() const { return timers_[kIdle].on; }
    FrameId IdleTimerWindow() const { return timers_[kIdle].window; }
    bool Running(int id) const { return Valid(id) && timers_[id].running; }
    const SoftTimer& Get(int id) const { return timers_[Valid(id) ? id : 0]; }

private:
    static bool Valid(int id) { return id >= 1 && id <= 3; }
    // fixed + random * r / 32767 seconds, r from the program's generator.
    int DrawTime(const SoftTimer& timer, int floor);
    void NewPeriod(SoftTimer& timer, int floor);
    // One tick of one timer; true when it expired.
    static bool CountDown(SoftTimer& timer);
    void TickScriptTimer();
    void TickIdleTimer();
    void TickNotifyTimer();
    // Runs a timer's command; false when the command itself stopped or
    // restarted the timer (or closed its window), which then stays as it left it.
    bool RunCommand(int id);
    // A debug line with the TimerDebug option.
    void Trace(const std::string& text);

    CZorlApp& app_;
    SoftTimer timers_[4];  // index 0 unused
    // Counts every start and stop, to see whether a command touched its timer.
    uint64_t changes_[4] = {};
    // A command is running: a nested event loop (a message box) ticks on,
    // and must not run the same command again underneath it.
    bool firing_[4] = {};
};

}  // namespace zorl
