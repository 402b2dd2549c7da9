#include "app/velmont_doc.h"

#include "app/log_model.h"
#include "app/project_file.h"
#include "app/recent_file_list.h"
#include "app/yes_no_dialog.h"
#include "core/module_factory.h"
#include "core/plugin_entry.h"
#include "platform/data_exchange.h"
#include "platform/file_chooser.h"
#include "platform/file_names.h"
#include "platform/prompter.h"
#include "platform/regular_file.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QThread>
#include <QPointer>
#include <QEvent>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace {

std::int64_t SystemSeconds()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::string LocalTimeText(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

// The bar position of a percentage: percent x 100 truncated, within 0..10000 (NaN gives 0).
int ProgressPosition(double percent)
{
    const double scaled = percent * 100.0;
    if (!(scaled > 0.0))
        return 0;
    if (scaled >= 10000.0)
        return 10000;
    return static_cast<int>(scaled);
}

} // namespace

std::string FormatDuration(std::int64_t seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600 % 24),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

std::string CalculationTimesText(std::int64_t start, std::int64_t end)
{
    const std::int64_t elapsed = end - start;
    // Only the seconds part counts (as designed): 66 s shows the line, 65 s does not.
    if (elapsed % 60 <= 5)
        return {};
    char text[256];
    std::snprintf(text, sizeof text, "Start: %s | Ende: %s | Dauer: %s", LocalTimeText(start).c_str(),
                  LocalTimeText(end).c_str(), FormatDuration(elapsed).c_str());
    return text;
}

// While an operation runs on the GUI thread and the host lets events through, a click or a key
// on the editor pane must not start a second operation or change the running module's
// parameters: such input is dropped. The frame's abort command and the diagram stay live.
class CVelmontDoc::InputBlocker : public QObject {
public:
    explicit InputBlocker(DocumentViews* views) : m_views(views), m_window(views->MainWindow()) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::Drop:
        case QEvent::DragEnter:
        case QEvent::DragMove:
            break;
        default:
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* pane = m_window ? m_views->GetEditorPane() : nullptr;
        return widget && pane && (widget == pane || pane->isAncestorOf(widget));
    }

private:
    DocumentViews* m_views;
    // The views' window: once it is gone, nothing is blocked.
    QPointer<QWidget> m_window;
};

CVelmontDoc::CVelmontDoc(QObject* parent)
    : QObject(parent), m_clock(SystemSeconds), m_timeCalculator([this] { return m_clock(); }),
      m_guiThread(std::this_thread::get_id())
{
}

CVelmontDoc::~CVelmontDoc()
{
    if (m_inputBlocker)
        qApp->removeEventFilter(m_inputBlocker.get());
    // The trees end while the whole document still stands: a module or spectrum may call its
    // host as it goes (a last log line).
    m_clipboardTree.ClearTree();
    m_spectrumTree.ClearTree();
    ClearModuleTree();
}

// --- Project life cycle ---------------------------------------------------------------------

bool CVelmontDoc::OnNewDocument()
{
    m_modified = false;
    ResetProject();
    // The last module stays: the new project's main panel still names it.
    m_moduleToSelect.clear();
    if (m_frame)
        m_frame->SetProjectDescription({});
    return true;
}

void CVelmontDoc::ResetProject()
{
    // The form in the editor pane ends first, while the module it edits still exists: its
    // destructor may let go of what it observes in the module.
    if (m_frame)
        m_frame->ShowMainPanel(this);
    ClearModuleTree();
    BuildModuleTree();
    m_rebuilding = true;
    // The plot shows nothing now: the spectra it showed are about to go.
    ShowSpectraInDiagram({});
    m_spectrumTree.ClearTree();
    m_clipboardTree.ClearTree();
    m_rebuilding = false;
}

bool CVelmontDoc::CanReadProjectFile(const std::string& pathBytes)
{
    // A pipe is refused, not waited on: its open would wait for a writer.
    platform::FileRefusal refusal = platform::FileRefusal::None;
    const int fd = platform::OpenRegularFile(pathBytes.c_str(), &refusal);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    const QString text = refusal == platform::FileRefusal::NotRegular
                             ? QStringLiteral("Die Datei '%1' kann nicht geöffnet werden: Sie ist keine gewöhnliche "
                                              "Datei, sondern ein Ordner, eine Pipe oder ein Gerät.")
                             : QStringLiteral("Die Datei '%1' kann nicht geöffnet werden.");
    platform::ShowMessage(m_frame ? m_frame->MainWindow() : nullptr, QStringLiteral("Fehler"),
                          text.arg(platform::ShownFileName(pathBytes)), platform::PromptIcon::Error);
    return false;
}

