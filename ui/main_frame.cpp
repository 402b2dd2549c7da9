#include "ui/main_frame.h"

#include "app/velmont_doc.h"

#include "controls/spectrum_plot.h"
#include "platform/colorref_qt.h"
#include "platform/document_opener.h"
#include "platform/prompter.h"
#include "ui/clipboard_tree_view.h"
#include "ui/command_ids.h"
#include "ui/log_window_view.h"
#include "ui/module_view.h"
#include "ui/spec_diagram_view.h"
#include "ui/spec_display_dlg.h"
#include "ui/spec_list_view.h"
#include "controls/spectrum_plot.h"
#include "ui/spec_plot_link.h"
#include "ui/velmont_view.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <exception>
#include <utility>

namespace {

QPalette WithBackground(QPalette palette, COLORREF colour)
{
    palette.setColor(QPalette::Window, ToQColor(colour));
    palette.setColor(QPalette::Base, ToQColor(colour));
    return palette;
}

} // namespace

CPaneSplitter::CPaneSplitter(Qt::Orientation orientation, QWidget* parent) : QSplitter(orientation, parent)
{
    connect(this, &QSplitter::splitterMoved, this, &CPaneSplitter::TakeDraggedSizes);
}

void CPaneSplitter::SetPaneSizes(std::span<const PaneSize> panes)
{
    m_panes.assign(panes.begin(), panes.end());
    Apply();
}

void CPaneSplitter::SetPaneSize(int index, PaneSize pane)
{
    if (m_panes.size() != static_cast<std::size_t>(count()))
        m_panes.assign(static_cast<std::size_t>(count()), PaneSize{});
    if (index < 0 || index >= count())
        return;
    m_panes[static_cast<std::size_t>(index)] = pane;
    Apply();
}

int CPaneSplitter::AvailableLength() const
{
    const int length = orientation() == Qt::Horizontal ? width() : height();
    return length - handleWidth() * std::max(0, count() - 1);
}

void CPaneSplitter::Apply()
{
    if (m_panes.empty() || static_cast<int>(m_panes.size()) != count())
        return;
    const std::vector<int> sizes = FitPanes(m_panes, AvailableLength());
    setSizes(QList<int>(sizes.begin(), sizes.end()));
}

void CPaneSplitter::TakeDraggedSizes()
{
    const QList<int> sizes = this->sizes();
    if (static_cast<int>(m_panes.size()) != sizes.size())
        return;
    for (std::size_t i = 0; i < m_panes.size(); ++i)
        m_panes[i].ideal = sizes[static_cast<qsizetype>(i)];
}

void CPaneSplitter::resizeEvent(QResizeEvent* event)
{
    QSplitter::resizeEvent(event);
    Apply();
}

MySplitter::MySplitter(Qt::Orientation orientation, QWidget* parent) : CPaneSplitter(orientation, parent)
{
    connect(this, &QSplitter::splitterMoved, this, &MySplitter::OnSplitterMoved);
}

void MySplitter::OnSplitterMoved()
{
    const QList<int> sizes = this->sizes();
    if (sizes.isEmpty())
        return;
    // One row of columns: the row's height is the splitter's; one column of rows: the first size.
    m_lastColumnWidth = orientation() == Qt::Horizontal ? sizes.back() : width();
    m_firstRowHeight = orientation() == Qt::Horizontal ? height() : sizes.front();
}

CStatusStatePane::CStatusStatePane(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
}

void CStatusStatePane::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool busy = text() == QLatin1String("Arbeite");
    painter.fillRect(rect(), ToQColor(busy ? kBusyColour : kIdleColour));
    painter.setPen(Qt::black);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("OrvantaGUI"));
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    // The toolbar button of "Abbrechen" starts disabled; the alphabetic sort is on.
    m_alphabeticSort = true;
    UpdateActions();
    // Slightly see-through where the window system can show it.
    setWindowOpacity(250 / 255.0);
}

CMainFrame::~CMainFrame()
{
    DeleteLeftPanes();
}

void CMainFrame::DeleteLeftPanes()
{
    for (QPointer<QWidget>& pane : std::exchange(m_leftPanes, {}))
        delete pane.data();
}

