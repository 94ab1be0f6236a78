// The alias table from aliases.ini and the alias loop of the interpreter.
#include <gtest/gtest.h>

#include "script/Aliases.h"
#include "script/ScriptFixture.h"

namespace zorl {
namespace {

class Aliases : public test::ScriptFixture {
protected:
    std::string AliasesIni() const override {
        return "[Aliases]\n"
               "n0=/J /PART\n"
               "n1=/j2 /JOIN $2\n"
               "n2=; /x /quit\n"
               "n3=   /Msg   /PRIVMSG $2  \n"
               "n4=/m /msg $2\n"
               "n5=brb /ACTION will be right back\n"
               "n6=/loop /loop $2\n"
               "n7=/grow /grow $1 $1\n"
               "n8=/quiet /PRIVMSG $channel $$3\n"
               "n9=/J /JOIN $nick\n"
               "n10=/now /PRIVMSG $channel it is $time\n"
               "n11=/SELF /self\n"
               "n12=/here /PRIVMSG # in #\n";
    }
};

TEST_F(Aliases, LoadedWithLowerCaseNamesLaterEntriesWinningAndCommentsLeftOut) {
    const std::map<std::string, std::string> expected = {
        {"/j", "/JOIN $nick"},
        {"/j2", "/JOIN $2"},
        {"/msg", "/PRIVMSG $2"},
        {"/m", "/msg $2"},
        {"brb", "/ACTION will be right back"},
        {"/loop", "/loop $2"},
        {"/grow", "/grow $1 $1"},
        {"/quiet", "/PRIVMSG $channel $$3"},
        {"/now", "/PRIVMSG $channel it is $time"},
        {"/self", "/self"},
        {"/here", "/PRIVMSG # in #"},
    };
    EXPECT_EQ(app.aliases.All(), expected);

    // Loading again starts from an empty table.
    dir.WriteFile("aliases.ini", "[Aliases]\nn0=/k /KICK\n");
    app.aliases.LoadAliases();
    EXPECT_EQ(app.aliases.All(), (std::map<std::string, std::string>{{"/k", "/KICK"}}));
}

TEST_F(Aliases, ReplacementSeesTheTypedArguments) {
    Online();
    const std::pair<const char*, const char*> cases[] = {
        {"/j #x", "JOIN #x :\r\n"},
        {"/J #x key", "JOIN #x :\r\n"},
        {"/j2 #x key", "JOIN #x :key\r\n"},
        // Two aliases in a row: /m -> /msg -> /PRIVMSG.
        {"/m ann :hi there", "PRIVMSG ann :hi there\r\n"},
        // An alias may stand for a plain first word.
        {"brb",
         "PRIVMSG #chan :\x01"
         "ACTION will be right back\x01\r\n"},
        {"BRB now",
         "PRIVMSG #chan :\x01"
         "ACTION will be right back\x01\r\n"},
        // "$$" drops the whole line when its value is missing.
        {"/quiet", ""},
        {"/quiet a b", "PRIVMSG #chan :b\r\n"},
        // Local variables are not available in typed lines.
        {"/now", "PRIVMSG #chan :it is $time\r\n"},
        {"/here", "PRIVMSG #chan :in #chan\r\n"},
    };
    for (const auto& [typed, sent] : cases) {
        SCOPED_TRACE(typed);
        host.Elapse(kFreshBurst);  // the lines are more than one burst
        Type(chan_, typed);
        EXPECT_EQ(TakeSent(), sent);
    }
}

TEST_F(Aliases, AliasThatCallsItselfIsCutWithOneError) {
    Online();
    for (const char* typed : {"/loop x", "/self"}) {
        SCOPED_TRACE(typed);
        Type(chan_, typed);
        EXPECT_EQ(TakeSent(), "");
        ExpectOneError("ERROR: SendString: alias chain longer than 32 steps, line dropped");
        EXPECT_EQ(AllShown().size(), 1u) << Transcript();
        ClearPanes();
    }
}

TEST_F(Aliases, AliasThatGrowsTheLineIsCutWithOneError) {
    Online();
    Type(chan_, "/grow some text");
    EXPECT_EQ(TakeSent(), "");
    ExpectOneError("ERROR: SendString: alias text longer than 65536 characters, line dropped");
}

}  // namespace
}  // namespace zorl
