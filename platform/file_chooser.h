#pragma once
// The seam for file dialogs: the program asks the installed FileChooser for a file to open or a
// name to save under. The default one shows a QFileDialog; tests install a fake that answers
// at once. An empty answer means the user cancelled.
#include <QString>

class QWidget;

namespace platform {

class FileChooser {
public:
    virtual ~FileChooser();

    virtual QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                    const QString& filter) = 0;
    // path proposes the name; the answer is the chosen path.
    virtual QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& path,
                                    const QString& filter) = 0;
};

// The installed chooser (the QFileDialog one unless another was installed).
FileChooser& GetFileChooser();
// Installs a chooser (null: the QFileDialog one again) and returns the one it replaces. The
// caller keeps ownership and uninstalls it before destroying it.
FileChooser* SetFileChooser(FileChooser* chooser);

} // namespace platform
