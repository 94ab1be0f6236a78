// Cuts received text into protocol lines. Only the two bytes CR LF end a
// line; a lone CR or LF stays inside the line text.
//
//   pending "PING :a" + chunk "bc\r\n:srv 001 joe :Hi\r\n:srv 0"
//     -> lines "PING :abc", ":srv 001 joe :Hi"; the rest ":srv 0" waits.
//
// A line longer than the limit is reported once and dropped together with
// everything up to its CR LF, however many reads that takes; the flag that
// says "still inside a dropped line" is the caller's to keep between reads.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorl {

class CLineSplitter {
public:
    enum Piece { kLine, kTooLong, kDone };

    CLineSplitter(std::string text, bool discarding, std::size_t limit)
        : text_(std::move(text)), discarding_(discarding), limit_(limit) {}

    // The next piece. For kLine, `line` (without CR LF) stays valid until the
    // splitter is destroyed. kTooLong is returned once per dropped line.
    Piece Next(std::string_view& line);

    // After kDone: the incomplete rest to keep for the next read, and whether
    // that next read is still inside a dropped line.
    std::string TakeRest() { return std::move(rest_); }
    bool Discarding() const { return discarding_; }

private:
    void KeepOnlyTrailingCr();

    std::string text_;
    std::size_t pos_ = 0;
    std::string rest_;
    bool discarding_;
    std::size_t limit_;
};

}  // namespace zorl