// The document, its frame and its views as saving and opening the project file see them.
class CVelmontDocProject final : public ProjectDocument {
public:
    explicit CVelmontDocProject(CVelmontDoc& document) : m_doc(document) {}

    ModuleInterface& Host() override { return m_doc; }
    ns_param::Paramora& WorkspaceParams() override { return m_doc.m_workspaceParams; }
    std::string& LastModule() override { return m_doc.m_lastModule; }
    std::string GetProjectDescription() override
    {
        return m_doc.m_frame ? m_doc.m_frame->GetProjectDescription() : std::string();
    }
    void SetProjectDescription(const std::string& text) override
    {
        if (m_doc.m_frame)
            m_doc.m_frame->SetProjectDescription(text);
    }
    void SetStatusState(const QString& text) override
    {
        if (m_doc.m_frame)
            m_doc.m_frame->SetStatusPaneText(text, 0);
    }
    void LogToWindow(COLORREF colour, const std::string& format, const std::string& line) override
    {
        m_doc.AppendLog(colour, format, line);
    }
    QWidget* MessageParent() override { return m_doc.m_frame ? m_doc.m_frame->MainWindow() : nullptr; }
    bool OpenFileStep(const std::string& path) override
    {
        return m_doc.CanReadProjectFile(path);
    }
    void ResetProject() override { m_doc.ResetProject(); }
    void SelectModule(const std::string& name) override
    {
        m_doc.m_moduleToSelect = QString::fromStdString(name);
        if (m_doc.m_frame && m_doc.m_frame->ReselectModule(m_doc.m_moduleToSelect))
            m_doc.m_moduleToSelect.clear();
    }
    void StoreOpenForm() override
    {
        // As the module view does before it replaces a form: what the user sees is saved.
        QWidget* pane = m_doc.m_frame ? m_doc.m_frame->GetEditorPane() : nullptr;
        if (auto* form = dynamic_cast<platform::DataExchanger*>(pane))
            form->UpdateData(true);
    }

private:
    CVelmontDoc& m_doc;
};

OpenResult CVelmontDoc::OpenProjectFile(const std::string& pathBytes)
{
    m_moduleToSelect.clear();
    // The plot's settings must stand in the workspace before it is read.
    if (m_frame)
        m_frame->NestDiagramSettings(this);
    CVelmontDocProject project(*this);
    return OpenProject(project, pathBytes);
}

bool CVelmontDoc::OnOpenDocument(const QString& path)
{
    return OpenProjectFile(platform::FileNameBytes(path)) != OpenResult::Failed;
}

bool CVelmontDoc::OnSaveDocument(const QString& path)
{
    return SaveDocumentTo(platform::FileNameBytes(path));
}

bool CVelmontDoc::SaveDocumentTo(const std::string& pathBytes)
{
    CVelmontDocProject project(*this);
    if (!SaveProject(project, pathBytes))
        return false;
    SetModifiedFlag(false);
    return true;
}

void CVelmontDoc::BuildModuleTree()
{
    if (!m_libraries)
        return;
    for (const ModuleLibrary& library : *m_libraries) {
        auto entry = reinterpret_cast<GetModuleFactoryFn>(dlsym(library.handle, kGetModuleFactoryName));
        if (!entry)
            continue;
        ModuleFactory* factory = entry();
        if (!factory)
            std::fprintf(stderr, "velmont: %s gives no module factory\n", library.name.c_str());
        AddModulesOf(factory);
    }
}

void CVelmontDoc::AddModulesOf(ModuleFactory* factory)
{
    if (!factory)
        return;
    const int count = factory->GetModuleCount();
    for (int i = 0; i < count; ++i) {
        Module* module = factory->CreateModule(i);
        const std::string menuPath = factory->GetModuleName(i);
        if (!module) {
            std::fprintf(stderr, "velmont: no module for \"%s\"\n", menuPath.c_str());
            continue;
        }
        // The "|" hyphenation marks stay in the name; the module view removes them for display.
        const std::string path = ns_tree::NormalizePath(menuPath);
        module->SetName(path);
        // A module already standing at that path is replaced (and deleted by the tree).
        if (!m_moduleTree.AddInserter(module)) {
            std::fprintf(stderr, "velmont: module \"%s\" has no place in the module tree\n", menuPath.c_str());
            delete module;
            continue;
        }
        module->SetModuleInterface(this);
    }
}

