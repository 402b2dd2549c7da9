#pragma once
// A FileChooser for tests: installed for its lifetime, it answers every request with `answer`
// (empty: cancelled), counts the requests and keeps the last proposed name and filter.
#include "platform/file_chooser.h"

class FakeFileChooser : public platform::FileChooser {
public:
    FakeFileChooser() : m_previous(platform::SetFileChooser(this)) {}
    ~FakeFileChooser() override { platform::SetFileChooser(m_previous); }
    FakeFileChooser(const FakeFileChooser&) = delete;
    FakeFileChooser& operator=(const FakeFileChooser&) = delete;

    QString GetOpenFileName(QWidget*, const QString&, const QString&, const QString& filter) override
    {
        lastFilter = filter;
        ++openRequests;
        return answer;
    }
    QString GetSaveFileName(QWidget*, const QString&, const QString& fileName, const QString& filter) override
    {
        proposed = fileName;
        lastFilter = filter;
        ++saveRequests;
        return answer;
    }

    QString answer;
    int openRequests = 0;
    int saveRequests = 0;
    QString proposed;
    QString lastFilter;

private:
    platform::FileChooser* m_previous;
};
