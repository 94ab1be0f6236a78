// The output pane as the user sees it: colours, the line limit, back-scroll
// mode and typed characters, through the real surface and widgets.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QWheelEvent>
#include <map>

#include "UiHarness.h"
#include "common/Speakers.h"
#include "config/Settings.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"
#include "ui/FindBar.h"
#include "ui/NicksView.h"
#include "ui/SendView.h"
#include "ui/WindowButtonBar.h"
#include "ui/ZorlView.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl::test {
namespace {

using ui::CZorlView;

struct Shown {
    QString text;
    QColor colour;
    QBrush background;
    bool bold;
    bool italic;
    QString link;
};

std::vector<Shown> Fragments(const CZorlView* view) {
    std::vector<Shown> out;
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat format = f.charFormat();
            out.push_back({f.text(), format.foreground().color(), format.background(),
                           format.fontWeight() == QFont::Bold, format.fontItalic(),
                           format.anchorHref()});
        }
    }
    return out;
}

class OutputView : public ChannelWindowTest {
protected:
    CZorlView* View() { return w.widget->Output(); }
    void Show(const std::string& text, Colour colour = 0) {
        h.surface.AppendPiece(w.frame, text, colour, false);
    }
    QString Text() { return View()->toPlainText(); }
    // The middle of the first occurrence of `text`, in viewport coordinates.
    QPoint PointOf(const QString& text) {
        QTextCursor at = View()->document()->find(text);
        at.setPosition((at.selectionStart() + at.selectionEnd()) / 2);
        return View()->cursorRect(at).center();
    }
};

TEST_F(OutputView, ControlCodesShowAsStyles) {
    h.app.settings.BGColor = 0xFFFFFF;
    h.surface.UpdateViews(w.frame, kHintBackground);
    Show(
        "\x03"
        "04,12alert\x0F plain \x02"
        "bold\x02 \x1d"
        "it\x1d \x16rev\x16 \x03"
        "04"
        "2 apples\r\n",
        0x800000);
    Show("\x1b[31;1mansi\r\n", 0x800000);
    h.Pump();
    EXPECT_EQ(Text(), "alert plain bold it rev 2 apples\nansi\n");
    const QColor red(255, 0, 0);
    const QColor own(0, 0, 128);
    std::map<QString, Shown> f;
    for (const Shown& shown : Fragments(View())) f.emplace(shown.text, shown);
    EXPECT_EQ(f["alert"].colour, red);
    EXPECT_EQ(f["alert"].background.color(), QColor(0, 0, 255));
    EXPECT_EQ(f[" plain "].colour, own);
    EXPECT_EQ(f[" plain "].background.style(), Qt::NoBrush);
    EXPECT_TRUE(f["bold"].bold);
    EXPECT_TRUE(f["it"].italic);
    // Reverse: the pane's background on the text's colour.
    EXPECT_EQ(f["rev"].colour, QColor(255, 255, 255));
    EXPECT_EQ(f["rev"].background.color(), own);
    EXPECT_EQ(f["2 apples"].colour, red);
    EXPECT_EQ(f["ansi"].colour, red);

    // Following a dark desktop, black text sent for a white pane reads on
    // the dark one; white on black stays as sent.
    h.app.settings.FollowDesktop = 1;
    h.app.settings.BGColor = 0x1E1E1E;
    Show(
        "\x03"
        "01black\x03 \x03"
        "00,01white\r\n",
        0xDCDCDC);
    h.Pump();
    f.clear();
    for (const Shown& shown : Fragments(View())) f.emplace(shown.text, shown);
    EXPECT_GE(ContrastRatio(ui::FromQColor(f["black"].colour), 0x1E1E1E), 4.5);
    EXPECT_EQ(f["white"].colour, QColor(255, 255, 255));
}

