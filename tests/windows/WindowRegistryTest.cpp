// The window registry: lookups, captions, field updates, the button bar and
// the removal of windows, against the recording window surface.
#include <gtest/gtest.h>

#include "common/Format.h"
#include "config/Settings.h"
#include "script/Timers.h"
#include "session/IrcSocket.h"
#include "support/AppFixture.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl {
namespace {

using test::AppFixture;

class WindowRegistry : public AppFixture {
protected:
    CWindowRegistry& reg() { return app.registry; }
    std::string Caption(FrameId frame) {
        test::RecordedFrame* f = host.surface.Frame(frame);
        return f ? f->caption : "<no frame>";
    }
    std::string ButtonCaption(int n) {
        return host.surface.buttons[n].exists ? host.surface.buttons[n].caption : "<none>";
    }
    int ButtonOf(FrameId frame) {
        const ChannelRecord* record = reg().FindByFrame(frame);
        return record ? record->buttonnr : -99;
    }
};

TEST_F(WindowRegistry, LookupsIgnoreCaseButNotTheSocket) {
    FrameId chan = Open("#Chan", kWindowChannel);
    CIrcSocket other(app.SocketHost());

    ASSERT_NE(reg().FindCR("#CHAN", Server()), nullptr);
    EXPECT_EQ(reg().FindCR("#chan", Server())->frame, chan);
    EXPECT_EQ(reg().FindCR("#chan", Server())->name, "#chan");
    EXPECT_EQ(reg().FindCR("#chan", Server())->title, "#Chan");
    EXPECT_EQ(reg().FindCR("#chan", Server())->logfile, "#chan");
    EXPECT_EQ(reg().FindCR("#chan", &other), nullptr);
    EXPECT_EQ(reg().FindCR("#chan", nullptr), nullptr);
    EXPECT_EQ(reg().CRExists("#cHAN", Server()), 1);
    EXPECT_EQ(reg().CRExists("#chan2", Server()), 0);
    EXPECT_EQ(reg().GetFrmByNameSocket("#CHAN", Server()), chan);
    EXPECT_EQ(reg().GetDocByNameSocket("#chan", Server()), reg().DocOf(chan));
    EXPECT_EQ(reg().GetNameByFrm(chan), "#chan");
    EXPECT_EQ(reg().GetCRbyFrm(chan)->frame, chan);
    EXPECT_EQ(reg().IsFrameRegistered(chan), 1);
    EXPECT_EQ(reg().IsFrameRegistered(0), 0);

    // The status window is the empty name on the server connection.
    EXPECT_EQ(reg().GetFrmByNameSocket("", Server()), reg().pStatusFrm);
    EXPECT_EQ(Caption(reg().pStatusFrm), "Status");
    EXPECT_TRUE(Shown("").empty()) << Transcript();
}

TEST_F(WindowRegistry, DocumentsKnowTheirWindow) {
    FrameId chan = Open("#Chan", kWindowChannel);
    CZorlDoc* doc = reg().DocOf(chan);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Frame(), chan);
    EXPECT_EQ(doc->Type(), kWindowChannel);
    EXPECT_EQ(doc->Name(), "#Chan");
    EXPECT_EQ(host.surface.Frame(chan)->doc, doc);
    EXPECT_EQ(host.surface.Frame(chan)->type, kWindowChannel);
}

