#include "support/fake_prompter.h"

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

std::vector<QString> FakePrompter::Texts() const
{
    std::vector<QString> texts;
    for (const Shown& s : shown)
        texts.push_back(s.text);
    return texts;
}
