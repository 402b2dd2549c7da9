#include "engine/thermal_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

TEST(ConstantThermalModel, SameTemperatureForEveryChannelAndDrive)
{
    ConstantThermalModel m;
    EXPECT_EQ(m.params.Count(), 1);
    EXPECT_EQ(m.params.FindValue("Temperature").second, "298.15");
    const std::vector<double> drives{0.2, 1.0};
    EXPECT_EQ(m.GetTemperature(0, drives), 298.15);
    EXPECT_EQ(m.GetTemperature(7, drives.data()), 298.15);
    EXPECT_EQ(m.GetTemperature(0, std::vector<double>{}), 298.15);
    EXPECT_EQ(m.GetTemperatureDerivative(0, 1, drives.data()), 0.0);
}

TEST(ConstantThermalModel, FollowsTheTemperatureParameter)
{
    struct Case {
        const char* name;
        std::function<void(ConstantThermalModel&)> change;
        double expected;
    };
    const Case cases[] = {
        {"set through the container", [](ConstantThermalModel& m) { m.params.SetDouble("Temperature", 350); }, 350.0},
        {"set as text", [](ConstantThermalModel& m) { m.params.SetStringAt(0, "77.5"); }, 77.5},
        {"text that is no number", [](ConstantThermalModel& m) { m.params.SetStringAt(0, "warm"); }, 0.0},
        {"other key set", [](ConstantThermalModel& m) {
             m.params.AddKeyValue("Ambient", "300");
             m.params.SetDouble("Ambient", 400);
         }, 298.15},
        {"pair removed and added again (no set event)", [](ConstantThermalModel& m) {
             m.params.RemoveValue("Temperature");
             m.params.AddKeyValue("Temperature", "400");
         }, 298.15},
        {"set directly: the exact value, text with six digits", [](ConstantThermalModel& m) {
             m.SetTemperature(351.123456789);
             EXPECT_EQ(m.params.FindValue("Temperature").second, "351.123");
         }, 351.123456789},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConstantThermalModel m;
        c.change(m);
        EXPECT_EQ(m.GetTemperature(3, nullptr), c.expected);
    }
}
