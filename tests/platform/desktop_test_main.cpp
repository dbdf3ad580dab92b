#include <gtest/gtest.h>

#include <QCoreApplication>

// QtDBus needs an application object; the X11 and helper tests do not mind one.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
