#pragma once
// The project: the module, spectrum and clipboard trees and the workspace settings. The
// document is the host of every module (ModuleInterface): log, progress with remaining time,
// status text, abort query, the busy state between StartCalculation and EndCalculation, live
// mode and the overwrite question. At each new or opened project it rebuilds the module tree
// from the factories of all loaded plug-ins.
//
// All slots run on the GUI thread, except the two log slots and UserWantsAbort, which workers
// of later plug-ins may call: their text is formatted in the caller and handed over by a
// queued call.
#include "app/document_views.h"
#include "app/event_pump.h"
#include "app/module_loader.h"
#include "app/time_calculator.h"
#include "core/clipboard_object.h"
#include "core/module.h"
#include "core/module_interface.h"
#include "core/spectrum.h"

#include <paramora/paramora.h>

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <string>
#include <vector>

class CVelmontDocProject;
enum class OpenResult;
class CMyRecentFileList;
class ModuleFactory;

class CVelmontDoc : public QObject, public ModuleInterface {
    Q_OBJECT
public:
    static constexpr COLORREF kErrorColour = 0x000070;

    explicit CVelmontDoc(QObject* parent = nullptr);
    ~CVelmontDoc() override;

    // The main window whose panes show the project (null: no window, as in tests of the trees).
    void SetMainFrame(DocumentViews* frame) { m_frame = frame; }
    DocumentViews* GetMainFrame() const { return m_frame; }
    // The plug-ins whose factories fill the module tree, in the loader's order.
    void SetModuleLibraries(const std::vector<ModuleLibrary>* libraries) { m_libraries = libraries; }
    // The recent-file list that opened and saved projects join.
    void SetRecentFileList(CMyRecentFileList* list) { m_recentFiles = list; }
    // Seconds since 1970 for the calculation times and the remaining-time estimate.
    void SetClock(TimeCalculator::Clock clock) { m_clock = std::move(clock); }

    // --- Project life cycle -------------------------------------------------------------
    // Starts a new, empty project: main panel in the editor pane, module tree rebuilt from the
    // factories, spectrum and clipboard trees emptied, project description cleared. The last
    // module stays for the main panel.
    virtual bool OnNewDocument();
    // Opens the project file at path: false (the project untouched) only when the file cannot
    // be read; a damaged file leaves an empty project and true.
    virtual bool OnOpenDocument(const QString& path);
    // Writes the project to path (".pxml" appended when the file name has no "."); false, with
    // the message shown and an old file left whole, when it could not be written.
    virtual bool OnSaveDocument(const QString& path);

    void BuildModuleTree();
    // Adds one factory's modules to the module tree (part of BuildModuleTree).
    void AddModulesOf(ModuleFactory* factory);
    void ClearModuleTree();
    bool IsClearingModuleTree() const { return m_clearingModuleTree; }
    bool IsRebuilding() const { return m_rebuilding; }

    // --- Commands of the file menu --------------------------------------------------------
    void OnFileNew();
    void OnFileOpen();
    // Opens path as the project; on success it joins the recent files. False: nothing changed.
    // The bytes are the file's real name (from the command line); a QString comes from a
    // dialog or the recent files and is turned into the real name first.
    bool OpenDocumentFile(const std::string& pathBytes);
    bool OpenDocumentFile(const QString& path);
    // Opens entry index of the recent files; an entry that does not open is removed.
    void OnOpenRecentFile(int index);
    bool OnFileSave();
    bool OnFileSaveAs();
    // Asks "Ja/Nein/Abbrechen" before a modified project is dropped; false: keep it.
    bool SaveModified();

    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    // The project's file as shown (invalid bytes replaced) and its real name.
    const QString& GetPathName() const { return m_pathName; }
    const std::string& GetPathBytes() const { return m_pathBytes; }
    // The file name of the project, "Unbenannt" for a new one.
    QString GetTitle() const;

    // --- Host interface -------------------------------------------------------------------
    SpectrumTree* GetSpectrumTree() override { return &m_spectrumTree; }
    ClipboardTree* GetClipboardTree() override { return &m_clipboardTree; }
    ModuleTree* GetModuleTree() override { return &m_moduleTree; }
    void StartCalculation() override;
    void EndCalculation() override;
    void StartLive() override;
    void EndLive() override;
    void InitLive() override;
    void ResetLive() override;
    Module* GetModule(const std::string& name) override;
    void AddLogMessageV(const char* format, va_list args) override __attribute__((format(printf, 2, 0)));
    void AddLogColorMessageV(COLORREF colour, const char* format, va_list args) override
        __attribute__((format(printf, 3, 0)));
    void SetProgressBarPercentage(double percent) override;
    double GetProgressBarPercentage() override;
    void SetStatusText(const std::string& text) override;
    void RepaintSpecView() override;
    bool UserWantsAbort() override;

