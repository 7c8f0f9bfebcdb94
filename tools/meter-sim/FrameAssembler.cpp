// Frame extraction from the received byte stream.
#include "FrameAssembler.h"

namespace voltaris::sim {

std::vector<std::string> FrameAssembler::feed(std::string_view bytes) {
    std::vector<std::string> frames;
    for (char c : bytes) {
        if (c == '<') {
            m_frame.assign(1, c);
            m_inFrame = true;
            m_overlong = false;
            continue;
        }
        if (!m_inFrame) {
            continue;
        }
        if (c == '>') {
            if (!m_overlong) {
                m_frame += c;
                frames.push_back(std::move(m_frame));
            }
            reset();
            continue;
        }
        if (m_overlong) {
            continue;
        }
        if (m_frame.size() + 1 >= kMaxFrameLength) {
            // No room left for the closing '>': the frame can no longer be accepted.
            m_overlong = true;
            m_frame.clear();
            continue;
        }
        m_frame += c;
    }
    return frames;
}

void FrameAssembler::reset() {
    m_frame.clear();
    m_inFrame = false;
    m_overlong = false;
}

}  // namespace voltaris::sim