TEST_F(WindowRegistry, FailedLookupsReportWithTheFrameOrSocketIdentity) {
    const std::string error = "ERROR: ";
    EXPECT_EQ(reg().GetCRbyFrm(0x999), nullptr);
    EXPECT_EQ(reg().GetNameByFrm(0x999), "");
    EXPECT_EQ(reg().GetDocByNameSocket("#none", Server()), nullptr);
    reg().UpdateCR(0x999, "x", kUpdateTopic);
    reg().UpdateWindowTitle(0x999);
    reg().DeleteChannel(0x999);
    const Colour red = ColourOf(Cls::Error);
    const std::string socket = HexId(Server()->Id());
    ExpectShown("", red, "ERROR: GetCRbyFrm: Frm not found (00000999)");
    ExpectShown("", red, "ERROR: GetNameByFrm: Frm not found (00000999)");
    ExpectShown("", red, "ERROR: GetDocByNameSocket (CR) returns NULL (#none, " + socket + ")");
    ExpectShown("", red, "ERROR: UpdateCR: Frm not found (00000999)");
    ExpectShown("", red, "ERROR: UpdateWindowTitle: Frm not found (00000999)");
    ExpectShown("", red, "ERROR: DeleteChannel: Frm not found (00000999)");

    // The silent ones stay silent.
    ClearPanes();
    EXPECT_EQ(reg().FindCR("#none", Server()), nullptr);
    EXPECT_EQ(reg().GetChannelDoc("#none"), nullptr);
    EXPECT_EQ(reg().FindCRBySocket(Server()), nullptr);
    reg().SetActiveWindow(0x999);
    EXPECT_EQ(Shown(""), "");
}

TEST_F(WindowRegistry, NewWindowReturnsTheWindowOfTheSameNameAndSocket) {
    FrameId first = Open("#Chan", kWindowChannel);
    std::size_t frames = host.surface.frames.size();
    FrameId again = Open("#CHAN", kWindowChannel);
    EXPECT_EQ(again, first);
    EXPECT_EQ(host.surface.frames.size(), frames);
    EXPECT_EQ(reg().buttoncount, 2);

    CIrcSocket other(app.SocketHost());
    const ChannelRecord* second = reg().NewWindow("#chan", kWindowChannel, &other, false);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second->frame, first);
    EXPECT_EQ(reg().Records().size(), 3u);
    // GetChannelDoc is "whatever the connection": the last one.
    EXPECT_EQ(reg().GetChannelDoc("#CHAN"), reg().DocOf(second->frame));
}

TEST_F(WindowRegistry, ShowFlagDecidesActivationAndMaximisation) {
    FrameId quiet = Open("bob", kWindowQuery, false);
    EXPECT_FALSE(host.surface.Frame(quiet)->shown);
    EXPECT_NE(reg().pLastFrm, quiet);

    FrameId shown = Open("carol", kWindowQuery, true);
    EXPECT_TRUE(host.surface.Frame(shown)->shown);
    EXPECT_FALSE(host.surface.Frame(shown)->maximized);
    EXPECT_EQ(reg().pLastFrm, shown);

    // Once any window is maximised, new shown windows open maximised.
    host.surface.Frame(shown)->maximized = true;
    FrameId next = Open("dave", kWindowQuery, true);
    EXPECT_TRUE(host.surface.Frame(next)->maximized);
    FrameId hidden = Open("erin", kWindowQuery, false);
    EXPECT_FALSE(host.surface.Frame(hidden)->maximized);
}

TEST_F(WindowRegistry, FindCRBySocketOnlyForDccSockets) {
    struct Case {
        SocketType socketType;
        bool found;
    };
    for (Case c :
         {Case{kSocketNone, false}, Case{kSocketNormal, false}, Case{kSocketDccChat, true},
          Case{kSocketDccSendIn, true}, Case{kSocketDccSendOut, true}, Case{kSocketIdent, false}}) {
        SCOPED_TRACE(SocketTypeName(c.socketType));
        CIrcSocket socket(app.SocketHost());
        socket.type = c.socketType;
        const ChannelRecord* record = reg().NewWindow("peer", kWindowDccQuery, &socket, false);
        ASSERT_NE(record, nullptr);
        FrameId frame = record->frame;
        const ChannelRecord* found = reg().FindCRBySocket(&socket);
        EXPECT_EQ(found != nullptr, c.found);
        if (found) {
            EXPECT_EQ(found->frame, frame);
        }
        reg().DeleteChannel(frame);
    }
}

