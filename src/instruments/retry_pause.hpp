#pragma once

// The pause before the next attempt to reach a feed that is not answering (gpsd, a network direction
// finder): short at first, so that a server restarting is heard again quickly, then doubling up to a
// ceiling, so that a server that stays down costs a timer tick every half minute and nothing more.
//
// Plain value; the adapter that owns it uses it from its own thread only.

#include <algorithm>
#include <cstdint>

namespace vantrel::instruments {

class RetryPause {
  public:
    static constexpr std::int64_t kFirstMs = 500;
    static constexpr std::int64_t kLongestMs = 30000;

    // The pause to wait now; the one after it is twice as long (up to kLongestMs).
    std::int64_t Next() {
        const std::int64_t pause = nextMs_;
        nextMs_ = std::min(nextMs_ * 2, kLongestMs);
        return pause;
    }
    // The pause Next() would give, without taking it.
    [[nodiscard]] std::int64_t Peek() const { return nextMs_; }
    // The feed answered: the next failure starts again with the shortest pause.
    void Reset() { nextMs_ = kFirstMs; }

  private:
    std::int64_t nextMs_ = kFirstMs;
};

}  // namespace vantrel::instruments
