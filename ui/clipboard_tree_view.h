#pragma once
// Lower right pane: the clipboard tree.
// For now a placeholder with what the frame and the document use; its own view fills it in.
#include "ui/document_view.h"

#include <QTreeWidget>

class CClipboardTreeView : public QTreeWidget, public CDocumentView {
    Q_OBJECT
public:
    explicit CClipboardTreeView(QWidget* parent = nullptr);

    // "Ja, alle" and "Nein, alle" of the overwrite question; cleared at each start and end of a
    // calculation.
    void ClearOverwriteAnswers();
    bool GetYesToAll() const { return m_yesToAll; }
    bool GetNoToAll() const { return m_noToAll; }

    void SetSortFlag(bool on) { m_sortFlag = on; }
    bool GetSortFlag() const { return m_sortFlag; }

protected:
    bool m_yesToAll = false;
    bool m_noToAll = false;
    bool m_sortFlag = true;
};
