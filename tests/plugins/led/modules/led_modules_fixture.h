#pragma once
// A recording host with real trees, spectra and LED clipboard objects for the LED modules'
// tests, and a guard that puts the engine's global grid back after each test.
#include "engine/engine_log.h"
#include "engine/grid.h"

#include "core/clipboard_object.h"
#include "core/spectrum.h"

#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace led_test {

class ModulesTest : public ::testing::Test {
protected:
    ModulesTest() : m_start(XStart), m_end(XEnd), m_step(XStep) {}
    ~ModulesTest() override
    {
        XStart = m_start;
        XEnd = m_end;
        XStep = m_step;
        CurrentHost = nullptr;
    }

    template <class M>
    M& Attach(M& module)
    {
        module.SetModuleInterface(&host);
        return module;
    }

    // A spectrum with count points from start in steps of step, y = f(x), filed in the tree.
    template <class F>
    Spectrum* AddCurve(const std::string& name, double start, double step, int count, F f)
    {
        auto* s = new Spectrum;
        s->SetName(name);
        for (int i = 0; i < count; ++i) {
            const double x = start + i * step;
            s->AddPoint(SPoint(x, f(x)));
        }
        if (!host.spectra.AddInserter(s)) {
            delete s;
            return nullptr;
        }
        return s;
    }

    // A clipboard object with string parameters, filed in the tree.
    ClipboardObject* AddObject(const std::string& name, const std::vector<std::pair<std::string, std::string>>& values)
    {
        auto* o = new ClipboardObject;
        o->SetName(name);
        for (const auto& [key, value] : values)
            o->GetParameters().addStringParameter(key, "", value, "");
        if (!host.clipboard.AddInserter(o)) {
            delete o;
            return nullptr;
        }
        return o;
    }

    // The string parameters of the object at path (empty when there is none).
    std::map<std::string, std::string> ValuesOf(const std::string& path)
    {
        std::map<std::string, std::string> values;
        for (ClipboardObject* o : host.clipboard.GetInserters(path, false))
            for (auto it = o->GetParameters().getFirstParameter(); it != o->GetParameters().getLastParameter(); ++it)
                values[it->first] = it->second->getValueText('.');
        return values;
    }

    std::vector<std::string> ClipboardNames()
    {
        std::vector<std::string> names;
        for (ClipboardObject* o : host.clipboard.GetInserters())
            names.push_back(o->GetName());
        return names;
    }

    std::vector<std::string> SpectrumNames()
    {
        std::vector<std::string> names;
        for (Spectrum* s : host.spectra.GetInserters())
            names.push_back(s->GetName());
        return names;
    }

    RecordingHost host;

private:
    double m_start, m_end, m_step;
};

// The upper end of a range line "Fehler: Parameter 'name' liegt außerhalb des zulässigen
// Bereichs (min bis max)!" with that name and min; -1 for another line.
inline double RangeLineMax(const std::string& line, const std::string& name, const std::string& min)
{
    const std::string head = "Fehler: Parameter '" + name + "' liegt außerhalb des zulässigen Bereichs (" + min + " bis ";
    if (line.rfind(head, 0) != 0 || line.size() < head.size() + 3 || line.compare(line.size() - 2, 2, ")!") != 0)
        return -1;
    const std::string number = line.substr(head.size(), line.size() - head.size() - 2);
    char* end = nullptr;
    const double max = std::strtod(number.c_str(), &end);
    return end == number.c_str() + number.size() ? max : -1;
}

} // namespace led_test
