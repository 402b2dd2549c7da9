#include "app/velmont_app.h"

#include "app/about_dlg.h"
#include "app/velmont_doc.h"
#include "ui/command_ids.h"
#include "ui/main_frame.h"

#include <QAction>
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
    m_frame = std::make_unique<CMainFrame>();
    m_frame->PlaceOnScreen();
    if (!m_frame->BuildLayout())
        return false;
    m_document->SetMainFrame(m_frame.get());
    m_document->SetModuleLibraries(&m_moduleLibraries);
    m_document->SetRecentFileList(&m_recentFiles);
    m_frame->SetRecentFiles(m_recentFiles.DisplayNames());
    ConnectCommands();

    // The first argument that Qt did not take is a project to open.
    // A project that cannot be opened has said why; the program goes on with a new one.
    if (m_arguments.size() <= 1 || !m_document->OpenDocumentFile(m_arguments[1]))
        m_document->OnFileNew();
    m_frame->show();
    return true;
}

void CVelmontApp::LoadModuleLibraries(const QString& folder, QWidget* parent)
{
    m_moduleLibraries = ::LoadModuleLibraries(folder, parent, m_statusWaitMs);
}

void CVelmontApp::ConnectCommands()
{
    CVelmontDoc* doc = m_document.get();
    CMainFrame* frame = m_frame.get();
    connect(frame->Action(cmd::FileNew), &QAction::triggered, doc, &CVelmontDoc::OnFileNew);
    connect(frame->Action(cmd::FileOpen), &QAction::triggered, doc, &CVelmontDoc::OnFileOpen);
    connect(frame->Action(cmd::FileSave), &QAction::triggered, doc, &CVelmontDoc::OnFileSave);
    connect(frame->Action(cmd::FileSaveAs), &QAction::triggered, doc, &CVelmontDoc::OnFileSaveAs);
    connect(frame->Action(cmd::About), &QAction::triggered, this, &CVelmontApp::OnAppAbout);
    connect(frame, &CMainFrame::recentFileRequested, doc, &CVelmontDoc::OnOpenRecentFile);
    frame->SetCloseQuery([doc] { return doc->SaveModified(); });
}

void CVelmontApp::OnAppAbout()
{
    auto* about = new CAboutDlg;
    about->show();
}

int CVelmontApp::ExitInstance()
{
    // Panes first (they let go of the trees), then the document (its trees delete the modules,
    // whose code lives in the plug-ins), then the plug-ins.
    m_frame.reset();
    m_document.reset();
    FreeModuleLibraries(m_moduleLibraries);
    QSettings settings = ProgramSettings();
    m_recentFiles.WriteList(settings);
    return 0;
}
