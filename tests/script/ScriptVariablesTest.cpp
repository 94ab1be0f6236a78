// Variables that read script.ini and the windows: $randline, $getline,
// $randnick and $lastnick, and the bound on chains that expand themselves.
#include <gtest/gtest.h>

#include <set>

#include "common/Random.h"
#include "config/Settings.h"
#include "script/ScriptFixture.h"
#include "session/IrcMessage.h"
#include "windows/Output.h"

namespace zorl {
namespace {

class ScriptVariables : public test::ScriptFixture {
protected:
    std::string ScriptIni() const override {
        return "[greet]\n"
               "; not a greeting\n"
               "\n"
               "hello $nick\n"
               "hi there\n"
               "[table]\n"
               "* default\n"
               "key value\n"
               "[lookup]\n"
               ";c comment lines are looked up too\n"
               "  Jane   jane's value  \n"
               "$me mine\n"
               "$nick is $nick's friend\n"
               "[nostar]\n"
               "a b\n"
               "[loop]\n"
               "again $randline loop\n"
               "[gloop]\n"
               "* $getline gloop x\n";
    }
    static IrcMessage Event() {
        IrcMessage m;
        m.flags = kAllRecordFields | kGeneralVariables;
        m.channel = "#chat";
        m.me = "Zed";
        m.nick = "joe";
        return m;
    }
    std::string Expand(const std::string& text, const IrcMessage& m = Event()) {
        return app.ExpandVariables(m, text);
    }
};

TEST_F(ScriptVariables, RandomLineSkipsCommentsAndEmptyLinesAndIsExpanded) {
    std::set<std::string> seen;
    for (int seed = 0; seed < 40; ++seed) {
        app.random.Seed(static_cast<uint64_t>(seed));
        seen.insert(Expand("$randline greet ok"));
    }
    EXPECT_EQ(seen, (std::set<std::string>{"hello joe ok", "hi there ok"}));
    EXPECT_EQ(Expand("[$randline missing ]"), "[ ]");
    EXPECT_EQ(Expand("$$randline missing x"), "");
}

TEST_F(ScriptVariables, GetLineLooksUpTheFirstMatchingHeadOrStar) {
    const std::pair<const char*, const char*> cases[] = {
        // A "*" line before the key's own line wins.
        {"$getline table key", "default"},
        {"$getline lookup jane |", "jane's value |"},
        {"$getline  lookup  JANE", "jane's value"},
        // Heads and the key are expanded.
        {"$getline lookup zed", "mine"},
        {"$getline lookup $nick", "is joe's friend"},
        {"$getline lookup ;c", "comment lines are looked up too"},
        {"[$getline nostar x ]", "[ ]"},
        {"[$getline lookup nobody ]", "[ ]"},
        {"[$getline missing x ]", "[ ]"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Expand(text), expected);
    }
}

TEST_F(ScriptVariables, MissingScriptFileIsReportedOnceAndGivesNothing) {
    std::filesystem::remove(dir.Path() / "script.ini");
    EXPECT_EQ(Expand("[$randline greet ]"), "[ ]");
    ASSERT_EQ(host.dialogs.boxes.size(), 1u);
    EXPECT_EQ(host.dialogs.boxes[0].rfind("Cant find file script.ini in dir ", 0), 0u);
}

TEST_F(ScriptVariables, LinesThatExpandThemselvesAreCutWithOneError) {
    for (const char* text : {"start $randline loop", "start $getline gloop x"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Expand(text), "");
        ExpectOneError("ERROR: ExpandVariables: variables nested more than 16 deep, line dropped");
        ClearPanes();
        // The next expansion is not affected.
        EXPECT_EQ(Expand("$getline table key"), "default");
    }
}

TEST_F(ScriptVariables, RandomNickOfTheChannelIsNeverTheOwnNick) {
    app.settings.m_user_mynick = "Me";
    OpenChannel("#Chat", {"@me", "alice", "+bob"});
    std::set<std::string> seen;
    for (int seed = 0; seed < 60; ++seed) {
        app.random.Seed(static_cast<uint64_t>(seed));
        seen.insert(Expand("$randnick"));
    }
    EXPECT_EQ(seen, (std::set<std::string>{"alice", "bob"}));

    IrcMessage other = Event();
    other.channel = "#nowhere";
    EXPECT_EQ(Expand("[$randnick]", other), "[]");
    IrcMessage noLocals = Event();
    noLocals.flags = kAllRecordFields;
    EXPECT_EQ(Expand("$randnick", noLocals), "$randnick");
    IrcMessage noChannel = Event();
    noChannel.flags &= ~kHasChannel;
    EXPECT_EQ(Expand("$randnick", noChannel), "$randnick");

    OpenChannel("#alone", {"me"});
    IrcMessage alone = Event();
    alone.channel = "#alone";
    EXPECT_EQ(Expand("[$randnick]", alone), "[]");
}

TEST_F(ScriptVariables, LastNickIsTheLastOtherSpeakerOfTheChannel) {
    OpenChannel("#chat", {"alice"});
    EXPECT_EQ(Expand("[$lastnick]"), "[]");
    app.output.ShowIncoming(Server(), "alice", "#chat", kKindMessage, "hi");
    app.output.ShowOwn(Server(), "#chat", "#chat", kKindMessage, "hello alice");
    EXPECT_EQ(Expand("$LastNick"), "alice");
    IrcMessage other = Event();
    other.channel = "#nowhere";
    EXPECT_EQ(Expand("[$lastnick]", other), "[]");
}

}  // namespace
}  // namespace zorl
