// The window shell through the whole engine: closing windows, the button
// bar, activation, the toolbar and the saved placement.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QToolBar>

#include "UiHarness.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "session/IrcSocket.h"
#include "session/Networks.h"
#include "session/ServerConnection.h"
#include "ui/AboutBox.h"
#include "ui/ChannelHeader.h"
#include "ui/NicksView.h"
#include "ui/SendView.h"
#include "ui/ViewStyle.h"
#include "ui/WindowButtonBar.h"
#include "ui/WindowTree.h"
#include "ui/ZorlView.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl::test {
namespace {

using Command = ui::CMainFrame::Command;

class Shell : public ::testing::Test {
protected:
    UiHarness h;

    void SetUp() override { h.Start(); }

    FrameId OpenWindow(const std::string& name, WindowType type) {
        ChannelRecord* record =
            h.app.registry.NewWindow(name, type, h.app.Connection().Socket(), true);
        EXPECT_NE(record, nullptr);
        h.Pump();
        return record ? record->frame : 0;
    }
    bool Closes(FrameId frame) {
        EXPECT_NE(h.Frame(frame), nullptr);
        if (h.Frame(frame)) h.Frame(frame)->close();
        h.Pump();
        return h.Frame(frame) == nullptr && !h.app.registry.IsFrameRegistered(frame);
    }
    QStringList Captions() {
        QStringList captions;
        for (int i = 0; i < ui::CWindowButtonBar::kButtons; ++i)
            if (ui::CWindowButton* button = h.main.Buttons()->Button(i)) captions << button->text();
        return captions;
    }
};

TEST_F(Shell, StatusWindowCannotBeClosed) {
    const FrameId status = h.app.registry.pStatusFrm;
    ASSERT_NE(h.Frame(status), nullptr);
    EXPECT_FALSE(Closes(status));
    EXPECT_TRUE(h.Frame(status)->isVisible());
}

TEST_F(Shell, ChannelWindowClosesAtOnceWhileIdle) {
    const FrameId channel = OpenWindow("#chan", kWindowChannel);
    EXPECT_TRUE(Closes(channel));
    EXPECT_EQ(h.main.Mdi()->subWindowList().size(), 1);  // the status window
}

TEST_F(Shell, ChannelWindowPartsFirstWhileConnected) {
    auto server = h.Connect();
    ASSERT_EQ(h.app.Connection().State(), CONNECTED);
    const FrameId channel = OpenWindow("#chan", kWindowChannel);
    server->sent.clear();

    EXPECT_FALSE(Closes(channel));
    EXPECT_NE(server->sent.find("PART #chan"), std::string::npos) << server->sent;
}

// A channel's header: its topic with the address as a link and markup as
// text, the count of users and ops, and an edited topic sent as TOPIC.
TEST_F(Shell, ChannelHeaderShowsTopicAndCountAndSendsAnEditedTopic) {
    auto server = h.Connect();
    const FrameId channel = OpenWindow("#chan", kWindowChannel);
    CZorlDoc* doc = h.app.registry.DocOf(channel);
    ASSERT_NE(doc, nullptr);
    for (const char* nick : {"@me", "+bob", "carol"}) doc->NickUpdate(kNickAdd, nick, 0);
    h.app.registry.UpdateCR(channel, "\x02see\x02 https://example.org/a <b>", kUpdateTopic);
    h.Pump();
    ui::CChannelHeader* header = h.Frame(channel)->Header();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->Topic()->text(),
              QStringLiteral("see <a href=\"https://example.org/a\">https://example.org/a</a> "
                             "&lt;b&gt;"));
    EXPECT_EQ(header->Count()->text(), QStringLiteral("3 users, 1 op"));

