#pragma once
// Progress, status text and abort of the algebraic target selection, and the log stream
// buffer that turns the selection's text output into log lines.
#include <streambuf>
#include <string>

class ModuleInterface;

// Turns the library's selection events into the host's progress and status text and passes
// the user's abort on. Events: 3 start, 4 one target chosen, 5 done.
class SVDSelEventHandler {
public:
    explicit SVDSelEventHandler(ModuleInterface* host = nullptr) : m_host(host) {}
    virtual ~SVDSelEventHandler();

    void SetHost(ModuleInterface* host) { m_host = host; }
    // Handles one event with the library's target count and current index; returns true
    // (and keeps the abort flag set) when the user asked to stop.
    bool Handle(int type, unsigned count, unsigned index);
    bool Aborted() const { return m_abort; }

private:
    ModuleInterface* m_host;
    bool m_abort = false;
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
