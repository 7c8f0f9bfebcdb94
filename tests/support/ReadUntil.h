// Bounded reads and whole writes on file descriptors (pseudo-terminals, pipes), for test code
// that plays the far end of a link or collects a child's output.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace voltaris::test {

// Appends what `fd` delivers to `received` until `done` holds for it, the other end closes, or
// `bound` passes; true when `done` held. Works on blocking and non-blocking descriptors alike.
bool ReadUntil(int fd, std::string& received, const std::function<bool(const std::string&)>& done,
               std::chrono::milliseconds bound);

// What `fd` delivers until `done` holds, the other end closes, or `bound` passes.
[[nodiscard]] std::string ReadUntil(int fd, const std::function<bool(const std::string&)>& done,
                                    std::chrono::milliseconds bound);

// Writes every byte of `bytes`, waiting while the descriptor is full; false on an error.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace voltaris::test