    server->sent.clear();
    header->StartEditing();
    header->Editor()->setText(QStringLiteral("a new topic"));
    Key(header->Editor(), Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_NE(server->sent.find("TOPIC #chan :a new topic"), std::string::npos) << server->sent;
    EXPECT_FALSE(header->Editor()->isVisible());
}

// Assistive technology finds every pane by its name.
TEST_F(Shell, PanesHaveAccessibleNames) {
    ui::CChildFrameBase* frame = h.Frame(OpenWindow("#chan", kWindowChannel));
    for (QWidget* pane : std::initializer_list<QWidget*>{
             frame->Output(), frame->Input(), frame->Nicks(), h.main.Tree(), h.main.Buttons()})
        EXPECT_FALSE(pane->accessibleName().isEmpty()) << pane->metaObject()->className();
}

TEST_F(Shell, MainWindowWaitsForTheServerAfterItsQuitWhileConnected) {
    auto server = h.Connect();
    server->sent.clear();
    h.app.settings.Quit = "bye";
    EXPECT_FALSE(h.main.close());
    EXPECT_TRUE(h.main.isVisible());
    EXPECT_EQ(server->sent, "QUIT :bye\r\n");

    server->Closed();
    h.host.Elapse(100);
    h.Pump();
    EXPECT_FALSE(h.main.isVisible());
}

TEST_F(Shell, QueryAndPrivateWindowsCloseAtOnce) {
    EXPECT_TRUE(Closes(OpenWindow("alice", kWindowQuery)));
    EXPECT_TRUE(Closes(OpenWindow("~debug", kWindowDefault)));
}

TEST_F(Shell, DccWindowClosesItsSocketFirst) {
    std::vector<FrameId> closedSockets;
    h.surface.closeDccSocket = [&](FrameId frame) { closedSockets.push_back(frame); };
    const FrameId chat = OpenWindow("bob", kWindowDccQuery);
    EXPECT_TRUE(Closes(chat));
    EXPECT_EQ(closedSockets, std::vector<FrameId>{chat});
}

TEST_F(Shell, ButtonBarAfterClosingTheMiddleOfThreeWindows) {
    const FrameId first = OpenWindow("alice", kWindowQuery);
    const FrameId middle = OpenWindow("bob", kWindowQuery);
    const FrameId last = OpenWindow("carol", kWindowQuery);
    EXPECT_EQ(Captions(), QStringList({"Status", "alice", "bob", "carol"}));

    ASSERT_TRUE(Closes(middle));
    EXPECT_EQ(Captions(), QStringList({"Status", "alice", "carol"}));
    EXPECT_EQ(h.app.registry.buttoncount, 3);

    // The buttons still lead to their windows, the renumbered one too.
    h.main.Buttons()->Button(1)->click();
    h.Pump();
    EXPECT_EQ(h.app.registry.pLastFrm, first);
    h.main.Buttons()->Button(2)->click();
    h.Pump();
    EXPECT_EQ(h.main.Mdi()->activeSubWindow(), h.Frame(last));
    EXPECT_EQ(h.app.registry.pLastFrm, last);
}

// Windows of two networks: the buttons of each stand together, the tree
// holds each under its network, marks unseen output and leads to the window.
// Without a mouse: Alt+A goes to the next window with news, a call first;
// Ctrl+PageDown and Ctrl+PageUp walk the windows in the tree's order, round.
TEST_F(Shell, KeysWalkTheWindowsAndFindTheNews) {
    const FrameId a = OpenWindow("#a", kWindowChannel);
    const FrameId b = OpenWindow("#b", kWindowChannel);
    const FrameId bob = OpenWindow("bob", kWindowQuery);
    auto press = [&](const QKeySequence& keys) {
        for (QAction* action : h.main.actions())
            if (action->shortcut() == keys) action->trigger();
        h.Pump();
        return h.app.registry.pLastFrm;
    };
    h.app.registry.SetActiveWindow(a);
    h.Pump();
    h.surface.SetWindowMark(b, CWindowRegistry::kHighlight);
    h.surface.SetWindowMark(bob, CWindowRegistry::kMention);
    EXPECT_EQ(press(QKeySequence(Qt::ALT | Qt::Key_A)), bob);
    h.surface.SetWindowMark(bob, 0);
    EXPECT_EQ(press(QKeySequence(Qt::ALT | Qt::Key_A)), b);
    EXPECT_EQ(press(QKeySequence(Qt::CTRL | Qt::Key_PageDown)), bob);
    EXPECT_EQ(press(QKeySequence(Qt::CTRL | Qt::Key_PageDown)), h.app.registry.pStatusFrm);
    EXPECT_EQ(press(QKeySequence(Qt::CTRL | Qt::Key_PageUp)), bob);
}

TEST_F(Shell, TreeAndButtonBarGroupWindowsByNetwork) {
    const FrameId alice = OpenWindow("alice", kWindowQuery);
    h.app.SendString(h.app.registry.pStatusFrm, "/newserver irc.other");
    ASSERT_EQ(h.app.networks.Count(), 2u);
    CIrcSocket* other = h.app.networks.All()[1]->Socket();
    h.app.registry.NewWindow("#x", kWindowChannel, other, true);
    const FrameId bob =
        h.app.registry.NewWindow("bob", kWindowQuery, h.app.networks.First().Socket(), true)->frame;
    h.Pump();

    auto leftOf = [&](const QString& a, const QString& b) {
        ui::CWindowButton *first = nullptr, *second = nullptr;
        for (int i = 0; i < ui::CWindowButtonBar::kButtons; ++i) {
            ui::CWindowButton* button = h.main.Buttons()->Button(i);
            if (button && button->text() == a) first = button;
            if (button && button->text() == b) second = button;
        }
        return first && second && first->y() == second->y() && first->x() < second->x();
    };
    EXPECT_TRUE(leftOf("bob", "#x"));
    EXPECT_TRUE(leftOf("alice", "bob"));

    ui::CWindowTree* tree = h.main.Tree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 3);  // Status, alice, bob
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("irc.other"));
    EXPECT_EQ(tree->topLevelItem(1)->child(1)->text(0), QStringLiteral("#x"));

    h.app.output.Print(h.app.networks.First().Socket(), "alice", Cls::Normal, "<alice> hi\r\n");
    EXPECT_EQ(tree->ItemOf(alice)->foreground(0).color(),
              ui::ToQColor(CWindowRegistry::kHighlight));
    tree->setCurrentItem(tree->ItemOf(alice));
    h.Pump();
    EXPECT_EQ(h.app.registry.pLastFrm, alice);
    EXPECT_NE(h.app.registry.pLastFrm, bob);
}

