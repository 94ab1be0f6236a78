// The two timers of the scripts, driven by the 100 ms tick: kScript the
// script timer (TIMER), kIdle the idle timer (IDLETIMER). The notify timer
// belongs to the server connection (session/NotifyTimer.h).
//
// Each period is `fixed` seconds plus a random part of up to `random`
// seconds, drawn anew at every (re)start. The idle timer counts while it is
// on; incoming lines for its window reset it, and its command runs only when
// a full period passes without them (`running` is its "armed" flag).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/SharedTypes.h"
#include "common/SoftTimer.h"

namespace zorl {

struct ScriptContext;
class ScriptText;
struct ScriptTimer;  // script/ScriptTimer.h

class CTimers {
public:
    static constexpr int kScript = static_cast<int>(TimerId::Script);
    static constexpr int kIdle = static_cast<int>(TimerId::Idle);
    static constexpr int kMaxSeconds = SoftTimer::kMaxSeconds;
    static constexpr int kMinRepeatSeconds = SoftTimer::kMinRepeatSeconds;

    explicit CTimers(const ScriptContext& ctx);
    ~CTimers();

    // Only while connected; a timer that is already counting keeps its
    // command and period.
    void StartTimer(int id, int fixed, int random, FrameId window, const ScriptText& command,
                    bool cont);
    void StartTimer(int id, int fixed, int random, FrameId window, const std::string& command,
                    bool cont);
    void ResetTimer(int id);
    void StopTimer(int id);
    // The 100 ms tick: counts both timers down and runs what is due.
    void OnTick();
    // A window goes: the timers that would run their command in it stop.
    void StopTimersOf(FrameId window);

    // The "Test2" command: a message box about the idle timer.
    void TimerInfo();
    std::string TimerInfoText();

    bool IdleTimerOn() const;
    FrameId IdleTimerWindow() const;
    bool Running(int id) const;
    const ScriptTimer& Get(int id) const;  // script/ScriptTimer.h
    // What the debug dump prints of a timer.
    const SoftTimer& Period(int id) const;
    std::string CommandText(int id) const;

private:
    static bool Valid(int id) { return id == kScript || id == kIdle; }
    void NewPeriod(ScriptTimer& timer, int floor);
    void TickScriptTimer();
    void TickIdleTimer();
    // Runs a timer's command; false when the command itself stopped or
    // restarted the timer (or closed its window), which then stays as it left it.
    bool RunCommand(int id);
    // A debug line with the TimerDebug option.
    void Trace(const std::string& text);

    const ScriptContext& ctx_;                // the application's, which outlives this
    static constexpr int kSlots = kIdle + 1;  // by id; slot 0 unused
    std::unique_ptr<ScriptTimer[]> timers_;   // kSlots of them
    // Counts every start and stop, to see whether a command touched its timer.
    uint64_t changes_[kSlots] = {};
    // A command is running: a nested event loop (a message box) ticks on,
    // and must not run the same command again underneath it.
    bool firing_[kSlots] = {};
};

}  // namespace zorl
