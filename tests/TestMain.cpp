// Runs every test of a suite inside one QApplication on the offscreen platform, so
// widget tests and picture tests see the same environment as the program.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "toolkit/Application.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef VC_SCALE_FACTOR
    qputenv("QT_SCALE_FACTOR", VC_SCALE_FACTOR);
#endif
    // The program keeps its recent files in the user's configuration folder; tests get
    // one of their own so that they never read or change the real one.
    QTemporaryDir config;
    if (!config.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