TEST_F(Shell, ActivatingAWindowMakesItTheLastActiveOne) {
    const FrameId first = OpenWindow("#one", kWindowChannel);
    OpenWindow("#two", kWindowChannel);
    h.main.Mdi()->setActiveSubWindow(h.Frame(first));
    h.Pump();
    EXPECT_EQ(h.app.registry.pLastFrm, first);
}

TEST_F(Shell, WindowOpenedInTheBackgroundLeavesTheActiveOne) {
    const FrameId channel = OpenWindow("#chan", kWindowChannel);
    ChannelRecord* query =
        h.app.registry.NewWindow("alice", kWindowQuery, h.app.Connection().Socket(), false);
    ASSERT_NE(query, nullptr);
    h.Pump();
    const FrameId queryFrame = query->frame;
    EXPECT_TRUE(h.Frame(queryFrame)->isVisible());
    EXPECT_EQ(h.main.Mdi()->activeSubWindow(), h.Frame(channel));
    EXPECT_EQ(h.app.registry.pLastFrm, channel);

    // Brought to the front later, it is ready for typing.
    h.main.activateWindow();
    QApplication::setActiveWindow(&h.main);
    h.app.registry.ActivateButton(h.app.registry.GetCRbyFrm(queryFrame)->buttonnr);
    h.Pump();
    EXPECT_EQ(h.app.registry.pLastFrm, queryFrame);
    EXPECT_EQ(QApplication::focusWidget(), h.Frame(queryFrame)->Input());
}

TEST_F(Shell, ToolbarHoldsEveryButtonInOrder) {
    QStringList texts;
    for (QAction* action : h.main.Toolbar()->actions())
        texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
    EXPECT_EQ(texts, QStringList({"Connect", "Disconnect", "|", "Properties", "Servers", "|",
                                  "Launch Web Page", "|", "Scripts", "Log files", "|", "About", "|",
                                  "Dump Variables", "Debug On", "Debug Off", "Test", "Test2"}));
    EXPECT_EQ(h.main.ToolbarAction(Command::LogFiles)->toolTip(), "Log files");

    auto visible = [&](Command command) { return h.main.ToolbarAction(command)->isVisible(); };
    EXPECT_TRUE(visible(Command::Connect));
    EXPECT_FALSE(visible(Command::Disconnect));
    EXPECT_FALSE(visible(Command::DebugOn));
    EXPECT_FALSE(visible(Command::Test2));

    h.main.ShowMasterButtons(true);
    EXPECT_TRUE(visible(Command::DebugOn));
    EXPECT_TRUE(visible(Command::DumpVariables));
    EXPECT_FALSE(visible(Command::DebugOff));
    h.main.ToolbarAction(Command::DebugOn)->trigger();
    EXPECT_FALSE(visible(Command::DebugOn));
    EXPECT_TRUE(visible(Command::DebugOff));
}

