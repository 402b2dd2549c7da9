#pragma once
// What the document needs of the window that shows it: the panes it fills, enables and
// repaints, the status bar, the abort request and the project description. The main frame
// (ui/main_frame.h) implements it, so the document never names a view class and app/ does
// not depend on ui/. A null DocumentViews (tests of the trees) shows nothing.
#include "platform/colorref.h"

#include <QString>
#include <QStringList>

#include <string>

class CVelmontDoc;
class SpectrumTree;
class QProgressBar;
class QWidget;

class DocumentViews {
public:
    // The window itself: parent of the document's questions and messages, carrier of the title.
    virtual QWidget* MainWindow() = 0;

    // --- Editor pane --------------------------------------------------------------------
    // The main panel or the module's editor form in the editor pane.
    virtual QWidget* GetEditorPane() const = 0;
    // Puts a new main panel on document into the editor pane and ends the previous form at
    // once, while the module it edits still exists.
    virtual void ShowMainPanel(CVelmontDoc* document) = 0;
    // Gives every pane the document and lets it fill itself (after a new or opened project).
    virtual void InitialUpdateAllViews(CVelmontDoc* document) = 0;

    // --- Tree panes (null: no such pane) ------------------------------------------------
    virtual QWidget* ModulePane() const = 0;
    virtual QWidget* SpectrumPane() const = 0;
    virtual QWidget* ClipboardPane() const = 0;
    // The module view selects name when it fills itself next; false: there is no module view.
    virtual bool ReselectModule(const QString& name) = 0;
    // Appends the names selected in the spectrum pane (nothing without the pane).
    virtual void BuildSpectrumSelection(std::string& selection) = 0;
    virtual void SetSpectrumLiveMode(bool live) = 0;
    // Forgets the clipboard pane's "all" answers to the overwrite question.
    virtual void ClearClipboardOverwriteAnswers() = 0;

    // --- Diagram and log ----------------------------------------------------------------
    // The plot's settings nest into the document's workspace parameters.
    virtual void NestDiagramSettings(CVelmontDoc* document) = 0;
    // The spectra of tree at selection go to the plot (if any); the diagram repaints.
    virtual void ShowSpectraInDiagram(SpectrumTree& tree, const std::string& selection) = 0;
    virtual void RepaintDiagram() = 0;
    virtual void AddLogLine(COLORREF colour, const std::string& format, const std::string& text) = 0;

    // --- Status bar and busy state ------------------------------------------------------
    // Pane 0 the state, any other value pane 1 (the module status line).
    virtual void SetStatusPaneText(const QString& text, int pane) = 0;
    virtual void SetRemainingTimeText(const QString& text) = 0;
    virtual QProgressBar* GetProgressBar() const = 0;
    virtual void SetBusy(bool busy) = 0;
    // The abort request of the running operation, as the abort command sets it (with its log
    // line); read from any thread.
    virtual void RequestAbort() = 0;
    virtual bool IsAbortRequested() const = 0;
    virtual void ClearAbortRequest() = 0;

    // --- Project ------------------------------------------------------------------------
    virtual const std::string& GetProjectDescription() const = 0;
    virtual void SetProjectDescription(const std::string& text) = 0;
    virtual void SetRecentFiles(const QStringList& displayNames) = 0;

protected:
    ~DocumentViews() = default;
};
