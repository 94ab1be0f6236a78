// The nick list pane over the document's nick table.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "UiHarness.h"
#include "config/Settings.h"
#include "session/Accounts.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"
#include "ui/NicksView.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::test {
namespace {

using ui::CNicksView;

// A registered channel window: the nick commands find it by its frame.
class NickList : public ::testing::Test {
protected:
    UiHarness h;
    FrameId frame =
        h.app.registry.NewWindow("#chan", kWindowChannel, h.app.Connection().Socket(), true)->frame;
    CZorlDoc* doc = h.app.registry.DocOf(frame);
    CNicksView* Nicks() { return h.Frame(frame)->Nicks(); }
    QStringList Shown() {
        QStringList rows;
        for (int r = 0; r < Nicks()->Model().rowCount(); ++r)
            rows << Nicks()->Model().index(r).data().toString();
        return rows;
    }
    void Select(const QString& shown) {
        const int row = static_cast<int>(Shown().indexOf(shown));
        ASSERT_GE(row, 0) << shown.toStdString();
        Nicks()->setCurrentIndex(Nicks()->Model().index(row));
    }
};

TEST_F(NickList, SortedWithPrefixes) {
    for (const char* nick : {"dave", "@bob", "+carol", "Alice", "@+eve", "@Zed"})
        doc->NickUpdate(kNickAdd, nick, 0);
    h.Pump();
    EXPECT_EQ(Shown(), QStringList({"@bob", "@eve", "@Zed", "+carol", "Alice", "dave"}));

    doc->NickUpdate(kNickClear, "eve", kNickOp);  // operator and voiced: "+" shows now
    doc->NickUpdate(kNickClear, "bob", kNickOp);
    h.Pump();
    EXPECT_EQ(Shown(), QStringList({"@Zed", "+carol", "+eve", "Alice", "bob", "dave"}));

    // The ranks a server's PREFIX adds, above and between the two.
    doc->NickUpdate(kNickAdd, "fay", kNickHalfop);
    doc->NickUpdate(kNickAdd, "gus", kNickOwner | kNickOp);
    doc->NickUpdate(kNickAdd, "hal", kNickAdmin);
    h.Pump();
    EXPECT_EQ(Shown(), QStringList({"~gus", "&hal", "@Zed", "%fay", "+carol", "+eve", "Alice",
                                    "bob", "dave"}));

    // Away is no rank: the nick keeps its place, greyed.
    doc->NickUpdate(kNickSet, "dave", kNickAway);
    h.Pump();
    const QModelIndex dave = Nicks()->Model().index(static_cast<int>(Shown().indexOf("dave")));
    EXPECT_TRUE(dave.data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(Nicks()->Model().index(0).data(Qt::ForegroundRole).isValid());

    // A nick known to be logged in tells its real name and account when
    // pointed at.
    h.app.Connection().Accounts().Set("dave", "dave_acct");
    h.app.Connection().Accounts().SetRealName("dave", "Dave D");
    EXPECT_EQ(dave.data(Qt::ToolTipRole).toString(),
              QStringLiteral("Dave D\ndave is logged in as dave_acct"));
    EXPECT_FALSE(Nicks()->Model().index(0).data(Qt::ToolTipRole).isValid());
}

TEST_F(NickList, TenThousandChangesRefreshOnce) {
    int resets = 0;
    QObject::connect(&Nicks()->Model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    for (int i = 0; i < 10000; ++i)
        doc->NickUpdate(kNickAdd, (i % 10 == 0 ? "@n" : "n") + std::to_string(i), 0);
    h.Pump();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(Nicks()->Model().rowCount(), 10000);
    EXPECT_EQ(Shown().front(), "@n0");
}

TEST_F(NickList, SelectionSurvivesOthersJoining) {
    doc->NickUpdate(kNickAdd, "bob", 0);
    h.Pump();
    Select("bob");
    doc->NickUpdate(kNickAdd, "@alice", 0);
    h.Pump();
    EXPECT_EQ(Nicks()->SelectedNick(), "bob");
}

TEST_F(NickList, DoubleClickRunsTheNickCommandWithoutPrefix) {
    h.app.settings.NickCommand = "/query $nick";
    Nicks()->RunNickCommand();  // nothing selected: nothing happens
    EXPECT_TRUE(doc->History().empty());

    doc->NickUpdate(kNickAdd, "@bob", 0);
    h.Pump();
    Select("@bob");
    const QRect cell = Nicks()->visualRect(Nicks()->Model().index(0));
    Click(Nicks()->viewport(), cell.center(), QEvent::MouseButtonDblClick);
    ASSERT_EQ(doc->History().size(), 1u);
    EXPECT_EQ(doc->History()[0], "/query bob");
}

TEST_F(NickList, CommandSeesTheChannel) {
    h.app.settings.NickCommand = "/mode $channel +o $nick";
    doc->NickUpdate(kNickAdd, "+carol", 0);
    h.Pump();
    Select("+carol");
    Nicks()->RunNickCommand();
    ASSERT_EQ(doc->History().size(), 1u);
    EXPECT_EQ(doc->History()[0], "/mode #chan +o carol");
}

// A file dropped on a nick is offered to it, its name taken as it is; a
// folder, or a drop beside the nicks, offers nothing.
TEST_F(NickList, FileDroppedOnANickIsOfferedToIt) {
    doc->NickUpdate(kNickAdd, "@bob", 0);
    h.Pump();
    TempDir files("zorl-drop");
    files.WriteFile("a $me.txt", "abc");
    QMimeData mime;
    mime.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString((files.Path() / "a $me.txt").string())),
         QUrl::fromLocalFile(QString::fromStdString(files.Path().string()))});
    auto drop = [&](QPoint at) {
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Nicks()->viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Nicks()->viewport(), &move);
        QDropEvent event(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Nicks()->viewport(), &event);
    };
    drop(Nicks()->visualRect(Nicks()->Model().index(0)).center() + QPoint(0, 200));
    EXPECT_EQ(h.app.registry.FindCR("bob", nullptr), nullptr);
    drop(Nicks()->visualRect(Nicks()->Model().index(0)).center());
    std::vector<std::string> offered;
    for (const ChannelRecord& record : h.app.registry.Records())
        if (record.type == kWindowDccSend)
            offered.push_back(record.name + " " + record.socket->file_path);
    EXPECT_EQ(offered, std::vector<std::string>{"bob " + (files.Path() / "a $me.txt").string()});
}

}  // namespace
}  // namespace zorl::test
