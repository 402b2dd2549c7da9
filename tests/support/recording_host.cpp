#include "support/recording_host.h"

#include "platform/vformat.h"

RecordingHost::RecordingHost() = default;

RecordingHost::~RecordingHost() = default;

void RecordingHost::StartCalculation()
{
    calls.push_back("StartCalculation");
    freeHolds.push_back(std::make_unique<ns_tree::FreeHold>());
}

void RecordingHost::EndCalculation()
{
    calls.push_back("EndCalculation");
    if (!freeHolds.empty())
        freeHolds.pop_back();
}
void RecordingHost::StartLive() { calls.push_back("StartLive"); }
void RecordingHost::EndLive() { calls.push_back("EndLive"); }
void RecordingHost::InitLive() { calls.push_back("InitLive"); }
void RecordingHost::ResetLive() { calls.push_back("ResetLive"); }

void RecordingHost::AddLogMessageV(const char* format, va_list args)
{
    LogLine line{platform::VFormat(format, args), std::nullopt};
    std::lock_guard lock(logMutex);
    log.push_back(std::move(line));
    logChanged.notify_all();
}

void RecordingHost::AddLogColorMessageV(COLORREF colour, const char* format, va_list args)
{
    LogLine line{platform::VFormat(format, args), colour};
    std::lock_guard lock(logMutex);
    log.push_back(std::move(line));
    logChanged.notify_all();
}

void RecordingHost::SetProgressBarPercentage(double percent)
{
    progress = percent;
    progressHistory.push_back(percent);
}

void RecordingHost::SetStatusText(const std::string& text)
{
    calls.push_back("SetStatusText");
    statusTexts.push_back(text);
}

void RecordingHost::RepaintSpecView() { calls.push_back("RepaintSpecView"); }

bool RecordingHost::UserWantsAbort()
{
    ++abortPolls;
    return wantsAbort;
}

std::vector<RecordingHost::LogLine> RecordingHost::LogSnapshot() const
{
    std::lock_guard lock(logMutex);
    return log;
}

bool RecordingHost::WaitForLine(const std::string& text, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(logMutex);
    return logChanged.wait_for(lock, timeout, [&] {
        for (const LogLine& line : log)
            if (line.text == text)
                return true;
        return false;
    });
}

std::vector<std::string> RecordingHost::LogTexts() const
{
    std::lock_guard lock(logMutex);
    std::vector<std::string> texts;
    for (const LogLine& line : log)
        texts.push_back(line.text);
    return texts;
}

int RecordingHost::AddModules(ModuleFactory& factory)
{
    int added = 0;
    const int count = factory.GetModuleCount();
    for (int i = 0; i < count; ++i) {
        Module* module = factory.CreateModule(i);
        if (!module)
            continue;
        module->SetName(factory.GetModuleName(i));
        if (!modules.AddInserter(module)) {
            delete module;
            continue;
        }
        module->SetModuleInterface(this);
        ++added;
    }
    return added;
}
