#include "platform/file_chooser.h"

#include <QFileDialog>

#include <atomic>

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
std::atomic<FileChooser*> g_installed{nullptr};

} // namespace

FileChooser::~FileChooser() = default;

FileChooser& GetFileChooser()
{
    FileChooser* chooser = g_installed.load();
    return chooser ? *chooser : g_dialogChooser;
}

FileChooser* SetFileChooser(FileChooser* chooser)
{
    FileChooser* previous = g_installed.exchange(chooser);
    return previous ? previous : &g_dialogChooser;
}

} // namespace platform
