// Screenshot mode: once the window has drawn its first capture, saves a PNG of the whole window
// and closes it; gives up when no capture comes within a bound.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>

namespace voltaris {

class CMeterDlg;

class ScreenshotRunner final : public QObject {
public:
    static constexpr std::chrono::seconds kDefaultBound{30};

    // `started`: when the program started, for the reported start-up time.
    ScreenshotRunner(CMeterDlg& window, QString file, int page,
                     std::chrono::steady_clock::time_point started,
                     std::chrono::milliseconds bound = kDefaultBound);

    // Shows page `page` and starts waiting; call after the window's start-up.
    void start();

    // 0 once the file was written; 1 when no capture came in time or the file could not be
    // written; -1 while still waiting.
    [[nodiscard]] int exitCode() const { return m_exitCode; }

private:
    void capture();
    void giveUp();

    CMeterDlg& m_window;
    const QString m_file;
    const int m_page;
    const std::chrono::steady_clock::time_point m_started;
    const std::chrono::milliseconds m_bound;
    QTimer m_timeout;
    int m_exitCode = -1;
};

}  // namespace voltaris
