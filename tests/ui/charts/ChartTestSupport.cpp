// Helpers of the chart tests.
#include "ui/charts/ChartTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace voltaris::charts::test {
namespace {

// Charts need fonts and QCustomPlot needs widgets: one QApplication for the whole program.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        m_home = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(m_home->isValid());
        setenv("XDG_CONFIG_HOME", m_home->path().toLocal8Bit().constData(), 1);
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override {
        m_app.reset();
        m_home.reset();
    }

private:
    int m_argc = 1;
    char m_name[16] = "chart_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
}  // namespace voltaris::charts::test

// Under ThreadSanitizer: Qt's raster engine splits large fills across Qt's thread pool, whose
// locking ThreadSanitizer cannot see in the uninstrumented Qt libraries; only races in
// instrumented code (ours) are reported. Ignored by other builds.
extern "C" const char* __tsan_default_options() {
    return "ignore_noninstrumented_modules=1";
}

namespace voltaris::charts::test {

std::uint32_t rgbAt(const QImage& image, int x, int y) {
    return static_cast<std::uint32_t>(image.pixel(x, y)) & 0xFFFFFFu;
}

int colorDistance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift : {0, 8, 16}) {
        d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                 static_cast<int>((b >> shift) & 0xFF)));
    }
    return d;
}

int countNear(const QImage& image, const QRect& rect, std::uint32_t rgb, int tolerance) {
    int count = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (colorDistance(rgbAt(image, x, y), rgb) <= tolerance) {
                ++count;
            }
        }
    }
    return count;
}

int lightnessAt(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y)).lightness();
}

}  // namespace voltaris::charts::test
