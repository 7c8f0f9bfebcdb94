// Widget-level helpers of the window tests: message services that hold or record boxes, the main
// window started against the demonstration or simulated meters, waits for the captures and
// phases it draws, and typing into its edits.
#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/WaitFor.h"
#include "ui/CMeterDlg.h"
#include "ui/MessageService.h"

namespace voltaris::test {

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

// Wait, running the event loop, until `count` more captures than now were drawn, or until the
// state meter shows `phase`.
[[nodiscard]] ::testing::AssertionResult WaitForCaptures(
    CMeterDlg& window, int count, std::chrono::milliseconds bound = kWaitBound);
[[nodiscard]] ::testing::AssertionResult WaitForDrawnPhase(CMeterDlg& window, int phase);

// Clears the line edit and types `text` as a user would.
void TypeInto(class QLineEdit& edit, const QString& text);

}  // namespace voltaris::test