void CMainFrame::CreateActions()
{
    struct Command {
        int id;
        const char* text;
        QKeySequence shortcut;
        bool checkable;
    };
    const Command commands[] = {
        {cmd::FileNew, "&Neues Projekt\tStrg+N", QKeySequence(Qt::CTRL | Qt::Key_N), false},
        {cmd::FileOpen, "Projekt &öffnen...\tStrg+O", QKeySequence(Qt::CTRL | Qt::Key_O), false},
        {cmd::FileSave, "Projekt &speichern\tStrg+S", QKeySequence(Qt::CTRL | Qt::Key_S), false},
        {cmd::FileSaveAs, "Projekt speichern unter...", {}, false},
        {cmd::AppExit, "Orvanta &beenden", {}, false},
        {cmd::ViewToolbar, "&Toolbar", {}, true},
        {cmd::ViewStatusBar, "S&tatusleiste", {}, true},
        {cmd::ViewLog, "LogWindow", {}, true},
        {cmd::SortAlphabetic, "Daten&ordneranzeige alphabetisch sortieren", {}, true},
        {cmd::SortRecursive, "Spektrenanzeige &rekursiv sortieren", {}, true},
        {cmd::PrintLayout, "Fensterlayout für Dateiausgabe der Spektrenanzeige einstellen", {}, false},
        {cmd::DisplayOptions, "An&zeigeoptionen", {}, false},
        {cmd::ProjectDescription, "Projekt&beschreibung editieren", {}, false},
        {cmd::Help, "&Hilfe", QKeySequence(Qt::CTRL | Qt::Key_H), false},
        {cmd::About, "&Info über Orvanta...", {}, false},
        {cmd::Abort, "Abbrechen", QKeySequence(Qt::CTRL | Qt::Key_I), false},
    };
    for (const Command& c : commands) {
        auto* action = new QAction(QString::fromUtf8(c.text), this);
        action->setData(c.id);
        action->setShortcut(c.shortcut);
        action->setCheckable(c.checkable);
        // The menu shows the key after the tab as written; tool tips leave it out.
        QString tip = action->text().section(QLatin1Char('\t'), 0, 0);
        action->setToolTip(tip.remove(QLatin1Char('&')));
        // Shortcuts work wherever the focus is in the window, also with the toolbar hidden.
        addAction(action);
        m_actions[c.id] = action;
    }
    m_actions[cmd::Abort]->setToolTip(QStringLiteral("Abbrechen"));

    connect(m_actions[cmd::AppExit], &QAction::triggered, this, &QWidget::close);
    connect(m_actions[cmd::ViewToolbar], &QAction::triggered, this, [this](bool on) {
        m_toolBar->setVisible(on);
        UpdateActions();
    });
    connect(m_actions[cmd::ViewStatusBar], &QAction::triggered, this, [this](bool on) {
        statusBar()->setVisible(on);
        UpdateActions();
    });
    connect(m_actions[cmd::ViewLog], &QAction::triggered, this, &CMainFrame::OnToggleLog);
    connect(m_actions[cmd::SortAlphabetic], &QAction::triggered, this, &CMainFrame::OnToggleAlphabeticSort);
    connect(m_actions[cmd::SortRecursive], &QAction::triggered, this, &CMainFrame::OnToggleRecursiveSort);
    connect(m_actions[cmd::PrintLayout], &QAction::triggered, this, &CMainFrame::OnPrintLayout);
    connect(m_actions[cmd::DisplayOptions], &QAction::triggered, this, &CMainFrame::OnDisplayOptions);
    connect(m_actions[cmd::Help], &QAction::triggered, this, &CMainFrame::OnHelp);
    connect(m_actions[cmd::Abort], &QAction::triggered, this, &CMainFrame::RequestAbort);
}

