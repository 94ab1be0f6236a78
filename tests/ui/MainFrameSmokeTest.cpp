#include <gtest/gtest.h>
#include <QApplication>

#include "UiHarness.h"
#include "ui/MainFrame.h"
#include "ui/TrayIcon.h"
#include "windows/WindowRegistry.h"

namespace {

TEST(MainFrameSmoke, OpensTitledZorlAndCloses) {
    zorl::ui::CMainFrame frame;
    frame.show();
    QApplication::processEvents();
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("ZORL"));
    EXPECT_TRUE(frame.isVisible());
    EXPECT_TRUE(frame.close());
    QApplication::processEvents();
    EXPECT_FALSE(frame.isVisible());
}

}  // namespace

namespace zorl::test {
namespace {

// The tray's dot shows the strongest news of any window: a call outweighs
// the rest, and it goes when the last window with news is seen.
TEST(TrayIconTest, MarkFollowsTheWindowsWithNews) {
    UiHarness h;
    ui::CTrayIcon* tray = h.main.Tray();
    ASSERT_NE(tray, nullptr);
    struct Step {
        FrameId frame;
        Colour colour;
        Colour shown;
    };
    for (const Step& step : {Step{1, CWindowRegistry::kHighlight, CWindowRegistry::kHighlight},
                             Step{2, CWindowRegistry::kMention, CWindowRegistry::kMention},
                             Step{3, CWindowRegistry::kHighlight, CWindowRegistry::kMention},
                             Step{2, 0, CWindowRegistry::kHighlight},
                             Step{1, 0, CWindowRegistry::kHighlight}, Step{3, 0, 0}}) {
        h.surface.SetWindowMark(step.frame, step.colour);
        EXPECT_EQ(tray->Mark(), step.shown) << step.frame;
    }
}

}  // namespace
}  // namespace zorl::test