TEST_F(Shell, ConnectAndDisconnectFollowTheConnection) {
    ASSERT_FALSE(h.Connect()->connectHost.empty());
    EXPECT_FALSE(h.main.ToolbarAction(Command::Connect)->isVisible());
    EXPECT_TRUE(h.main.ToolbarAction(Command::Disconnect)->isVisible());
    EXPECT_FALSE(h.main.MenuAction(Command::Connect)->isEnabled());
    EXPECT_TRUE(h.main.MenuAction(Command::Disconnect)->isEnabled());

    h.main.ToolbarAction(Command::Disconnect)->trigger();
    EXPECT_EQ(h.app.Connection().State(), IDLE);
    EXPECT_TRUE(h.main.ToolbarAction(Command::Connect)->isVisible());
    EXPECT_FALSE(h.main.MenuAction(Command::Disconnect)->isEnabled());
}

TEST_F(Shell, PaneSizesFollowTheSettings) {
    ui::CChildFrameBase* frame = h.Frame(OpenWindow("#chan", kWindowChannel));
    frame->resize(600, 400);
    h.Pump();
    auto check = [&](int edit, int nicks) {
        const QWidget* grid = frame->widget();
        EXPECT_EQ(frame->Input()->height(), edit);
        EXPECT_EQ(frame->Input()->width(), grid->width());
        EXPECT_EQ(frame->Nicks()->width(), nicks);
        EXPECT_EQ(frame->Output()->width() + nicks, grid->width());
        const int header = frame->Header()->isVisible() ? frame->Header()->height() : 0;
        EXPECT_EQ(header + frame->Output()->height() + edit, grid->height());
    };
    check(25, 110);
    h.app.settings.EditSize = 40;
    h.app.settings.NicksSize = 150;
    h.surface.UpdateViews(frame->Id(), kHintFont | kHintBackground);  // as the properties do
    check(40, 150);
    h.app.settings.ChannelHeader = 0;  // a folder from before the header
    h.surface.UpdateViews(frame->Id(), kHintFont);
    check(40, 150);
    EXPECT_FALSE(frame->Header()->isVisible());
}

TEST_F(Shell, LaunchWebPageOpensTheSelectedLink) {
    const FrameId channel = OpenWindow("#chan", kWindowChannel);
    h.app.output.Print(h.app.Connection().Socket(), "#chan", Cls::Normal,
                       "see  www.example.org  now");
    h.Pump();
    ui::CZorlView* view = h.Frame(channel)->Output();
    QTextCursor cursor(view->document());
    cursor.setPosition(4);
    cursor.setPosition(4 + 18, QTextCursor::KeepAnchor);  // " www.example.org  "
    view->setTextCursor(cursor);
    h.main.ToolbarAction(Command::LaunchWebPage)->trigger();
    EXPECT_EQ(h.host.shell.opened, std::vector<std::string>{"www.example.org"});
}

TEST_F(Shell, AboutBoxLinkOpensItsTargetAndTurnsVisited) {
    ui::CHyperLink link("home", "https://zorl.example.org/", &h.host.shell, nullptr);
    EXPECT_EQ(link.palette().color(QPalette::WindowText).rgb() & 0xFFFFFF,
              ui::CHyperLink::kLinkColour);
    Click(&link, {2, 2}, QEvent::MouseButtonRelease);
    EXPECT_EQ(h.host.shell.opened, std::vector<std::string>{"https://zorl.example.org/"});
    EXPECT_TRUE(link.Visited());
    EXPECT_EQ(link.palette().color(QPalette::WindowText).rgb() & 0xFFFFFF,
              ui::CHyperLink::kVisitedColour);
}

