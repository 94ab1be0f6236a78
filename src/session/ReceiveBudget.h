// The share of a socket's bytes that one receive notification may take, so
// that no peer, however fast it writes, holds the one thread: the server's
// PINGs, repaints and typed lines wait at most one share. What is left stays
// in the socket, whose readiness brings the reader back on the next pass.
//
//   CReceiveBudget budget(clock, CServerConnection::kReceiveBudget,
//                         CServerConnection::kReceiveBudgetMs);
//   while (!budget.Spent()) { n = Receive(...); if (n <= 0) break; budget.Take(n); ... }
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Clock.h"

namespace zorl {

class CReceiveBudget {
public:
    CReceiveBudget(const IClock& clock, std::size_t bytes, uint64_t milliseconds)
        : clock_(clock), bytes_(bytes), ms_(milliseconds), started_(clock.TickCount()) {}

    void Take(std::size_t n) { taken_ += n; }
    // The bytes are taken or the time is up: the reader returns now.
    bool Spent() const { return taken_ >= bytes_ || clock_.TickCount() - started_ >= ms_; }

private:
    const IClock& clock_;
    std::size_t bytes_;
    uint64_t ms_;
    uint64_t started_;
    std::size_t taken_ = 0;
};

}  // namespace zorl
