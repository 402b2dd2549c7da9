#pragma once
// Progress, status text and abort of the algebraic target selection, and the log stream
// buffer that turns the selection's text output into log lines.
#include <embrel/apriori_interpolator.h>

#include <streambuf>
#include <string>

class ModuleInterface;

// Turns the library's selection events into the host's progress and status text and passes
// the user's abort on. Events: 3 start, 4 one target chosen, 5 done.
// A user's abort sets the library's abort flag and logs a red line for every event the
// library still sends.
class SVDSelEventHandler : public CMBLibEventHandler {
public:
    explicit SVDSelEventHandler(ModuleInterface* host = nullptr) : m_host(host) {}
    ~SVDSelEventHandler() override;

    void SetHost(ModuleInterface* host) { m_host = host; }
    void OnEvent(int type) override;

private:
    ModuleInterface* m_host;
};

// Collects characters into a line and logs each finished line as "AlgebraicSel: <line>".
class SVDSelectionStreamBuf : public std::streambuf {
public:
    explicit SVDSelectionStreamBuf(ModuleInterface* host) : m_host(host) {}
    ~SVDSelectionStreamBuf() override;

protected:
    int_type overflow(int_type ch) override;

private:
    std::string m_line;
    ModuleInterface* m_host;
};
