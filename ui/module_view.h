#pragma once
// Left pane: the module tree.
// For now a placeholder with what the frame and the document use; its own view fills it in.
#include "ui/document_view.h"

#include <QString>
#include <QTreeWidget>

#include <string>

class CModuleView : public QTreeWidget, public CDocumentView {
    Q_OBJECT
public:
    explicit CModuleView(QWidget* parent = nullptr);

    // Describes the parameter entry last selected with Ctrl held; a dropped parameter carries it.
    const std::string& GetParameterText() const { return m_parameterText; }
    // The module to select again after a project was opened.
    void SetReselectName(const QString& name) { m_reselectName = name; }
    const QString& GetReselectName() const { return m_reselectName; }

protected:
    std::string m_parameterText;
    QString m_reselectName;
};
