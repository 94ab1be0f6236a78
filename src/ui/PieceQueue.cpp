#include "ui/PieceQueue.h"

namespace zorl::ui {

QueuedPiece MakePiece(std::string_view text, Colour colour, bool debug, const ColourTables& tables,
                      std::string storage) {
    QueuedPiece piece;
    if (debug || IsPlainPiece(text)) {
        // What ParsePiece would make of it, without the runs.
        piece.plain = std::move(storage);
        piece.breaks = AppendNormalisedBreaks(piece.plain, text);
        piece.colour = colour;
        return piece;
    }
    piece.runs = ParsePiece(text, colour, debug, tables);
    piece.colour = colour;  // the class's, which runs without a code keep
    for (const TextRun& run : piece.runs)
        for (std::size_t at = run.text.find('\n'); at != std::string::npos;
             at = run.text.find('\n', at + 1))
            ++piece.breaks;
    return piece;
}

// Once the pieces before the last one carry `limit` line breaks, the pane
// holds exactly limit + (breaks of the last piece) lines after the last
// piece, all of them from the queue: whatever came before those pieces is
// gone, whatever the pane held.
void PieceQueue::Push(QueuedPiece piece, int limit) {
    const long long max = EffectiveLimit(limit);
    breaks_ += piece.breaks;
    if (!Packed(piece)) pieces_.push_back(std::move(piece));
    while (pieces_.size() >= 2) {
        long long beforeLast = breaks_ - pieces_.back().breaks;
        if (beforeLast - pieces_.front().breaks < max) break;
        breaks_ -= pieces_.front().breaks;
        Recycle(pieces_.front());
        pieces_.pop_front();
        clears_pane_ = true;
    }
}

namespace {

bool IsOneLine(const QueuedPiece& piece) {
    return piece.runs.empty() && !piece.mention && piece.breaks == 1 && !piece.plain.empty() &&
           piece.plain.back() == '\n';
}

}  // namespace

bool PieceQueue::Packed(QueuedPiece& piece) {
    if (pieces_.empty() || !IsOneLine(piece)) return false;
    QueuedPiece& last = pieces_.back();
    const bool joins = last.packed ? last.breaks < kPackLines && !last.mention : IsOneLine(last);
    if (!joins || last.colour != piece.colour) return false;
    last.packed = true;
    last.plain += piece.plain;
    last.breaks += 1;
    if (last.breaks == kPackLines) last.plain.shrink_to_fit();
    Recycle(piece);
    return true;
}

void PieceQueue::MarkLastMention() {
    if (pieces_.empty()) return;
    QueuedPiece& last = pieces_.back();
    if (last.packed) {
        // The pack's last line stands on its own again.
        const std::size_t from = last.plain.rfind('\n', last.plain.size() - 2);
        QueuedPiece line;
        line.plain = last.plain.substr(from + 1);
        line.breaks = 1;
        line.colour = last.colour;
        last.plain.erase(from + 1);
        last.breaks -= 1;
        last.packed = last.breaks > 1;
        pieces_.push_back(std::move(line));
    }
    pieces_.back().mention = true;
}

FlushPlan PieceQueue::Plan(long long paneLines, int limit) const {
    const long long max = EffectiveLimit(limit);
    const long long start = clears_pane_ ? 1 : (paneLines < 1 ? 1 : paneLines);
    long long lines = start;
    for (const QueuedPiece& piece : pieces_) {
        if (lines > max) lines = max;
        lines += piece.breaks;
        // Trimmed before each of its lines: never above the limit and one.
        if (piece.packed && lines > max + 1) lines = max + 1;
    }
    // Trimming only ever takes lines from the top, so the result is the
    // last `lines` lines of the pane's text followed by the queue's.
    const long long removed = start + breaks_ - lines;

    FlushPlan plan;
    plan.clearPane = clears_pane_;
    if (removed <= start - 1) {
        plan.removeLines = removed;
    } else {
        // The pane's unfinished last line joins the queue's first line, so
        // it goes with the queue's first skipped break.
        plan.clearPane = true;
        plan.skipBreaks = removed - (start - 1);
    }
    return plan;
}

std::string PieceQueue::SpareText() {
    if (spare_texts_.empty()) return {};
    std::string text = std::move(spare_texts_.back());
    spare_texts_.pop_back();
    return text;
}

void PieceQueue::Recycle(QueuedPiece& piece) {
    constexpr std::size_t kMaxSpares = 16;
    constexpr std::size_t kMaxSpareSize = 1024;  // a long line's buffer is not kept
    if (spare_texts_.size() >= kMaxSpares || piece.plain.capacity() > kMaxSpareSize) return;
    piece.plain.clear();
    spare_texts_.push_back(std::move(piece.plain));
}

void PieceQueue::Clear() {
    for (QueuedPiece& piece : pieces_) Recycle(piece);
    pieces_.clear();
    breaks_ = 0;
    clears_pane_ = false;
}

}  // namespace zorl::ui
