#pragma once
// The main panel: fills the editor pane while no module editor is shown. It paints titles
// pointing at the neighbouring panes, the module-tree entry selected last and its group's
// modules (MainPanelLayout).
#include "ui/document_view.h"

#include <QWidget>

class CVelmontView : public QWidget, public CDocumentView {
    Q_OBJECT

public:
    explicit CVelmontView(QWidget* parent = nullptr);
    ~CVelmontView() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
