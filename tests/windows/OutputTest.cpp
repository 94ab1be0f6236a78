// Output: where conversation lines go and how they look, time stamps,
// multi-line text, debug output, button lights and the taskbar.
#include <gtest/gtest.h>

#include "common/Format.h"
#include "config/Settings.h"
#include "support/AppFixture.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl {
namespace {

using Routes = std::map<std::string, std::string>;  // window -> pane text

class Output : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        app.settings.m_user_mynick = "me";
    }
};

TEST_F(Output, ShowIncomingRoutesEveryCase) {
    OpenChannel("#chan", {"@bob", "me"});
    OpenChannel("#other", {"+bob"});
    OpenChannel("#quiet", {"Bob"});  // another spelling: not bob
    Open("carol", kWindowQuery);

    struct Row {
        const char* what;
        MessageKind kind;
        const char* from;
        const char* target;
        int chanOption;  // ChanNotice for notices, ChanCTCP for CTCP
        Routes expected;
    };
    const std::vector<Row> rows = {
        {"message in a channel", kKindMessage, "bob", "#chan", 1, {{"#chan", "<bob> hi\r\n"}}},
        {"message, channel without window",
         kKindMessage,
         "bob",
         "#none",
         1,
         {{"", "(bob -> #none) hi\r\n"}}},
        {"private message, query open",
         kKindMessage,
         "carol",
         "me",
         1,
         {{"carol", "<carol> hi\r\n"}}},
        {"notice in a channel", kKindNotice, "bob", "#chan", 1, {{"#chan", "#-bob- hi\r\n"}}},
        {"notice, channel without window",
         kKindNotice,
         "bob",
         "#none",
         1,
         {{"", "(bob -> #none) hi\r\n"}}},
        {"private notice, query open",
         kKindNotice,
         "carol",
         "me",
         1,
         {{"carol", "-carol- hi\r\n"}}},
        {"private notice, nick on two channels",
         kKindNotice,
         "bob",
         "me",
         1,
         {{"#chan", "-bob- hi\r\n"}, {"#other", "-bob- hi\r\n"}}},
        {"private notice, nick on no channel", kKindNotice, "zed", "me", 1, {{"", "-zed- hi\r\n"}}},
        {"private notice, ChanNotice off", kKindNotice, "bob", "me", 0, {{"", "-bob- hi\r\n"}}},
        {"action in a channel", kKindAction, "bob", "#chan", 1, {{"#chan", "* bob hi\r\n"}}},
        {"action, channel without window",
         kKindAction,
         "bob",
         "#none",
         1,
         {{"", "* (bob -> #none) hi\r\n"}}},
        {"private action, query open",
         kKindAction,
         "carol",
         "me",
         1,
         {{"carol", "* carol hi\r\n"}}},
        {"ctcp in a channel", kKindCtcp, "bob", "#chan", 1, {{"#chan", "#[bob] hi\r\n"}}},
        {"ctcp, channel without window",
         kKindCtcp,
         "bob",
         "#none",
         1,
         {{"", "[bob -> #none] hi\r\n"}}},
        {"private ctcp, query open", kKindCtcp, "carol", "me", 1, {{"carol", "[carol] hi\r\n"}}},
        {"private ctcp, nick on two channels",
         kKindCtcp,
         "bob",
         "me",
         1,
         {{"#chan", "[bob] hi\r\n"}, {"#other", "[bob] hi\r\n"}}},
        {"private ctcp, nick on no channel", kKindCtcp, "zed", "me", 1, {{"", "[zed] hi\r\n"}}},
        {"private ctcp, ChanCTCP off", kKindCtcp, "bob", "me", 0, {{"", "[bob] hi\r\n"}}},
        {"ctcp reply", kKindCtcpReply, "bob", "#chan", 1, {{"#chan", "#[bob] hi\r\n"}}},
        {"to me means exactly me", kKindMessage, "bob", "ME", 1, {{"", "(bob -> ME) hi\r\n"}}},
        {"unknown kind", static_cast<MessageKind>(5), "bob", "#chan", 1, {}},
    };
    const Colour colours[] = {ColourOf(Cls::Normal), ColourOf(Cls::Notice), ColourOf(Cls::Action),
                              ColourOf(Cls::CTCP), ColourOf(Cls::CTCP)};
    const std::size_t windows = app.registry.Records().size();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        app.settings.ChanNotice = row.kind == kKindNotice ? row.chanOption : 1;
        app.settings.ChanCTCP = row.kind >= kKindCtcp ? row.chanOption : 1;
        ClearPanes();
        app.output.ShowIncoming(Server(), row.from, row.target, row.kind, "hi");
        EXPECT_EQ(AllShown(), row.expected) << Transcript();
        for (const auto& [window, text] : row.expected) {
            for (const test::Piece& piece : Pieces(window)) {
                EXPECT_EQ(piece.colour, colours[row.kind]) << window;
            }
        }
        EXPECT_EQ(app.registry.Records().size(), windows) << "no window opens";
    }
}

