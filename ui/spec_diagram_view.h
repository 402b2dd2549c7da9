#pragma once
// Lower centre pane: the diagram with the spectrum plot.
// For now a placeholder with what the frame and the document use; its own view fills it in.
#include "ui/document_view.h"

#include <QWidget>

class CSpecDisplay;

class CSpecDiagramView : public QWidget, public CDocumentView {
    Q_OBJECT
public:
    explicit CSpecDiagramView(QWidget* parent = nullptr);

    // The plot control; null while the program has none.
    virtual CSpecDisplay* GetSpecDisplay() { return nullptr; }
};
