// The application object.
#include "ui/CMeterApp.h"

#include <QString>
#include <cstdio>
#include <memory>

#include "device/MeterSearch.h"
#include "ui/CMeterDlg.h"
#include "ui/MessageService.h"
#include "ui/ScreenshotRunner.h"

namespace voltaris {

CMeterApp::CMeterApp(AppOptions options, std::chrono::steady_clock::time_point started)
    : m_options(std::move(options)), m_started(started) {}

int CMeterApp::run() {
    StartupOptions startup;
    startup.portPaths = m_options.ports;
    startup.portsEnvironment = PortsEnvironment();
    startup.mfg = m_options.mfg;
    startup.devRoot = m_options.devRoot;
    startup.sysRoot = m_options.sysRoot;

    // A screenshot is taken without anyone to answer the boxes.
    std::unique_ptr<MessageService> messages;
    if (m_options.screenshot) {
        messages = std::make_unique<AutoAnswerMessageService>();
    } else {
        messages = std::make_unique<DialogMessageService>();
    }
    CMeterDlg window(*messages, startup);
    const bool started = window.OnInitDialog();
    if (!started) {
        std::fprintf(stderr, "voltaris: the acquisition could not be started\n");
        return 1;
    }
    if (!m_options.screenshot) {
        window.exec();
        return 0;
    }
    ScreenshotRunner runner(window, QString::fromStdString(*m_options.screenshot), m_options.page,
                            m_started);
    runner.start();
    window.exec();
    return runner.exitCode() == 0 ? 0 : 1;
}

}  // namespace voltaris
