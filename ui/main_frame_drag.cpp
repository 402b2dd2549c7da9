// The drag of tree objects onto drop fields: the frame holds the mouse from the start of a drag
// in a tree pane until the button is released, asks the widget under the pointer whether it
// takes what is dragged, and hands the dragged paths to it on release.
#include "ui/main_frame.h"

#include "core/module_drop_target.h"
#include "ui/clipboard_tree_view.h"
#include "ui/module_view.h"
#include "ui/spec_list_view.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>

namespace {

bool IsWithin(const QWidget* widget, const QWidget* view)
{
    return widget && view && (widget == view || view->isAncestorOf(widget));
}

// The drop target the pointer is over: the widget itself or the nearest of its parents that
// is one (the pointer is over a text editor's viewport, not the editor), within its window.
ModuleDropTarget* DropTargetAt(QWidget* under)
{
    for (QWidget* w = under; w; w = w->parentWidget()) {
        if (auto* target = dynamic_cast<ModuleDropTarget*>(w))
            return target;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

} // namespace

void CMainFrame::SetDraggedSpectra(const std::string& selection, const std::string& groupPath)
{
    m_dragSpecSelection = selection;
    m_dragSpecGroup = groupPath;
}

void CMainFrame::SetDraggedClipboardObjects(const std::string& selection, const std::string& groupPath)
{
    m_dragClipboardSelection = selection;
    m_dragClipboardGroup = groupPath;
}

void CMainFrame::BeginSpectraDrag(const std::string& selection, const std::string& groupPath, const QPixmap& picture)
{
    SetDraggedSpectra(selection, groupPath);
    m_dragSpecs = true;
    StartDragPicture(picture);
}

void CMainFrame::BeginClipboardDrag(const std::string& selection, const std::string& groupPath, const QPixmap& picture)
{
    SetDraggedClipboardObjects(selection, groupPath);
    m_dragClipboard = true;
    StartDragPicture(picture);
}

void CMainFrame::BeginModuleDrag(const std::string& path, int kind, const QPixmap& picture)
{
    m_dragModulePath = path;
    m_moduleDragKind = kind;
    m_dragModule = true;
    StartDragPicture(picture);
}

void CMainFrame::StartDragPicture(const QPixmap& picture)
{
    // Without a visible window there is no pointer to follow: the drag waits for its release.
    if (!isVisible())
        return;
    grabMouse();
    if (picture.isNull())
        return;
    if (!m_dragPicture) {
        m_dragPicture = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput);
        m_dragPicture->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_dragPicture->setAttribute(Qt::WA_TranslucentBackground);
    }
    m_dragPicture->setPixmap(picture);
    m_dragPicture->resize(picture.size());
    m_dragPicture->move(QCursor::pos() + QPoint(5, 9));
    m_dragPicture->show();
}

void CMainFrame::MoveDragPicture(const QPoint& global)
{
    // The hot spot (-5, -9): the picture stays beside the pointer, never under it.
    if (m_dragPicture && m_dragPicture->isVisible())
        m_dragPicture->move(global + QPoint(5, 9));
}

void CMainFrame::DragOver(QWidget* under)
{
    ModuleDropTarget* target = DropTargetAt(under);
    bool accepted = false;
    if (m_dragSpecs) {
        // Back over the source pane nothing is dropped.
        if (IsWithin(under, m_specListView))
            target = nullptr;
        accepted = target &&
                   (target->CanDropSpecs() || target->CanDropGroup() || target->CanDrop(m_dragSpecSelection));
    } else if (m_dragClipboard) {
        if (IsWithin(under, m_clipboardView))
            target = nullptr;
        accepted = target && (target->CanDropClipboardObjects() || target->CanDropClipboardGroup() ||
                              target->CanDrop(m_dragClipboardSelection));
    } else if (m_dragModule) {
        accepted = target && ((m_moduleDragKind == 0 && target->CanDropModules()) ||
                              (m_moduleDragKind == 1 && target->CanDropParams()) ||
                              (m_moduleDragKind == 2 && target->CanDropFunctions()));
    }
    const bool overSource = (m_dragSpecs && IsWithin(under, m_specListView)) ||
                            (m_dragClipboard && IsWithin(under, m_clipboardView));
    m_dropTarget = accepted ? target : nullptr;
    setCursor(accepted || overSource ? Qt::ArrowCursor : Qt::ForbiddenCursor);
}

void CMainFrame::DragRelease()
{
    ModuleDropTarget* target = m_dropTarget;
    if (m_dragSpecs) {
        m_dragSpecs = false;
        if (target) {
            if (target->CanDropSpecs()) {
                target->OnDropSpecs(m_dragSpecSelection);
            } else if (target->CanDropGroup()) {
                target->OnDropGroup(m_dragSpecGroup);
            } else {
                // The selection as the spectrum pane shows it now.
                std::string selection;
                if (m_specListView)
                    m_specListView->BuildSelectionString(selection);
                m_dragSpecSelection = selection;
                target->OnDrop(m_dragSpecSelection);
            }
        }
    } else if (m_dragClipboard) {
        m_dragClipboard = false;
        if (target) {
            if (target->CanDropClipboardObjects())
                target->OnDropClipboardObjects(m_dragClipboardSelection);
            else if (target->CanDropClipboardGroup())
                target->OnDropClipboardGroup(m_dragClipboardGroup);
            else
                target->OnDrop(m_dragClipboardSelection);
        }
    } else if (m_dragModule) {
        m_dragModule = false;
        if (target) {
            switch (m_moduleDragKind) {
            case 0: target->OnDropModule(m_dragModulePath); break;
            case 1:
                target->OnDropParam(m_moduleView ? m_moduleView->DraggedParameterText(m_dragModulePath)
                                                 : m_dragModulePath);
                break;
            case 2: target->OnDropFunction(m_dragModulePath); break;
            default: break;
            }
        }
    }
    EndDrag();
}

void CMainFrame::EndDrag()
{
    if (m_dragPicture)
        m_dragPicture->hide();
    m_dropTarget = nullptr;
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
    unsetCursor();
}

void CMainFrame::mouseMoveEvent(QMouseEvent* event)
{
    if (IsDragging()) {
        MoveDragPicture(event->globalPosition().toPoint());
        DragOver(QApplication::widgetAt(event->globalPosition().toPoint()));
    }
    QMainWindow::mouseMoveEvent(event);
}

void CMainFrame::mouseReleaseEvent(QMouseEvent* event)
{
    if (IsDragging() && event->button() == Qt::LeftButton)
        DragRelease();
    QMainWindow::mouseReleaseEvent(event);
}
