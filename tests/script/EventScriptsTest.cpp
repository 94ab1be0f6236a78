// Event scripts, the runners and the start-up list as transcripts: an event
// file, lines from the server, what was sent and shown.
#include <gtest/gtest.h>

#include "config/Settings.h"
#include "script/EventScripts.h"
#include "script/ScriptFixture.h"
#include "script/VariableExpander.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"

namespace zorl {
namespace {

using Texts = std::vector<std::string>;

class Events : public test::ScriptFixture {
protected:
    std::string AliasesIni() const override {
        return "[Aliases]\n"
               "n0=/MSG /PRIVMSG $2\n"
               "n1=/do $2\n";
    }
    // Rewrites the [Script] section and loads it.
    void UseScript(const std::string& lines) {
        dir.WriteFile("script.ini", "[Script]\n" + lines);
        app.events.LoadScript();
    }
    void Recv(const std::string& line) { server_->Receive(line + "\r\n"); }
    // Everything the scripts sent, the lines the send queue paced included;
    // the next line starts with a fresh burst.
    std::string TakeSent() {
        host.Elapse(kFreshBurst);
        return ScriptFixture::TakeSent();
    }
    // What went out since the last call, line by line.
    Texts SentLines() {
        test::ScriptedSocketState sent;
        sent.sent = TakeSent();
        return sent.SentLines();
    }
    // The lines sent to #out since the last call (replies to the server's
    // own requests left out).
    Texts SentToOut() {
        Texts out;
        for (const std::string& line : SentLines())
            if (line.starts_with("PRIVMSG #out :")) out.push_back(line.substr(14));
        return out;
    }
};

TEST_F(Events, EachTypeMatchesItsKindOfLine) {
    Online();
    UseScript(
        "; a comment line\n"
        "TEXT hello : *!*@* : /msg #out TEXT\n"
        "TEXTIN bye : *!*@* : /msg #out TEXTIN\n"
        "TEXTWRD wave : *!*@* : /msg #out TEXTWRD\n"
        "TEXT ~bold 2 apples : *!*@* : /msg #out STRIPPED\n"
        "CTCP PRIVMSG : *!*@* : /msg #out CTCP $c_command\n"
        "ON JOIN : *!*@* : /msg #out JOIN $nick $channel\n"
        "ON TOPIC : ann!*@* : /msg #out TOPIC $2\n");
    const std::pair<const char*, Texts> rows[] = {
        {":joe!j@h PRIVMSG #chan :HeLLo", {"TEXT"}},
        {":joe!j@h PRIVMSG #chan :hello there", {}},
        {":joe!j@h PRIVMSG #chan :good BYE all", {"TEXTIN"}},
        {":joe!j@h PRIVMSG #chan :oh wave", {"TEXTWRD"}},
        {":joe!j@h PRIVMSG #chan :wave at me", {"TEXTWRD"}},
        {":joe!j@h PRIVMSG #chan :microwave", {}},
        // "~" reads the codes as the pane does: a colour has two digits at most.
        {":joe!j@h PRIVMSG #chan :\x02"
         "bold\x02 \x03"
         "04,122 apples",
         {"STRIPPED"}},
        {":joe!j@h PRIVMSG #chan :\x01"
         "ACTION says hello\x01",
         {}},
        {":joe!j@h PRIVMSG #chan :\x01"
         "ACTION hello\x01",
         {"TEXT"}},
        {":joe!j@h PRIVMSG #chan :\x01"
         "PING 1\x01",
         {"CTCP PING"}},
        {":joe!j@h NOTICE #chan :\x01"
         "PING 1\x01",
         {}},
        {":ann!a@h JOIN #chan", {"JOIN ann #chan"}},
        {":ann!a@h TOPIC #chan :new topic", {"TOPIC new topic"}},
        {":bob!b@h TOPIC #chan :new topic", {}},
        // Private messages fire only in a query window, with ScriptsQuery on.
        {":joe!j@h PRIVMSG me :hello", {}},
    };
    for (const auto& [line, sent] : rows) {
        SCOPED_TRACE(line);
        Recv(line);
        EXPECT_EQ(SentToOut(), sent) << Transcript();
    }
    app.settings.ScriptsQuery = 1;
    Recv(":joe!j@h PRIVMSG me :hello");
    EXPECT_EQ(SentToOut(), Texts{"TEXT"});
}

TEST_F(Events, OnlyTheFirstLineWhoseMaskMatchesFiresAndIgnoredTextNever) {
    Online();
    UseScript(
        "TEXTIN x : $channel!*@* : /msg #out channel mask\n"
        "TEXTIN x : bob!*@* : /msg #out bob | /msg #out twice\n"
        "TEXTIN x : *!*@* : /msg #out anyone\n"
        "TEXTIN x : *!*@* : /msg #out never\n"
        "TEXTIN mute : *!*@* :\n"
        "TEXTIN mute : *!*@* : /msg #out after mute\n"
        "ON PART : *!*@* : /msg #out part $nick $channel\n");
    Recv(":bob!b@h PRIVMSG #chan :x");
    EXPECT_EQ(SentToOut(), (Texts{"bob", "twice"}));
    Recv(":joe!j@h PRIVMSG #chan :x");
    EXPECT_EQ(SentToOut(), Texts{"anyone"});
    // A line without commands still counts as the one that fired.
    Recv(":joe!j@h PRIVMSG #chan :mute");
    EXPECT_EQ(SentToOut(), Texts{});

    app.IgnoreList.push_back("bob!*@*");
    Recv(":bob!b@h PRIVMSG #chan :x");
    Recv(":bob!b@h PART #chan");
    EXPECT_EQ(SentToOut(), Texts{"part bob #chan"});
    // The own part fires once per window, while the window is still there.
    OpenChannel("#two");
    Type(FrameOf("#chan"), "/part #chan,#two");
    Recv(":me!u@h PART #chan,#two");
    EXPECT_EQ(SentToOut(), (Texts{"part me #chan", "part me #two"}));
}

// Whatever a stranger writes reaches the channel as one message with the
// literal text, and starts nothing.
TEST_F(Events, TextFromOthersIsNeverScript) {
    Online();
    UseScript(
        "TEXTIN hi : * : /msg $channel $nick said $2\n"
        "TEXTIN ask : * : /msg $channel $?\n"
        "TEXTIN var : * : /msg $channel $x1\n"
        "TEXTIN run : * : $2\n"
        "TEXTIN alias : * : /do $2\n"
        "TEXTIN file : * : /msg $channel $randline said $getline said x\n"
        "[said]\n* b | /part\n");
    app.expander.SetUserVar(1, "a | /quit $nl b");
    host.dialogs.inputAnswers = {"ok | /join #evil $nl QUIT", "$x1"};
    const std::pair<const char*, const char*> rows[] = {
        {"hi | /SYSTEM xterm", "PRIVMSG #chan :joe said hi | /SYSTEM xterm\r\n"},
        {"hi $nl QUIT", "PRIVMSG #chan :joe said hi $nl QUIT\r\n"},
        {"{x | y} hi", "PRIVMSG #chan :joe said {x | y} hi\r\n"},
        {"hi $? $me $$ ## #", "PRIVMSG #chan :joe said hi $? $me $$ ## #\r\n"},
        {"ask", "PRIVMSG #chan :ok | /join #evil    QUIT\r\n"},
        {"ask", "PRIVMSG #chan :a | /quit $nl b\r\n"},
        {"var", "PRIVMSG #chan :a | /quit $nl b\r\n"},
        {"file", "PRIVMSG #chan :* b | /part b | /part\r\n"},
        // A command word that holds data is no command and no alias.
        {"/quit run", "PRIVMSG #chan :/quit run\r\n"},
        {"/MSG run", "PRIVMSG #chan :/MSG run\r\n"},
        {"/quit alias", "PRIVMSG #chan :/quit alias\r\n"},
    };
    for (const auto& [text, sent] : rows) {
        SCOPED_TRACE(text);
        Recv(std::string(":joe!j@h PRIVMSG #chan :") + text);
        EXPECT_EQ(TakeSent(), sent) << Transcript();
    }
    EXPECT_EQ(host.dialogs.inputTitles.size(), 2u);
    EXPECT_TRUE(host.shell.executed.empty());
    EXPECT_EQ(app.Connection().State(), CONNECTED);
    // The same alias typed by the user runs its arguments as a command.
    Type(chan_, "/do /join #x");
    EXPECT_EQ(TakeSent(), "JOIN #x :\r\n");
}

TEST_F(Events, TheAuthorsSeparatorsGroupsAndVariablesWork) {
    Online();
    UseScript(
        "TEXT two : * : /msg $nick hello | /join #x\n"
        "TEXT group : * : {/msg $channel a | b} | /msg $channel c|d\n"
        "TEXT need : * : /msg $channel $$3 | /msg $channel x\n"
        "TEXT time : * : /msg $channel $time $me\n");
    const std::pair<const char*, const char*> rows[] = {
        {"two", "PRIVMSG joe :hello\r\nJOIN #x :\r\n"},
        {"group", "PRIVMSG #chan :a | b\r\nPRIVMSG #chan :c|d\r\n"},
        // A required variable that is empty drops the whole event line.
        {"need", ""},
    };
    for (const auto& [text, sent] : rows) {
        SCOPED_TRACE(text);
        Recv(std::string(":joe!j@h PRIVMSG #chan :") + text);
        EXPECT_EQ(TakeSent(), sent) << Transcript();
    }
    Recv(":joe!j@h PRIVMSG #chan :time");
    EXPECT_TRUE(TakeSent().ends_with(" me\r\n"));
}

TEST_F(Events, ScriptLinesTakeTheirOwnWordsAsParameters) {
    Online();
    const std::pair<const char*, const char*> rows[] = {
        {"/msg #x $3 :b c", "PRIVMSG #x :b c :b c\r\n"},
        {"/msg $channel $2-", "PRIVMSG #chan :$2-\r\n"},
        {"{/msg $channel a | b} | /part", "PRIVMSG #chan :a | b\r\nPART #chan\r\n"},
        {"/msg $channel $x5", "PRIVMSG #chan :\r\n"},
    };
    for (const auto& [line, sent] : rows) {
        SCOPED_TRACE(line);
        app.events.RunScriptLine(chan_, line);
        EXPECT_EQ(TakeSent(), sent) << Transcript();
    }
}

// A command that runs script again (here: every echo in the channel runs
// another line, as an EXEC of its own section would) is cut at the bound,
// with one error, and the next run starts afresh.
TEST_F(Events, OneRunIsBounded) {
    Online();
    std::string many;
    for (int i = 0; i < CEventScripts::kMaxCommandsPerRun + 10; ++i) many += "/msg #out x | ";
    app.events.RunScriptLine(chan_, many);
    // Most of them wait in the send queue; they are let out before the next run.
    EXPECT_EQ(SentToOut().size() + app.Connection().LinesWaiting(),
              static_cast<std::size_t>(CEventScripts::kMaxCommandsPerRun));
    ExpectOneError("ERROR: RunCommandText: more than 256 commands in one run, rest dropped");
    host.Elapse(CSendQueue::kInterval * CEventScripts::kMaxCommandsPerRun);
    TakeSent();

    ClearPanes();
    host.surface.onAppend = [&](const std::string& text) {
        if (text.find("<me> again") != std::string::npos)
            app.events.RunScriptLine(chan_, "again | again");
    };
    app.events.RunScriptLine(chan_, "again");
    host.surface.onAppend = nullptr;
    EXPECT_LE(TakeSent().size(), 2000u);
    ExpectOneError("ERROR: RunCommandText: scripts nested more than 8 deep, rest dropped");

    app.events.RunScriptLine(chan_, "/msg #out fine");
    EXPECT_EQ(SentToOut(), Texts{"fine"});
}

TEST_F(Events, StartupListRunsAfterTheMessageOfTheDay) {
    Connect();
    ReloadSettings(
        "[USER]\nNick=me\n[STARTUP]\nn0=/join #x\nn1=; /quit\nn2=/msg $me hi | /msg #y bye\n"
        "n4=/quit\n");
    Recv(":irc.example 001 me :Welcome");
    Recv(":irc.example 375 me :- MOTD");
    EXPECT_EQ(TakeSent(), "");
    const Texts startup = {"JOIN #x :", "PRIVMSG me :hi", "PRIVMSG #y :bye"};
    Recv(":irc.example 376 me :End of MOTD");
    EXPECT_EQ(SentLines(), startup) << Transcript();
    Recv(":irc.example 422 me :No MOTD");
    EXPECT_EQ(SentLines(), startup);
}

// A dialog opened by an event runs a nested event loop in which the server
// sends more: every line is handled once, in the order it came.
TEST_F(Events, ADialogDuringALineDoesNotReorderOrLoseLines) {
    Online();
    UseScript("TEXT ask : * : /msg #out $?\n");
    host.dialogs.inputAnswers = {"first", "second"};
    host.dialogs.duringNextDialog = [&] {
        server_->Receive("PING :nested1\r\n:joe!j@h PRIVMSG #chan :ask\r\nPING :nes");
        host.dialogs.duringNextDialog = [&] { server_->Receive("ted2\r\nPING :deep\r\n"); };
    };
    server_->Receive(":joe!j@h PRIVMSG #chan :ask\r\nPING :after\r\n");
    EXPECT_EQ(SentLines(), (Texts{"PRIVMSG #out :first", "PONG after", "PONG nested1",
                                  "PRIVMSG #out :second", "PONG nested2", "PONG deep"}))
        << Transcript();
    EXPECT_EQ(app.Connection().Socket()->pending, "");
}

}  // namespace
}  // namespace zorl
