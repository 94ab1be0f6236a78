#include <gtest/gtest.h>
#include <QApplication>

#include "ui/MainFrame.h"

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
