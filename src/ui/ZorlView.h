// The output pane of a window: read-only coloured text, at most MaxLines
// lines, and back-scroll mode.
//
// Pieces are queued as they arrive and added in one batch per pass of the
// event loop (the surface calls Flush). While the user reads older text the
// pane is "scrolled back": nothing is added, the background takes BGColor2,
// and the queue waits. Returning to the end adds the queue in order.
//
// Lines that mention the user have a tinted background; web addresses are
// underlined and open on a click.
//
// With the conversation view (ConversationView) each line is laid out in
// columns by tab stops: the time, the speaker right-aligned and coloured
// after its nick, then the text, whose wrapped lines hang under the text
// column. The tabs are the pane's own: copied text is the line as the log
// has it. Ctrl+F searches the pane: a match far up
// puts the pane in back-scroll mode as if the user had scrolled there, and
// returning to the end leaves it, so new text never pulls the view away
// from a match and never stays held back behind a closed search.
#pragma once

#include <QPlainTextEdit>
#include <QTextCharFormat>
#include <string>
#include <string_view>
#include <unordered_map>

#include "ui/PieceQueue.h"
#include "ui/ViewStyle.h"

namespace zorl::ui {

class CSendView;
class CFindBar;
class CHangingLayout;

class CZorlView : public QPlainTextEdit {
    Q_OBJECT
public:
    CZorlView(FrameContext& context, QWidget* parent);

    // Parses the piece now and queues it; the surface flushes.
    void Enqueue(std::string_view text, Colour colour, bool debug);
    // Pieces that arrived before the pane existed, queued after any present.
    void Adopt(PieceQueue&& pieces);
    // The piece enqueued last belongs to a line that mentions the user.
    void MarkMention();
    // Adds the queue to the pane unless scrolled back. True when text was added.
    bool Flush();
    void ApplyHints(int hints);

    bool IsLive() const { return live_; }
    int LineLimit() const { return limit_; }
    const PieceQueue& Queue() const { return queue_; }
    void SetInputLine(CSendView* input) { input_ = input; }

    // Page Up / Page Down typed in the input line.
    void ScrollPage(bool up);
    // Back-scroll detection; runs after user scrolls and key releases.
    void CheckBackScroll();
    // The selection as the user sees it, line breaks as '\n'.
    QString SelectedText() const;

    // The scroll bar in the terms the "Test" command prints.
    struct ScrollNumbers {
        int pos, limit, max, page;
    };
    ScrollNumbers Scroll() const;

    // Find: shows the bar with the focus in it; Find selects the next match
    // (any letter case) in older or newer lines, wrapping around, and
    // returns false when there is none; CloseFind hides the bar.
    void OpenFind();
    bool Find(const QString& text, bool older);
    void CloseFind();
    // Text in a colour of `changes` takes the new one; mention tints follow
    // the new background.
    void Recolour(const std::vector<std::pair<Colour, Colour>>& changes, Colour oldBackground,
                  Colour newBackground);
    // Tells assistive technology of the text from `position` to the end.
    void AnnounceFrom(int position);
    CFindBar* FindBar() const { return find_bar_; }

protected:
    // The nick files dropped here go to: a query's peer; "" elsewhere.
    std::string DropNick() const;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // The window type's menu of popups.ini, read anew at every click.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Files dropped on a query window are offered to its nick.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // What a copy or a drag of the selection carries: SelectedText().
    QMimeData* createMimeDataFromSelection() const override;

private:
    const QTextCharFormat& FormatFor(const RunStyle& style);
    RunStyle Readable(RunStyle style, Colour classColour) const;
    bool Columns() const;
    // The columns' tab stops and the hanging indent of wrapped lines, from
    // the pane's font; none without the columns.
    void PlaceColumns(bool columns);
    void ScrollToEnd();
    void SetBackground(Colour colour);
    void OpenLink(const QString& href);

    FrameContext& context_;
    CHangingLayout* layout_;
    CSendView* input_ = nullptr;
    PieceQueue queue_;
    int limit_ = 1000;
    bool live_ = true;
    std::unordered_map<uint64_t, QTextCharFormat> formats_;
    CFindBar* find_bar_ = nullptr;
    bool find_from_end_ = true;  // no match selected yet
    QString pressed_link_;
};

}  // namespace zorl::ui
