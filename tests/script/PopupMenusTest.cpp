// Menus of popups.ini: what a section builds and what a chosen item sends.
#include <gtest/gtest.h>

#include "script/PopupMenus.h"
#include "script/ScriptFixture.h"

namespace zorl {
namespace {

class PopupMenusTest : public test::ScriptFixture {
protected:
    void WritePopups(const std::string& text) { dir.WriteFile("popups.ini", text); }
    // Chooses entry `entry` of the menu in the window (for `nick` in a nick
    // list) and returns what went out.
    std::string Choose(const PopupMenu& menu, int entry, FrameId frame,
                       const std::string& nick = "") {
        TakeSent();
        if (nick.empty())
            RunPopupEntry(app.scriptContext, frame, menu, entry);
        else
            RunNickPopupEntry(app.scriptContext, frame, menu, entry, nick);
        return TakeSent();
    }
};

TEST_F(PopupMenusTest, SeparatorsSubmenusAndDroppedEntries) {
    WritePopups(
        "[Nicks]\nn0=Whois : /WHOIS $nick\nn1=.Early : /X\nn2=-\nn3=Title :\n"
        "n4=>Modes\nn5=.Op : /MODE $channel +o $nick\nn6=.Deop : /MODE $channel -o $nick\n");
    const PopupMenu menu = BuildPopupMenu(app.ini, kNicksMenu);
    using Kind = PopupItem::Kind;
    ASSERT_EQ(menu.items.size(), 3u);
    EXPECT_EQ(menu.items[0].kind, Kind::Command);
    EXPECT_EQ(menu.items[0].caption, "Whois ");
    EXPECT_EQ(menu.items[1].kind, Kind::Separator);
    EXPECT_EQ(menu.items[2].kind, Kind::Submenu);
    EXPECT_EQ(menu.items[2].caption, "Modes");
    ASSERT_EQ(menu.items[2].items.size(), 2u);
    EXPECT_EQ(menu.items[2].items[0].caption, "Op ");
    EXPECT_EQ(menu.items[2].items[0].entry, 5);

    Online();
    EXPECT_EQ(Choose(menu, 5, chan_, "joe"), "mode #chan +o joe\r\n");
    EXPECT_EQ(Choose(menu, 0, chan_, "joe"), "whois joe\r\n");
}

// Each window type expands what it knows; the rest stays as typed.
TEST_F(PopupMenusTest, ItemsExpandAgainstTheirWindow) {
    WritePopups(
        "[Status]\nn0=Who:/whois $channel $nick\n[Channel]\nn0=Who:/whois $channel $nick\n"
        "[Query]\nn0=Who:/whois $channel $nick\n");
    Online();
    const struct {
        const char* window;
        const char* sent;
    } rows[] = {
        {"", "whois $channel $nick\r\n"},
        {"#chan", "whois #chan $nick\r\n"},
        {"joe", "whois $channel joe\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.window);
        const FrameId frame = FrameOf(row.window);
        const char* section = PopupSection(app.registry.FindByFrame(frame)->type);
        EXPECT_EQ(Choose(BuildPopupMenu(app.ini, section), 0, frame), row.sent);
    }
    EXPECT_EQ(PopupSection(kWindowDccSend), nullptr);
}

TEST_F(PopupMenusTest, EntriesPastThe299thShowButDoNotRun) {
    std::string text = "[Channel]\n";
    for (int n = 0; n < 300; ++n)
        text += "n" + std::to_string(n) + "=Item:/whois e" + std::to_string(n) + "\n";
    WritePopups(text);
    Online();
    const PopupMenu menu = BuildPopupMenu(app.ini, "Channel");
    EXPECT_EQ(menu.items.size(), 300u);
    EXPECT_EQ(Choose(menu, 298, chan_), "whois e298\r\n");
    EXPECT_EQ(Choose(menu, 299, chan_), "");
}

}  // namespace
}  // namespace zorl
