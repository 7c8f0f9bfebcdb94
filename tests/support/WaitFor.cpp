// Bounded waits of the tests.
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <thread>

namespace voltaris::test {

namespace {

// How long a wait rests between two checks of its condition.
constexpr std::chrono::milliseconds kCheckStep{2};

::testing::AssertionResult Wait(std::string_view what, const std::function<bool()>& ready,
                                std::chrono::milliseconds bound,
                                const std::function<void()>& rest) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return ::testing::AssertionFailure()
                   << what << ": did not happen within " << bound.count() << " ms";
        }
        rest();
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

::testing::AssertionResult WaitFor(std::string_view what, const std::function<bool()>& ready,
                                   std::chrono::milliseconds bound) {
    return Wait(what, ready, bound, [] { std::this_thread::sleep_for(kCheckStep); });
}

::testing::AssertionResult WaitForEvents(std::string_view what, const std::function<bool()>& ready,
                                         std::chrono::milliseconds bound) {
    if (QCoreApplication::instance() == nullptr) {
        return ::testing::AssertionFailure() << what << ": no Qt application runs the events";
    }
    return Wait(what, ready, bound, [] {
        // One pass over the events that came, then a rest before the condition is checked
        // again, so that what those events set off elsewhere (a worker woken by an answered box)
        // is seen before any further event is handled.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::this_thread::sleep_for(kCheckStep);
    });
}

}  // namespace voltaris::test
