// The history search window on a real database: found as typed, the lines
// around the chosen one, and the chosen line found in its open window.
#include <QTextEdit>
#include <QTreeWidget>

#include "session/ServerConnection.h"
#include "ui/HistorySearch.h"
#include "ui/UiHarness.h"
#include "ui/ZorlView.h"
#include "windows/LastingHistory.h"
#include "windows/WindowServices.h"

namespace zorl::test {
namespace {

TEST(HistorySearchTest, FindsWordsShowsTheirContextAndTheirWindow) {
    UiHarness h;
    std::string notice;
    ASSERT_TRUE(h.host.history.Open((h.cwd.Path() / "history.db").string(), notice)) << notice;
    h.app.settings.History = 1;
    const std::string network = h.app.NetworkOf(h.app.Connection().Socket()).name;
    for (int i = 0; i < 30; ++i) {
        HistoryLine line;
        line.network = network;
        line.window = "#chan";
        line.time = 1700000000 + i;
        line.sender = i == 12 ? "carol" : "bob";
        line.text = "<" + line.sender + "> line " + std::to_string(i) +
                    (i == 12 ? " with a \x02rare\x02 word" : "");
        h.host.history.Add(line);
    }
    const ChannelRecord* chan =
        h.app.registry.NewWindow("#chan", kWindowChannel, h.app.Connection().Socket(), true);
    ASSERT_NE(chan, nullptr);
    const FrameId frame = chan->frame;

    h.main.ShowHistorySearch(QStringLiteral("rar"));
    ui::CHistorySearch* search = h.main.HistorySearch();
    ASSERT_NE(search, nullptr);
    ASSERT_EQ(search->Results()->topLevelItemCount(), 1);
    EXPECT_EQ(search->Results()->topLevelItem(0)->text(4),
              QStringLiteral("<carol> line 12 with a rare word"));
    const QString context = search->Context()->toPlainText();
    for (const char* shown : {"line 2\n", "line 11", "line 13", "line 22"})
        EXPECT_TRUE(context.contains(QLatin1String(shown))) << shown;
    for (const char* hidden : {"line 1\n", "line 23"})
        EXPECT_FALSE(context.contains(QLatin1String(hidden))) << hidden;

    h.main.ShowHistorySearch(QStringLiteral("line"));
    EXPECT_EQ(search->Results()->topLevelItemCount(), 30);
    h.main.ShowHistorySearch(QStringLiteral("rare"));
    Key(search->Results(), Qt::Key_Return);
    h.Pump();
    ui::CChildFrameBase* window = h.Frame(frame);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(h.surface.ActiveFrame(), window);
    EXPECT_EQ(window->Output()->SelectedText(), QStringLiteral("<carol> line 12 with a rare word"));
}

}  // namespace
}  // namespace zorl::test