void CVelmontDoc::ClearModuleTree()
{
    m_clearingModuleTree = true;
    m_moduleTree.ClearTree();
    m_clearingModuleTree = false;
}

// --- Commands of the file menu ------------------------------------------------------------------

QString CVelmontDoc::GetTitle() const
{
    return m_pathName.isEmpty() ? QStringLiteral("Unbenannt") : QFileInfo(m_pathName).fileName();
}

void CVelmontDoc::UpdateTitle()
{
    if (m_frame)
        m_frame->MainWindow()->setWindowTitle(GetTitle() + QStringLiteral(" - OrvantaGUI"));
}

void CVelmontDoc::SetPathName(const std::string& pathBytes, bool addToRecentFiles)
{
    std::error_code noThrow;
    m_pathBytes = pathBytes.empty() ? std::string() : std::filesystem::absolute(pathBytes, noThrow).lexically_normal().string();
    if (m_pathBytes.empty() && !pathBytes.empty())
        m_pathBytes = pathBytes;
    m_pathName = platform::ShownFileName(m_pathBytes);
    if (addToRecentFiles && m_recentFiles && !m_pathName.isEmpty()) {
        m_recentFiles->Add(m_pathName);
        if (m_frame)
            m_frame->SetRecentFiles(m_recentFiles->DisplayNames());
    }
    UpdateTitle();
}

void CVelmontDoc::AfterProjectChange(const std::string& pathBytes)
{
    m_modified = false;
    SetPathName(pathBytes, !pathBytes.empty());
    if (m_frame)
        m_frame->InitialUpdateAllViews(this);
}

void CVelmontDoc::OnFileNew()
{
    if (!SaveModified())
        return;
    if (!OnNewDocument())
        return;
    AfterProjectChange({});
}

void CVelmontDoc::OnFileOpen()
{
    if (!SaveModified())
        return;
    const QString path = platform::GetFileChooser().GetOpenFileName(
        m_frame ? m_frame->MainWindow() : nullptr, QStringLiteral("Öffnen"), QFileInfo(m_pathName).absolutePath(),
        QStringLiteral("Orvanta-Projekte (*.pxml);;Alle Dateien (*)"));
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

bool CVelmontDoc::OpenDocumentFile(const QString& path)
{
    return OpenDocumentFile(platform::FileNameBytes(path));
}

bool CVelmontDoc::OpenDocumentFile(const std::string& pathBytes)
{
    const OpenResult result = OpenProjectFile(pathBytes);
    if (result == OpenResult::Failed)
        return false;
    // A damaged file leaves an empty project without a file name, so that saving asks for one
    // instead of overwriting the file with nothing.
    AfterProjectChange(result == OpenResult::Loaded ? pathBytes : std::string());
    return true;
}

void CVelmontDoc::OnOpenRecentFile(int index)
{
    if (!m_recentFiles || index < 0 || index >= m_recentFiles->GetSize())
        return;
    if (!SaveModified())
        return;
    if (!OpenDocumentFile(m_recentFiles->GetPath(index))) {
        m_recentFiles->Remove(index);
        if (m_frame)
            m_frame->SetRecentFiles(m_recentFiles->DisplayNames());
    }
}

bool CVelmontDoc::DoSave(const std::string& pathBytes)
{
    std::string target = pathBytes;
    if (target.empty()) {
        const QString proposal = m_pathName.isEmpty() ? GetTitle() : m_pathName;
        const QString chosen = platform::GetFileChooser().GetSaveFileName(
            m_frame ? m_frame->MainWindow() : nullptr, QStringLiteral("Speichern unter"), proposal,
            QStringLiteral("Orvanta-Projekte (*.pxml);;Alle Dateien (*)"));
        if (chosen.isEmpty())
            return false;
        target = platform::FileNameBytes(chosen);
    }
    // Path, title and recent entry take the path actually written.
    target = ProjectSavePath(target);
    if (!SaveDocumentTo(target))
        return false;
    SetPathName(target, true);
    return true;
}

bool CVelmontDoc::OnFileSave()
{
    return DoSave(m_pathBytes);
}

bool CVelmontDoc::OnFileSaveAs()
{
    return DoSave(std::string());
}

bool CVelmontDoc::SaveModified()
{
    if (!m_modified)
        return true;
    switch (platform::GetPrompter().Prompt(m_frame ? m_frame->MainWindow() : nullptr, QStringLiteral("OrvantaGUI"),
                                           QStringLiteral("Änderungen in %1 speichern?").arg(GetTitle()),
                                           platform::PromptIcon::Warning, platform::PromptButtons::YesNoCancel)) {
    case platform::PromptAnswer::Yes: return OnFileSave();
    case platform::PromptAnswer::No: return true;
    default: return false;
    }
}

// --- Host interface ------------------------------------------------------------------------------

void CVelmontDoc::ShowSpectraInDiagram(const std::string& selection)
{
    if (m_frame)
        m_frame->ShowSpectraInDiagram(m_spectrumTree, selection);
}

void CVelmontDoc::StartCalculation()
{
    // Modules pump events, so an operation can start inside another: only the outermost
    // pair changes the state.
    if (++m_calculationDepth > 1)
        return;
    m_freeHold.emplace();
    m_yesToAll = false;
    m_noToAll = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_frame) {
        if (QWidget* modules = m_frame->ModulePane()) {
            modules->setEnabled(false);
            modules->repaint();
        }
        m_storedSelection.clear();
        m_frame->BuildSpectrumSelection(m_storedSelection);
        ShowSpectraInDiagram(m_storedSelection);
        if (QWidget* spectra = m_frame->SpectrumPane())
            spectra->repaint();
        if (QWidget* clipboard = m_frame->ClipboardPane())
            clipboard->repaint();
        if (QWidget* spectra = m_frame->SpectrumPane())
            spectra->setEnabled(false);
        if (QWidget* clipboard = m_frame->ClipboardPane()) {
            clipboard->setEnabled(false);
            m_frame->ClearClipboardOverwriteAnswers();
        }
        m_frame->GetProgressBar()->setValue(0);
        m_frame->SetStatusPaneText(QStringLiteral("Arbeite"), 0);
        m_frame->SetBusy(true);
        m_inputBlocker = std::make_unique<InputBlocker>(m_frame);
        qApp->installEventFilter(m_inputBlocker.get());
    }
    m_progressShown = 0;
    m_remainingShown = kNotShown;
    m_eventPump.Restart();
    m_timeCalculator.Start();
    m_startTime = Now();
}

