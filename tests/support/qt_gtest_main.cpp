// main() of the window tests: a QApplication, offscreen unless a display is asked for, in the
// build folder.

#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The windows load img/ from the working folder; the build folder has it, wherever the
    // tests are started from.
    QDir::setCurrent(CRV_BUILD_DIR);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