TEST_F(OutputView, MentionLinesAndLinks) {
    Show("[9:05] ");
    Show("<bob> me: see https://example.org/a_(b).\r\n");
    h.surface.MarkMention(w.frame);
    Show("<bob> plain\r\n");
    h.Pump();
    const QTextDocument* doc = View()->document();
    EXPECT_NE(doc->findBlockByNumber(0).blockFormat().background().style(), Qt::NoBrush);
    EXPECT_EQ(doc->findBlockByNumber(1).blockFormat().background().style(), Qt::NoBrush);
    EXPECT_EQ(doc->findBlockByNumber(2).blockFormat().background().style(), Qt::NoBrush);

    const QString link = QStringLiteral("https://example.org/a_(b)");
    const QPoint at = PointOf(link);
    EXPECT_EQ(View()->anchorAt(at), link);
    Click(View()->viewport(), at);
    Click(View()->viewport(), at, QEvent::MouseButtonRelease);
    EXPECT_EQ(h.host.shell.opened, std::vector<std::string>{"https://example.org/a_(b)"});
    // A click on plain text opens nothing.
    Click(View()->viewport(), PointOf("plain"));
    Click(View()->viewport(), PointOf("plain"), QEvent::MouseButtonRelease);
    EXPECT_EQ(h.host.shell.opened.size(), 1u);
}

// The conversation view: the time, the speaker right-aligned in its column
// in its nick's colour, the text in a column of its own whose wrapped lines
// hang under it; a copy is the lines as the log has them.
TEST_F(OutputView, ConversationColumnsAndHangingIndent) {
    CSettings& settings = h.app.settings;
    settings.ConversationView = 1;
    settings.TimeStamp = 1;
    std::string chatter = "<alice>";
    for (int i = 0; i < 80; ++i) chatter += " word";
    const std::vector<std::string> lines = {"[9:05] ", chatter + "\r\n",
                                            "[9:06] ", "<bo> short\r\n",
                                            "[9:07] ", "*** carol joined\r\n"};
    for (std::size_t i = 0; i < lines.size(); ++i)
        Show(lines[i], i % 2 == 0 ? settings.Color.Time : settings.Color.Normal);
    h.Pump();
    CZorlView* view = View();
    const QTextDocument* doc = view->document();
    auto x = [&](int block, int offset) {
        QTextCursor at(doc->findBlockByNumber(block));
        at.setPosition(at.position() + offset);
        return view->cursorRect(at).left();
    };
    auto offset = [&](int block, const QString& text) {
        return static_cast<int>(doc->findBlockByNumber(block).text().indexOf(text));
    };
    // Speakers end at one edge; the texts, and the text of a line without
    // a speaker, start at one edge after it.
    EXPECT_EQ(x(0, offset(0, " \tword")), x(1, offset(1, " \tshort")));
    const int text = x(0, offset(0, "word"));
    EXPECT_GT(text, x(0, offset(0, "<alice>") + 7));
    EXPECT_EQ(x(1, offset(1, "short")), text);
    EXPECT_EQ(x(2, offset(2, "*** carol")), text);
    // The long line wraps, and its next line starts under the text column.
    const QTextBlock first = doc->findBlockByNumber(0);
    ASSERT_GT(first.layout()->lineCount(), 1);
    QTextCursor secondLine(first);
    secondLine.setPosition(first.position() + first.layout()->lineAt(1).textStart());
    EXPECT_NEAR(view->cursorRect(secondLine).left(), text, 2);
    // Others' nicks take their colour; the rest of the line keeps its class.
    for (const Shown& f : Fragments(view)) {
        if (f.text == "<alice>") {
            EXPECT_EQ(f.colour, ui::ToQColor(NickColour("alice", settings.BGColor)));
        }
        if (f.text.contains("short")) {
            EXPECT_EQ(f.colour, ui::ToQColor(settings.Color.Normal));
        }
    }
    // Find looks through the columns' tabs.
    EXPECT_TRUE(view->Find(QStringLiteral("Alice> WORD"), true));
    EXPECT_EQ(view->SelectedText(), QStringLiteral("alice> word"));
    view->selectAll();
    EXPECT_EQ(view->SelectedText().toStdString(),
              "[9:05] " + chatter + "\n[9:06] <bo> short\n[9:07] *** carol joined\n");
}

