#pragma once
// A FileChooser for tests: installed for its lifetime, it answers every request with `answer`
// (empty: cancelled), a request for several files with `answers`, counts the requests (an open
// request that lets a missing name through on its own) and keeps the proposed name and the
// filter of the last one.
#include "platform/file_chooser.h"

class FakeFileChooser : public platform::FileChooser {
public:
    FakeFileChooser() : m_previous(platform::SetFileChooser(this)) {}
    ~FakeFileChooser() override { platform::SetFileChooser(m_previous); }
    FakeFileChooser(const FakeFileChooser&) = delete;
    FakeFileChooser& operator=(const FakeFileChooser&) = delete;

    QString GetOpenFileName(QWidget*, const QString&, const QString&, const QString& filter) override
    {
        ++openRequests;
        lastFilter = filter;
        return answer;
    }
    QString GetOpenFileNameUnchecked(QWidget*, const QString&, const QString&, const QString& filter) override
    {
        ++uncheckedOpenRequests;
        lastFilter = filter;
        return answer;
    }
    QStringList GetOpenFileNames(QWidget*, const QString&, const QString&, const QString& filter) override
    {
        ++openRequests;
        lastFilter = filter;
        return answers;
    }
    QString GetSaveFileName(QWidget*, const QString&, const QString& fileName, const QString& filter) override
    {
        ++saveRequests;
        lastName = fileName;
        lastFilter = filter;
        return answer;
    }

    QString answer;
    QStringList answers;
    int openRequests = 0;
    int uncheckedOpenRequests = 0; // open requests that let a missing name through
    int saveRequests = 0;
    QString lastName;
    QString lastFilter;

private:
    platform::FileChooser* m_previous;
};
