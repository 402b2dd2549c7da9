#pragma once
// A ColorChooser for tests: installed for its lifetime, it records each request and answers
// from a queue (nothing queued: cancelled).
#include "platform/color_chooser.h"

#include <deque>
#include <optional>
#include <vector>

class FakeColorChooser : public platform::ColorChooser {
public:
    FakeColorChooser() : m_previous(platform::SetColorChooser(this)) {}
    ~FakeColorChooser() override { platform::SetColorChooser(m_previous); }
    FakeColorChooser(const FakeColorChooser&) = delete;
    FakeColorChooser& operator=(const FakeColorChooser&) = delete;

    std::optional<COLORREF> ChooseColor(QWidget*, COLORREF initial) override
    {
        initials.push_back(initial);
        if (answers.empty())
            return std::nullopt;
        const std::optional<COLORREF> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    // The initial colour of each request, in order.
    std::vector<COLORREF> initials;
    std::deque<std::optional<COLORREF>> answers;

private:
    platform::ColorChooser* m_previous;
};
