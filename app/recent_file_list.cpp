#include "app/recent_file_list.h"

namespace {
const QString kSection = QStringLiteral("Recent File List");
}

CMyRecentFileList::CMyRecentFileList(int size) : m_maxSize(size) {}

void CMyRecentFileList::ReadList(QSettings& settings)
{
    m_paths.clear();
    settings.beginGroup(kSection);
    for (int i = 1; i <= m_maxSize; ++i) {
        const QString path = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty())
            m_paths.append(path);
    }
    settings.endGroup();
}

void CMyRecentFileList::WriteList(QSettings& settings) const
{
    settings.beginGroup(kSection);
    for (int i = 1; i <= m_maxSize; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= m_paths.size())
            settings.setValue(key, m_paths.at(i - 1));
        else
            settings.remove(key);
    }
    settings.endGroup();
}

void CMyRecentFileList::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    m_paths.removeAll(path);
    m_paths.prepend(path);
    while (m_paths.size() > m_maxSize)
        m_paths.removeLast();
}

void CMyRecentFileList::Remove(int index)
{
    if (index >= 0 && index < m_paths.size())
        m_paths.removeAt(index);
}

bool CMyRecentFileList::GetDisplayName(QString& name, int index) const
{
    const QString path = m_paths.value(index);
    if (path.isEmpty())
        return false;
    name = DisplayName(path);
    return true;
}

QStringList CMyRecentFileList::DisplayNames() const
{
    QStringList names;
    for (const QString& path : m_paths)
        names.append(DisplayName(path));
    return names;
}

QString CMyRecentFileList::DisplayName(const QString& path)
{
    // Positions count characters, not bytes.
    const qsizetype p = path.lastIndexOf(QLatin1Char('/'));
    if (p < 4)
        return path;
    const QString file = path.mid(p + 1);
    const QString folder = path.left(p);
    const qsizetype q = folder.lastIndexOf(QLatin1Char('/'));
    if (q < 0)
        return path;
    return path.left(3) + QStringLiteral(".../") + folder.mid(q + 1) + QLatin1Char('/') + file;
}