void CMainFrame::CreateMenus()
{
    const QPalette menuPalette = WithBackground(palette(), kMenuColour);
    auto addMenu = [&](const char* title) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(title));
        menu->setPalette(menuPalette);
        menu->setAutoFillBackground(true);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateActions);
        return menu;
    };
    m_fileMenu = addMenu("&Datei");
    m_fileMenu->addAction(m_actions[cmd::FileNew]);
    m_fileMenu->addAction(m_actions[cmd::FileOpen]);
    m_fileMenu->addAction(m_actions[cmd::FileSave]);
    m_fileMenu->addAction(m_actions[cmd::FileSaveAs]);
    m_fileMenu->addSeparator();
    m_recentAnchor = m_fileMenu->addAction(QStringLiteral("Letzte Datei"));
    m_recentAnchor->setEnabled(false);
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(m_actions[cmd::AppExit]);

    addMenu("&Bearbeiten")->addSeparator();

    QMenu* view = addMenu("&Ansicht");
    view->addAction(m_actions[cmd::ViewToolbar]);
    view->addAction(m_actions[cmd::ViewStatusBar]);
    view->addAction(m_actions[cmd::ViewLog]);
    view->addSeparator();
    view->addAction(m_actions[cmd::SortAlphabetic]);
    view->addAction(m_actions[cmd::SortRecursive]);
    view->addAction(m_actions[cmd::PrintLayout]);

    QMenu* options = addMenu("&Optionen");
    options->addAction(m_actions[cmd::DisplayOptions]);
    options->addAction(m_actions[cmd::ProjectDescription]);

    QMenu* help = addMenu("&?");
    help->addAction(m_actions[cmd::Help]);
    help->addAction(m_actions[cmd::About]);
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("Toolbar"));
    m_toolBar->setIconSize(QSize(17, 17));
    QStyle* s = style();
    m_actions[cmd::FileNew]->setIcon(s->standardIcon(QStyle::SP_FileIcon));
    m_actions[cmd::FileOpen]->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
    m_actions[cmd::FileSave]->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    m_actions[cmd::Help]->setIcon(s->standardIcon(QStyle::SP_DialogHelpButton));
    m_actions[cmd::About]->setIcon(s->standardIcon(QStyle::SP_MessageBoxInformation));
    m_actions[cmd::Abort]->setIcon(s->standardIcon(QStyle::SP_BrowserStop));
    m_toolBar->addAction(m_actions[cmd::FileNew]);
    m_toolBar->addAction(m_actions[cmd::FileOpen]);
    m_toolBar->addAction(m_actions[cmd::FileSave]);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_actions[cmd::Help]);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_actions[cmd::About]);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_actions[cmd::Abort]);
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setPalette(WithBackground(bar->palette(), kMenuColour));
    bar->setAutoFillBackground(true);
    bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: 0px; }"));

    m_statePane = new CStatusStatePane(bar);
    m_statePane->setFixedWidth(70);
    m_statePane->setText(QStringLiteral("Bereit"));
    m_statusLine = new QLabel(QStringLiteral(" "), bar);
    // Modules' status texts name spectra and files as typed; no markup.
    m_statusLine->setTextFormat(Qt::PlainText);
    m_statusLine->setMinimumWidth(280);
    m_progressBar = new QProgressBar(bar);
    m_progressBar->setFixedWidth(220);
    m_progressBar->setTextVisible(false);
    m_progressBar->setRange(0, 10000);
    m_progressBar->setValue(0);
    m_remainingTime = new QLabel(bar);
    m_remainingTime->setFixedWidth(280);

    bar->addWidget(m_statePane);
    bar->addWidget(m_statusLine, 1);
    bar->addWidget(m_progressBar);
    bar->addWidget(m_remainingTime);
}

bool CMainFrame::BuildLayout()
{
    if (m_layoutBuilt)
        return true;
    try {
        CreateSplitterPanes();
    } catch (const std::exception&) {
        platform::ShowMessage(this, QStringLiteral("Fehler beim Initialisieren der Splitter-Fenster"),
                              QStringLiteral("Fehler"), platform::PromptIcon::Error);
        return false;
    }
    setCentralWidget(m_outerSplitter);
    m_layoutBuilt = true;
    return true;
}

