// Test entry point with the program's application object: the tests start and end the program
// through it (CVelmontApp::InitInstance, ExitInstance), each with a window of its own.
#include "app/velmont_app.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // GoogleTest takes its own arguments first: what is left would be a project to open.
    ::testing::InitGoogleTest(&argc, argv);
    // The program's settings (recent files) go to a folder of the run.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    CVelmontApp app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
