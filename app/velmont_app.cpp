#include "app/velmont_app.h"

#include "app/about_dlg.h"
#include "app/velmont_doc.h"
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>

namespace {

QSettings ProgramSettings()
{
    return QSettings(QStringLiteral("Orvanta"), QStringLiteral("OrvantaGUI"));
}

} // namespace

void ReportEscapedException(CVelmontDoc* document, const char* what)
{
    if (document)
        document->ReportException(what);
}

CVelmontApp::CVelmontApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // QApplication has taken its own arguments out of argv by now.
    for (int i = 0; i < argc; ++i)
        m_arguments.emplace_back(argv[i]);
    setApplicationName(QStringLiteral("OrvantaGUI"));
    setOrganizationName(QStringLiteral("Orvanta"));
}

CVelmontApp::~CVelmontApp()
{
    ExitInstance();
}

bool CVelmontApp::notify(QObject* receiver, QEvent* event)
{
    return DispatchReportingExceptions(m_document.get(), [&] { return QApplication::notify(receiver, event); });
}

bool CVelmontApp::InitInstance()
{
    if (m_qtTranslator.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&m_qtTranslator);
    {
        QSettings settings = ProgramSettings();
        m_recentFiles.ReadList(settings);
    }
    ShowStatusFor(nullptr, QStringLiteral("Prüfe die Orvanta™-Umgebung."), m_statusWaitMs);
    LoadModuleLibraries(applicationDirPath(), nullptr);

    m_document = std::make_unique<CVelmontDoc>();
    if (m_windowMaker)
        m_frame = m_windowMaker();
    if (!m_frame || !m_frame->Build())
        return false;
    m_document->SetMainFrame(m_frame.get());
    m_document->SetModuleLibraries(&m_moduleLibraries);
    m_document->SetRecentFileList(&m_recentFiles);
    m_frame->SetRecentFiles(m_recentFiles.DisplayNames());
    m_frame->ConnectDocument(m_document.get(), [this] { OnAppAbout(); });

    if (!ProcessShellCommand(*m_document, m_arguments))
        return false;
    m_frame->MainWindow()->show();
    return true;
}

bool ProcessShellCommand(CVelmontDoc& document, const std::vector<std::string>& arguments)
{
    // The first argument that Qt did not take is a project to open; without one a new project
    // starts. A project that cannot be opened has said why in its message box.
    if (arguments.size() <= 1) {
        document.OnFileNew();
        return true;
    }
    return document.OpenDocumentFile(arguments[1]);
}

void CVelmontApp::LoadModuleLibraries(const QString& folder, QWidget* parent)
{
    m_moduleLibraries = ::LoadModuleLibraries(folder, parent, m_statusWaitMs);
}

void CVelmontApp::OnAppAbout()
{
    auto* about = new CAboutDlg;
    about->show();
}

int CVelmontApp::ExitInstance()
{
    // Panes first (they let go of the trees), then the document (its trees delete the modules,
    // whose code lives in the plug-ins), then the plug-ins. The document lets go of the window
    // before it goes: what the document is told from then on (a module's last log line) reaches
    // no window.
    if (m_document)
        m_document->SetMainFrame(nullptr);
    m_frame.reset();
    m_document.reset();
    FreeModuleLibraries(m_moduleLibraries);
    QSettings settings = ProgramSettings();
    m_recentFiles.WriteList(settings);
    return 0;
}
