// The program on a virtual X server (xvfb-run, 1280 x 1024): it saves its main window as a
// picture once it stands, then quits. A project on the command line that cannot be opened
// ends it after the message box.
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Starts command (the program, or a script around it) on a virtual X server of 1280 x 1024. The
// program saves its main window to picture once it stands; its settings (recent files) go to
// the temporary folder home.
void StartOnVirtualScreen(QProcess& velmont, const QString& xvfbRun, const QTemporaryDir& home,
                          const QString& picture, const QStringList& command)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("VELMONT_SCREENSHOT"), picture);
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    // Leaks of system libraries on a real display are no faults of ours.
    env.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral("suppressions=" ORVANTA_SOURCE_DIR "/tests/lsan.supp"));
    velmont.setProcessEnvironment(env);
    velmont.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    velmont.start(xvfbRun,
                  QStringList{QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x1024x24")}
                      + command);
}

TEST(VelmontScreenshot, TheMainWindowStandsAtThreeQuartersOfTheScreen)
{
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfbRun.isEmpty())
        GTEST_SKIP() << "xvfb-run is not installed";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString picture = home.filePath(QStringLiteral("velmont.png"));

    QProcess velmont;
    StartOnVirtualScreen(velmont, xvfbRun, home, picture, {QStringLiteral(ORVANTA_VELMONT)});
    ASSERT_TRUE(velmont.waitForFinished(120000));
    EXPECT_EQ(velmont.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(velmont.exitCode(), 0);

    const QImage image(picture);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(960, 768));
    // Status pane 0 at the bottom left, idle: RGB(180, 240, 214).
    int idle = 0;
    for (int y = image.height() - 40; y < image.height(); ++y)
        for (int x = 0; x < 120; ++x)
            idle += image.pixelColor(x, y) == QColor(180, 240, 214);
    EXPECT_GT(idle, 200);
}

// The program is started with a project that does not exist; xdotool answers the message box
// with Enter. The program then ends with a failure status and never shows its main window, so
// it never saves the picture.
TEST(VelmontScreenshot, AProjectThatCannotBeOpenedEndsTheProgramAfterItsMessage)
{
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xvfbRun.isEmpty() || xdotool.isEmpty())
        GTEST_SKIP() << "xvfb-run or xdotool is not installed";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString picture = home.filePath(QStringLiteral("velmont.png"));

    // $0 the program, $1 the missing project. The box's caption is "Fehler"; Enter presses its
    // OK button. The script's status is the program's.
    const QString script = QStringLiteral(
        "\"$0\" \"$1\" & pid=$!; "
        "timeout 90 xdotool search --sync --onlyvisible --name '^Fehler$' windowfocus --sync; xdotool key Return; "
        "wait $pid");
    QProcess velmont;
    StartOnVirtualScreen(velmont, xvfbRun, home, picture,
                         {QStringLiteral("sh"), QStringLiteral("-c"), script, QStringLiteral(ORVANTA_VELMONT),
                          home.filePath(QStringLiteral("fehlt.pxml"))});
    ASSERT_TRUE(velmont.waitForFinished(120000));
    EXPECT_EQ(velmont.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(velmont.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(picture));
}

} // namespace