TEST_F(Output, PrivateMessageOrActionOpensAQueryWithoutFocus) {
    FrameId active = Open("#chan", kWindowChannel, true);
    for (MessageKind kind : {kKindMessage, kKindAction}) {
        SCOPED_TRACE(kind);
        const std::string nick = kind == kKindMessage ? "Dave" : "Erin";
        app.output.ShowIncoming(Server(), nick, "me", kind, "psst");
        const ChannelRecord* query = app.registry.FindCR(nick, Server());
        ASSERT_NE(query, nullptr) << Transcript();
        EXPECT_EQ(query->type, kWindowQuery);
        EXPECT_EQ(query->title, nick);
        EXPECT_FALSE(host.surface.Frame(query->frame)->shown);
        EXPECT_EQ(app.registry.pLastFrm, active);
        EXPECT_EQ(Shown(nick), kind == kKindMessage ? "<Dave> psst\r\n" : "* Erin psst\r\n");
        // Not the active window: its button lights up.
        EXPECT_EQ(host.surface.buttons[query->buttonnr].highlight, 255u);
    }
    // Notices and CTCP never open a window.
    const std::size_t windows = app.registry.Records().size();
    app.output.ShowIncoming(Server(), "frank", "me", kKindNotice, "n");
    app.output.ShowIncoming(Server(), "frank", "me", kKindCtcp, "VERSION");
    EXPECT_EQ(app.registry.Records().size(), windows);
}

TEST_F(Output, ShowOwnEchoesWhatTheUserSent) {
    Open("#chan", kWindowChannel);
    Open("bob", kWindowQuery);
    struct Row {
        const char* what;
        const char* current;
        const char* target;
        MessageKind kind;
        Routes expected;
        Cls cls;
    };
    const std::vector<Row> rows = {
        {"message to an open window",
         "#chan",
         "#CHAN",
         kKindMessage,
         {{"#chan", "<me> hi\r\n"}},
         Cls::Own},
        {"message elsewhere",
         "#chan",
         "carol",
         kKindMessage,
         {{"#chan", "-> *carol* hi\r\n"}},
         Cls::Own},
        {"message from status to open query",
         "",
         "bob",
         kKindMessage,
         {{"bob", "<me> hi\r\n"}},
         Cls::Own},
        {"notice", "#chan", "bob", kKindNotice, {{"#chan", "-> -bob- hi\r\n"}}, Cls::Notice},
        {"action", "bob", "bob", kKindAction, {{"bob", "* me hi\r\n"}}, Cls::Action},
        {"ctcp", "", "bob", kKindCtcp, {{"", "-> [bob] hi\r\n"}}, Cls::CTCP},
        {"ctcp reply", "", "bob", kKindCtcpReply, {{"", "-> [bob] hi\r\n"}}, Cls::CTCP},
        {"unknown kind", "", "bob", static_cast<MessageKind>(9), {}, Cls::Normal},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ClearPanes();
        app.output.ShowOwn(Server(), row.current, row.target, row.kind, "hi");
        EXPECT_EQ(AllShown(), row.expected) << Transcript();
        for (const auto& [window, text] : row.expected) ExpectShown(window, row.cls, text);
    }
}

