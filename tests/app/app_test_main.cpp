// The test program of the window code: widgets need a QApplication for the whole run. This main
// takes precedence over the one of gtest_main, which is linked too.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // The build lists the tests by running this program without the test environment, and
    // there may be no display at all: windows are drawn off screen unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
