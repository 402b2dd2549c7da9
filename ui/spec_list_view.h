#pragma once
// Upper right pane: the spectrum tree.
// For now a placeholder with what the frame and the document use; its own view fills it in.
#include "ui/document_view.h"

#include <QTreeWidget>

#include <string>

class CSpecListView : public QTreeWidget, public CDocumentView {
    Q_OBJECT
public:
    explicit CSpecListView(QWidget* parent = nullptr);

    // Appends the ";"-separated paths of the selected spectra (a group as "path:*") to out.
    virtual void BuildSelectionString(std::string& out, QTreeWidgetItem* start = nullptr,
                                      const std::string& prefix = {});

    // Live measurement: spectra stored under an existing name replace it without a question.
    void SetLiveMode(bool live) { m_liveMode = live; }
    bool IsLiveMode() const { return m_liveMode; }

    void SetAlphabeticSort(bool on) { m_alphabeticSort = on; }
    bool GetAlphabeticSort() const { return m_alphabeticSort; }
    void SetRecursiveSort(bool on) { m_recursiveSort = on; }
    bool GetRecursiveSort() const { return m_recursiveSort; }

protected:
    bool m_liveMode = false;
    bool m_alphabeticSort = true;
    bool m_recursiveSort = false;
};
