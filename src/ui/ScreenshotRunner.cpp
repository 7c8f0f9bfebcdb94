// Screenshot mode.
#include "ui/ScreenshotRunner.h"

#include <QImage>
#include <QPixmap>
#include <QTabWidget>
#include <cstdio>

#include "ui/CMeterDlg.h"

namespace voltaris {

ScreenshotRunner::ScreenshotRunner(CMeterDlg& window, QString file, int page,
                                   std::chrono::steady_clock::time_point started,
                                   std::chrono::milliseconds bound)
    : m_window(window), m_file(std::move(file)), m_page(page), m_started(started), m_bound(bound) {
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &ScreenshotRunner::giveUp);
    connect(&m_window, &CMeterDlg::captureDrawn, this, &ScreenshotRunner::capture);
}

void ScreenshotRunner::start() {
    m_window.controls().tabs->setCurrentIndex(m_page);
    m_timeout.start(m_bound);
}

void ScreenshotRunner::capture() {
    // A failed transfer is drawn too (it enables the report actions), but shows no capture:
    // keep waiting for one that was analysed.
    if (m_exitCode >= 0 || m_window.capturesAnalysed() == 0) {
        return;
    }
    m_timeout.stop();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - m_started);
    std::fprintf(stderr, "First capture drawn %lld ms after start\n",
                 static_cast<long long>(elapsed.count()));
    const QImage image = m_window.grab().toImage();
    if (image.save(m_file, "PNG")) {
        m_exitCode = 0;
    } else {
        std::fprintf(stderr, "voltaris: cannot write %s\n", qPrintable(m_file));
        m_exitCode = 1;
    }
    m_window.close();
}

void ScreenshotRunner::giveUp() {
    if (m_exitCode >= 0) {
        return;
    }
    std::fprintf(stderr, "voltaris: no capture drawn within %lld ms, no screenshot\n",
                 static_cast<long long>(m_bound.count()));
    m_exitCode = 1;
    m_window.close();
}

}  // namespace voltaris