TEST_F(WindowRegistry, CaptionsByTypeAndState) {
    app.settings.m_user_mynick = "joe";
    app.settings.m_server_name = "irc.example";
    FrameId status = reg().pStatusFrm;
    struct StatusCase {
        ConnectionState state;
        const char* caption;
    };
    for (StatusCase c :
         {StatusCase{IDLE, "Status"}, StatusCase{STARTING, "Status: joe"},
          StatusCase{CONNECTING, "Status: joe"},
          StatusCase{CONNECTED, "Status: joe on irc.example"},
          StatusCase{static_cast<ConnectionState>(7), "Status: joe on irc.example"}}) {
        SCOPED_TRACE(c.state);
        app.Connection().ForceStateForTest(c.state, app.Connection().Registered());
        reg().UpdateWindowTitle(status);
        EXPECT_EQ(Caption(status), c.caption);  // an unknown state leaves it as it was
    }

    FrameId chan = Open("#x", kWindowChannel);
    EXPECT_EQ(Caption(chan), "#x");
    reg().UpdateCR(chan, "hi", kUpdateTopic);
    EXPECT_EQ(Caption(chan), "#x: hi");
    reg().UpdateCR(chan, "+nt", kUpdateFlags);
    EXPECT_EQ(Caption(chan), "#x [+nt] : hi");
    reg().UpdateCR(chan, "", kUpdateTopic);
    EXPECT_EQ(Caption(chan), "#x [+nt] ");

    for (WindowType type : {kWindowQuery, kWindowDccQuery}) {
        SCOPED_TRACE(WindowTypeName(type));
        FrameId query = Open(type == kWindowQuery ? "bob" : "bobdcc", type);
        reg().UpdateCR(query, "b@host", kUpdateSender);
        EXPECT_EQ(Caption(query),
                  (type == kWindowQuery ? "bob" : "bobdcc") + std::string(" (b@host)"));
    }
    for (WindowType type : {kWindowDefault, kWindowDccSend}) {
        SCOPED_TRACE(WindowTypeName(type));
        FrameId plain = Open(type == kWindowDefault ? "~dump" : "file.zip", type);
        reg().UpdateCR(plain, "x", kUpdateSender);
        reg().UpdateCR(plain, "y", kUpdateTopic);
        reg().UpdateCR(plain, "z", kUpdateFlags);
        EXPECT_EQ(Caption(plain), type == kWindowDefault ? "~dump" : "file.zip");
    }
}

TEST_F(WindowRegistry, UpdateCRFieldCodes) {
    FrameId query = Open("Bob", kWindowQuery);
    const int button = ButtonOf(query);

    // 1: a query follows its peer's new nick: name, title, caption, button.
    reg().UpdateCR(query, "Robert", kUpdateName);
    EXPECT_EQ(reg().FindCR("bob", Server()), nullptr);
    ASSERT_NE(reg().FindCR("robert", Server()), nullptr);
    EXPECT_EQ(reg().FindCR("robert", Server())->title, "Robert");
    EXPECT_EQ(Caption(query), "Robert");
    EXPECT_EQ(ButtonCaption(button), "Robert");
    EXPECT_EQ(reg().DocOf(query)->Name(), "Robert");
    // The log name is the one given at creation.
    EXPECT_EQ(reg().FindCR("robert", Server())->logfile, "bob");

    // 2: title only.
    reg().UpdateCR(query, "Rob", kUpdateTitle);
    EXPECT_EQ(reg().FindCR("robert", Server())->title, "Rob");
    EXPECT_EQ(ButtonCaption(button), "Rob");

    reg().UpdateCR(query, "Bob-Log", kUpdateLogfile);
    EXPECT_EQ(reg().FindCR("robert", Server())->logfile, "Bob-Log");

    // 9: only exactly "1" means joined.
    for (auto [value, joined] :
         {std::pair{"1", true}, {"yes", false}, {"1 ", false}, {"", false}}) {
        SCOPED_TRACE(value);
        reg().UpdateCR(query, value, kUpdateJoined);
        EXPECT_EQ(reg().FindByFrame(query)->joined, joined);
    }

    // 7, 8 and unknown codes change nothing.
    ChannelRecord before = *reg().FindByFrame(query);
    for (int code : {0, 7, 8, 11, -1}) reg().UpdateCR(query, "junk", static_cast<UpdateCode>(code));
    const ChannelRecord& after = *reg().FindByFrame(query);
    EXPECT_EQ(after.name, before.name);
    EXPECT_EQ(after.title, before.title);
    EXPECT_EQ(after.sender, before.sender);
    EXPECT_EQ(after.topic, before.topic);
    EXPECT_EQ(after.flags, before.flags);
    EXPECT_EQ(after.logfile, before.logfile);
}

