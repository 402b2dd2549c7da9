#pragma once
// A Prompter for tests: installed for its lifetime, it records every message instead of
// showing it and answers from a queue (by default the first button: OK or Yes). Modal dialogs
// of the program are recorded by caption and "text" property and answered from their own
// queue; without an answer the dialog is dismissed as by Escape. A test that sets onModal
// works the dialog itself there (clicks, buttons) and returns its result.
#include "platform/prompter.h"

#include <QString>

#include <deque>
#include <functional>
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

    int RunModal(QDialog& dialog) override;

    // The texts shown so far, in order.
    std::vector<QString> Texts() const;

    std::vector<Shown> shown;
    std::deque<platform::PromptAnswer> answers;

    struct ShownDialog {
        QString caption;
        QString text;
    };
    std::vector<ShownDialog> dialogs;
    std::deque<int> dialogAnswers;
    std::function<int(QDialog&)> onModal;

private:
    platform::Prompter* m_previous;
};