TEST_F(OutputView, FindWalksTheMatchesAndBackScrollFollows) {
    for (int i = 0; i < 300; ++i) Show(i == 10 || i == 20 ? "Needle here\r\n" : "line\r\n");
    h.Pump();
    View()->OpenFind();
    ASSERT_TRUE(View()->FindBar()->isVisible());
    EXPECT_TRUE(View()->Find("needle", true));  // the newest match first
    EXPECT_EQ(View()->textCursor().block().blockNumber(), 20);
    EXPECT_FALSE(View()->IsLive());  // far up: held like a user's scroll
    EXPECT_TRUE(View()->Find("needle", true));
    EXPECT_EQ(View()->textCursor().block().blockNumber(), 10);
    EXPECT_TRUE(View()->Find("needle", true));  // wraps around
    EXPECT_EQ(View()->textCursor().block().blockNumber(), 20);
    EXPECT_TRUE(View()->Find("NEEDLE", false));
    EXPECT_EQ(View()->textCursor().block().blockNumber(), 10);
    EXPECT_FALSE(View()->Find("absent", true));

    Show("new line\r\n");  // held back while the match is shown
    h.Pump();
    EXPECT_FALSE(Text().contains("new line"));
    View()->CloseFind();
    EXPECT_FALSE(View()->FindBar()->isVisible());
    EXPECT_TRUE(View()->extraSelections().isEmpty());
    View()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_TRUE(View()->IsLive());
    EXPECT_TRUE(Text().endsWith("new line\n"));
}

TEST_F(OutputView, DebugPieceShowsItsControlCharacters) {
    h.surface.AppendPiece(w.frame,
                          "<< \x02x\x03"
                          "4y\r\n",
                          0, true);
    h.Pump();
    EXPECT_EQ(Text(), QString::fromLatin1("<< \x02x\x03"
                                          "4y\n"));
}

TEST_F(OutputView, UnicodeAndWindows1252MixInOneLine) {
    Show(
        "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E | "
        "caf\xE9 \x93q\x94 \x80\r\n");
    Show("\x02\xC3\xA9t\xC3\xA9\r\n");
    h.Pump();
    EXPECT_EQ(Text(), QStringLiteral(u"caf\u00E9 \u65E5\u672C\u8A9E | "
                                     u"caf\u00E9 \u201Cq\u201D \u20AC\n\u00E9t\u00E9\n"));
}

TEST_F(OutputView, LineLimitKeepsTheLastLines) {
    h.app.settings.MaxLines = 3;
    h.surface.UpdateViews(w.frame, kHintLineLimit);
    // One pass per line and all in one pass end the same.
    for (const char* line : {"one\r\n", "two\r\n", "three\r\n", "four\r\n"}) {
        Show(line);
        h.Pump();
    }
    EXPECT_EQ(Text(), "two\nthree\nfour\n");

    UiHarness::Window other = h.Open("#other", kWindowChannel);
    for (const char* line : {"one\r\n", "two\r\n", "three\r\n", "four\r\n"})
        h.surface.AppendPiece(other.frame, line, 0, false);
    h.Pump();
    EXPECT_EQ(other.widget->Output()->toPlainText(), "two\nthree\nfour\n");
}