void CVelmontDoc::EndCalculation()
{
    if (m_calculationDepth == 0)
        return;
    if (--m_calculationDepth > 0)
        return;
    if (m_inputBlocker) {
        qApp->removeEventFilter(m_inputBlocker.get());
        m_inputBlocker.reset();
    }
    if (m_frame) {
        // The selection of the start, resolved again: replaced spectra show in their new form.
        ShowSpectraInDiagram(m_storedSelection);
        m_frame->SetStatusPaneText(QString(), 1);
        m_frame->GetProgressBar()->setValue(0);
        m_frame->SetBusy(false);
        m_frame->ClearAbortRequest();
    }
    m_timeCalculator.Stop();
    m_remainingShown = kNotShown;
    if (m_frame) {
        m_frame->SetRemainingTimeText(QString());
        if (QWidget* modules = m_frame->ModulePane())
            modules->setEnabled(true);
        if (QWidget* spectra = m_frame->SpectrumPane()) {
            spectra->setEnabled(true);
            spectra->repaint();
        }
        if (QWidget* clipboard = m_frame->ClipboardPane()) {
            clipboard->setEnabled(true);
            clipboard->repaint();
            m_frame->ClearClipboardOverwriteAnswers();
        }
        m_frame->SetStatusPaneText(QStringLiteral("Bereit"), 0);
    }
    QApplication::restoreOverrideCursor();
    m_endTime = Now();
    const std::string times = CalculationTimesText(m_startTime, m_endTime);
    if (!times.empty())
        SetStatusText(times);
    m_freeHold.reset();
}

void CVelmontDoc::ReportException(const char* what)
{
    AddLogColorMessage(kErrorColour, "Fehler: %s", what ? what : "unbekannte Ausnahme");
    // Ending the calculation here would unlock the trees, the File commands and input and free
    // what the trees let go while the operation still runs on below this handler.
    if (m_calculationDepth > 0 && m_frame)
        m_frame->RequestAbort();
}

void CVelmontDoc::StartLive() {}

