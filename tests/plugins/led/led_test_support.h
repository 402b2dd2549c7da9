#pragma once
// Helpers shared by the LED engine tests.

#include "core/param_container.h"
#include "engine/engine_log.h"
#include "engine/grid.h"
#include "engine/led_model.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <charconv>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

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

// Makes a recording host the engine's current host for its lifetime; no host afterwards.
class LogScope {
public:
    LogScope() { CurrentHost = &host_; }
    ~LogScope() { CurrentHost = nullptr; }
    LogScope(const LogScope&) = delete;
    LogScope& operator=(const LogScope&) = delete;

    // The lines logged since the last call, in order. The engine logs plain lines only: a
    // coloured one fails the test.
    std::vector<std::string> Take()
    {
        std::vector<std::string> texts;
        for (const RecordingHost::LogLine& line : host_.log) {
            EXPECT_FALSE(line.colour.has_value()) << "coloured line: " << line.text;
            texts.push_back(line.text);
        }
        host_.log.clear();
        return texts;
    }

private:
    RecordingHost host_;
};

using Lines = std::vector<std::string>;

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
