#pragma once
// The seam for message boxes: every message the program shows to the user goes through the
// installed Prompter. The default one shows a QMessageBox; tests install a fake that records
// what would be shown and answers in place of the user.
#include <QString>

class QDialog;
class QWidget;

namespace platform {

enum class PromptIcon { Information, Warning, Error, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

class Prompter {
public:
    virtual ~Prompter();

    // Shows the text with the caption, modal to parent (may be null), and returns the
    // button the user chose.
    virtual PromptAnswer Prompt(QWidget* parent, const QString& caption, const QString& text, PromptIcon icon,
                                PromptButtons buttons) = 0;

    // Runs one of the program's own modal dialogs (the four-answer question, ...) and returns
    // its result. The default runs it with exec(); a fake answers without showing it.
    virtual int RunModal(QDialog& dialog);
};

// The installed prompter (the QMessageBox one unless another was installed).
Prompter& GetPrompter();
// Installs a prompter (null: the QMessageBox one again) and returns the one it replaces.
// The caller keeps ownership and uninstalls it before destroying it.
Prompter* SetPrompter(Prompter* prompter);

// A message with only an OK button.
void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                 PromptIcon icon = PromptIcon::Information);

} // namespace platform