void CVelmontDoc::EndLive()
{
    std::string selection;
    if (m_frame)
        m_frame->BuildSpectrumSelection(selection);
    ShowSpectraInDiagram(selection);
}

void CVelmontDoc::InitLive()
{
    if (!m_frame)
        return;
    if (QWidget* modules = m_frame->ModulePane())
        modules->setEnabled(false);
    m_frame->SetSpectrumLiveMode(true);
    m_frame->SetStatusPaneText(QStringLiteral("Livemessung"), 1);
}

void CVelmontDoc::ResetLive()
{
    if (!m_frame)
        return;
    if (QWidget* modules = m_frame->ModulePane())
        modules->setEnabled(true);
    m_frame->SetSpectrumLiveMode(false);
    m_frame->SetStatusPaneText(QString(), 1);
}

Module* CVelmontDoc::GetModule(const std::string&)
{
    return nullptr;
}

void CVelmontDoc::AppendLog(COLORREF colour, const std::string& format, const std::string& text)
{
    if (m_frame)
        m_frame->AddLogLine(colour, format, text);
}

void CVelmontDoc::AddLogMessageV(const char* format, va_list args)
{
    AddLogColorMessageV(LogModel::kDefaultColour, format, args);
}

void CVelmontDoc::AddLogColorMessageV(COLORREF colour, const char* format, va_list args)
{
    // Formatted once, here in the caller's thread.
    std::string text = LogModel::FormatMessage(format, args);
    std::string formatText = format ? format : "";
    if (QThread::currentThread() == thread()) {
        AppendLog(colour, formatText, text);
        return;
    }
    // From a worker: queued to the GUI thread, never waiting; dropped if the document is gone.
    QMetaObject::invokeMethod(
        this, [this, colour, formatText = std::move(formatText), text = std::move(text)] {
            AppendLog(colour, formatText, text);
        },
        Qt::QueuedConnection);
}

void CVelmontDoc::SetProgressBarPercentage(double percent)
{
    // Called up to once per point of a long loop: the bar moves only when its position
    // changes, and events flow at most every 50 ms.
    const int position = ProgressPosition(percent);
    if (position != m_progressShown) {
        m_progressShown = position;
        if (m_frame)
            m_frame->GetProgressBar()->setValue(position);
    }
    // Every report feeds the estimate, also one that stands or goes back: the time left grows
    // while the progress does not.
    m_timeCalculator.Update(percent);
    ShowRemainingTime();
    PumpEventsIfDue();
}

void CVelmontDoc::ShowRemainingTime()
{
    if (!m_frame)
        return;
    // The text is a function of the phrased seconds: while they stay, the pane already shows
    // the text of this report, and a report per point costs no text.
    const std::int64_t seconds = m_timeCalculator.GetPhrasedSeconds();
    if (seconds == m_remainingShown)
        return;
    m_remainingShown = seconds;
    m_frame->SetRemainingTimeText(QStringLiteral("noch ") + QString::fromStdString(m_timeCalculator.GetRemainingText()));
}

void CVelmontDoc::PumpEvents()
{
    m_pumping = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    m_pumping = false;
}

double CVelmontDoc::GetProgressBarPercentage()
{
    return m_frame ? m_frame->GetProgressBar()->value() / 100.0 : 0.0;
}

void CVelmontDoc::SetStatusText(const std::string& text)
{
    if (m_frame)
        m_frame->SetStatusPaneText(QString::fromStdString(text), 1);
    PumpEventsIfDue();
}

void CVelmontDoc::RepaintSpecView()
{
    if (m_frame)
        m_frame->RepaintDiagram();
}

bool CVelmontDoc::UserWantsAbort()
{
    // Workers may ask too: they only read the flag.
    if (std::this_thread::get_id() == m_guiThread)
        PumpEventsIfDue();
    return m_frame && m_frame->IsAbortRequested();
}

bool CVelmontDoc::ConfirmOverwrite(const Spectrum* existing)
{
    if (m_yesToAll)
        return true;
    if (m_noToAll)
        return false;
    const std::string name = existing ? existing->GetName() : std::string();
    const std::string text = "Der Eintrag '" + name + "' existiert bereits. Soll er überschrieben werden?";
    switch (ShowYesNoDialog(text)) {
    case CYesNoDialog::Yes: return true;
    case CYesNoDialog::YesToAll: m_yesToAll = true; return true;
    case CYesNoDialog::NoToAll: m_noToAll = true; return false;
    default: return false;
    }
}
