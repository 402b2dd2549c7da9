#pragma once
// The main window: menu, toolbar, status bar with four panes (state, module status line,
// progress 0..10000, remaining time) and six panes in four splitters. During a calculation it
// shows the busy state and offers "Abbrechen"; it carries the drags from the tree panes to the
// drop fields of the editor forms.
#include "app/program_window.h"
#include "platform/colorref.h"
#include "ui/frame_layout.h"

#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QSplitter>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CClipboardTreeView;
class CLogWindowView;
class CModuleView;
class CSpecDiagramView;
class CSpecDisplay;
class SpecPlotLink;
class CSpecListView;
class CVelmontDoc;
class ModuleDropTarget;
class QProgressBar;
class QToolBar;

// A splitter that lays out its panes as the frame's splitters do (FitPanes): each pane but the
// last keeps its ideal size when the splitter is resized, the last takes the rest. Dragging a
// bar makes the sizes the user left the new ideal ones.
class CPaneSplitter : public QSplitter {
    Q_OBJECT
public:
    explicit CPaneSplitter(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Stores the ideal sizes and minima of the panes (in pane order) and lays them out.
    void SetPaneSizes(std::span<const PaneSize> panes);
    // Changes the ideal size and minimum of one pane and lays the panes out again.
    void SetPaneSize(int index, PaneSize pane);
    // The room the panes share: the splitter's length without its handles.
    int AvailableLength() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Apply();
    void TakeDraggedSizes();

    std::vector<PaneSize> m_panes;
};

// The upper splitter: remembers the width of its last column and the height of its row as the
// user leaves them, so that resizing the frame keeps the right column's width.
class MySplitter : public CPaneSplitter {
    Q_OBJECT
public:
    explicit MySplitter(Qt::Orientation orientation, QWidget* parent = nullptr);

    int GetLastColumnWidth() const { return m_lastColumnWidth; }
    void SetLastColumnWidth(int width) { m_lastColumnWidth = width; }
    int GetFirstRowHeight() const { return m_firstRowHeight; }
    void SetFirstRowHeight(int height) { m_firstRowHeight = height; }

private:
    void OnSplitterMoved();