void CMainFrame::CreateSplitterPanes()
{
    m_outerSplitter = new CPaneSplitter(Qt::Vertical, this);
    m_upperSplitter = new MySplitter(Qt::Horizontal, m_outerSplitter);
    m_moduleView = new CModuleView(m_upperSplitter);
    m_centreSplitter = new CPaneSplitter(Qt::Vertical, m_upperSplitter);
    m_rightSplitter = new CPaneSplitter(Qt::Vertical, m_upperSplitter);
    new CVelmontView(m_centreSplitter);
    m_diagramView = new CSpecDiagramView(m_centreSplitter);
    m_specListView = new CSpecListView(m_rightSplitter);
    m_clipboardView = new CClipboardTreeView(m_rightSplitter);
    m_logView = new CLogWindowView(m_outerSplitter);
    // The panes' first sizes, from the frame's size now; the first resize of at least 800 x 400
    // lays them out anew.
    const int w = width();
    const int h = height();
    const PaneSize outer[] = {{h - 300, 0}, {300, 0}};
    const PaneSize upper[] = {{200, 0}, {w - 500, 0}, {300, 0}};
    const PaneSize centre[] = {{(h - 300) / 2, 0}, {(h - 300) / 2, 0}};
    const PaneSize right[] = {{h - 300, 0}, {400, 0}};
    m_outerSplitter->SetPaneSizes(outer);
    m_upperSplitter->SetPaneSizes(upper);
    m_centreSplitter->SetPaneSizes(centre);
    m_rightSplitter->SetPaneSizes(right);
    // The panes have no minimum of their own: the splitters' pane sizes decide.
    for (QSplitter* splitter : {static_cast<QSplitter*>(m_upperSplitter), static_cast<QSplitter*>(m_centreSplitter),
                                static_cast<QSplitter*>(m_rightSplitter), static_cast<QSplitter*>(m_outerSplitter)})
        for (int i = 0; i < splitter->count(); ++i)
            splitter->widget(i)->setMinimumSize(1, 1);
}

void CMainFrame::PlaceOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize s = screen ? screen->size() : QSize(1024, 768);
    const int height = (s.height() / 4) * 3;
    const int width = (s.width() / 4) * 3;
    setGeometry(s.width() / 2 - width / 2, s.height() / 2 - height / 2, width, height);
}

QWidget* CMainFrame::GetEditorPane() const
{
    return m_centreSplitter ? m_centreSplitter->widget(0) : nullptr;
}

void CMainFrame::ReplaceEditorPane(QWidget* view, PaneEnd end)
{
    if (!m_centreSplitter || !view)
        return;
    QWidget* old = m_centreSplitter->widget(0);
    if (old == view)
        return;
    const QList<int> sizes = m_centreSplitter->sizes();
    view->setMinimumSize(1, 1);
    m_centreSplitter->replaceWidget(0, view);
    m_centreSplitter->setSizes(sizes);
    view->show();
    if (!old)
        return;
    old->hide();
    if (end == PaneEnd::Now) {
        delete old;
        DeleteLeftPanes();
        return;
    }
    std::erase_if(m_leftPanes, [](const QPointer<QWidget>& pane) { return pane.isNull(); });
    m_leftPanes.emplace_back(old);
    old->deleteLater();
}

SpecPlotLink* CMainFrame::GetSpecPlot()
{
    if (m_specPlotOverride)
        return m_specPlotOverride;
    CSpecDisplay* display = m_diagramView ? m_diagramView->GetSpecDisplay() : nullptr;
    if (!display) {
        m_specPlot.reset();
        return nullptr;
    }
    if (!m_specPlot || m_specPlotDisplay != display) {
        m_specPlot = std::make_unique<CSpecDisplayLink>(display);
        m_specPlotDisplay = display;
    }
    return m_specPlot.get();
}

CMainFrame* MainFrameOf(const CVelmontDoc* document)
{
    return document ? dynamic_cast<CMainFrame*>(document->GetMainFrame()) : nullptr;
}

bool CMainFrame::Build()
{
    PlaceOnScreen();
    return BuildLayout();
}

void CMainFrame::ConnectDocument(CVelmontDoc* document, std::function<void()> about)
{
    connect(Action(cmd::FileNew), &QAction::triggered, document, &CVelmontDoc::OnFileNew);
    connect(Action(cmd::FileOpen), &QAction::triggered, document, &CVelmontDoc::OnFileOpen);
    connect(Action(cmd::FileSave), &QAction::triggered, document, &CVelmontDoc::OnFileSave);
    connect(Action(cmd::FileSaveAs), &QAction::triggered, document, &CVelmontDoc::OnFileSaveAs);
    connect(Action(cmd::About), &QAction::triggered, this, std::move(about));
    connect(this, &CMainFrame::recentFileRequested, document, &CVelmontDoc::OnOpenRecentFile);
    SetCloseQuery([document] { return document->SaveModified(); });
}

void CMainFrame::ShowMainPanel(CVelmontDoc* document)
{
    if (!m_centreSplitter)
        return;
    auto* panel = new CVelmontView;
    panel->SetDocument(document);
    ReplaceEditorPane(panel, PaneEnd::Now);
}

