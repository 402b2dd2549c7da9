#pragma once
// A spectrum window list with a context menu "Laden..." that loads a "Speks:" file into the
// attached set and shows it.

#include "windows/spec_window_list.h"

class ModuleInterface;
class QMenu;

class CManagingSpecWindowList : public CSpecWindowList {
    Q_OBJECT

public:
    enum Command { kLoad = 5000 };

    explicit CManagingSpecWindowList(QWidget* parent = nullptr);
    ~CManagingSpecWindowList() override;

    // "Laden...": only with an attached set. The windows let go of the set's spectra before
    // it loads.
    void OnLoad();
    QMenu* GetContextMenu() const { return m_menu; }
    // The host the set's loader logs to (not owned; null: the lines are dropped).
    void SetHost(ModuleInterface* host) { m_host = host; }

    // The shown set (not owned; null: the command does nothing).
    SpectraSet* spectra = nullptr;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QMenu* m_menu;
    ModuleInterface* m_host = nullptr;
};
