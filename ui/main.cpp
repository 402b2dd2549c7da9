// Velmont: the Orvanta workbench.
#include "app/velmont_app.h"
#include "ui/main_frame.h"

#include <QImage>
#include <QTimer>

#include <clocale>
#include <memory>

int main(int argc, char** argv)
{
    CVelmontApp app(argc, argv);
    app.SetWindowMaker([] { return std::make_unique<CMainFrame>(); });
    // Qt took LC_NUMERIC from the environment; printf and strtod use "." throughout.
    std::setlocale(LC_NUMERIC, "C");
    if (!app.InitInstance()) {
        app.ExitInstance();
        return 1;
    }
    // For the screenshot check: save the main window as a picture once it stands, then quit.
    const QString screenshot = qEnvironmentVariable("VELMONT_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(1500, &app, [&app, screenshot] {
            const bool saved = app.GetMainFrame()->MainWindow()->grab().toImage().save(screenshot, "PNG");
            app.exit(saved ? 0 : 2);
        });
    }
    const int result = app.exec();
    app.ExitInstance();
    return result;
}
