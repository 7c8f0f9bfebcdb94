// Widget-level helpers of the window tests.
#include "support/WindowHarness.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace voltaris::test {

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
    EXPECT_TRUE(
        WaitForEvents("the held box \"" + text + "\" is released", [this] { return m_released; }));
    m_open = false;
    return MessageAnswer::Ok;
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

::testing::AssertionResult WaitForCaptures(CMeterDlg& window, int count,
                                           std::chrono::milliseconds bound) {
    const int target = window.capturesDrawn() + count;
    return WaitForEvents(
        std::to_string(count) + " more captures drawn",
        [&] { return window.capturesDrawn() >= target; }, bound);
}

::testing::AssertionResult WaitForDrawnPhase(CMeterDlg& window, int phase) {
    return WaitForEvents("the state meter shows phase " + std::to_string(phase),
                         [&] { return window.drawnPhase() == phase; });
}

void TypeInto(QLineEdit& edit, const QString& text) {
    edit.setFocus();
    edit.selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(&edit, Qt::Key_Backspace);  // typing nothing still clears the field
    }
    QTest::keyClicks(&edit, text);
}

}  // namespace voltaris::test
