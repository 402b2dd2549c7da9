#include "windows/param_show_ctrl.h"

#include "windows/device_value_sink.h"

#include "core/module.h"
#include "core/module_editor.h"
#include "platform/data_exchange.h"

#include <QApplication>

#include <cstdio>

DeviceValueSink::~DeviceValueSink() = default;

CParamShowCtrl::CParamShowCtrl(QWidget* parent) : CParamTableWnd("CParamShowCtrl", parent) {}

CParamShowCtrl::~CParamShowCtrl() = default;

QString CParamShowCtrl::FormatValue(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%0.3f", value);
    return QString::fromLatin1(text);
}

void CParamShowCtrl::LockRows() const
{
    if (m_lock)
        m_lock->lock();
}

void CParamShowCtrl::UnlockRows() const
{
    if (m_lock)
        m_lock->unlock();
}

double CParamShowCtrl::GetValue(const std::string& name) const
{
    LockRows();
    double value = 0.0;
    const std::size_t n = std::min(names.size(), values.size());
    for (std::size_t i = n; i-- > 0;)
        if (names[i] == name) {
            value = values[i];
            break;
        }
    UnlockRows();
    return value;
}

int CParamShowCtrl::RowCount() const
{
    return static_cast<int>(std::min(names.size(), values.size()));
}

QString CParamShowCtrl::RowKey(int index) const
{
    return QString::fromStdString(names[static_cast<std::size_t>(index)]);
}

QString CParamShowCtrl::RowValue(int index, COLORREF& band) const
{
    const std::size_t i = static_cast<std::size_t>(index);
    band = i < readOnly.size() && readOnly[i] ? RGB(200, 200, 200) : RGB(200, 230, 200);
    return FormatValue(values[i]);
}

bool CParamShowCtrl::PrepareEdit(int index, QString& text)
{
    LockRows();
    const std::size_t i = static_cast<std::size_t>(index);
    const bool ok = index >= 0 && index < RowCount() && !(i < readOnly.size() && readOnly[i]);
    if (ok) {
        m_editedName = names[i];
        m_editedIndex = index;
        text = m_startText = FormatValue(values[i]);
    }
    UnlockRows();
    return ok;
}

void CParamShowCtrl::CommitEdit(const QString& text)
{
    // Only a changed text that is wholly a number is sent: a typo must not switch a device
    // channel to 0, and leaving the editor untouched must not round the value to three places.
    double value = 0.0;
    if (text.trimmed() == m_startText.trimmed() || !platform::ParseDouble(text, value))
        return;
    LockRows();
    const bool rowStands = m_editedIndex >= 0 && m_editedIndex < RowCount();
    if (rowStands)
        values[static_cast<std::size_t>(m_editedIndex)] = value;
    UnlockRows();
    if (!rowStands)
        return;
    m_editedValue = value;
    Module* module = m_ownerForm ? m_ownerForm->GetModule() : nullptr;
    auto* sink = dynamic_cast<DeviceValueSink*>(module);
    if (sink == nullptr)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    sink->SetDeviceValue(m_editedIndex, value);
    QApplication::restoreOverrideCursor();
}
