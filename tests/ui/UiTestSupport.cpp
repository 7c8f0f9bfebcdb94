// Helpers of the window tests.
#include "UiTestSupport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <fstream>

#include "device/DeviceTestSupport.h"

namespace voltaris::test {

namespace {

constexpr const char* kWindowProcess = "VoltarisRT";

QSettings logSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Korvex", "Tracekit");
}

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\n')) {
        s.pop_back();
    }
    return s;
}

}  // namespace

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

WindowLog::WindowLog() {
    static int serial = 0;
    m_folder = TestConfigDir() / ("window-log" + std::to_string(++serial));
    std::filesystem::create_directories(m_folder);
    QSettings settings = logSettings();
    settings.clear();
    settings.setValue("EnableLog", 1);
    for (const char* level : {"LogCritic", "LogError", "LogWarn", "LogState", "LogEvent", "LogInfo",
                              "LogDebug1", "LogDebug2"}) {
        settings.setValue(level, 1);
    }
    settings.setValue("PathLog", QString::fromStdString(m_folder.string()));
    settings.sync();
}

WindowLog::~WindowLog() {
    QSettings settings = logSettings();
    settings.clear();
    settings.sync();
}

std::vector<std::string> WindowLog::messages(const std::string& tag) const {
    // Line head: date and time, the process name in 16 columns, an 8-column level tag.
    const std::string head =
        std::string(kWindowProcess) + std::string(16 - std::strlen(kWindowProcess), ' ') + " ";
    std::vector<std::string> result;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            const std::size_t at = line.find(head);
            if (at == std::string::npos || line.size() < at + head.size() + 8) {
                continue;
            }
            if (trimmed(line.substr(at + head.size(), 8)) == tag) {
                result.push_back(trimmed(line.substr(at + head.size() + 8)));
            }
        }
    }
    return result;
}

int WindowLog::count(const std::string& tag, const std::string& message) const {
    int n = 0;
    for (const std::string& m : messages(tag)) {
        n += m == message ? 1 : 0;
    }
    return n;
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
