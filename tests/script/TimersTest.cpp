// The script, idle and notify timers under the manual 100 ms tick: what they
// send and when, started by the TIMER and IDLETIMER commands.
#include <gtest/gtest.h>

#include "config/Settings.h"
#include "script/ScriptFixture.h"
#include "script/ScriptTimer.h"
#include "script/Timers.h"
#include "session/LineParser.h"

namespace zorl {
namespace {

class Timers : public test::ScriptFixture {
protected:
    void Tick(int count = 1) { host.ticker.Tick(count); }
    // Lines sent since the last call, counted.
    int SentCount() {
        int count = 0;
        for (char c : TakeSent()) count += c == '\n';
        return count;
    }
    // Debug lines of the "~debug" window, without their time stamps.
    std::vector<std::string> Traces() {
        std::vector<std::string> traces;
        for (const test::Piece& piece : Pieces("~debug"))
            traces.push_back(piece.text.substr(piece.text.find(' ') + 1));
        return traces;
    }
    const ScriptTimer& Timer(int id) { return app.timers.Get(id); }
};

TEST_F(Timers, ScriptTimerRunsItsCommandOnceAfterItsPeriod) {
    Online();
    app.settings.TimerDebug = 1;
    app.DebugOn();
    Type(chan_, "/TIMER 5 0 /PRIVMSG #x ping");
    Tick(49);
    EXPECT_EQ(TakeSent(), "");
    Tick();
    EXPECT_EQ(TakeSent(), "PRIVMSG #x :ping\r\n");
    Tick(200);
    EXPECT_EQ(TakeSent(), "");
    EXPECT_FALSE(app.timers.Running(CTimers::kScript));
    EXPECT_EQ(Traces(), (std::vector<std::string>{"Timer started: 5\n", "  Timer expired\n",
                                                  ">> PRIVMSG #x :ping\r\n"}));
}

TEST_F(Timers, CommandsReadTheirArguments) {
    struct Row {
        const char* typed;
        int id;  // the timer that runs afterwards, 0 for none
        int fixed, random;
        bool cont;
        const char* command;
    };
    const Row rows[] = {
        {"/TIMER 30 10 C /PRIVMSG #x ping", 1, 30, 10, true, "/PRIVMSG #x ping"},
        // The second word is the random part whatever it says.
        {"/timer 30 /PRIVMSG #x ping", 1, 30, 0, false, "#x ping"},
        {"/TIMER 0", 0, 0, 0, false, ""},
        {"/TIMER 5 0", 0, 0, 0, false, ""},
        {"/TIMER 5 0 C", 0, 0, 0, false, ""},
        // Minutes with a fraction, cut to whole seconds.
        {"/IDLETIMER 0.5 0 /AWAY :gone", 2, 30, 0, false, "/AWAY :gone"},
        {"/IDLETIMER 1.5 0.25 c /x", 2, 90, 15, true, "/x"},
        {"/IDLETIMER 0 1 /x", 0, 0, 0, false, ""},
        {"/IDLETIMER 0.0 1 /x", 0, 0, 0, false, ""},
    };
    Online();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        Type(chan_, row.typed);
        EXPECT_EQ(app.timers.Running(1), row.id == 1);
        EXPECT_EQ(app.timers.IdleTimerOn(), row.id == 2);
        if (row.id != 0) {
            const ScriptTimer& t = Timer(row.id);
            EXPECT_EQ(t.fixed, row.fixed);
            EXPECT_EQ(t.random, row.random);
            EXPECT_EQ(t.cont, row.cont);
            EXPECT_EQ(t.command, row.command);
            EXPECT_EQ(t.window, chan_);
        }
        app.timers.StopTimer(1);
        app.timers.StopTimer(2);
    }
}

TEST_F(Timers, PeriodsStartsAndStops) {
    // Offline nothing starts.
    app.timers.StartTimer(1, 5, 0, StatusFrame(), "/x", false);
    EXPECT_FALSE(app.timers.Running(1));

    Online();
    // Every period lies between fixed and fixed + random, both ends reached.
    app.timers.StartTimer(1, 10, 20, chan_, "/ECHO tick", true);
    int lowest = 100, highest = 0;
    for (int i = 0; i < 300; ++i) {
        const int time = Timer(1).time;
        lowest = std::min(lowest, time);
        highest = std::max(highest, time);
        Tick(Timer(1).ticks);
    }
    EXPECT_GE(lowest, 10);
    EXPECT_LE(highest, 30);
    EXPECT_LE(lowest, 11);
    EXPECT_GE(highest, 29);

    // A second start keeps the first command and period.
    app.timers.StartTimer(1, 99, 0, chan_, "/other", false);
    EXPECT_EQ(Timer(1).command, "/ECHO tick");
    EXPECT_EQ(Timer(1).fixed, 10);

    // Zero seconds expires at the first tick.
    app.timers.StopTimer(1);
    app.timers.StartTimer(1, 0, 0, chan_, "/PRIVMSG #x now", false);
    Tick();
    EXPECT_EQ(TakeSent(), "PRIVMSG #x :now\r\n");
}

TEST_F(Timers, IdleTimerWaitsForQuietAndFiresOnceUntilTrafficReturns) {
    Online();
    auto recv = [&](const std::string& line) { app.Connection().ParseLine(Server(), line); };
    Type(chan_, "/IDLETIMER 0.5 0 C /PRIVMSG #chan still there?");

    // Traffic in the watched window restarts the count; other windows do not.
    Tick(250);
    recv(":ann!a@h PRIVMSG #chan :hello");
    Tick(299);
    recv(":bob!b@h PRIVMSG #other :elsewhere");
    EXPECT_EQ(SentCount(), 0);
    Tick();
    EXPECT_EQ(TakeSent(), "PRIVMSG #chan :still there?\r\n");

    // Quiet for ever after: it stays on but does not fire again...
    Tick(3000);
    EXPECT_EQ(SentCount(), 0);
    EXPECT_TRUE(app.timers.IdleTimerOn());
    // ...until a line for its window re-arms it.
    recv(":ann!a@h PRIVMSG #chan :back");
    Tick(300);
    EXPECT_EQ(SentCount(), 1);

    // Stopping and starting again re-arms it as well.
    Type(chan_, "/IDLETIMER 0.5 0 C /PRIVMSG #chan still there?");
    Tick(300);
    EXPECT_EQ(SentCount(), 1);
}

TEST_F(Timers, RepeatingTimersCannotFloodTheServer) {
    Online();
    // A negative period would expire at every tick.
    Type(chan_, "/TIMER -1 0 C /PRIVMSG #chan flood");
    Tick(100);
    EXPECT_LE(SentCount(), 11);

    // An idle command that brings back traffic to its own window.
    Type(chan_, "/TIMER 0");
    TakeSent();
    Type(chan_, "/IDLETIMER 0.001 0 C /PRIVMSG #chan again");
    int fired = 0;
    for (int i = 0; i < 100; ++i) {
        Tick();
        if (SentCount() == 0) continue;
        ++fired;
        app.Connection().ParseLine(Server(), ":bot!b@h PRIVMSG #chan :again?");
    }
    EXPECT_LE(fired, 11);
}

TEST_F(Timers, ACommandNeitherRunsUnderItselfNorOutlivesItsWindow) {
    Online();
    // A message box runs the event loop: the ticks inside it do not start
    // the same command again.
    Type(chan_, "/TIMER 1 0 C /MBOX hello");
    host.dialogs.duringNextDialog = [&] { Tick(100); };
    Tick(10);
    EXPECT_EQ(host.dialogs.boxes.size(), 1u);
    Type(chan_, "/TIMER 0");

    // A command that closes its own window stops its timer with it.
    FrameId joe = FrameOf("joe");
    Type(joe, "/TIMER 1 0 C /QUERY");
    Tick(10);
    EXPECT_EQ(FrameOf("joe"), 0u);
    EXPECT_FALSE(app.timers.Running(1));
    Tick(100);
    EXPECT_EQ(TakeSent(), "");
}

TEST_F(Timers, TimerInfoDescribesTheIdleTimer) {
    EXPECT_EQ(app.timers.TimerInfoText(), "Not running");
    Online();
    host.clock.now = test::LocalTime(2024, 3, 9, 9, 5, 7);
    Type(chan_, "/IDLETIMER 2 0 /AWAY :gone");
    Tick(10);
    EXPECT_EQ(app.timers.TimerInfoText(),
              "Time: [9:05:07]  secs: 119  (1:59)\nTimer = 120 (fixed:120 random:0)\n"
              "On   Command = \"/AWAY :gone\"  LastNick = ");
}

}  // namespace
}  // namespace zorl
