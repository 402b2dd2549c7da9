#pragma once
// Lower centre pane: the diagram. It holds the spectrum plot, which fills it, and ties the plot's
// settings into the project's workspace settings ("MainSpecViewContainer" in "WorkspaceParams")
// from its first initial update until it is destroyed, so the diagram settings travel with the
// project file.
#include "ui/document_view.h"

#include <QPointer>
#include <QWidget>

class CSpecDisplay;
class CVelmontDoc;

class CSpecDiagramView : public QWidget, public CDocumentView {
    Q_OBJECT
public:
    explicit CSpecDiagramView(QWidget* parent = nullptr);
    // Takes the plot's settings out of the workspace before the plot goes.
    ~CSpecDiagramView() override;

    // The plot control; it exists as long as the view.
    virtual CSpecDisplay* GetSpecDisplay() { return m_SpecDisplay; }

    // The first one shows the plot over the view and nests its settings into the document's
    // workspace; every one computes the grid and loads the background picture named by
    // "BgBitmapPath" (relative to the program's folder; a picture that does not load is ignored).
    void OnInitialUpdate() override;
    // Nests the plot's settings into the document's workspace as "MainSpecViewContainer" (once;
    // the initial update does it too). The document calls it before it reads a project, so a
    // project opened before the first initial update brings its plot settings too.
    void NestSettings(CVelmontDoc* document);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void LoadBackgroundPicture();

    CSpecDisplay* m_SpecDisplay = nullptr;
    bool m_plotShown = false;
    // The document whose workspace holds the plot's settings.
    QPointer<CVelmontDoc> m_workspaceOwner;
};
