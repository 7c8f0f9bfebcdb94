// Bounded waits for what a test expects to happen: the condition is checked again and again until
// it holds or the bound passes, never a fixed sleep before asserting.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string_view>

namespace voltaris::test {

using namespace std::chrono_literals;

// Bound of every wait for something that should happen (generous for sanitizer builds).
inline constexpr std::chrono::milliseconds kWaitBound{20000};

// Waits until `ready` holds, at most `bound`, leaving any Qt event loop alone; the failure says
// that `what` did not happen in time.
[[nodiscard]] ::testing::AssertionResult WaitFor(std::string_view what,
                                                 const std::function<bool()>& ready,
                                                 std::chrono::milliseconds bound = kWaitBound);

// The same, handling this thread's Qt events between checks, for what queued calls, timers and
// widgets bring about. Needs a QCoreApplication.
[[nodiscard]] ::testing::AssertionResult WaitForEvents(
    std::string_view what, const std::function<bool()>& ready,
    std::chrono::milliseconds bound = kWaitBound);

}  // namespace voltaris::test
