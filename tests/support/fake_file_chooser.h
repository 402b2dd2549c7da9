#pragma once
// A FileChooser for tests: installed for its lifetime, it answers every request with `answer`
// (empty: cancelled) and counts the requests.
#include "platform/file_chooser.h"

class FakeFileChooser : public platform::FileChooser {
public:
    FakeFileChooser() : m_previous(platform::SetFileChooser(this)) {}
    ~FakeFileChooser() override { platform::SetFileChooser(m_previous); }
    FakeFileChooser(const FakeFileChooser&) = delete;
    FakeFileChooser& operator=(const FakeFileChooser&) = delete;

    QString GetOpenFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        ++openRequests;
        return answer;
    }
    QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        ++saveRequests;
        return answer;
    }

    QString answer;
    int openRequests = 0;
    int saveRequests = 0;

private:
    platform::FileChooser* m_previous;
};
