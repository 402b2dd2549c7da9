// The a-priori interpolator: event handler base, constructors, status texts.
#include <embrel/apriori_interpolator.h>

#include <gtest/gtest.h>

namespace {

TEST(EventHandlerBase, KeepsAbortFlagAndProgress)
{
    CMBLibEventHandler handler;
    EXPECT_FALSE(handler.IsAborted());
    handler.SetProgress(4, 2);
    handler.SetAbort(true);
    handler.OnEvent(1);
    EXPECT_TRUE(handler.IsAborted());
    EXPECT_EQ(handler.GetCount(), 4u);
    EXPECT_EQ(handler.GetIndex(), 2u);
}

TEST(AprioriInterpolator, ConstructorsTellTheModeAndKeepTheHandler)
{
    CSpekContainer a, b, c;
    CAprioriInterpolator bySensitivities(a, b, CMBTarget(), CMBTarget(), c, CMBTarget(), 1, 0);
    CAprioriInterpolator byResponses(a, b, c, CMBTarget(), CMBTarget(), 1, 0);
    EXPECT_FALSE(bySensitivities.IsResponseMode());
    EXPECT_TRUE(byResponses.IsResponseMode());
    CMBLibEventHandler handler;
    bySensitivities.SetEventHandler(&handler);
    EXPECT_EQ(bySensitivities.GetEventHandler(), &handler);
    EXPECT_STREQ(MBStatusText(MB_OK), "");
    EXPECT_STREQ(MBStatusText(MB_NO_NAME_RELATION),
                 "Keine Namen-Beziehungen zwischen gegebenen Sensorantworten und Targets herstellbar!");
}

} // namespace
