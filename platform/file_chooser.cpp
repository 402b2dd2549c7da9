#include "platform/file_chooser.h"

#include "platform/seam.h"

#include <QFileDialog>

namespace platform {

namespace {

class DialogFileChooser final : public FileChooser {
public:
    QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                            const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, folder, filter);
    }
    QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& path,
                            const QString& filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, path, filter);
    }
};

DialogFileChooser g_dialogChooser;
Seam<FileChooser> g_seam(g_dialogChooser);

} // namespace

FileChooser::~FileChooser() = default;

FileChooser& GetFileChooser()
{
    return g_seam.Get();
}

FileChooser* SetFileChooser(FileChooser* chooser)
{
    return g_seam.Set(chooser);
}

} // namespace platform
