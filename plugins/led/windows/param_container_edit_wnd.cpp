#include "windows/param_container_edit_wnd.h"

#include "core/param_container.h"

#include <QScrollBar>

#include <algorithm>

COLORREF CParamContainerEditWnd::SourceColour(int source)
{
    switch (source) {
    case ParamContainer::kOwnValue: return RGB(196, 255, 196);
    case ParamContainer::kDerivedValue: return RGB(255, 255, 196);
    default: return RGB(255, 196, 196);
    }
}

CParamContainerEditWnd::CParamContainerEditWnd(QWidget* parent)
    : CParamTableWnd("CParamContainerEditWndCtrl", parent)
{
}

CParamContainerEditWnd::~CParamContainerEditWnd() = default;

void CParamContainerEditWnd::SetParamContainer(ParamContainer* record)
{
    // An open edit belongs to the record shown so far.
    EndEdit();
    m_record = record;
    RefreshKeys();
    UpdateScrollInfo();
}

void CParamContainerEditWnd::SetKeys(const std::vector<std::string>& keys)
{
    m_keys = keys;
}

void CParamContainerEditWnd::SetKeys(const std::set<std::string>& keys)
{
    m_keys.assign(keys.begin(), keys.end());
}

void CParamContainerEditWnd::RefreshKeys()
{
    if (m_record == nullptr)
        return;
    if (autoKeys)
        m_keys.clear();
    for (int i = 0; i < m_record->Count(); ++i) {
        const std::string& key = m_record->KeyAt(i);
        if (autoKeys || std::find(m_keys.begin(), m_keys.end(), key) == m_keys.end())
            m_keys.push_back(key);
    }
    viewport()->update();
}

QString CParamContainerEditWnd::RowKey(int index) const
{
    return QString::fromStdString(m_keys[static_cast<std::size_t>(index)]);
}

QString CParamContainerEditWnd::RowValue(int index, COLORREF& band) const
{
    int source = ParamContainer::kNotFound;
    const ParamPair& pair = m_record->FindValue(m_keys[static_cast<std::size_t>(index)], &source);
    band = SourceColour(source);
    return QString::fromStdString(pair.second);
}

QString CParamContainerEditWnd::EmptyText() const
{
    return QStringLiteral("Keine Daten!!!");
}

bool CParamContainerEditWnd::PrepareEdit(int index, QString& text)
{
    if (index < 0 || index >= RowCount())
        return false;
    m_editedKey = m_keys[static_cast<std::size_t>(index)];
    if (m_record != nullptr) {
        m_editedOrigin = ParamContainer::kNotFound;
        text = QString::fromStdString(m_record->FindValue(m_editedKey, &m_editedOrigin).second);
    }
    return true;
}

void CParamContainerEditWnd::CommitEdit(const QString& qtext)
{
    if (m_record == nullptr)
        return;
    const std::string text = qtext.toStdString();
    if (m_editedOrigin == ParamContainer::kOwnValue) {
        int index = -1;
        for (int i = 0; i < m_record->Count() && index < 0; ++i)
            if (m_record->KeyAt(i) == m_editedKey)
                index = i;
        if (index < 0)
            return; // removed meanwhile: nothing to set
        if (!text.empty())
            m_record->SetStringAt(index, text);
        else
            m_record->RemoveValue(m_editedKey);
    } else if (!text.empty()) {
        m_record->AddKeyValue(m_editedKey, text);
    }
}
