#include "platform/document_opener.h"

#include "platform/seam.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace platform {

namespace {

class DesktopOpener final : public DocumentOpener {
public:
    // The desktop's opener reports success for a file that is not there: look first.
    bool Open(const QString& path) override
    {
        return QFileInfo::exists(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
};

DesktopOpener g_desktopOpener;
Seam<DocumentOpener> g_seam(g_desktopOpener);

} // namespace

DocumentOpener::~DocumentOpener() = default;

DocumentOpener& GetDocumentOpener()
{
    return g_seam.Get();
}

DocumentOpener* SetDocumentOpener(DocumentOpener* opener)
{
    return g_seam.Set(opener);
}

QString ManualFolder()
{
    const QString sub = QStringLiteral("Orvanta/Doc");
    const QString found = QStandardPaths::locate(QStandardPaths::GenericDataLocation, sub, QStandardPaths::LocateDirectory);
    if (!found.isEmpty())
        return QDir::cleanPath(found);
    // The shared folders follow the user's own one in the list.
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    const QString base = folders.size() > 1 ? folders.at(1) : folders.value(0);
    return QDir::cleanPath(base + QLatin1Char('/') + sub);
}

} // namespace platform
