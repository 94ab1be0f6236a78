#include "session/LineSplitter.h"

namespace zorl {

CLineSplitter::Piece CLineSplitter::Next(std::string_view& line) {
    const std::string_view text(text_);
    while (pos_ < text.size()) {
        std::size_t end = text.find("\r\n", pos_);
        if (discarding_) {
            if (end == std::string_view::npos) {
                KeepOnlyTrailingCr();
                return kDone;
            }
            pos_ = end + 2;
            discarding_ = false;
            continue;
        }
        if (end == std::string_view::npos) {
            // The rest may still grow into a line of `limit_` bytes plus a CR
            // that waits for its LF; anything longer can never fit.
            std::size_t size = text.size() - pos_;
            bool tooLong = size > limit_ + 1 || (size == limit_ + 1 && text.back() != '\r');
            if (!tooLong) {
                rest_.assign(text.substr(pos_));
                pos_ = text.size();
                return kDone;
            }
            discarding_ = true;
            KeepOnlyTrailingCr();
            return kTooLong;
        }
        line = text.substr(pos_, end - pos_);
        pos_ = end + 2;
        return line.size() > limit_ ? kTooLong : kLine;
    }
    return kDone;
}

// Inside a dropped line only a CR at the very end matters: the LF of the next
// read may complete the CR LF that ends the dropped line.
void CLineSplitter::KeepOnlyTrailingCr() {
    rest_ = !text_.empty() && text_.back() == '\r' ? "\r" : "";
    pos_ = text_.size();
}

}  // namespace zorl
