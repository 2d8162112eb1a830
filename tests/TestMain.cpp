// Runs every test of a suite inside one QApplication on the offscreen platform, so
// widget tests and picture tests see the same environment as the program.
#include <QApplication>
#include <gtest/gtest.h>

#include "toolkit/Application.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
