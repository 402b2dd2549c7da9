#include "core/selection_edit.h"

#include "platform/data_exchange.h"

#include <limits>

CSelectionEdit::CSelectionEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setMaxLength(std::numeric_limits<int>::max());
}

CSelectionEdit::~CSelectionEdit() = default;

void CSelectionEdit::Init() {}

bool CSelectionEdit::CanDropSpecs() const { return m_canDropSpecs; }
bool CSelectionEdit::CanDropGroup() const { return m_canDropGroup; }
bool CSelectionEdit::CanDropClipboardObjects() const { return m_canDropClipboardObjects; }
bool CSelectionEdit::CanDropClipboardGroup() const { return m_canDropClipboardGroup; }

void CSelectionEdit::OnDropSpecs(const std::string& names) { TakeDrop(names); }
void CSelectionEdit::OnDropGroup(const std::string& name) { TakeDrop(name); }
void CSelectionEdit::OnDropClipboardObjects(const std::string& names) { TakeDrop(names); }
void CSelectionEdit::OnDropClipboardGroup(const std::string& name) { TakeDrop(name); }

void CSelectionEdit::TakeDrop(const std::string& text)
{
    setText(QString::fromStdString(text));
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* form = dynamic_cast<platform::DataExchanger*>(w)) {
            form->UpdateData(true);
            return;
        }
        if (w->isWindow())
            return;
    }
}
