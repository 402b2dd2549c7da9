// bin/ledsource-sim as a user starts it: it prints its port, the module connects there, and
// SIGTERM ends it with 0.
#include "device_fixture.h"

#include "support/temp_dir.h"

#include <QProcess>

#include <csignal>

namespace {

using namespace device_test;

TEST_F(DeviceTest, TheSimulatorProgramServesTheModule)
{
    test_support::TempDir dir;
    const std::string link = dir.file("ledsource");
    QProcess program;
    program.start(QStringLiteral(LEDSOURCE_SIM), {"--link", QString::fromStdString(link)});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(program.waitForReadyRead(10000));
    const std::string port = program.readLine().trimmed().toStdString();
    EXPECT_EQ(port.rfind("/dev/pts/", 0), 0u) << port;

    for (const std::string& name : {port, link}) {
        SCOPED_TRACE(name);
        module.getParameters().setStringParameter("COMPort", name);
        ASSERT_TRUE(module.connect());
        EXPECT_EQ(module.ParameterNames().size(), 16u);
        EXPECT_TRUE(module.disconnect());
    }

    program.terminate(); // SIGTERM
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link))) << "the link is removed";

    QProcess wrong;
    wrong.start(QStringLiteral(LEDSOURCE_SIM), {"--fault", "unbekannt"});
    ASSERT_TRUE(wrong.waitForFinished(10000));
    EXPECT_EQ(wrong.exitCode(), 2);
}

} // namespace
