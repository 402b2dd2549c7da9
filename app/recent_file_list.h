#pragma once
// The list of recently used project files, newest first, at most ten entries, kept in the
// settings group "Recent File List" under the keys "File1".."File10".
#include <QSettings>
#include <QString>
#include <QStringList>

class CMyRecentFileList {
public:
    static constexpr int kSize = 10;

    explicit CMyRecentFileList(int size = kSize);

    void ReadList(QSettings& settings);
    void WriteList(QSettings& settings) const;

    // Puts path at the top (an older entry of the same path goes).
    void Add(const QString& path);
    void Remove(int index);
    int GetSize() const { return static_cast<int>(m_paths.size()); }
    QString GetPath(int index) const { return m_paths.value(index); }

    // Short form of entry index for the menu: "/home/anna/Serie A/lampe.pxml" shows as
    // "/ho.../Serie A/lampe.pxml". False for an empty or missing entry.
    bool GetDisplayName(QString& name, int index) const;
    // The display names of all entries, in list order.
    QStringList DisplayNames() const;

    // The short form of one path (the rule of GetDisplayName).
    static QString DisplayName(const QString& path);

private:
    int m_maxSize;
    QStringList m_paths;
};
