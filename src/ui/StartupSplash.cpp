// The start-up box.
#include "ui/StartupSplash.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace voltaris {

namespace {

const QColor kBoxColour(255, 200, 0);
// Text positions inside the box: the headline 20 pixels below its top, the detail 60.
constexpr int kTextLeft = 20;
constexpr int kHeadlineTop = 20;
constexpr int kDetailTop = 60;

}  // namespace

StartupSplash::StartupSplash()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StartupSplash::showStatus(const QString& headline, const QString& detail) {
    m_headline = headline;
    m_detail = detail;
    if (!isVisible()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            move(area.x() + area.width() / 2 - kWidth / 2,
                 area.y() + area.height() / 2 - kHeight / 2);
        }
        show();
    }
    repaint();
}

void StartupSplash::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), kBoxColour);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font());
    painter.drawText(kTextLeft, kHeadlineTop + metrics.ascent(), m_headline);
    painter.drawText(kTextLeft, kDetailTop + metrics.ascent(), m_detail);
}

}  // namespace voltaris
