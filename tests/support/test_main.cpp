// Test entry point: a QApplication exists for every test (offscreen in CTest).
#include <QApplication>
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Qt takes LC_NUMERIC from the environment; numbers are always read and written with ".".
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
