#include "support/fake_prompter.h"

#include <QDialog>
#include <QVariant>

FakePrompter::FakePrompter()
    : m_previous(platform::SetPrompter(this))
{
}

FakePrompter::~FakePrompter() { platform::SetPrompter(m_previous); }

platform::PromptAnswer FakePrompter::Prompt(QWidget* parent, const QString& caption, const QString& text,
                                            platform::PromptIcon icon, platform::PromptButtons buttons)
{
    shown.push_back({parent, caption, text, icon, buttons});
    if (!answers.empty()) {
        const platform::PromptAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    const bool yesNo = buttons == platform::PromptButtons::YesNo || buttons == platform::PromptButtons::YesNoCancel;
    return yesNo ? platform::PromptAnswer::Yes : platform::PromptAnswer::Ok;
}

int FakePrompter::RunModal(QDialog& dialog)
{
    dialogs.push_back({dialog.windowTitle(), dialog.property("text").toString()});
    if (onModal)
        return onModal(dialog);
    if (!dialogAnswers.empty()) {
        const int answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
    dialog.reject();
    return dialog.result();
}

std::vector<QString> FakePrompter::Texts() const
{
    std::vector<QString> texts;
    for (const Shown& s : shown)
        texts.push_back(s.text);
    return texts;
}
