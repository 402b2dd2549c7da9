#pragma once
// A Prompter for tests: installed for its lifetime, it records every message instead of
// showing it and answers from a queue (by default the first button: OK or Yes).
#include "platform/prompter.h"

#include <QString>

#include <deque>
#include <vector>

class FakePrompter : public platform::Prompter {
public:
    struct Shown {
        QWidget* parent;
        QString caption;
        QString text;
        platform::PromptIcon icon;
        platform::PromptButtons buttons;
    };

    FakePrompter();
    ~FakePrompter() override;
    FakePrompter(const FakePrompter&) = delete;
    FakePrompter& operator=(const FakePrompter&) = delete;

    platform::PromptAnswer Prompt(QWidget* parent, const QString& caption, const QString& text,
                                  platform::PromptIcon icon, platform::PromptButtons buttons) override;

    // The texts shown so far, in order.
    std::vector<QString> Texts() const;

    std::vector<Shown> shown;
    std::deque<platform::PromptAnswer> answers;

private:
    platform::Prompter* m_previous;
};