TEST_F(Shell, PlacementRoundTripsThroughTheIniFile) {
    h.main.setGeometry(120, 80, 700, 500);
    h.main.SavePlacement();
    EXPECT_EQ(h.app.ini.ReadInt("POSITION", "Left", 0), 120);
    EXPECT_EQ(h.app.ini.ReadInt("POSITION", "Right", 0), 820);
    EXPECT_EQ(h.app.ini.ReadInt("POSITION", "ShowCmd", 0), 1);

    ui::CMainFrame next;
    next.Attach(&h.app, nullptr);
    next.RestorePlacement();
    EXPECT_EQ(next.geometry(), QRect(120, 80, 700, 500));
    next.Attach(nullptr, nullptr);

    // A placement at the left edge (Left = 0) is not applied.
    h.app.ini.WriteInt("POSITION", "Left", 0);
    ui::CMainFrame third;
    const QRect before = third.geometry();
    third.Attach(&h.app, nullptr);
    third.RestorePlacement();
    EXPECT_EQ(third.geometry(), before);
    third.Attach(nullptr, nullptr);
}

TEST_F(Shell, ClosingTheMainWindowSavesAndRemovesEveryWindow) {
    OpenWindow("#chan", kWindowChannel);
    h.Frame(h.app.registry.Records().back().frame)->showMaximized();
    h.main.close();
    h.Pump();
    EXPECT_TRUE(h.app.registry.Records().empty());
    EXPECT_TRUE(h.main.Mdi()->subWindowList().isEmpty());
    EXPECT_EQ(h.app.ini.ReadInt("POSITION", "Maximized", -1), 1);
}

// A flood of windows costs widgets only for the few that are seen: windows
// opened in the background beyond a handful wait with their output until
// they are activated, and of windows opened active in one go only the
// first and the last are shown.
TEST_F(Shell, WindowsAreBuiltWhenFirstSeen) {
    using Surface = ui::QtWindowSurface;
    const int atStart = h.surface.BuiltCount();
    std::vector<FrameId> queries;
    for (int i = 0; i < 200; ++i) {
        const std::string name = "q" + std::to_string(i);
        ChannelRecord* record =
            h.app.registry.NewWindow(name, kWindowQuery, h.app.Connection().Socket(), false);
        ASSERT_NE(record, nullptr);
        queries.push_back(record->frame);
        h.app.output.Print(h.app.Connection().Socket(), name, Cls::Normal, "hello " + name);
    }
    h.Pump();
    EXPECT_EQ(h.surface.BuiltCount(), Surface::kEagerBuildLimit);
    EXPECT_EQ(h.main.Mdi()->subWindowList().size(), Surface::kEagerBuildLimit);

    // A window with a button, not built yet, and one without a button.
    const ChannelRecord* buttoned = nullptr;
    for (const ChannelRecord& record : h.app.registry.Records())
        if (record.buttonnr == 40) buttoned = &record;
    ASSERT_NE(buttoned, nullptr);
    const FrameId fortieth = buttoned->frame;
    const QString fortiethText = QString::fromStdString("hello " + buttoned->name);
    EXPECT_EQ(h.surface.BuiltFrame(fortieth), nullptr);
    h.app.registry.ActivateButton(40);
    h.app.platform.surface.Activate(queries.back());
    h.Pump();
    EXPECT_EQ(h.surface.BuiltCount(), Surface::kEagerBuildLimit + 2);
    EXPECT_EQ(h.main.Mdi()->activeSubWindow(), h.surface.BuiltFrame(queries.back()));
    EXPECT_TRUE(h.Frame(queries.back())->Output()->toPlainText().contains("hello q199"));
    EXPECT_TRUE(h.Frame(fortieth)->Output()->toPlainText().contains(fortiethText));

    std::vector<FrameId> channels;
    for (int i = 0; i < 50; ++i)
        channels.push_back(h.app.registry
                               .NewWindow("#c" + std::to_string(i), kWindowChannel,
                                          h.app.Connection().Socket(), true)
                               ->frame);
    h.Pump();
    EXPECT_EQ(h.surface.BuiltCount(), Surface::kEagerBuildLimit + 4);
    EXPECT_EQ(h.main.Mdi()->activeSubWindow(), h.surface.BuiltFrame(channels.back()));

    for (FrameId frame : queries) h.app.registry.DeleteChannel(frame);
    h.Pump();
    EXPECT_EQ(h.surface.BuiltCount(), atStart + 2);  // and the first and the last channel
}

}  // namespace
}  // namespace zorl::test