QWidget* CMainFrame::ModulePane() const
{
    return m_moduleView;
}

QWidget* CMainFrame::SpectrumPane() const
{
    return m_specListView;
}

QWidget* CMainFrame::ClipboardPane() const
{
    return m_clipboardView;
}

bool CMainFrame::ReselectModule(const QString& name)
{
    if (!m_moduleView)
        return false;
    m_moduleView->SetReselectName(name);
    return true;
}

void CMainFrame::BuildSpectrumSelection(std::string& selection)
{
    if (m_specListView)
        m_specListView->BuildSelectionString(selection);
}

void CMainFrame::SetSpectrumLiveMode(bool live)
{
    if (m_specListView)
        m_specListView->SetLiveMode(live);
}

void CMainFrame::ClearClipboardOverwriteAnswers()
{
    if (m_clipboardView)
        m_clipboardView->ClearOverwriteAnswers();
}

void CMainFrame::NestDiagramSettings(CVelmontDoc* document)
{
    if (m_diagramView)
        m_diagramView->NestSettings(document);
}

void CMainFrame::ShowSpectraInDiagram(SpectrumTree& tree, const std::string& selection)
{
    if (!m_diagramView)
        return;
    // Without a plot the diagram pane only repaints.
    if (CSpecDisplay* plot = m_diagramView->GetSpecDisplay())
        plot->SetFromSpectrumList(tree.GetInserters(selection, false));
    m_diagramView->update();
}

void CMainFrame::RepaintDiagram()
{
    if (m_diagramView)
        m_diagramView->update();
}

void CMainFrame::AddLogLine(COLORREF colour, const std::string& format, const std::string& text)
{
    if (m_logView)
        m_logView->AddFormattedColorMessage(colour, format, text);
}

void CMainFrame::InitialUpdateAllViews(CVelmontDoc* document)
{
    QWidget* panes[] = {GetEditorPane(), m_moduleView, m_specListView, m_clipboardView, m_diagramView};
    for (QWidget* pane : panes) {
        if (auto* view = dynamic_cast<CDocumentView*>(pane)) {
            view->SetDocument(document);
            view->OnInitialUpdate();
        }
    }
}

void CMainFrame::SetStatusPaneText(const QString& text, int pane)
{
    QLabel* label = pane == 0 ? static_cast<QLabel*>(m_statePane) : m_statusLine;
    if (!label)
        return;
    label->setText(text);
    label->repaint();
}

void CMainFrame::SetRemainingTimeText(const QString& text)
{
    // Painted with the next events the running operation lets through.
    if (m_remainingTime->text() != text)
        m_remainingTime->setText(text);
}

QString CMainFrame::GetStatusPaneText(int pane) const
{
    switch (pane) {
    case 0: return m_statePane->text();
    case 1: return m_statusLine->text();
    case 3: return m_remainingTime->text();
    default: return {};
    }
}

void CMainFrame::SetBusy(bool busy)
{
    m_busy = busy;
    UpdateActions();
}

void CMainFrame::UpdateActions()
{
    for (int id : {cmd::FileNew, cmd::FileOpen, cmd::FileSave, cmd::FileSaveAs, cmd::AppExit, cmd::Help, cmd::About})
        m_actions[id]->setEnabled(!m_busy);
    // A recent file replaces the project like "Projekt öffnen": not while a module runs.
    for (QAction* recent : m_recentActions)
        recent->setEnabled(!m_busy);
    m_actions[cmd::Abort]->setEnabled(m_busy);
    m_actions[cmd::ViewLog]->setChecked(m_logShown);
    m_actions[cmd::SortAlphabetic]->setChecked(m_alphabeticSort);
    m_actions[cmd::SortRecursive]->setChecked(m_recursiveSort);
    m_actions[cmd::PrintLayout]->setEnabled(true);
    m_actions[cmd::DisplayOptions]->setEnabled(true);
    m_actions[cmd::ProjectDescription]->setEnabled(false);
    m_actions[cmd::ViewToolbar]->setChecked(m_toolBar && !m_toolBar->isHidden());
    m_actions[cmd::ViewStatusBar]->setChecked(!statusBar()->isHidden());
}

