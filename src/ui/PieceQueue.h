// Pieces waiting for an output pane: the batch of one pass of the event loop
// while the pane follows new text, the held-back text while it is scrolled
// back. Both end the same way, so one queue serves both.
//
// The pane keeps at most `limit` lines: before each piece is added, lines
// are deleted at the top while the pane has more than `limit` (the last,
// unfinished line counts). Adding a whole queue at once must leave exactly
// what adding its pieces one by one would, without ever inserting a line
// that would be deleted in the same breath. Plan() works that out from the
// line counts alone; Push() drops pieces from the front as soon as they can
// no longer reach the pane, so a flood or a long read-back costs memory for
// `limit` lines, not for everything that arrived.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/TextRuns.h"

namespace zorl::ui {

struct QueuedPiece {
    std::vector<TextRun> runs;
    int breaks = 0;        // '\n' in the runs (and in `plain`)
    bool mention = false;  // its line mentions the user
    // Most pieces have no formatting code: they skip the runs and keep their
    // text here, every line break a single '\n', all of it in `colour`.
    std::string plain;
    Colour colour = 0;  // of `plain`; for runs, the colour of their class
    // Plain one-line pieces in a row of one colour are kept as one: `breaks`
    // whole lines, each ending in its break, each trimmed for as if it came
    // on its own. An idle window's thousand lines then cost little more
    // than their text.
    bool packed = false;
};

// `text` as the pane will add it: plain text without runs when it has no
// formatting code or web address (most lines), in `storage`'s buffer.
QueuedPiece MakePiece(std::string_view text, Colour colour, bool debug, const ColourTables& tables,
                      std::string storage);

struct FlushPlan {
    bool clearPane = false;     // the pane's present text all goes
    long long removeLines = 0;  // else: lines to delete at the top of the pane
    long long skipBreaks = 0;   // the queued text starts after this many line breaks
};

class PieceQueue {
public:
    // Lines in one packed piece at most; its buffer is fitted when full.
    static constexpr int kPackLines = 32;

    void Push(QueuedPiece piece, int limit);
    // `paneLines`: lines in the pane now (at least 1: an empty pane has one).
    FlushPlan Plan(long long paneLines, int limit) const;
    void Clear();

    bool Empty() const { return pieces_.empty(); }
    std::size_t Size() const { return pieces_.size(); }
    long long Breaks() const { return breaks_; }
    // Pieces were dropped whose text would have pushed the pane's present
    // text out: the pane is cleared when the queue is added.
    bool ClearsPane() const { return clears_pane_; }
    const std::deque<QueuedPiece>& Pieces() const { return pieces_; }
    // The last piece pushed, if it is still queued (taken out of its pack).
    void MarkLastMention();

    static int EffectiveLimit(int limit) { return limit < 1 ? 1 : limit; }

    // An empty text whose storage a dropped piece left behind: a flood fills
    // the queue's pieces without allocating for each.
    std::string SpareText();

private:
    // Appends `piece` to the last one when both are plain single lines of
    // one colour that call nobody; true when it did.
    bool Packed(QueuedPiece& piece);
    void Recycle(QueuedPiece& piece);

    std::deque<QueuedPiece> pieces_;
    std::vector<std::string> spare_texts_;
    long long breaks_ = 0;
    bool clears_pane_ = false;
};

}  // namespace zorl::ui
