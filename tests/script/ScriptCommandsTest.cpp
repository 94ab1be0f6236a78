// The script commands as transcripts: a line typed in a window, what it
// shows, sends, starts and writes into script.ini.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/IniStore.h"
#include "config/Settings.h"
#include "incoming/IgnoreNotify.h"
#include "script/EventScripts.h"
#include "script/ScriptFile.h"
#include "script/ScriptFixture.h"
#include "script/VariableExpander.h"
#include "session/LineParser.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

using Panes = std::map<std::string, std::string>;

class ScriptCommands : public test::ScriptFixture {
protected:
    std::string ScriptIni() const override {
        return "[Script]\nTEXT hi : * : /ECHO hi\n\n"
               "[greet]\n; said on joining\n/PRIVMSG #chan hello\n/PRIVMSG #chan hi $me\n\n"
               "[loop]\n/EXEC loop\n";
    }
    std::vector<std::string> Section(const std::string& name) {
        return ReadSectionLines(app.ini, kScriptFile, name);
    }
};

TEST_F(ScriptCommands, EchoAndIfShowWhatTheySay) {
    struct Row {
        const char* typed;
        const char* window;  // where the text shows; null: nothing shows
        const char* shown;
        Colour colour;
    };
    const Colour red = 255, plain = 1;
    const Row rows[] = {
        {"/ECHO hello $me", "#chan", "hello me", plain},
        {"/ECHO 0 hello", "#chan", "0 hello", plain},
        {"/ECHO 4 #chan hello", "#chan", "hello", red},
        {"/ECHO 44 hello", "#chan", "hello", plain},
        {"/echo #new out there", "#new", "out there", plain},
        {"/IF (abc ~ AB) /ECHO yes", "#chan", "yes", plain},
        {"/IF (abc * AB) /ECHO yes", nullptr, "", 0},
        {"/IF (abc * bc) /ECHO yes", "#chan", "yes", plain},
        {"/IF (\"a b\" = \"A B\") /ECHO yes", "#chan", "yes", plain},
        {"/IF (a ! b) /ECHO yes", "#chan", "yes", plain},
        {"/IF (Abc < abd) /ECHO yes", "#chan", "yes", plain},
        {"/IF (b > A) /ECHO yes", "#chan", "yes", plain},
        {"/IF (joe!j@host.example @ *!*@example) /ECHO yes", "#chan", "yes", plain},
        {"/IF (a == a) /ECHO yes", nullptr, "", 0},
        {"/IF (a = \"a) /ECHO yes", nullptr, "", 0},
        {"/IF (a) /ECHO yes", nullptr, "", 0},
        {"/IF a = a) /ECHO yes", nullptr, "", 0},
        {"/IF )a = a( /ECHO yes", nullptr, "", 0},
    };
    Online();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        Type(chan_, row.typed);
        if (!row.window) {
            EXPECT_EQ(AllShown(), Panes{});
        } else {
            EXPECT_EQ(AllShown(), (Panes{{row.window, std::string(row.shown) + "\r\n"}}));
            EXPECT_TRUE(Shows(row.window, row.colour, row.shown));
        }
        ClearPanes();
    }
    EXPECT_EQ(TakeSent(), "");
}

TEST_F(ScriptCommands, SetFillsTheUserVariables) {
    Online();
    Type(chan_, "/SET x3 hello world ");
    Type(chan_, "/SET X10 ten");
    Type(chan_, "/SET x11 a");
    Type(chan_, "/SET y1 a");
    Type(chan_, "/SET x0 a");
    EXPECT_EQ(app.expander.UserVar(3), "hello world");
    EXPECT_EQ(app.expander.UserVar(10), "ten");
    for (std::size_t n : {1, 2, 4, 5, 6, 7, 8, 9}) EXPECT_EQ(app.expander.UserVar(n), "");
}