TEST_F(OutputView, FloodInOnePassShowsTheNewestLines) {
    h.app.settings.MaxLines = 1000;
    h.surface.UpdateViews(w.frame, kHintLineLimit);
    for (int i = 0; i < 5000; ++i) Show("<nick> line " + std::to_string(i) + "\r\n");
    EXPECT_LE(View()->Queue().Size(), 1001u);  // the rest never reaches the pane
    h.Pump();
    const QTextDocument* doc = View()->document();
    ASSERT_EQ(doc->blockCount(), 1001);
    EXPECT_EQ(doc->firstBlock().text(), "<nick> line 4000");
    EXPECT_EQ(doc->lastBlock().previous().text(), "<nick> line 4999");
    // Following the end.
    QScrollBar* bar = View()->verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(OutputView, ScrolledBackHoldsNewTextAndReleasesItInOrder) {
    h.app.settings.BGColor = 0xFFFFFF;
    h.app.settings.BGColor2 = 0xE0E0FF;
    h.surface.UpdateViews(w.frame, kHintBackground);
    for (int i = 0; i < 300; ++i) Show("line " + std::to_string(i) + "\r\n");
    h.Pump();
    QScrollBar* bar = View()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 2);

    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_FALSE(View()->IsLive());
    EXPECT_EQ(View()->palette().color(QPalette::Base), ui::ToQColor(0xE0E0FF));
    Show("held 1\r\n");
    Show("held 2\r\n");
    h.Pump();
    EXPECT_FALSE(Text().contains("held"));
    EXPECT_EQ(bar->value(), 0);  // the reader is not disturbed

    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_TRUE(View()->IsLive());
    EXPECT_TRUE(Text().endsWith("line 299\nheld 1\nheld 2\n"));
    EXPECT_EQ(View()->palette().color(QPalette::Base), ui::ToQColor(0xFFFFFF));
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(OutputView, OneLineAboveTheEndIsStillLive) {
    for (int i = 0; i < 300; ++i) Show("line\r\n");
    h.Pump();
    View()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_TRUE(View()->IsLive());
    View()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_FALSE(View()->IsLive());
}

TEST_F(OutputView, WheelAndKeysEnterBackScrollMode) {
    for (int i = 0; i < 300; ++i) Show("line\r\n");
    h.Pump();
    QWheelEvent wheel(QPointF(10, 10), View()->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, 5 * 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(View()->viewport(), &wheel);
    EXPECT_FALSE(View()->IsLive());
    Key(View(), Qt::Key_End);
    EXPECT_TRUE(View()->IsLive());
    Key(View(), Qt::Key_PageUp);
    EXPECT_FALSE(View()->IsLive());
}

TEST_F(OutputView, TypedCharactersGoToTheInputLine) {
    Key(View(), Qt::Key_H, Qt::NoModifier, "h");
    Key(View(), Qt::Key_I, Qt::NoModifier, "i");
    Key(View(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(w.widget->Input()->Line(), QString::fromLatin1("hi\x02"));
    EXPECT_EQ(Text(), "");
}

TEST_F(OutputView, HintsApplyFontAndBackground) {
    h.app.settings.FontName = "DejaVu Sans Mono";
    h.app.settings.FontSize = 14;
    h.app.settings.BGColor = 0x000000;
    h.surface.UpdateViews(w.frame, kHintFont | kHintBackground);
    EXPECT_EQ(View()->font().family(), "DejaVu Sans Mono");
    EXPECT_EQ(View()->font().pointSize(), 14);
    EXPECT_EQ(View()->palette().color(QPalette::Base), QColor(0, 0, 0));
    EXPECT_EQ(w.widget->Input()->font().pointSize(), 14);
    EXPECT_EQ(w.widget->Nicks()->palette().color(QPalette::Base), QColor(0, 0, 0));
}

// Through the whole engine: output to a scrolled-back window lights its
// button; returning to the end shows the text and clears the light.
TEST(OutputViewEngine, ReturnToTheEndClearsTheButtonHighlight) {
    UiHarness h;
    h.Start();
    ChannelRecord* record =
        h.app.registry.NewWindow("#chan", kWindowChannel, h.app.Connection().Socket(), true);
    ASSERT_NE(record, nullptr);
    const FrameId frame = record->frame;
    const int button = record->buttonnr;
    for (int i = 0; i < 300; ++i)
        h.app.output.Print(h.app.Connection().Socket(), "#chan", Cls::Normal, "line");
    h.Pump();
    CZorlView* view = h.Frame(frame)->Output();

    view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_TRUE(h.app.registry.GetCRbyFrm(frame)->BackScroll);
    h.app.output.Print(h.app.Connection().Socket(), "#chan", Cls::Normal, "while away");
    h.Pump();
    ui::CWindowButton* light = h.main.Buttons()->Button(button);
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->Highlight(), 255u);
    EXPECT_FALSE(view->toPlainText().contains("while away"));

    view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_FALSE(h.app.registry.GetCRbyFrm(frame)->BackScroll);
    EXPECT_EQ(light->Highlight(), 0u);
    EXPECT_TRUE(view->toPlainText().endsWith("line\nwhile away\n"));
}

}  // namespace
}  // namespace zorl::test
