#include <gtest/gtest.h>
#include <QApplication>
#include <QTextBlock>
#include <QTextDocument>

#include "UiHarness.h"
#include "common/Speakers.h"
#include "config/Settings.h"
#include "ui/ChildFrames.h"
#include "ui/MainFrame.h"
#include "ui/TrayIcon.h"
#include "ui/ViewStyle.h"
#include "ui/WindowTree.h"
#include "ui/ZorlView.h"
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

// A desktop that turns dark gives the panes the dark scheme, and back; the
// text already shown takes the scheme's colours too.
TEST(DesktopColoursTest, PanesFollowTheApplicationPalette) {
    UiHarness h;
    h.app.settings.FollowDesktop = 1;
    UiHarness::Window w = h.Open("#chan", kWindowChannel);
    h.surface.AppendPiece(w.frame, "shown before\r\n", h.app.settings.Color.Normal, false);
    h.Pump();
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Window, QColor(32, 32, 32));
    dark.setColor(QPalette::Base, QColor(32, 32, 32));
    QApplication::setPalette(dark);
    h.Pump();
    const Colour darkBackground = h.app.settings.BGColor;
    // A mention's red mark in the tree reads on the dark tree.
    h.surface.PlaceWindow(w.frame, 1, "net", "#chan");
    h.surface.SetWindowMark(w.frame, 255);
    const QTreeWidgetItem* item = h.main.Tree()->ItemOf(w.frame);
    ASSERT_NE(item, nullptr);
    EXPECT_GE(ContrastRatio(ui::FromQColor(item->foreground(0).color()), 0x202020), 4.5);
    const QTextFragment shown = w.widget->Output()->document()->begin().begin().fragment();
    EXPECT_EQ(shown.text(), QStringLiteral("shown before"));
    EXPECT_EQ(shown.charFormat().foreground().color(), ui::ToQColor(h.app.settings.Color.Normal));
    EXPECT_GT(ui::ToQColor(h.app.settings.Color.Normal).lightness(), 128);
    QApplication::setPalette(light);
    h.Pump();
    EXPECT_LT(ui::ToQColor(darkBackground).lightness(), 64);
    EXPECT_EQ(h.app.settings.BGColor, 0xFFFFFFu);
}

}  // namespace
}  // namespace zorl::test
