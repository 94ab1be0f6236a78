// The input line: Enter, the history keys, the formatting keys and the
// colour palette.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include "UiHarness.h"
#include "session/ServerConnection.h"
#include "ui/SendView.h"
#include "ui/Spelling.h"
#include "ui/ZorlView.h"

namespace zorl::test {
namespace {

using ui::CSendView;

class InputLine : public ChannelWindowTest {
protected:
    CSendView* Input() { return w.widget->Input(); }
    void Enter(const QString& text) {
        Input()->setPlainText(text);
        Key(Input(), Qt::Key_Return, Qt::NoModifier, "\r");
    }
    QString Shown() { return Input()->Line(); }
};

TEST_F(InputLine, TwelveLinesKeepTheLastEleven) {
    for (int i = 1; i <= 12; ++i) Enter(QStringLiteral("line %1").arg(i));
    const auto& history = w.doc->History();
    ASSERT_EQ(history.size(), 11u);
    EXPECT_EQ(history.front(), "line 2");
    EXPECT_EQ(history.back(), "line 12");
    EXPECT_EQ(w.doc->HistoryPosition(), 11u);
    EXPECT_EQ(Shown(), "");
}

TEST_F(InputLine, UpAndDownWalkTheHistory) {
    Input()->setPlainText("draft");
    Key(Input(), Qt::Key_Up);
    EXPECT_EQ(Shown(), "draft");  // empty history: unchanged

    Enter("first");
    Enter("second");
    struct Step {
        int key;
        const char* shown;
    };
    const Step steps[] = {
        {Qt::Key_Up, "second"},   {Qt::Key_Up, "first"}, {Qt::Key_Up, "first"},
        {Qt::Key_Down, "second"}, {Qt::Key_Down, ""},    {Qt::Key_Up, "second"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.shown);
        Key(Input(), step.key);
        EXPECT_EQ(Shown(), step.shown);
        EXPECT_EQ(Input()->textCursor().position(), Shown().size());  // caret at the end
    }
    // A held-down key repeats nothing.
    Key(Input(), Qt::Key_Up, Qt::NoModifier, QString(), true);
    EXPECT_EQ(Shown(), "second");
}

TEST_F(InputLine, EmptyLineExecutesNothing) {
    Enter("");
    EXPECT_TRUE(w.doc->History().empty());
}

TEST_F(InputLine, PastedLinesAreExecutedOneByOne) {
    Enter("one\ntwo\r\n\nthree");
    const std::vector<std::string> expected{"one", "two", "three"};
    EXPECT_EQ(w.doc->History(), expected);
}

// With the guard on, a paste of several lines asks first; its answer sends
// them, sends them as one line or drops them. Without it they wait in the
// input line as before.
TEST(PasteGuard, SeveralPastedLinesAreAskedAbout) {
    UiHarness h;
    const ChannelRecord* record =
        h.app.registry.NewWindow("#chan", kWindowChannel, h.app.Connection().Socket(), true);
    ASSERT_NE(record, nullptr);
    const FrameId frame = record->frame;
    CZorlDoc* doc = h.app.registry.DocOf(frame);
    CSendView* input = h.Frame(frame)->Input();
    struct Row {
        int guard;
        PasteAnswer answer;
        const char* pasted;
        std::vector<std::string> sent;
        const char* left;  // in the input line
    };
    const Row rows[] = {
        {1, PasteAnswer::Send, "a\nb\r\n\nc", {"a", "b", "c"}, ""},
        {1, PasteAnswer::SendAsOneLine, "a\nb\nc", {"a b c"}, ""},
        {1, PasteAnswer::Cancel, "a\nb", {}, ""},
        {1, PasteAnswer::Cancel, "one line", {}, "one line"},
        {0, PasteAnswer::Send, "a\nb", {}, "a\nb"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pasted);
        h.app.settings.PasteGuard = row.guard;
        h.host.dialogs.pasteAnswers = {row.answer};
        h.host.dialogs.pasteQuestions.clear();
        const std::size_t before = doc->History().size();
        input->clear();
        QGuiApplication::clipboard()->setText(QString::fromUtf8(row.pasted));
        Key(input, Qt::Key_V, Qt::ControlModifier);
        const std::vector<std::string> sent(doc->History().begin() + static_cast<long>(before),
                                            doc->History().end());
        EXPECT_EQ(sent, row.sent);
        EXPECT_EQ(input->toPlainText(), QString::fromUtf8(row.left));
        EXPECT_EQ(h.host.dialogs.pasteQuestions.size(),
                  row.guard && std::string(row.pasted).find('\n') != std::string::npos ? 1u : 0u);
    }
    h.app.settings.PasteGuard = 1;
    h.host.dialogs.pasteQuestions.clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8"));
    Key(input, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(h.host.dialogs.pasteQuestions.size(), 1u);
    EXPECT_EQ(h.host.dialogs.pasteQuestions[0],
              "Send 8 lines to #chan?\nThe flood queue will take about 6 seconds to send them.");
}

TEST_F(InputLine, TypedTextGoesToTheEngineAsUtf8) {
    Enter(QStringLiteral("gr\u00FC\u00DF"));
    ASSERT_EQ(w.doc->History().size(), 1u);
    EXPECT_EQ(w.doc->History()[0], "gr\xC3\xBC\xC3\x9F");
}

TEST_F(InputLine, FormattingKeysInsertTheirCodes) {
    Input()->setPlainText("abXc");
    QTextCursor cursor = Input()->textCursor();
    cursor.setPosition(2);
    cursor.setPosition(3, QTextCursor::KeepAnchor);  // "X" selected
    Input()->setTextCursor(cursor);
    Key(Input(), Qt::Key_B, Qt::ControlModifier);
    Key(Input(), Qt::Key_U, Qt::ControlModifier);
    Key(Input(), Qt::Key_R, Qt::ControlModifier);
    Key(Input(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(Shown(), QString::fromLatin1("ab\x02\x1f\x16\x0f"
                                           "c"));
    // Held as control pictures, which few fonts draw: each is painted as a
    // solid mark, not left as an empty box.
    EXPECT_EQ(Input()->toPlainText(), QStringLiteral(u"ab\u2402\u241f\u2416\u240fc"));
    const QImage shot = Input()->viewport()->grab().toImage();
    QTextCursor at = Input()->textCursor();
    at.setPosition(2);
    const QRect before = Input()->cursorRect(at);
    at.setPosition(3);
    const QRect cell(before.topLeft(), QPoint(Input()->cursorRect(at).left() - 1, before.bottom()));
    const QColor ink = Input()->palette().color(QPalette::Text);
    int inked = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) inked += shot.pixelColor(x, y) == ink;
    EXPECT_GT(inked * 3, cell.width() * cell.height());  // a box outline is far less
}

// Ctrl+K opens the palette; the third cell of the second row is colour 10.
TEST_F(InputLine, PaletteCellGivesItsColourNumber) {
    Input()->setPlainText("x");
    Input()->moveCursor(QTextCursor::End);
    QTimer::singleShot(0, [] {
        QWidget* palette = QApplication::activeModalWidget();
        ASSERT_NE(palette, nullptr);
        Click(palette, ui::CColourPalette::CellCentre(10));
    });
    Key(Input(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(Shown(), QString::fromLatin1("x\x03"
                                           "10"));
    EXPECT_EQ(ui::CColourPalette::CellAt({5 + 2 * 16 + 1, 21 + 1}), 10);
    EXPECT_EQ(ui::CColourPalette::CellAt({4, 5}), -1);

    // Closed without a pick: the colour code stays alone.
    QTimer::singleShot(0, [] {
        if (QWidget* palette = QApplication::activeModalWidget()) palette->close();
    });
    Key(Input(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(Shown(), QString::fromLatin1("x\x03"
                                           "10\x03"));
}

TEST_F(InputLine, TabCompletesAndCyclesThroughNicks) {
    h.app.settings.m_user_mynick = "me";
    for (const char* nick : {"@alice", "Albert", "bob", "me", "alfred"})
        w.doc->NickUpdate(kNickAdd, nick, 0);
    w.doc->AppendString("<alfred> hi\r\n", 0, false);  // recent speakers come first
    const struct {
        const char* typed;  // before the first Tab; null: Tab again
        const char* shown;
    } steps[] = {
        {"al", "alfred: "},
        {nullptr, "Albert: "},
        {nullptr, "alice: "},
        {nullptr, "alfred: "},
        {"hi BO", "hi bob "},
        {nullptr, "hi bob "},
        {"hi x", "hi x"},
        {"\x02"
         "al",
         "\x02"
         "alfred "},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.shown);
        if (step.typed) {
            Input()->clear();
            QGuiApplication::clipboard()->setText(QString::fromLatin1(step.typed));
            Input()->paste();  // a pasted code becomes a mark too
        }
        Key(Input(), Qt::Key_Tab);
        EXPECT_EQ(Shown(), QString::fromLatin1(step.shown));
        EXPECT_EQ(Input()->textCursor().position(), Input()->toPlainText().size());
    }
}

TEST_F(InputLine, PageUpScrollsTheOutputPane) {
    for (int i = 0; i < 300; ++i) h.surface.AppendPiece(w.frame, "line\r\n", 0, false);
    h.Pump();
    ui::CZorlView* output = w.widget->Output();
    const int end = output->verticalScrollBar()->value();
    Key(Input(), Qt::Key_PageUp);
    EXPECT_LT(output->verticalScrollBar()->value(), end);
    EXPECT_FALSE(output->IsLive());
}

}  // namespace
}  // namespace zorl::test

namespace zorl::test {
namespace {

// With the en_US dictionary: what is underlined, what is never looked at,
// and the menu's suggestions and "Add to dictionary".
TEST_F(InputLine, SpellingUnderlinesMisspeltWordsButNotNicksOrAddresses) {
    if (ui::CSpelling::Choose(QStringLiteral("en_US")) != QStringLiteral("en_US"))
        GTEST_SKIP() << "no en_US dictionary (Debian: hunspell-en-us)";
    w.doc->NickUpdate(kNickAdd, "Wrold", 0);
    h.app.settings.SpellCheck = 1;
    h.app.settings.SpellLanguage = "en_US";
    Input()->ApplyHints(kHintFont);
    Input()->setPlainText(
        QStringLiteral("/me thinks teh wrold: don't x2y #chanel http://exmple.com, helo!"));
    auto underlined = [&] {
        QStringList words;
        const QTextBlock block = Input()->document()->firstBlock();
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                words << block.text().mid(range.start, range.length);
        return words;
    };
    EXPECT_EQ(underlined(), (QStringList{"teh", "helo"}));
    EXPECT_TRUE(ui::TheSpelling().Suggestions(QStringLiteral("helo")).contains("hello"));

    ui::TheSpelling().Add(QStringLiteral("teh"));
    Input()->ApplyHints(kHintFont);
    EXPECT_EQ(underlined(), (QStringList{"helo"}));
    EXPECT_TRUE(QFile(QStringLiteral("dictionary.txt")).exists());  // kept for the next start

    h.app.settings.SpellCheck = 0;
    Input()->ApplyHints(kHintFont);
    EXPECT_EQ(underlined(), QStringList{});
}

}  // namespace
}  // namespace zorl::test