TEST_F(ScriptCommands, SectionsAreEditedInScriptIni) {
    Online();
    Type(chan_, "/ADDLINE new hi there");
    Type(chan_, "/ADDLINE greet /ECHO last");
    Type(chan_, "/COPY greet copy");
    Type(chan_, "/WRITELINE greet only this");
    Type(chan_, "/RENAME new renamed");
    Type(chan_, "/EMPTY loop");
    Type(chan_, "/ADDLINE gone x");
    Type(chan_, "/DELETE gone");
    EXPECT_EQ(dir.ReadFile("script.ini"),
              "[Script]\nTEXT hi : * : /ECHO hi\n\n"
              "[greet]\nonly this\n\n"
              "[loop]\n\n"
              "[renamed]\nhi there\n\n"
              "[copy]\n; said on joining\n/PRIVMSG #chan hello\n/PRIVMSG #chan hi $me\n"
              "/ECHO last\n\n");
}

TEST_F(ScriptCommands, HostileLinesKeepTheFileInShape) {
    Online();
    const std::string lines[] = {"[Script]", "a\r\n[Script]\r\nTEXT x : * : /SYSTEM xterm",
                                 "\\[x",     "\\",
                                 "tail\rx",  "\\o/ hi"};
    for (const std::string& line : lines) app.SendString(chan_, "/ADDLINE notes " + line);
    Type(chan_, "/ADDLINE notes [x");
    Type(chan_, "/WRITELINE other [Script]");
    EXPECT_EQ(Section("notes"),
              (std::vector<std::string>{"[Script]", "a\r\n[Script]\r\nTEXT x : * : /SYSTEM xterm",
                                        "\\[x", "\\", "tail\rx", "\\o/ hi", "[x"}));
    EXPECT_EQ(Section("other"), std::vector<std::string>{"[Script]"});
    EXPECT_EQ(Section("Script"), std::vector<std::string>{"TEXT hi : * : /ECHO hi"});

    // Copies keep the text too, and hand-written lines read as written.
    Type(chan_, "/COPY notes copy");
    EXPECT_EQ(Section("copy"), Section("notes"));
    dir.WriteFile("script.ini", "[hand]\n\\o/ hi\n\\\\server\\share\n\\n\n");
    EXPECT_EQ(Section("hand"), (std::vector<std::string>{"\\o/ hi", "\\\\server\\share", "\\n"}));
}

TEST_F(ScriptCommands, ExecRunsASectionAndStopsOneThatRunsItself) {
    Online();
    Type(chan_, "/EXEC greet");
    EXPECT_EQ(TakeSent(), "PRIVMSG #chan :hello\r\nPRIVMSG #chan :hi me\r\n");
    ClearPanes();
    Type(chan_, "/EXEC loop");
    ExpectOneError("ERROR: RunCommandText: scripts nested more than 8 deep, rest dropped");
    Type(chan_, "/EXEC missing");
    EXPECT_EQ(TakeSent(), "");
}

TEST_F(ScriptCommands, SystemHandsEveryWordOverUnexpanded) {
    Online();
    Type(chan_, "/SYSTEM xterm -e 'sh -c' $(rm -rf ~) ; && *.txt \"a b\" `id`");
    ASSERT_EQ(host.shell.executed.size(), 1u);
    EXPECT_EQ(host.shell.executed[0],
              (std::vector<std::string>{"xterm", "-e", "'sh", "-c'", "$(rm", "-rf", "~)", ";", "&&",
                                        "*.txt", "\"a", "b\"", "`id`"}));
    Type(chan_, "/SYSTEM");
    EXPECT_EQ(host.shell.executed.size(), 1u);
    host.shell.result = false;
    Type(chan_, "/SYSTEM nothere");
    ExpectShown("", Cls::UError, "Cannot start nothere");
}

