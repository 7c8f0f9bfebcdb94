// Helpers of the window tests: bounded waits that keep the event loop running, message services
// that hold or record boxes, and the main window started against the demonstration or simulated
// meters.
#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "meter-sim/MeterSimulator.h"
#include "ui/CMeterDlg.h"
#include "ui/MessageService.h"

namespace voltaris::test {

using namespace std::chrono_literals;

// Bound of every wait for something that should happen (generous for sanitizer builds).
inline constexpr std::chrono::milliseconds kUiBound{20000};

// Runs the event loop until `ready` holds, at most `bound`; true when it held.
[[nodiscard]] bool WaitUntil(const std::function<bool()>& ready,
                             std::chrono::milliseconds bound = kUiBound);

// Records every box; while holding, a box stays open (a nested event loop runs) until
// release(), and `onShown` runs inside that loop.
class HoldingMessageService final : public MessageService {
public:
    MessageAnswer show(QWidget* parent, const std::string& text, const std::string& caption,
                       MessageButtons buttons) override;

    void hold(bool holding) { m_holding = holding; }
    void release() { m_released = true; }
    std::function<void()> onShown;
    [[nodiscard]] const std::vector<ShownMessage>& shown() const { return m_shown; }
    [[nodiscard]] bool open() const { return m_open; }

private:
    std::vector<ShownMessage> m_shown;
    bool m_holding = false;
    bool m_released = false;
    bool m_open = false;
};

// A simulated meter on its pseudo-terminal, started at construction.
struct SimulatedMeter {
    explicit SimulatedMeter(sim::Config config = {});
    [[nodiscard]] std::string path() const { return sim.portPath(); }
    sim::MeterSimulator sim;
};

// Start-up options for tests: only the given ports are probed, no pause after detection.
[[nodiscard]] StartupOptions TestOptions(std::vector<std::string> ports = {});

// A window made and initialised (and shown) with `messages`.
struct WindowUnderTest {
    WindowUnderTest(MessageService& messages, StartupOptions options);
    ~WindowUnderTest();
    CMeterDlg& operator*() { return *window; }
    CMeterDlg* operator->() { return window.get(); }
    std::unique_ptr<CMeterDlg> window;
    bool initialised = false;
};

// Waits until `count` more captures than now were drawn.
[[nodiscard]] bool WaitForCaptures(CMeterDlg& window, int count,
                                   std::chrono::milliseconds bound = kUiBound);

// Clears the line edit and types `text` as a user would.
void TypeInto(class QLineEdit& edit, const QString& text);

}  // namespace voltaris::test