TEST_F(WindowRegistry, BackScrollAndActivationDriveTheHighlight) {
    FrameId chan = Open("#c", kWindowChannel);
    const int button = ButtonOf(chan);
    reg().HighlightButton(*reg().FindByFrame(chan), true);
    EXPECT_EQ(host.surface.buttons[button].highlight, 255u);

    reg().UpdateCR(chan, "1", kUpdateBackScroll);
    EXPECT_TRUE(reg().FindByFrame(chan)->BackScroll);
    EXPECT_EQ(host.surface.buttons[button].highlight, 255u);
    // Activation while scrolled back keeps the highlight.
    reg().SetActiveWindow(chan);
    EXPECT_EQ(reg().pLastFrm, chan);
    EXPECT_EQ(host.surface.buttons[button].highlight, 255u);

    reg().UpdateCR(chan, "0", kUpdateBackScroll);
    EXPECT_FALSE(reg().FindByFrame(chan)->BackScroll);
    EXPECT_EQ(host.surface.buttons[button].highlight, 0u);

    reg().HighlightButton(*reg().FindByFrame(chan), true);
    reg().SetActiveWindow(chan);
    EXPECT_EQ(host.surface.buttons[button].highlight, 0u);

    // A caption change does not put the light out.
    reg().HighlightButton(*reg().FindByFrame(chan), true);
    reg().UpdateCR(chan, "#C", kUpdateTitle);
    EXPECT_EQ(host.surface.buttons[button].highlight, 255u);
}

TEST_F(WindowRegistry, ClosingTheMiddleOfThreeRenumbersTheButtons) {
    FrameId a = Open("#a", kWindowChannel);
    FrameId b = Open("#b", kWindowChannel);
    FrameId c = Open("#c", kWindowChannel);
    ASSERT_EQ(reg().buttoncount, 4);  // the status window has button 0
    reg().HighlightButton(*reg().FindByFrame(c), true);

    reg().DeleteChannel(b);

    EXPECT_EQ(reg().buttoncount, 3);
    EXPECT_EQ(ButtonCaption(0), "Status");
    EXPECT_EQ(ButtonCaption(1), "#a");
    EXPECT_EQ(ButtonCaption(2), "#c");
    EXPECT_EQ(ButtonCaption(3), "<none>");
    EXPECT_EQ(ButtonOf(a), 1);
    EXPECT_EQ(ButtonOf(c), 2);
    EXPECT_EQ(host.surface.buttons[2].highlight, 255u) << "the moved button keeps its light";
    EXPECT_EQ(host.surface.buttons[1].highlight, 0u);
    EXPECT_TRUE(host.surface.frames[b].destroyed);
    EXPECT_EQ(reg().DocOf(b), nullptr);
    EXPECT_EQ(reg().IsFrameRegistered(b), 0);

    reg().ActivateButton(2);
    EXPECT_EQ(host.surface.Frame(c)->activations, 1);
    reg().ActivateButton(3);  // no such button: nothing
    reg().ActivateButton(-1);
    reg().ActivateButton(50);
    EXPECT_EQ(host.surface.Frame(a)->activations, 0);
}