QAction* CMainFrame::Action(int id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::SetRecentFiles(const QStringList& displayNames)
{
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        delete action;
    }
    m_recentActions.clear();
    m_recentAnchor->setVisible(displayNames.isEmpty());
    for (int i = 0; i < displayNames.size() && cmd::RecentFileFirst + i <= cmd::RecentFileLast; ++i) {
        QString name = displayNames.at(i);
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name), m_fileMenu);
        action->setData(cmd::RecentFileFirst + i);
        connect(action, &QAction::triggered, this, [this, i] { emit recentFileRequested(i); });
        m_fileMenu->insertAction(m_recentAnchor, action);
        m_recentActions.push_back(action);
    }
    UpdateActions();
}

void CMainFrame::RequestAbort()
{
    m_abortRequested.store(true);
    if (m_logView)
        m_logView->AddColorMessage(kAbortColour, "%s", "Die aktuelle Aktion wird abgebrochen...");
}

void CMainFrame::SetExportSize(int width, int height)
{
    m_exportWidth = width;
    m_exportHeight = height;
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    OnSize(width(), height());
}

void CMainFrame::OnSize(int cx, int cy)
{
    if (!m_layoutBuilt)
        return;
    const std::optional<FrameSizing> sizing = ComputeFrameSizing(
        {cx, cy, m_logShown, m_upperSplitter->GetLastColumnWidth(), m_laidOutOnce});
    if (!sizing)
        return;
    m_outerSplitter->SetPaneSizes(sizing->outerRows);
    if (sizing->rememberedWidth)
        m_upperSplitter->SetLastColumnWidth(*sizing->rememberedWidth);
    if (sizing->rememberedHeight)
        m_upperSplitter->SetFirstRowHeight(*sizing->rememberedHeight);
    m_upperSplitter->SetPaneSizes(sizing->upperColumns);
    m_centreSplitter->SetPaneSizes(sizing->centreRows);
    m_rightSplitter->SetPaneSizes(sizing->rightRows);
    m_laidOutOnce = true;
}

void CMainFrame::OnToggleLog()
{
    if (m_layoutBuilt) {
        const LogToggle toggle = ComputeLogToggle(frameGeometry().height(), m_logShown);
        m_outerSplitter->SetPaneSizes(toggle.outerRows);
        m_logShown = toggle.logShown;
    }
    UpdateActions();
}

void CMainFrame::LogHint(const char* text)
{
    if (m_logView)
        m_logView->AddColorMessage(kHintColour, "%s", text);
}

void CMainFrame::OnPrintLayout()
{
    if (!m_layoutBuilt)
        return;
    const PrintLayout layout =
        ComputePrintLayout(m_upperSplitter->width(), m_upperSplitter->height(), m_exportWidth, m_exportHeight);
    const char* hint = "Bitte vergrößern Sie vor Einstellung des Drucklayouts die Höhe des Anwendungsfensters";
    if (layout.centreRow0) {
        m_centreSplitter->SetPaneSize(0, *layout.centreRow0);
    } else {
        LogHint(hint);
    }
    if (layout.upperColumns)
        m_upperSplitter->SetPaneSizes(*layout.upperColumns);
    else
        LogHint(hint);
}

void CMainFrame::OnToggleAlphabeticSort()
{
    m_alphabeticSort = !m_alphabeticSort;
    if (m_specListView)
        m_specListView->SetAlphabeticSort(m_alphabeticSort);
    if (m_clipboardView)
        m_clipboardView->SetSortFlag(m_alphabeticSort);
    UpdateActions();
}

void CMainFrame::OnToggleRecursiveSort()
{
    m_recursiveSort = !m_recursiveSort;
    if (m_specListView)
        m_specListView->SetRecursiveSort(m_recursiveSort);
    UpdateActions();
}

void CMainFrame::OnDisplayOptions()
{
    // The options dialog edits the diagram's plot; without a plot there is nothing to edit.
    CSpecDisplay* plot = m_diagramView ? m_diagramView->GetSpecDisplay() : nullptr;
    if (!plot)
        return;
    // A new modeless dialog each time; closing it deletes it.
    auto* dialog = new CSpecDisplayDlg(plot, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void CMainFrame::OnHelp()
{
    // As the module tree's manuals: a manual that is missing or does not open says nothing.
    platform::GetDocumentOpener().Open(platform::ManualFolder() + QStringLiteral("/Orvanta-Quickstart.pdf"));
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // A running module still uses the project and the panes.
    if (m_busy || (m_closeQuery && !m_closeQuery())) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
