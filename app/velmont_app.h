#pragma once
// The application: start-up (status windows, plug-ins, document and main window, the project
// of the command line), the application-level commands (about) and the orderly exit: panes
// first, then the document with its modules, then the plug-ins.
#include "app/module_loader.h"
#include "app/program_window.h"
#include "app/recent_file_list.h"

#include <QApplication>
#include <QTranslator>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CVelmontDoc;

class CVelmontApp : public QApplication {
    Q_OBJECT
public:
    CVelmontApp(int& argc, char** argv);
    ~CVelmontApp() override;

    // The start-up sequence; false ends the program (a project on the command line that does
    // not open).
    bool InitInstance();
    // Closes the window, destroys the document and unloads the plug-ins; writes the recent files.
    int ExitInstance();

    // Exceptions that escape an event handler are logged; a running calculation is asked to
    // stop (CVelmontDoc::ReportException).
    bool notify(QObject* receiver, QEvent* event) override;

    // The two start-up waits, 2000 ms each by default.
    void SetStatusWait(int ms) { m_statusWaitMs = ms; }
    // Loads the plug-ins of folder (the program's own at start-up) behind a status window.
    void LoadModuleLibraries(const QString& folder, QWidget* parent);

    void OnAppAbout();

    // Makes the main window at start-up (the program's entry gives the main frame).
    using WindowMaker = std::function<std::unique_ptr<ProgramWindow>()>;
    void SetWindowMaker(WindowMaker maker) { m_windowMaker = std::move(maker); }

    ProgramWindow* GetMainFrame() const { return m_frame.get(); }
    CVelmontDoc* GetDocument() const { return m_document.get(); }

private:

    // The command line as bytes, without the arguments Qt took: file names that are not
    // UTF-8 must reach open() unchanged.
    std::vector<std::string> m_arguments;
    std::vector<ModuleLibrary> m_moduleLibraries;
    CMyRecentFileList m_recentFiles;
    // Qt's own texts (file chooser, message box buttons) in German.
    QTranslator m_qtTranslator;
    std::unique_ptr<CVelmontDoc> m_document;
    WindowMaker m_windowMaker;
    std::unique_ptr<ProgramWindow> m_frame;
    int m_statusWaitMs = 2000;
};

// The command line's part of the start-up: a new project without an argument, else the project
// file the first argument names (arguments[0] is the program). False when that project could
// not be opened; the program then ends.
bool ProcessShellCommand(CVelmontDoc& document, const std::vector<std::string>& arguments);

// Tells document (if any) of an exception that escaped an event handler (null: not a standard
// exception).
void ReportEscapedException(CVelmontDoc* document, const char* what);

// Runs dispatch; an exception it throws is reported to document and gives false.
template <class Dispatch>
bool DispatchReportingExceptions(CVelmontDoc* document, Dispatch&& dispatch)
{
    try {
        return dispatch();
    } catch (const std::exception& error) {
        ReportEscapedException(document, error.what());
    } catch (...) {
        ReportEscapedException(document, nullptr);
    }
    return false;
}