    // May the existing spectrum be replaced? Asks the four-answer question; "Ja, alle" and
    // "Nein, alle" hold until the next calculation starts.
    virtual bool ConfirmOverwrite(const Spectrum* existing);

    // Nesting depth of StartCalculation/EndCalculation; only the outermost pair changes state.
    int GetCalculationDepth() const { return m_calculationDepth; }
    // After an exception escaped an event handler: logs "Fehler: " and the text. During a
    // calculation (the handler ran while the operation let events through) the operation is
    // asked to stop; its own bracket ends the calculation when it returns.
    void ReportException(const char* what);

    // --- Data the views and the project file share ---------------------------------------
    std::string m_lastModule;
    std::string m_groupContents;
    QString m_moduleToSelect;
    ns_param::Paramora m_workspaceParams{"WorkspaceParams"};

private:
    friend class CVelmontDocProject;

    // Opens path as the project (OnOpenDocument with the kind of outcome).
    OpenResult OpenProjectFile(const std::string& pathBytes);
    // Reading step of the framework: the file must exist and be readable; else the message.
    bool CanReadProjectFile(const std::string& pathBytes);
    // Steps shared by a new and an opened project: fresh modules, empty trees.
    void ResetProject();
    void AfterProjectChange(const std::string& pathBytes);
    bool DoSave(const std::string& pathBytes);
    // OnSaveDocument on the real name.
    bool SaveDocumentTo(const std::string& pathBytes);
    void SetPathName(const std::string& pathBytes, bool addToRecentFiles);
    void UpdateTitle();
    // The spectra at selection go to the diagram, which repaints.
    void ShowSpectraInDiagram(const std::string& selection);
    void AppendLog(COLORREF colour, const std::string& format, const std::string& text);
    std::int64_t Now() const { return m_clock(); }
    // Lets pending events through (paint, the abort command) when the pump says it is time;
    // GUI thread only, never nested. The test is inline: it runs once per reported point.
    void PumpEventsIfDue()
    {
        if (m_calculationDepth > 0 && !m_pumping && m_eventPump.Due())
            PumpEvents();
    }
    void PumpEvents();
    // The remaining-time pane from the estimate.
    void ShowRemainingTime();

    bool m_clearingModuleTree = false;
    bool m_rebuilding = false;
    ModuleTree m_moduleTree;
    SpectrumTree m_spectrumTree;
    ClipboardTree m_clipboardTree;
    bool m_yesToAll = false;
    bool m_noToAll = false;
    std::string m_storedSelection;

    TimeCalculator::Clock m_clock;
    TimeCalculator m_timeCalculator;
    std::int64_t m_startTime = 0;
    std::int64_t m_endTime = 0;
    int m_calculationDepth = 0;
    // Held from the outermost StartCalculation to its EndCalculation: what the trees replace
    // or delete meanwhile is freed after the operation.
    std::optional<ns_tree::FreeHold> m_freeHold;
    // Progress of the running operation: the bar's position and the phrased seconds of the
    // remaining time in pane 3 (kNotShown: none written yet).
    static constexpr std::int64_t kNotShown = -1;
    int m_progressShown = 0;
    std::int64_t m_remainingShown = kNotShown;
    EventPump m_eventPump;
    bool m_pumping = false;
    std::thread::id m_guiThread;
    // Drops user input to the editor pane while an operation runs and events flow.
    class InputBlocker;
    std::unique_ptr<InputBlocker> m_inputBlocker;

    bool m_modified = false;
    QString m_pathName;
    std::string m_pathBytes;
    DocumentViews* m_frame = nullptr;
    const std::vector<ModuleLibrary>* m_libraries = nullptr;
    CMyRecentFileList* m_recentFiles = nullptr;
};

// Formats an elapsed time as "%H:%M:%S" of a time span (hours 0..23).
std::string FormatDuration(std::int64_t seconds);
// The status line after a calculation: "Start: %s | Ende: %s | Dauer: %s" in local times, or
// "" when the seconds part of the elapsed time is 5 or less.
std::string CalculationTimesText(std::int64_t start, std::int64_t end);
