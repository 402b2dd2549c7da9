#include "engine/engine_log.h"

#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(EngineLog, LinesGoToTheCurrentHostOnly)
{
    ASSERT_EQ(CurrentHost.load(), nullptr) << "no host at load";
    EngineLog("dropped %d", 1);
    EngineLogColor(0x000070, "dropped too");

    RecordingHost host;
    CurrentHost = &host;
    const std::string userText = "Datei 100% fertig %s";
    EngineLog("Lade...%s", userText.c_str());
    EngineLogColor(0x000070, "Fehler: %d von %d", 2, 3);
    CurrentHost = nullptr;
    EngineLog("dropped again");

    EXPECT_EQ(host.LogTexts(), (std::vector<std::string>{"Lade...Datei 100% fertig %s", "Fehler: 2 von 3"}));
    ASSERT_EQ(host.log.size(), 2u);
    EXPECT_FALSE(host.log[0].colour.has_value());
    EXPECT_EQ(host.log[1].colour, COLORREF{0x000070});
}