TEST_F(Output, PrintSplitsLinesAndStampsEachOne) {
    host.clock.now = test::LocalTime(2024, 3, 9, 9, 5, 7);
    struct Row {
        const char* text;
        std::vector<std::string> lines;
    };
    const std::vector<Row> rows = {
        {"one\r\ntwo", {"one\r\n", "two\r\n"}},
        {"one\r\n", {"one\r\n"}},
        {"one\r\n\r\ntwo", {"one\r\n", "\r\n", "two\r\n"}},
        {"a\nb\rc", {"a\nb\rc\r\n"}},  // only CR LF separates
        {"", {}},
    };
    for (int stamp : {0, 1}) {
        app.settings.TimeStamp = stamp;
        for (const Row& row : rows) {
            SCOPED_TRACE(Format("TimeStamp=%d text \"%s\"", stamp, row.text));
            ClearPanes();
            app.output.Print(Server(), "", Cls::Info, row.text);
            std::vector<test::Piece> expected;
            for (const std::string& line : row.lines) {
                if (stamp) expected.push_back({"[9:05] ", ColourOf(Cls::Time), false});
                expected.push_back({line, ColourOf(Cls::Info), false});
            }
            std::vector<test::Piece> pieces = Pieces("");
            ASSERT_EQ(pieces.size(), expected.size()) << Transcript();
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                EXPECT_EQ(pieces[i].text, expected[i].text);
                EXPECT_EQ(pieces[i].colour, expected[i].colour);
                EXPECT_FALSE(pieces[i].debug);
            }
        }
    }
}

TEST_F(Output, PrintToAnUnknownNameOpensAPrivateWindow) {
    app.output.Print(nullptr, "~Dump", Cls::Info, "x");
    const ChannelRecord* dump = app.registry.FindCR("~dump", nullptr);
    ASSERT_NE(dump, nullptr);
    EXPECT_EQ(dump->type, kWindowDefault);
    EXPECT_EQ(dump->title, "~dump");
    EXPECT_TRUE(host.surface.Frame(dump->frame)->shown);
    EXPECT_EQ(Shown("~dump"), "x\r\n");
    // The empty name is the status window whatever the socket.
    app.output.Print(nullptr, "", Cls::Info, "s");
    EXPECT_EQ(Shown(""), "s\r\n");
}

TEST_F(Output, PrintFIsBoundedAndReportsInTheStatusWindow) {
    const std::string longText(3000, 'x');
    app.output.PrintF(nullptr, "", Cls::Error, "ERROR: %s", longText.c_str());
    std::string shown = Shown("");
    EXPECT_EQ(shown, "ERROR: " + std::string(1023 - 7, 'x') + "\r\n");
    // A format directive inside an argument is text, not a directive.
    ClearPanes();
    app.output.PrintF(nullptr, "", Cls::Status, "[%s]", "%s%n%x");
    EXPECT_EQ(Shown(""), "[%s%n%x]\r\n");
}