// Links and documents open with the desktop's handler, programs start; a
// name from a message does neither.
TEST_F(ScriptCommands, SystemOpensLinksAndDocumentsAndStartsPrograms) {
    Online();
    dir.WriteFile("notes.txt", "n");
    dir.WriteFile("run.sh", "#!/bin/sh\n");
    std::filesystem::permissions(dir.Path() / "run.sh", std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    dir.WriteFile("script.ini", "[Script]\nTEXTIN xopen : * : /SYSTEM $2\n");
    app.events.LoadScript();
    using Words = std::vector<std::string>;
    const struct {
        const char* typed;
        Words opened;
        Words executed;
    } rows[] = {
        {"/SYSTEM https://example.org/a?b=c d", {"https://example.org/a?b=c"}, {}},
        {"/SYSTEM www.example.org", {"www.example.org"}, {}},
        {"/SYSTEM mailto:joe@example.org", {"mailto:joe@example.org"}, {}},
        {"/SYSTEM notes.txt", {"notes.txt"}, {}},
        {"/SYSTEM download", {"download"}, {}},
        {"/SYSTEM run.sh a", {}, {"run.sh", "a"}},
        {"/SYSTEM xterm", {}, {"xterm"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        host.shell.opened.clear();
        host.shell.executed.clear();
        Type(chan_, row.typed);
        EXPECT_EQ(host.shell.opened, row.opened);
        EXPECT_EQ(host.shell.executed,
                  row.executed.empty() ? std::vector<Words>{} : std::vector<Words>{row.executed});
    }
    host.shell.opened.clear();
    server_->Receive(":joe!j@h PRIVMSG #chan :https://evil.example xopen\r\n");
    ExpectShown("", Cls::UError,
                "Not opened: https://evil.example (the name comes from a message)");
    host.shell.result = false;
    Type(chan_, "/SYSTEM notes.txt");
    ExpectShown("", Cls::UError, "Cannot open notes.txt");
    EXPECT_EQ(host.shell.opened, Words{"notes.txt"});
}

// What a stranger wrote reaches the script commands as data: one operand
// of IF, one argument of a program, a timer's text; never a condition, a
// colour or window of ECHO, a program name or a second command.
TEST_F(ScriptCommands, TextFromAMessageStaysData) {
    Online();
    dir.WriteFile("script.ini",
                  "[Script]\n"
                  "TEXTIN inj : * : /IF ($2 = x) /PRIVMSG #chan yes\n"
                  "TEXTIN ech : * : /ECHO $2\n"
                  "TEXTIN xrun : * : /SYSTEM $2\n"
                  "TEXTIN xargs : * : /SYSTEM prog $2\n"
                  "TEXTIN later : * : /TIMER 1 0 /PRIVMSG #chan $2\n");
    app.events.LoadScript();
    for (const char* text :
         {"x = x) /PRIVMSG #chan inj", "4 #evil ech", "xterm xrun", "a b xargs", "later | /quit"})
        server_->Receive(std::string(":joe!j@h PRIVMSG #chan :") + text + "\r\n");
    EXPECT_EQ(TakeSent(), "");
    EXPECT_TRUE(Shows("#chan", 1, "4 #evil ech"));
    EXPECT_EQ(FrameOf("#evil"), 0u);
    ExpectShown("", Cls::UError, "Not started: xterm (the program name comes from a message)");
    EXPECT_EQ(host.shell.executed, (std::vector<std::vector<std::string>>{{"prog", "a b xargs"}}));
    host.ticker.Tick(10);
    EXPECT_EQ(TakeSent(), "PRIVMSG #chan :later | /quit\r\n");
}

TEST_F(ScriptCommands, XlatRunsItsExpandedTextOnlyForTheMaster) {
    Online();
    Type(chan_, "/XLAT /PRIVMSG $channel $me");
    EXPECT_EQ(TakeSent(), "");
    app.settings.Master = 1;
    Type(chan_, "/XLAT /PRIVMSG $channel $me");
    EXPECT_EQ(TakeSent(), "PRIVMSG #chan :me\r\n");
}

// XLAT runs the user's own values as script, never what a stranger wrote:
// that stays one plain text, not a command, not split, not expanded again,
// also when it went through a user variable.
TEST_F(ScriptCommands, XlatKeepsAStrangersTextData) {
    Online();
    app.settings.Master = 1;
    dir.WriteFile("script.ini",
                  "[Script]\n"
                  "TEXTIN run : * : /XLAT $2\n"
                  "TEXTIN say : * : /XLAT /PRIVMSG $channel $2\n"
                  "TEXTIN keep : * : /SET x2 $2\n"
                  "TEXTIN recall : * : /XLAT $x2\n"
                  "TEXTIN own : * : /XLAT $x1 $nick\n");
    app.events.LoadScript();
    Type(chan_, "/SET x1 /PRIVMSG #chan hi");
    const std::pair<const char*, const char*> rows[] = {
        {"/SYSTEM xterm run", "PRIVMSG #chan :/SYSTEM xterm run\r\n"},
        {"say | /quit", "PRIVMSG #chan :say | /quit\r\n"},
        {"say $x1 $me #", "PRIVMSG #chan :say $x1 $me #\r\n"},
        {"/SYSTEM xterm keep", ""},
        {"recall", "PRIVMSG #chan :/SYSTEM xterm keep\r\n"},
        {"own", "PRIVMSG #chan :hi joe\r\n"},
    };
    for (const auto& [text, sent] : rows) {
        SCOPED_TRACE(text);
        server_->Receive(std::string(":joe!j@h PRIVMSG #chan :") + text + "\r\n");
        EXPECT_EQ(TakeSent(), sent) << Transcript();
    }
    EXPECT_TRUE(host.shell.executed.empty());
    EXPECT_EQ(app.Connection().State(), CONNECTED);
}

TEST_F(ScriptCommands, IgnoreNotifyBoxAndBeep) {
    Online();
    Type(chan_, "/IGNORE *!*@spam.example");
    EXPECT_EQ(app.IgnoreList, std::vector<std::string>{"*!*@spam.example"});
    EXPECT_EQ(app.ini.ReadList(CIniStore::kMainFile, "IGNORE"),
              std::vector<std::string>{"*!*@spam.example"});
    app.Connection().ParseLine(Server(), ":bot!b@spam.example PRIVMSG me :buy now");
    EXPECT_EQ(FrameOf("bot"), 0u);

    dir.WriteFile("zorl.ini", "[NOTIFY]\nn0=alice\n");
    app.ignoreNotify.LoadNotifyList();
    Type(chan_, "/NOTIFY");
    EXPECT_EQ(TakeSent(), "ISON alice\r\n");

    Type(chan_, "/MBOX hello $me");
    Type(chan_, "/BEEP");
    EXPECT_EQ(host.dialogs.boxes, std::vector<std::string>{"hello me"});
    EXPECT_EQ(host.sound.beeps, 1);
}

TEST_F(ScriptCommands, PlayFindsSoundsOnlyInTheirFolders) {
    Online();
    dir.WriteFile("wav/Ding.wav", "RIFF");
    dir.WriteFile("secret.WAV", "RIFF");
    Type(chan_, "/PLAY ding");
    Type(chan_, "/PLAY ../secret");
    Type(chan_, "/PLAY nothere.wav");
    EXPECT_EQ(host.sound.played, std::vector<std::string>{app.config_dir + "wav/Ding.wav"});
    ExpectShown("", Cls::Error, "error playing ../secret.WAV");
    ExpectShown("", Cls::Error, "error playing nothere.wav");
}

TEST_F(ScriptCommands, DumpShowsTheState) {
    Online();
    Type(chan_, "/TIMER 5 0 /ECHO later");
    Type(chan_, "/DUMP");
    const ChannelRecord* dump = app.registry.FindCR("~dump", nullptr);
    ASSERT_NE(dump, nullptr);
    EXPECT_EQ(dump->type, kWindowDefault);
    EXPECT_EQ(dump->title, "Dump");
    const std::string shown = Shown("~dump");
    EXPECT_TRUE(shown.starts_with("Version: ZORL   Version 1.18 [")) << shown;
    for (const char* text :
         {"\r\nVars:\r\n", "m_user_mynick       = me\r\n", "ircstatus           = CONNECTED",
          "\r\nTimers:\r\n", "command=/ECHO later", "\r\nChannels:\r\n", "#chan",
          "\r\nButtons:\r\n", "\r\nAliases:\r\n", "\r\nScripts:\r\n",
          "00  TEXT hi : * : /ECHO hi\r\n", "\r\nIgnore:\r\n"})
        EXPECT_NE(shown.find(text), std::string::npos) << text << "\n" << shown;
    EXPECT_TRUE(Shows("~dump", ColourOf(Cls::Info), "Vars:"));
}

}  // namespace
}  // namespace zorl
