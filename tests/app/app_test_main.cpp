// The test program of the window code: widgets need a QApplication for the whole run. This main
// takes precedence over the one of gtest_main, which is linked too.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
