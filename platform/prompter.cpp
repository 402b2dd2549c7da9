#include "platform/prompter.h"

#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>

#include <atomic>
#include <utility>

namespace platform {

namespace {

class MessageBoxPrompter final : public Prompter {
public:
    PromptAnswer Prompt(QWidget* parent, const QString& caption, const QString& text, PromptIcon icon,
                        PromptButtons buttons) override
    {
        QMessageBox box(ToIcon(icon), caption, text, ToButtons(buttons), parent);
        // Texts carry names as the user typed them: "<b>" is a name's part, not markup.
        box.setTextFormat(Qt::PlainText);
        // The program's texts are German whatever translations Qt has installed.
        const std::pair<QMessageBox::StandardButton, const char*> labels[] = {
            {QMessageBox::Ok, "OK"}, {QMessageBox::Cancel, "Abbrechen"}, {QMessageBox::Yes, "Ja"}, {QMessageBox::No, "Nein"}};
        for (const auto& [which, label] : labels)
            if (QAbstractButton* button = box.button(which))
                button->setText(QString::fromUtf8(label));
        switch (box.exec()) {
        case QMessageBox::Cancel: return PromptAnswer::Cancel;
        case QMessageBox::Yes: return PromptAnswer::Yes;
        case QMessageBox::No: return PromptAnswer::No;
        default: return PromptAnswer::Ok;
        }
    }

private:
    static QMessageBox::Icon ToIcon(PromptIcon icon)
    {
        switch (icon) {
        case PromptIcon::Warning: return QMessageBox::Warning;
        case PromptIcon::Error: return QMessageBox::Critical;
        case PromptIcon::Question: return QMessageBox::Question;
        default: return QMessageBox::Information;
        }
    }
    static QMessageBox::StandardButtons ToButtons(PromptButtons buttons)
    {
        switch (buttons) {
        case PromptButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        default: return QMessageBox::Ok;
        }
    }
};

MessageBoxPrompter g_messageBoxPrompter;
std::atomic<Prompter*> g_installed{nullptr};

} // namespace

Prompter::~Prompter() = default;

int Prompter::RunModal(QDialog& dialog)
{
    return dialog.exec();
}

Prompter& GetPrompter()
{
    Prompter* p = g_installed.load();
    return p ? *p : g_messageBoxPrompter;
}

Prompter* SetPrompter(Prompter* prompter)
{
    Prompter* previous = g_installed.exchange(prompter);
    return previous ? previous : &g_messageBoxPrompter;
}

void ShowMessage(QWidget* parent, const QString& caption, const QString& text, PromptIcon icon)
{
    GetPrompter().Prompt(parent, caption, text, icon, PromptButtons::Ok);
}

} // namespace platform
