// Replies waiting to leave the meter, with their earliest start time and, when paced, the line
// rate of 460800 baud 8N1 (46080 bytes/s) that spreads each reply over time.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace voltaris::sim {

class ReplyQueue {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr double kBytesPerSecond = 46080.0;
    // Paced bytes leave in slices at least this often, far below the reader's 2 ms gap timeout.
    static constexpr std::chrono::microseconds kPaceSlice{400};

    explicit ReplyQueue(bool paced) : m_paced(paced) {}

    void push(std::string bytes, Clock::time_point notBefore);
    // Bytes of the front reply that may be written at `now`; empty when none are due.
    [[nodiscard]] std::string_view writable(Clock::time_point now);
    // Records that the first `count` bytes of the last writable() view were written.
    void consumed(std::size_t count);
    // When writable() next has something new to offer; nullopt when the queue is empty.
    [[nodiscard]] std::optional<Clock::time_point> nextDue(Clock::time_point now) const;
    [[nodiscard]] bool empty() const { return m_replies.empty(); }
    // Drops every reply, the rest of one half sent included; the line is free at once.
    void clear();

private:
    struct Pending {
        std::string bytes;
        Clock::time_point notBefore;
        std::size_t sent = 0;
        std::optional<Clock::time_point> start;  // when its first byte was due on the line
    };

    [[nodiscard]] std::size_t allowed(const Pending& reply, Clock::time_point now) const;

    bool m_paced;
    std::deque<Pending> m_replies;
    // End of the last paced reply on the line: the next one cannot start before it.
    Clock::time_point m_lineFree{};
};

}  // namespace voltaris::sim
