// The light-source device module of bin/Quorvel.so through one or more connections, then
// deleted, the plug-in unloaded and the application destroyed, as at the program's end: each
// scenario runs as its own process (led-device-exit), which must end with 0 and without a
// sanitizer report.
#include <QProcess>

#include <gtest/gtest.h>

namespace {

class DeviceExitTest : public ::testing::TestWithParam<const char*> {};

TEST_P(DeviceExitTest, TheApplicationEndsCleanlyAfterThePluginIsUnloaded)
{
    QProcess program;
    program.start(QStringLiteral(LED_DEVICE_EXIT), {QString::fromLatin1(GetParam())});
    ASSERT_TRUE(program.waitForFinished(120000));
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << errors.toStdString();
    EXPECT_EQ(program.exitCode(), 0) << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral("Sanitizer"))) << errors.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Scenarios, DeviceExitTest, ::testing::Values("once", "twice", "connected", "lost"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
