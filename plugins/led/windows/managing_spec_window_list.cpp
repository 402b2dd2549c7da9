#include "windows/managing_spec_window_list.h"

#include "windows/host_scope.h"

#include "engine/spectra_set.h"
#include "platform/file_chooser.h"

#include <QMenu>
#include <QMouseEvent>

CManagingSpecWindowList::CManagingSpecWindowList(QWidget* parent) : CSpecWindowList(parent), m_menu(new QMenu(this))
{
    QAction* load = m_menu->addAction(QStringLiteral("Laden..."));
    load->setData(static_cast<int>(kLoad));
    load->setObjectName(QString::number(kLoad));
    connect(load, &QAction::triggered, this, &CManagingSpecWindowList::OnLoad);
}

CManagingSpecWindowList::~CManagingSpecWindowList() = default;

void CManagingSpecWindowList::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        m_menu->popup(viewport()->mapToGlobal(event->position().toPoint()));
        event->accept();
        return;
    }
    CSpecWindowList::mousePressEvent(event);
}

void CManagingSpecWindowList::OnLoad()
{
    if (spectra == nullptr)
        return;
    const QString path = platform::GetFileChooser().GetOpenFileName(this, QString(), QString(), QString());
    if (path.isEmpty())
        return;
    HostScope scope(m_host);
    RemoveAll();
    spectra->LoadChosenFile(path.toStdString());
    SetSpectra(*spectra);
}
