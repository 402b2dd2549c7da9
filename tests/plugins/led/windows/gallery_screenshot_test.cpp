// The gallery on a virtual X server: every window stands as a real X window and its picture
// shows the colours it is made of.
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Pixels of exactly colour c in the picture.
int Count(const QImage& image, QColor c)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == c;
    return n;
}

TEST(LedWindowsGallery, EachWindowStandsUnderX)
{
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfbRun.isEmpty())
        GTEST_SKIP() << "xvfb-run is not installed";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    QProcess gallery;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("HOME"), folder.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    // Leaks of system libraries on a real display are no faults of ours.
    env.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral("suppressions=" ORVANTA_SOURCE_DIR "/tests/lsan.supp"));
    gallery.setProcessEnvironment(env);
    gallery.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    gallery.start(xvfbRun, {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x1024x24"),
                            QStringLiteral(LED_WINDOWS_GALLERY), folder.path()});
    ASSERT_TRUE(gallery.waitForFinished(120000));
    EXPECT_EQ(gallery.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(gallery.exitCode(), 0);

    const struct {
        const char* name;
        QColor colour; // a colour the window must show plenty of
        int atLeast;
    } pictures[] = {
        {"editor", QColor(196, 255, 196), 2000},      // stored values, list and record window
        {"editor", QColor(0, 0, 128), 1000},          // the selected row
        {"record", QColor(196, 255, 196), 2000},      // own values of the record (auto keys)
        {"editor", QColor(255, 196, 196), 2000},      // keys the record neither holds nor derives
        {"values", QColor(200, 200, 200), 2000},      // read-only rows
        {"values", QColor(200, 230, 200), 2000},      // writable rows
        {"spectrum", QColor(Qt::white), 20000},       // the plot
        {"spectrumlist", QColor(128, 128, 128), 200}, // the hatch in the margins
        {"reconstruction", QColor(0, 255, 0), 200},   // the reconstructions
        {"fitter", QColor(128, 128, 128), 100},       // the hatch of the observer list
        {"viewsettings", QColor(Qt::white), 1000},
        {"loadsave", QColor(Qt::white), 1000},
        {"textenter", QColor(Qt::white), 500},
    };
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.name);
        const QImage image(folder.filePath(QString::fromLatin1(p.name) + QStringLiteral(".png")));
        ASSERT_FALSE(image.isNull());
        EXPECT_GE(Count(image, p.colour), p.atLeast) << p.colour.name().toStdString();
    }
    // The spectral fill paints in more than a handful of colours.
    const QImage spectrum(folder.filePath(QStringLiteral("spectrum.png")));
    QSet<QRgb> colours;
    for (int x = 0; x < spectrum.width(); ++x)
        colours.insert(spectrum.pixel(x, spectrum.height() - 30));
    EXPECT_GT(colours.size(), 50);
}

} // namespace
