#pragma once
// Upper centre pane while no module editor is open.
// For now a placeholder with what the frame and the document use; its own view fills it in.
#include "ui/document_view.h"

#include <QWidget>

class CVelmontView : public QWidget, public CDocumentView {
    Q_OBJECT
public:
    explicit CVelmontView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
