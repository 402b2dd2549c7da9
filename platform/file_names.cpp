#include "platform/file_names.h"

#include <QStringList>

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace platform {

namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of folder shown as name; empty when none is.
std::string EntryShownAs(const std::string& folder, const QString& name)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!dir)
        return {};
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string bytes = entry->d_name;
        if (ShownFileName(bytes) == name)
            return bytes;
    }
    return {};
}

} // namespace

QString ShownFileName(const std::string& bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string FileNameBytes(const QString& chosen)
{
    const std::string utf8 = chosen.toStdString();
    if (!chosen.contains(QChar::ReplacementCharacter) || Exists(utf8))
        return utf8;
    // Part by part: each part that names no entry as UTF-8 is looked up among the entries.
    std::string path;
    const QStringList parts = chosen.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            path += '/';
        const QString& part = parts[i];
        std::string bytes = part.toStdString();
        if (part.contains(QChar::ReplacementCharacter) && !Exists(path + bytes)) {
            const std::string found = EntryShownAs(path, part);
            if (!found.empty())
                bytes = found;
        }
        path += bytes;
    }
    return path;
}

} // namespace platform