TEST_F(WindowRegistry, TheFiftyFirstWindowWaitsForAButton) {
    std::vector<FrameId> frames;
    for (int i = 1; i < CWindowRegistry::kMaxButtons; ++i)
        frames.push_back(Open(Format("#%d", i), kWindowChannel));
    ASSERT_EQ(reg().buttoncount, 50);
    FrameId extra = Open("#extra", kWindowChannel);
    FrameId extra2 = Open("#extra2", kWindowChannel);
    EXPECT_NE(extra, 0u);
    EXPECT_EQ(ButtonOf(extra), CWindowRegistry::kNoButton);
    EXPECT_EQ(ButtonOf(extra2), CWindowRegistry::kNoButton);
    EXPECT_EQ(reg().buttoncount, 50);
    // Output to it works; highlighting a window without a button is harmless.
    app.output.Print(Server(), "#extra", Cls::Normal, "hi");
    EXPECT_EQ(Shown("#extra"), "hi\r\n");

    // Closing a window with a button hands one to the first waiting window.
    reg().DeleteChannel(frames[10]);
    EXPECT_EQ(reg().buttoncount, 50);
    EXPECT_EQ(ButtonOf(extra), 49);
    EXPECT_EQ(ButtonCaption(49), "#extra");
    EXPECT_EQ(ButtonOf(extra2), CWindowRegistry::kNoButton);
    reg().ActivateButton(49);
    EXPECT_EQ(host.surface.Frame(extra)->activations, 1);

    // Closing a window without a button leaves the bar alone.
    reg().DeleteChannel(extra2);
    EXPECT_EQ(reg().buttoncount, 50);
    EXPECT_EQ(ButtonOf(extra), 49);

    // Every record's number stays below the count, in registry order.
    int expected = 0;
    for (const ChannelRecord& record : reg().Records()) EXPECT_EQ(record.buttonnr, expected++);
}

TEST_F(WindowRegistry, DeleteChannelStopsTheTimersOfItsWindowOnly) {
    FrameId chan = Open("#c", kWindowChannel);
    FrameId other = Open("#d", kWindowChannel);
    app.timers.StartTimer(1, 10, 0, chan, "/say hi", true);
    app.timers.StartTimer(2, 10, 0, other, "/say idle", true);
    const bool timersWork = app.timers.Running(1);
    reg().DeleteChannel(chan);
    EXPECT_FALSE(app.timers.Running(CTimers::kScript));
    if (timersWork) {
        EXPECT_TRUE(app.timers.Running(2));
    }
}

TEST_F(WindowRegistry, FailuresWhileDeletingAreReportedAndTheRecordGoes) {
    FrameId chan = Open("#c", kWindowChannel);
    host.surface.failDestroy = true;
    reg().DeleteChannel(chan);
    host.surface.failDestroy = false;
    ExpectShown("", Cls::Error, "ERROR: (DeleteFrame) Cant destroy frame(" + HexId(chan) + ")");
    EXPECT_EQ(reg().IsFrameRegistered(chan), 0);
    EXPECT_EQ(reg().buttoncount, 1);
}

TEST_F(WindowRegistry, ActiveWindowIsForgottenWhenItCloses) {
    FrameId chan = Open("#c", kWindowChannel, true);
    ASSERT_EQ(reg().pLastFrm, chan);
    reg().DeleteChannel(chan);
    EXPECT_EQ(reg().pLastFrm, 0u);
}

TEST_F(WindowRegistry, CloseAllWindowsEmptiesTheRegistry) {
    Open("#a", kWindowChannel);
    Open("bob", kWindowQuery);
    app.timers.StartTimer(CTimers::kScript, 10, 0, reg().pStatusFrm, "/x", true);
    app.CloseAllWindows();
    EXPECT_TRUE(reg().Records().empty());
    EXPECT_EQ(reg().buttoncount, 0);
    EXPECT_FALSE(app.timers.Running(CTimers::kScript));
    for (const auto& [id, frame] : host.surface.frames) EXPECT_TRUE(frame.destroyed) << HexId(id);
    for (const auto& button : host.surface.buttons) EXPECT_FALSE(button.exists);
    EXPECT_TRUE(host.dialogs.boxes.empty());
}

TEST_F(WindowRegistry, RebuildButtonsKeepsCaptionsPlacesAndLights) {
    FrameId a = Open("#a", kWindowChannel);
    reg().HighlightButton(*reg().FindByFrame(a), true);
    host.surface.buttons[1] = {};  // as if the bar had been laid out anew
    reg().RebuildButtons();
    EXPECT_EQ(ButtonCaption(0), "Status");
    EXPECT_EQ(ButtonCaption(1), "#a");
    EXPECT_EQ(host.surface.buttons[1].highlight, 255u);
}

}  // namespace
}  // namespace zorl
