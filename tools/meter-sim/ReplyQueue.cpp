// Scheduling of reply bytes: delayed starts and line-rate pacing.
#include "ReplyQueue.h"

#include <algorithm>

namespace voltaris::sim {

void ReplyQueue::push(std::string bytes, Clock::time_point notBefore) {
    if (bytes.empty()) {
        return;
    }
    m_replies.push_back(Pending{std::move(bytes), notBefore, 0, std::nullopt});
}

std::size_t ReplyQueue::allowed(const Pending& reply, Clock::time_point now) const {
    if (!m_paced) {
        return reply.bytes.size();
    }
    const double seconds = std::chrono::duration<double>(now - *reply.start).count();
    // The first byte leaves at the start; each further one a byte time later.
    const auto onLine = static_cast<std::size_t>(seconds * kBytesPerSecond) + 1;
    return std::min(onLine, reply.bytes.size());
}

std::string_view ReplyQueue::writable(Clock::time_point now) {
    if (m_replies.empty()) {
        return {};
    }
    Pending& front = m_replies.front();
    if (now < front.notBefore) {
        return {};
    }
    if (!front.start) {
        front.start = m_paced ? std::max(front.notBefore, m_lineFree) : front.notBefore;
        if (m_paced) {
            const auto wireTime = std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(front.bytes.size() / kBytesPerSecond));
            m_lineFree = *front.start + wireTime;
        }
    }
    if (now < *front.start) {
        return {};
    }
    const std::size_t limit = allowed(front, now);
    return std::string_view(front.bytes).substr(front.sent, limit - front.sent);
}

void ReplyQueue::consumed(std::size_t count) {
    if (m_replies.empty()) {
        return;
    }
    Pending& front = m_replies.front();
    front.sent = std::min(front.bytes.size(), front.sent + count);
    if (front.sent == front.bytes.size()) {
        m_replies.pop_front();
    }
}

std::optional<ReplyQueue::Clock::time_point> ReplyQueue::nextDue(Clock::time_point now) const {
    if (m_replies.empty()) {
        return std::nullopt;
    }
    const Pending& front = m_replies.front();
    if (now < front.notBefore) {
        return front.notBefore;
    }
    if (!front.start) {
        return now;  // due, its start is fixed by the next writable()
    }
    if (now < *front.start) {
        return *front.start;
    }
    if (!m_paced || allowed(front, now) > front.sent) {
        return now;  // bytes are waiting now
    }
    return now + kPaceSlice;
}

void ReplyQueue::clear() {
    m_replies.clear();
    // What was dropped never reaches the line, so it does not hold up the next reply.
    m_lineFree = {};
}

}  // namespace voltaris::sim
