// Helpers of the window tests.
#include "UiTestSupport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace voltaris::test {

bool WaitUntil(const std::function<bool()>& ready, std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        // Runs the event loop for a moment; returns early when events come.
        QTest::qWait(5);
    }
    return true;
}

MessageAnswer HoldingMessageService::show(QWidget* /*parent*/, const std::string& text,
                                          const std::string& caption, MessageButtons buttons) {
    m_shown.push_back({text, caption, buttons});
    if (!m_holding) {
        return MessageAnswer::Ok;
    }
    m_released = false;
    m_open = true;
    if (onShown) {
        QTimer::singleShot(0, [this] { onShown(); });
    }
    // A modal box runs its own event loop until answered; so does this one until released.
    (void)WaitUntil([this] { return m_released; });
    m_open = false;
    return MessageAnswer::Ok;
}

SimulatedMeter::SimulatedMeter(sim::Config config) : sim(std::move(config)) {
    (void)sim.start();
}

StartupOptions TestOptions(std::vector<std::string> ports) {
    StartupOptions options;
    options.portPaths = std::move(ports);
    options.enumeratePorts = false;
    options.pauseAfterDetection = false;
    return options;
}

WindowUnderTest::WindowUnderTest(MessageService& messages, StartupOptions options)
    : window(std::make_unique<CMeterDlg>(messages, std::move(options))) {
    initialised = window->OnInitDialog();
    window->show();
}

WindowUnderTest::~WindowUnderTest() {
    window->close();
}

bool WaitForCaptures(CMeterDlg& window, int count, std::chrono::milliseconds bound) {
    const int target = window.capturesDrawn() + count;
    return WaitUntil([&] { return window.capturesDrawn() >= target; }, bound);
}

void TypeInto(QLineEdit& edit, const QString& text) {
    edit.setFocus();
    edit.selectAll();
    QTest::keyClicks(&edit, text);
}

}  // namespace voltaris::test