    int m_lastColumnWidth = 300;
    int m_firstRowHeight = 300;
};

// Status pane 0: filled in the busy colour while its text is exactly "Arbeite", else in the idle
// colour; the text centred in black.
class CStatusStatePane : public QLabel {
    Q_OBJECT
public:
    static constexpr COLORREF kBusyColour = 0xB4D6F0;
    static constexpr COLORREF kIdleColour = 0xD6F0B4;
    explicit CStatusStatePane(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class CMainFrame : public QMainWindow, public ProgramWindow {
    Q_OBJECT
public:
    // Menu and status bar background.
    static constexpr COLORREF kMenuColour = 0xF0D6B4;
    static constexpr COLORREF kHintColour = 0x000070;
    static constexpr COLORREF kAbortColour = 0x0000FF;

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the splitters and panes; on failure shows the splitter error and answers false.
    bool BuildLayout();
    bool IsLayoutBuilt() const { return m_layoutBuilt; }
    // Three quarters of the screen, centred.
    void PlaceOnScreen();

    // Status panes: 0 the state, any other value pane 1 (the module status line).
    void SetStatusPaneText(const QString& text, int pane) override;
    void SetStatusText(const QString& text) { SetStatusPaneText(text, 1); }
    void SetRemainingTimeText(const QString& text) override;
    QString GetStatusPaneText(int pane) const;

    // Busy: "Abbrechen" available, file, help, about and exit not.
    void SetBusy(bool busy) override;
    bool IsBusy() const { return m_busy; }
    // Applies every command's state rule to the menu and the toolbar.
    void UpdateActions();

    QProgressBar* GetProgressBar() const override { return m_progressBar; }

    // The abort request of "Abbrechen" (also made by the document when an exception escapes an
    // event handler during a run); read from any thread, cleared when a calculation ends.
    void RequestAbort() override;
    bool IsAbortRequested() const override { return m_abortRequested.load(); }
    void ClearAbortRequest() override { m_abortRequested.store(false); }

    CModuleView* GetModuleView() const { return m_moduleView; }
    CSpecListView* GetSpecListView() const { return m_specListView; }
    CSpecDiagramView* GetDiagramView() const { return m_diagramView; }
    CLogWindowView* GetLogView() const { return m_logView; }
    CClipboardTreeView* GetClipboardView() const { return m_clipboardView; }
    // The editor pane (upper centre): the main panel or a module's editor form.
    QWidget* GetEditorPane() const override;
    // When the view that leaves the editor pane is deleted: once the event loop gets back
    // (its own handler may still be running), or at once (the document ends the project:
    // a form must go while the module it edits still exists), together with every earlier
    // view still waiting for its deletion. The frame's end deletes waiting views too.
    enum class PaneEnd { Later, Now };
    // Puts view into the editor pane; the previous view is deleted as end says.
    void ReplaceEditorPane(QWidget* view, PaneEnd end = PaneEnd::Later);
    // The diagram's plot as the spectrum pane uses it; null while there is no plot. A link
    // set with SetSpecPlot (tests) takes precedence; null gives the diagram's plot again.
    SpecPlotLink* GetSpecPlot();
    void SetSpecPlot(SpecPlotLink* plot) { m_specPlotOverride = plot; }
    // Gives every pane the document and runs its OnInitialUpdate (after a new or opened project).
    void InitialUpdateAllViews(CVelmontDoc* document) override;

    CPaneSplitter* GetOuterSplitter() const { return m_outerSplitter; }
    MySplitter* GetUpperSplitter() const { return m_upperSplitter; }
    CPaneSplitter* GetCentreSplitter() const { return m_centreSplitter; }
    CPaneSplitter* GetRightSplitter() const { return m_rightSplitter; }
    bool IsLogShown() const { return m_logShown; }

    // The project description, saved with the project; a new project empties it.
    const std::string& GetProjectDescription() const override { return m_projectDescription; }
    void SetProjectDescription(const std::string& text) override { m_projectDescription = text; }

    // Picture-export size of the diagram (set by the display options).
    int GetExportWidth() const { return m_exportWidth; }
    int GetExportHeight() const { return m_exportHeight; }
    void SetExportSize(int width, int height);

    bool GetAlphabeticSort() const { return m_alphabeticSort; }
    bool GetRecursiveSort() const { return m_recursiveSort; }

    // The menu and toolbar action of a command id (null for an unknown id).
    QAction* Action(int id) const;
    // Rebuilds the recent-file entries of the file menu (ids 57616 on); each emits
    // recentFileRequested with its index.
    void SetRecentFiles(const QStringList& displayNames) override;
    // Asked before the window closes (the document's question about unsaved changes).
    void SetCloseQuery(std::function<bool()> query) { m_closeQuery = std::move(query); }

    // Commands of the frame itself.
    void OnToggleLog();
    void OnPrintLayout();
    void OnToggleAlphabeticSort();
    void OnToggleRecursiveSort();
    void OnDisplayOptions();
    void OnHelp();

    // Drags from the tree panes: the frame takes the mouse until the button is released. The
    // picture (the dragged item's) follows the pointer 5 pixels right of and 9 below it.
    void BeginSpectraDrag(const std::string& selection, const std::string& groupPath, const QPixmap& picture = {});
    void BeginClipboardDrag(const std::string& selection, const std::string& groupPath, const QPixmap& picture = {});
    // kind: 0 module, 1 parameter, 2 function.
    void BeginModuleDrag(const std::string& path, int kind, const QPixmap& picture = {});
    // The panes store what they would drag also when the drag does not start (nothing selected).
    void SetDraggedSpectra(const std::string& selection, const std::string& groupPath);
    void SetDraggedClipboardObjects(const std::string& selection, const std::string& groupPath);
    const std::string& GetDraggedSpectra() const { return m_dragSpecSelection; }
    const std::string& GetDraggedClipboardObjects() const { return m_dragClipboardSelection; }
    const std::string& GetDraggedModulePath() const { return m_dragModulePath; }
    int GetModuleDragKind() const { return m_moduleDragKind; }
    // One step of a drag with the pointer over widget under (null: nothing of ours).
    void DragOver(QWidget* under);
    void DragRelease();
    ModuleDropTarget* GetCurrentDropTarget() const { return m_dropTarget; }
    bool IsDragging() const { return m_dragSpecs || m_dragClipboard || m_dragModule; }

    // --- The window as the application and the document see it (ProgramWindow) ----------
    bool Build() override;
    void ConnectDocument(CVelmontDoc* document, std::function<void()> about) override;
    QWidget* MainWindow() override { return this; }
    void ShowMainPanel(CVelmontDoc* document) override;
    QWidget* ModulePane() const override;
    QWidget* SpectrumPane() const override;
    QWidget* ClipboardPane() const override;
    bool ReselectModule(const QString& name) override;
    void BuildSpectrumSelection(std::string& selection) override;
    void SetSpectrumLiveMode(bool live) override;
    void ClearClipboardOverwriteAnswers() override;
    void NestDiagramSettings(CVelmontDoc* document) override;
    void ShowSpectraInDiagram(SpectrumTree& tree, const std::string& selection) override;
    void RepaintDiagram() override;
    void AddLogLine(COLORREF colour, const std::string& format, const std::string& text) override;

signals:
    void recentFileRequested(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    // The four splitters and six panes; throws when a window cannot be made.
    void CreateSplitterPanes();
    void OnSize(int cx, int cy);
    void EndDrag();
    void StartDragPicture(const QPixmap& picture);
    void MoveDragPicture(const QPoint& global);
    void LogHint(const char* text);

    CModuleView* m_moduleView = nullptr;
    CSpecListView* m_specListView = nullptr;
    CSpecDiagramView* m_diagramView = nullptr;
    CLogWindowView* m_logView = nullptr;
    CClipboardTreeView* m_clipboardView = nullptr;

    MySplitter* m_upperSplitter = nullptr;
    CPaneSplitter* m_centreSplitter = nullptr;
    CPaneSplitter* m_outerSplitter = nullptr;
    CPaneSplitter* m_rightSplitter = nullptr;

    QToolBar* m_toolBar = nullptr;
    std::atomic<bool> m_abortRequested{false};
    bool m_busy = false;
    QProgressBar* m_progressBar = nullptr;

    ModuleDropTarget* m_dropTarget = nullptr;
    bool m_dragSpecs = false;
    bool m_dragModule = false;
    bool m_dragClipboard = false;
    int m_moduleDragKind = 0;
    std::string m_dragSpecGroup;
    std::string m_dragSpecSelection;
    std::string m_dragClipboardGroup;
    std::string m_dragClipboardSelection;
    std::string m_dragModulePath;
    std::string m_projectDescription;
    QLabel* m_dragPicture = nullptr;
    SpecPlotLink* m_specPlotOverride = nullptr;
    // Views that left the editor pane and wait for their deferred deletion.
    std::vector<QPointer<QWidget>> m_leftPanes;
    void DeleteLeftPanes();
    std::unique_ptr<SpecPlotLink> m_specPlot;
    QPointer<CSpecDisplay> m_specPlotDisplay;

    bool m_layoutBuilt = false;
    bool m_laidOutOnce = false;
    bool m_alphabeticSort = true;
    bool m_recursiveSort = false;
    int m_exportWidth = 800;
    int m_exportHeight = 600;
    bool m_logShown = true;

    CStatusStatePane* m_statePane = nullptr;
    QLabel* m_statusLine = nullptr;
    QLabel* m_remainingTime = nullptr;

    std::map<int, QAction*> m_actions;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentAnchor = nullptr;
    std::vector<QAction*> m_recentActions;
    std::function<bool()> m_closeQuery;
};

// The main frame that shows document (null: none, or the document's views are not a main frame).
CMainFrame* MainFrameOf(const CVelmontDoc* document);
