// Adding a whole queue at once must leave the pane exactly as adding its
// pieces one at a time with the line limit would, while holding no more
// than the limit's worth of lines.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ui/PieceQueue.h"

namespace zorl::ui {
namespace {

// A pane as lines; the last one is unfinished (possibly empty).
using Pane = std::vector<std::string>;

// One piece at a time: trim to the limit, then add.
void AddLiterally(Pane& pane, const std::string& text, int limit) {
    while (static_cast<int>(pane.size()) > std::max(limit, 1)) pane.erase(pane.begin());
    for (char c : text) {
        if (c == '\n')
            pane.emplace_back();
        else
            pane.back().push_back(c);
    }
}

// The queue's way: one plan, one removal, one insertion.
void AddQueued(Pane& pane, const PieceQueue& queue, int limit) {
    FlushPlan plan = queue.Plan(static_cast<long long>(pane.size()), limit);
    if (plan.clearPane) {
        pane.assign(1, std::string());
    } else {
        pane.erase(pane.begin(), pane.begin() + plan.removeLines);
    }
    long long skip = plan.skipBreaks;
    auto add = [&](const std::string& text) {
        for (char c : text) {
            if (skip > 0) {
                if (c == '\n') --skip;
                continue;
            }
            if (c == '\n')
                pane.emplace_back();
            else
                pane.back().push_back(c);
        }
    };
    for (const QueuedPiece& piece : queue.Pieces()) {
        add(piece.plain);
        for (const TextRun& run : piece.runs) add(run.text);
    }
}

// `plain`: the way most lines come, without runs (one-line ones are packed).
QueuedPiece Piece(const std::string& text, bool plain = false) {
    QueuedPiece piece;
    if (plain)
        piece.plain = text;
    else
        piece.runs.push_back({text, {}});
    for (char c : text) piece.breaks += c == '\n';
    return piece;
}

std::string Show(const Pane& pane) {
    std::string out;
    for (std::size_t i = 0; i < pane.size(); ++i) out += (i ? "|" : "") + pane[i];
    return out;
}

TEST(PieceQueue, FourthLineWithLimitThreePushesOutTheFirst) {
    Pane literal{""};
    Pane queued{""};
    PieceQueue queue;
    for (const char* line : {"one\n", "two\n", "three\n", "four\n"}) {
        AddLiterally(literal, line, 3);
        queue.Push(Piece(line), 3);
    }
    AddQueued(queued, queue, 3);
    EXPECT_EQ(Show(literal), "two|three|four|");
    EXPECT_EQ(Show(queued), Show(literal));
}

TEST(PieceQueue, BatchesMatchOneByOneAddingForAnySequence) {
    std::mt19937 random(20240607);
    const char* texts[] = {"a\n", "bb", "\n", "c\nd\n", "", "e\nf\ng\nh\n", "[12:00] ", "i\n\n"};
    for (int round = 0; round < 3000; ++round) {
        const int limit = static_cast<int>(random() % 7);  // 0 behaves as 1
        Pane literal{""};
        // Start from a pane that already holds something.
        const int prefill = static_cast<int>(random() % 10);
        for (int i = 0; i < prefill; ++i) AddLiterally(literal, texts[random() % 8], limit);
        Pane queued = literal;

        PieceQueue queue;
        std::string trace;
        const int pieces = static_cast<int>(random() % 25);
        long long largest = 0;
        for (int i = 0; i < pieces; ++i) {
            const std::string text = texts[random() % 8];
            trace += "[" + text + "]";
            AddLiterally(literal, text, limit);
            QueuedPiece piece = Piece(text, random() % 2 == 0);
            largest = std::max<long long>(largest, piece.breaks);
            queue.Push(std::move(piece), limit);
            // A mention takes its line out of a pack, whole.
            if (random() % 8 == 0) {
                queue.MarkLastMention();
                ASSERT_EQ(queue.Pieces().back().breaks, Piece(text).breaks) << trace;
            }
            // Bounded: never more than the limit plus two pieces' (or packs') worth.
            ASSERT_LE(queue.Breaks(),
                      PieceQueue::EffectiveLimit(limit) + 2 * largest + PieceQueue::kPackLines)
                << trace;
        }
        AddQueued(queued, queue, limit);
        ASSERT_EQ(Show(queued), Show(literal))
            << "round " << round << " limit " << limit << " pieces " << trace;
    }
}

TEST(PieceQueue, FloodKeepsOnlyWhatCanBeShown) {
    PieceQueue queue;
    for (int i = 0; i < 100000; ++i) queue.Push(Piece("line " + std::to_string(i) + "\n"), 1000);
    EXPECT_LE(queue.Size(), 1001u);
    EXPECT_TRUE(queue.ClearsPane());
    Pane pane{"old", "old", ""};
    AddQueued(pane, queue, 1000);
    ASSERT_EQ(pane.size(), 1001u);
    EXPECT_EQ(pane.front(), "line 99000");
    EXPECT_EQ(pane[999], "line 99999");
}

}  // namespace
}  // namespace zorl::ui
