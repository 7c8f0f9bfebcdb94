// Cuts the byte stream received from the program into command frames: '<', a letter, fields, '>'.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace voltaris::sim {

class FrameAssembler {
public:
    // Longest frame accepted; a longer one is dropped whole, up to its '>'.
    static constexpr std::size_t kMaxFrameLength = 64;

    // Returns the frames completed by `bytes`, in order. Bytes outside a frame are ignored; a
    // '<' inside a frame starts the frame afresh, as the meter resynchronises on it.
    [[nodiscard]] std::vector<std::string> feed(std::string_view bytes);
    void reset();

private:
    std::string m_frame;
    bool m_inFrame = false;
    bool m_overlong = false;
};

}  // namespace voltaris::sim
