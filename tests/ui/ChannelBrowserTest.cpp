// The channel browser: filtering and sorting while a large list arrives, and
// Enter joining the channel of the row. The lists dialog: what removing and
// adding masks asks the engine to send.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>

#include "UiHarness.h"
#include "ui/ChannelBrowser.h"
#include "ui/ChannelLists.h"

namespace zorl::test {
namespace {

TEST(ChannelBrowserTest, FiltersFiftyThousandRowsWhileTheyArrive) {
    QStringList joined;
    ui::CChannelBrowser browser(
        QStringLiteral("testnet"), [&](const QString& channel) { joined << channel; }, nullptr);
    browser.show();
    browser.Start();
    // Every tenth channel talks of rust; channel n has n % 500 users.
    auto add = [&](int from, int to) {
        for (int n = from; n < to; ++n)
            browser.Add({QStringLiteral("#c%1").arg(n), n % 500,
                         n % 10 == 0 ? QStringLiteral("all about Rust") : QStringLiteral("chat")});
    };
    add(0, 25000);
    browser.Flush();
    browser.FilterEdit()->setText(QStringLiteral("rust"));
    EXPECT_EQ(browser.Shown(), 2500);
    add(25000, 50000);  // the filter holds for rows that come later
    browser.End();
    QApplication::processEvents();  // the last rows go in after the read
    EXPECT_EQ(browser.Received(), 50000);
    EXPECT_EQ(browser.Shown(), 5000);
    browser.LeastUsers()->setValue(495);  // n % 10 == 0 and n % 500 >= 495: none
    EXPECT_EQ(browser.Shown(), 0);
    browser.LeastUsers()->setValue(490);  // n % 500 == 490
    EXPECT_EQ(browser.Shown(), 100);

    // Sorted by users, most first; Enter joins the row in hand.
    browser.FilterEdit()->setText(QStringLiteral("#c1234"));
    browser.LeastUsers()->setValue(0);
    ASSERT_EQ(browser.Shown(), 11);                              // #c1234 and #c12340 .. #c12349
    EXPECT_EQ(browser.ChannelAt(0), QStringLiteral("#c12349"));  // 349 users
    browser.Table()->setCurrentIndex(browser.Table()->model()->index(0, 0));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(browser.Table(), &enter);
    EXPECT_EQ(joined, QStringList{"#c12349"});
}

TEST(ChannelListsTest, RemovingAndAddingMasksAskForTheirChanges) {
    QStringList changes;
    int refreshes = 0;
    ui::CChannelListsDialog dialog(
        QStringLiteral("#a"), QStringLiteral("beI"),
        [&](char mode, bool add, const QStringList& masks) {
            changes << QString(QChar::fromLatin1(mode)) + (add ? "+ " : "- ") + masks.join(u' ');
        },
        [&] { ++refreshes; }, nullptr);
    for (const char* mask : {"a!*@*", "b!*@*", "c!*@*", "d!*@*"})
        dialog.Add('b', QString::fromLatin1(mask), QStringLiteral("op"), 1700000000);
    QTableWidget* bans = dialog.Table('b');
    ASSERT_EQ(bans->rowCount(), 4);
    EXPECT_FALSE(bans->item(0, 2)->text().isEmpty());  // when it was set
    for (int row : {0, 1, 3})
        bans->selectionModel()->select(bans->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    dialog.RemoveSelected();
    EXPECT_EQ(bans->rowCount(), 1);
    EXPECT_EQ(bans->item(0, 0)->text(), QStringLiteral("c!*@*"));

    dialog.Tabs()->setCurrentWidget(dialog.Table('e'));
    dialog.NewMask()->setText(QStringLiteral(" friend!*@* "));
    dialog.AddNew();
    EXPECT_EQ(changes, (QStringList{"b- a!*@* b!*@* d!*@*", "e+ friend!*@*"}));
    EXPECT_EQ(refreshes, 1);  // the server tells who set it: asked again
    EXPECT_EQ(bans->rowCount(), 0);
}

}  // namespace
}  // namespace zorl::test
