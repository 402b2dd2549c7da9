#pragma once
// The seam for file dialogs: the program asks the installed FileChooser for file names.
// The default one shows a QFileDialog; tests install a fake that answers in place of the
// user, so no test ever waits on a modal window.
#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

class FileChooser {
public:
    virtual ~FileChooser();

    // Asks for the name of a file to save, modal to parent (may be null). fileName is the
    // proposed name, filter a Qt filter such as "Bilder (*.png)". An empty result means
    // cancelled. No extension is added to what the user typed.
    virtual QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& fileName,
                                    const QString& filter) = 0;
    // Asks for an existing file to open, starting in folder. An empty result means cancelled;
    // a chooser that does not offer opening answers that.
    virtual QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                    const QString& filter);
    // As GetOpenFileName, but the name need not belong to an existing file: the caller's load
    // reports a missing one. The default answers as GetOpenFileName.
    virtual QString GetOpenFileNameUnchecked(QWidget* parent, const QString& caption, const QString& folder,
                                             const QString& filter);
    // Asks for one or more existing files to open, in the order the dialog returns them.
    // An empty list means cancelled; a chooser that does not offer this answers so.
    virtual QStringList GetOpenFileNames(QWidget* parent, const QString& caption, const QString& directory,
                                         const QString& filter);
};

// The installed chooser (the QFileDialog one unless another was installed).
FileChooser& GetFileChooser();
// Installs a chooser (null: the QFileDialog one again) and returns the one it replaces.
// The caller keeps ownership and uninstalls it before destroying it.
FileChooser* SetFileChooser(FileChooser* chooser);

} // namespace platform
