#include "core/module_drop_target.h"
#include "core/module_interface.h"

#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class BareHost : public ModuleInterface {};
class BareTarget : public ModuleDropTarget {};

// A wrapper with its own variable arguments, as a module's engine forwards its log calls.
void __attribute__((format(printf, 3, 4))) LogForwarded(ModuleInterface& host, COLORREF colour, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    host.AddLogColorMessageV(colour, format, args);
    va_end(args);
}

} // namespace

TEST(ModuleInterface, DefaultsAreEmpty)
{
    BareHost host;
    EXPECT_EQ(host.GetSpectrumTree(), nullptr);
    EXPECT_EQ(host.GetClipboardTree(), nullptr);
    EXPECT_EQ(host.GetModuleTree(), nullptr);
    EXPECT_EQ(host.GetModule("A:B"), nullptr);
    host.SetProgressBarPercentage(50.0);
    EXPECT_EQ(host.GetProgressBarPercentage(), 0.0);
    EXPECT_FALSE(host.UserWantsAbort());
    host.AddLogMessage("%s %d", "ignoriert", 1);
    host.AddLogColorMessage(0x000070, "Fehler: %s", "ignoriert");
    host.StartCalculation();
    host.EndCalculation();
    host.StartLive();
    host.InitLive();
    host.ResetLive();
    host.EndLive();
    host.SetStatusText("x");
    host.RepaintSpecView();
}

TEST(ModuleDropTarget, RefusesEveryDropByDefault)
{
    BareTarget target;
    const ModuleDropTarget& t = target;
    EXPECT_FALSE(t.CanDropSpecs());
    EXPECT_FALSE(t.CanDropGroup());
    EXPECT_FALSE(t.CanDropClipboardObjects());
    EXPECT_FALSE(t.CanDropClipboardGroup());
    EXPECT_FALSE(t.CanDropParams());
    EXPECT_FALSE(t.CanDropFunctions());
    EXPECT_FALSE(t.CanDropModules());
    EXPECT_FALSE(target.CanDrop("Text"));
    target.OnDropSpecs("A");
    target.OnDrop("A");
}

TEST(ModuleInterface, LogCallsArriveAsOneFinishedText)
{
    RecordingHost host;
    const std::string longName(10000, 'x');
    host.AddLogMessage("Spektrum %s: %d Punkte, %.2f%%", "A:B", 401, 99.5);
    host.AddLogMessage("%s", "100% fertig, %s %d %n bleiben stehen");
    host.AddLogColorMessage(0x000070, "Fehler: %s nicht gefunden", longName.c_str());
    host.AddLogMessage("kein Argument");
    LogForwarded(host, 0x007000, "Hinweis: %s (%u)", "weitergereicht", 3u);

    ASSERT_EQ(host.log.size(), 5u);
    EXPECT_EQ(host.log[0].text, "Spektrum A:B: 401 Punkte, 99.50%");
    EXPECT_EQ(host.log[0].colour, std::nullopt);
    EXPECT_EQ(host.log[1].text, "100% fertig, %s %d %n bleiben stehen");
    EXPECT_EQ(host.log[2].text, "Fehler: " + longName + " nicht gefunden");
    EXPECT_EQ(host.log[2].colour, 0x000070u);
    EXPECT_EQ(host.log[3].text, "kein Argument");
    EXPECT_EQ(host.log[4].text, "Hinweis: weitergereicht (3)");
    EXPECT_EQ(host.log[4].colour, 0x007000u);
}

TEST(ModuleInterface, LogTextsOfAnyLengthArriveWhole)
{
    RecordingHost host;
    for (std::size_t length : {0u, 1u, 510u, 511u, 512u, 513u, 4096u, 100000u}) {
        SCOPED_TRACE(length);
        const std::string text(length, 'a');
        host.AddLogMessage("%s|", text.c_str());
        EXPECT_EQ(host.log.back().text, text + "|");
    }
}
