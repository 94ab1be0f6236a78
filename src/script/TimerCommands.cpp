// TIMER and IDLETIMER: the user's two timers, whose commands run as script
// lines in the window they were started from.
#include <algorithm>
#include <cmath>

#include "common/Numbers.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "script/CommandLine.h"
#include "script/CommandTable.h"
#include "script/ScriptContext.h"
#include "script/Timers.h"

namespace zorl {
namespace {

struct TimerRequest {
    std::string_view fixed;
    std::string_view random;
    bool cont = false;
    ScriptText command;
};

// «30 10 C /PRIVMSG #x ping» -> 30, 10, continuous, "/PRIVMSG #x ping".
// The second word is the random part whatever it is: in '/TIMER 30
// /PRIVMSG #x ping' it is "/PRIVMSG" (0 seconds) and the command "#x ping".
// What a message put into the command stays data when the timer runs it.
TimerRequest ReadRequest(const ScriptText& args) {
    Split fixed = SplitWord(args.Text());
    Split random = SplitWord(fixed.tail);
    Split mode = SplitWord(random.tail);
    TimerRequest request{fixed.head, random.head, EqualsNoCase(mode.head, "C"), {}};
    request.command = args.Of(request.cont ? mode.tail : random.tail);
    return request;
}

// "1.5" minutes -> 90 seconds, the fraction of a second cut off.
int MinutesToSeconds(std::string_view minutes) {
    const double seconds = std::trunc(Atof(minutes) * 60);
    return static_cast<int>(
        std::clamp<double>(seconds, -CTimers::kMaxSeconds, CTimers::kMaxSeconds));
}

}  // namespace

// TIMER seconds random [C] command; '/TIMER 0' only stops the timer.
void TimerCommand(CommandLine& command) {
    CTimers& timers = command.ctx.timers;
    if (timers.Running(CTimers::kScript)) timers.StopTimer(CTimers::kScript);
    TimerRequest request = ReadRequest(command.ArgsText());
    const int fixed = Atoi(request.fixed);
    if (fixed == 0 || request.command.empty()) return;
    timers.StartTimer(CTimers::kScript, fixed, Atoi(request.random), command.frame, request.command,
                      request.cont);
}

// IDLETIMER minutes random [C] command, in minutes that may have a
// fraction: '/IDLETIMER 0.5 0 /AWAY :gone' waits 30 seconds of quiet.
void IdletimerCommand(CommandLine& command) {
    CTimers& timers = command.ctx.timers;
    if (timers.IdleTimerOn()) timers.StopTimer(CTimers::kIdle);
    TimerRequest request = ReadRequest(command.ArgsText());
    if (Atof(request.fixed) == 0 || request.command.empty()) return;
    timers.StartTimer(CTimers::kIdle, MinutesToSeconds(request.fixed),
                      MinutesToSeconds(request.random), command.frame, request.command,
                      request.cont);
}

}  // namespace zorl
