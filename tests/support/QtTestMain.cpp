// Entry point of the test programs that need a QApplication (widgets, charts, fonts): a private
// home, the offscreen platform unless another one was chosen, then every test.
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdlib>

#include "support/TempDir.h"

int main(int argc, char** argv) {
    const voltaris::test::PrivateHome home;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    // Numbers in edits and log lines are written and read with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