TEST_F(Output, DebugOutputFollowsTheSwitchAndDebugWindow) {
    host.clock.now = test::LocalTime(2024, 3, 9, 14, 5, 7);
    app.output.DebugOut(Cls::Own, ">> NICK me\r\n", true);
    EXPECT_EQ(app.registry.FindCR("~debug", nullptr), nullptr) << "off until Debug On";
    EXPECT_EQ(Shown(""), "");

    app.DebugOn();
    EXPECT_TRUE(host.surface.debugCommands);
    app.output.DebugOut(Cls::Own, ">> NICK me\r\n", true);
    app.output.DebugOut(Cls::Info, "raw \x02text", false);
    const ChannelRecord* debug = app.registry.FindCR("~debug", nullptr);
    ASSERT_NE(debug, nullptr);
    EXPECT_EQ(debug->type, kWindowDefault);
    std::vector<test::Piece> pieces = Pieces("~debug");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, "[14:05:07] >> NICK me\r\n");
    EXPECT_EQ(pieces[0].colour, ColourOf(Cls::Own));
    EXPECT_TRUE(pieces[0].debug);
    EXPECT_EQ(pieces[1].text, "raw \x02text");
    EXPECT_EQ(Shown(""), "");

    app.settings.DebugWindow = 0;
    app.output.DebugOut(Cls::Own, "<< PING x\r\n", false);
    EXPECT_EQ(Shown(""), "<< PING x\r\n");
    EXPECT_TRUE(Pieces("")[0].debug);

    app.DebugOff();
    EXPECT_FALSE(host.surface.debugCommands);
    app.output.DebugOut(Cls::Own, "<< late\r\n", false);
    EXPECT_EQ(Shown(""), "<< PING x\r\n");
}

TEST_F(Output, DebugWindowOffOpensNoDebugWindow) {
    app.settings.DebugWindow = 0;
    app.DebugOn();
    app.output.DebugOut(Cls::Own, "x", false);
    EXPECT_EQ(app.registry.FindCR("~debug", nullptr), nullptr);
    EXPECT_EQ(Shown(""), "x");
}

TEST_F(Output, ButtonsLightForOutputOutsideTheActiveWindow) {
    FrameId chan = Open("#chan", kWindowChannel, true);
    FrameId other = Open("#other", kWindowChannel, false);
    const int chanButton = app.registry.FindByFrame(chan)->buttonnr;
    const int otherButton = app.registry.FindByFrame(other)->buttonnr;

    app.output.Print(Server(), "#chan", Cls::Normal, "seen");
    EXPECT_EQ(host.surface.buttons[chanButton].highlight, 0u);
    app.output.Print(Server(), "#other", Cls::Normal, "unseen");
    EXPECT_EQ(host.surface.buttons[otherButton].highlight, 255u);

    // The active window lights up while it is scrolled back.
    app.registry.UpdateCR(chan, "1", kUpdateBackScroll);
    app.output.Print(Server(), "#chan", Cls::Normal, "held");
    EXPECT_EQ(host.surface.buttons[chanButton].highlight, 255u);
    app.registry.UpdateCR(chan, "0", kUpdateBackScroll);
    EXPECT_EQ(host.surface.buttons[chanButton].highlight, 0u);

    app.registry.SetActiveWindow(other);
    EXPECT_EQ(host.surface.buttons[otherButton].highlight, 0u);
}

TEST_F(Output, TaskbarFlashesOnlyWhenAskedAndMinimised) {
    struct Row {
        int blink;
        bool minimized;
        int flashes;
    };
    for (Row row : {Row{0, false, 0}, Row{0, true, 0}, Row{1, false, 0}, Row{1, true, 2}}) {
        SCOPED_TRACE(Format("TaskbarBlink=%d minimized=%d", row.blink, row.minimized));
        app.settings.TaskbarBlink = row.blink;
        host.surface.minimized = row.minimized;
        host.surface.flashes = 0;
        app.output.Print(nullptr, "", Cls::Status, "a\r\nb");
        EXPECT_EQ(host.surface.flashes, row.flashes);
    }
}

