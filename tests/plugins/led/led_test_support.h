#pragma once
// Helpers shared by the LED engine tests.

#include "core/param_container.h"
#include "engine/grid.h"
#include "engine/led_model.h"

#include <gtest/gtest.h>

#include <charconv>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

// Restores the global wavelength grid when the test ends.
class GridGuard {
public:
    GridGuard() : start_(XStart), end_(XEnd), step_(XStep) {}
    ~GridGuard()
    {
        XStart = start_;
        XEnd = end_;
        XStep = step_;
    }
    GridGuard(const GridGuard&) = delete;
    GridGuard& operator=(const GridGuard&) = delete;

private:
    double start_, end_, step_;
};

// The shortest text that reads back as exactly x.
inline std::string ExactText(double x)
{
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, res.ptr);
}

using Pairs = std::initializer_list<std::pair<const char*, const char*>>;

inline ParamContainer Record(Pairs pairs)
{
    ParamContainer r;
    for (const auto& [key, value] : pairs)
        r.AddKeyValue(key, value);
    return r;
}

// A model of the table by its name, with the given own values replaced.
inline std::unique_ptr<LEDModel> MakeModel(const char* name, Pairs values = {})
{
    std::unique_ptr<LEDModel> m(CreateLEDModel(name));
    for (const auto& [key, value] : values) {
        int i = 0;
        while (i < m->params.Count() && m->params.KeyAt(i) != key)
            ++i;
        if (!m->params.SetStringAt(i, value))
            ADD_FAILURE() << name << " has no parameter " << key;
    }
    return m;
}
