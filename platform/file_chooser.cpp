#include "platform/file_chooser.h"

#include <QFileDialog>

namespace platform {

FileChooser::~FileChooser() = default;

QString FileChooser::GetOpenFileName(QWidget*, const QString&, const QString&, const QString&)
{
    return {};
}

QString FileChooser::GetOpenFileNameUnchecked(QWidget* parent, const QString& caption, const QString& folder,
                                              const QString& filter)
{
    return GetOpenFileName(parent, caption, folder, filter);
}

QStringList FileChooser::GetOpenFileNames(QWidget*, const QString&, const QString&, const QString&)
{
    return {};
}

namespace {

// A chooser without a caption of its caller's gets a German one.
QString CaptionOr(const QString& caption, const char* fallback)
{
    return caption.isEmpty() ? QString::fromUtf8(fallback) : caption;
}

class DialogFileChooser : public FileChooser {
public:
    QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& fileName,
                            const QString& filter) override
    {
        return QFileDialog::getSaveFileName(parent, CaptionOr(caption, "Speichern unter"), fileName, filter);
    }
    QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                            const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, CaptionOr(caption, "Öffnen"), folder, filter);
    }
    QString GetOpenFileNameUnchecked(QWidget* parent, const QString& caption, const QString& folder,
                                     const QString& filter) override
    {
        QFileDialog dialog(parent, CaptionOr(caption, "Öffnen"), folder, filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().front();
    }
    QStringList GetOpenFileNames(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter) override
    {
        return QFileDialog::getOpenFileNames(parent, CaptionOr(caption, "Dateien öffnen"), directory, filter);
    }
};

DialogFileChooser g_dialogChooser;
FileChooser* g_chooser = nullptr;

} // namespace

FileChooser& GetFileChooser()
{
    return g_chooser ? *g_chooser : g_dialogChooser;
}

FileChooser* SetFileChooser(FileChooser* chooser)
{
    FileChooser* previous = g_chooser ? g_chooser : &g_dialogChooser;
    g_chooser = chooser == &g_dialogChooser ? nullptr : chooser;
    return previous;
}

} // namespace platform