TEST_F(Output, DocumentsRememberTheLastSpeaker) {
    FrameId chan = Open("#chan", kWindowChannel);
    const CZorlDoc* doc = app.registry.DocOf(chan);
    struct Row {
        const char* line;
        const char* speaker;
    };
    app.settings.TimeStamp = 1;  // the stamp is a piece of its own
    for (Row row : {Row{"<bob> hi", "bob"}, Row{"<ME> hi", "bob"}, Row{"* carol waves", "bob"},
                    Row{"<carol> a > b", "carol"}, Row{"<> empty", ""}, Row{"<dave no close", ""},
                    Row{"x <erin> y", ""}}) {
        SCOPED_TRACE(row.line);
        app.output.Print(Server(), "#chan", Cls::Normal, row.line);
        EXPECT_EQ(doc->LastSpeaker(), row.speaker);
    }
}

TEST_F(Output, LinesThatMentionTheUserAreMarked) {
    const FrameId chan = OpenChannel("#chan", {"bob", "me"});
    Open("#other", kWindowChannel, true);  // the user reads another window
    const ChannelRecord& record = *app.registry.FindByFrame(chan);
    const struct {
        const char* what;
        MessageKind kind;
        const char* text;
        bool mention;
    } rows[] = {
        {"nick first", kKindMessage, "me: hi", true},
        {"any letter case, between punctuation", kKindMessage, "hi, ME!", true},
        {"inside formatting codes", kKindMessage, "\x02me\x02 look", true},
        {"after a colour number", kKindMessage,
         "\x03"
         "04me",
         true},
        {"inside longer words", kKindMessage, "meme and me_ and ame", false},
        {"an action", kKindAction, "pokes me", true},
        {"a notice", kKindNotice, "me?", true},
        {"a CTCP carries no conversation", kKindCtcp, "PING me", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ClearPanes();
        app.registry.HighlightButton(record, false);
        host.surface.flashes = 0;
        app.output.ShowIncoming(Server(), "bob", "#chan", row.kind, row.text);
        const std::vector<test::Piece> pieces = Pieces("#chan");
        ASSERT_EQ(pieces.size(), 1u) << Transcript();
        EXPECT_EQ(pieces[0].mention, row.mention);
        EXPECT_EQ(host.surface.buttons[record.buttonnr].highlight,
                  row.mention ? CWindowRegistry::kMention : CWindowRegistry::kHighlight);
        EXPECT_EQ(host.surface.flashes, row.mention ? 1 : 0);
    }
    // Later lines do not take the mention's colour away until it is seen.
    app.output.ShowIncoming(Server(), "bob", "#chan", kKindMessage, "plain");
    EXPECT_EQ(host.surface.buttons[record.buttonnr].highlight, CWindowRegistry::kHighlight);
    app.output.ShowIncoming(Server(), "bob", "#chan", kKindMessage, "me!");
    app.output.ShowIncoming(Server(), "bob", "#chan", kKindMessage, "plain");
    EXPECT_EQ(host.surface.buttons[record.buttonnr].highlight, CWindowRegistry::kMention);
}

TEST_F(Output, RecentSpeakersCompleteFirst) {
    const FrameId chan = OpenChannel("#chan", {"alice", "Albert", "@alfred", "me", "amy"});
    app.output.ShowIncoming(Server(), "alice", "#chan", kKindMessage, "hi");
    app.output.ShowIncoming(Server(), "ALFRED", "#chan", kKindAction, "waves");
    const CZorlDoc* doc = app.registry.DocOf(chan);
    using Nicks = std::vector<std::string>;
    EXPECT_EQ(doc->NickCompletions("al"), (Nicks{"alfred", "alice", "Albert"}));
    EXPECT_EQ(doc->NickCompletions("AM"), (Nicks{"amy"}));
    EXPECT_EQ(doc->NickCompletions("m"), Nicks{});  // never the user
}

TEST_F(Output, TraceNeedsExtConnect) {
    app.output.Trace("-- Resolving");
    EXPECT_EQ(Shown(""), "");
    app.settings.ExtConnect = 1;
    app.output.Trace("-- Resolving");
    ExpectShown("", Cls::Flow, "-- Resolving");
}

}  // namespace
}  // namespace zorl
