// The start-up box: a frameless 320 x 100 window in amber, centred on the screen, with a
// headline and a detail line, shown while the window initialises and detects meters.
#pragma once

#include <QString>
#include <QWidget>

namespace voltaris {

class StartupSplash final : public QWidget {
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 100;

    StartupSplash();

    // Shows the two lines (centring and showing the box the first time) and paints at once:
    // start-up runs on the user-interface thread, so no event loop would paint it otherwise.
    void showStatus(const QString& headline, const QString& detail);

    [[nodiscard]] const QString& headline() const { return m_headline; }
    [[nodiscard]] const QString& detail() const { return m_detail; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_headline;
    QString m_detail;
};

}  // namespace voltaris
