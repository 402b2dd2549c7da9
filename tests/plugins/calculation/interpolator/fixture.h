#pragma once
// A small training set: three sensor channels and eight targets on 400..700 nm in 10 nm steps.
#include "calculation/create_interpolator_module.h"
#include "calculation/test_interpolator_module.h"

#include "../fixture.h"

#include <gtest/gtest.h>

#include <paramora/parameter_types.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace interp_test {

constexpr int kPoints = 31;

inline double Gauss(double x, double centre, double width)
{
    return std::exp(-std::pow((x - centre) / width, 2));
}

inline ClipboardObject* AddObject(RecordingHost& host, const std::string& name, const std::vector<double>& values)
{
    auto* o = new ClipboardObject;
    o->SetName(name);
    o->GetParameters().addDouble1DArrayParameter("ClpValues", "", static_cast<int>(values.size()), values.data(), 0);
    if (!host.clipboard.AddInserter(o)) {
        delete o;
        return nullptr;
    }
    return o;
}

inline std::optional<std::vector<double>> ClpValuesOf(ClipboardObject& o)
{
    const auto* a = dynamic_cast<const ns_param::Double1DArrayParameterType*>(o.GetParameters().getParameter("ClpValues"));
    if (!a)
        return std::nullopt;
    return std::vector<double>(a->getValues(), a->getValues() + a->getCount());
}

class Interp : public ::testing::Test {
protected:
    void SetUp() override
    {
        train.SetModuleInterface(&host);
        test.SetModuleInterface(&host);
        train.SetSeedSource([this] { return ++seed; });
        test.SetSeedSource([this] { return ++seed; });
        const double centres[] = {450, 550, 630};
        const char* names[] = {"red", "green", "blue"};
        for (int c = 0; c < 3; ++c)
            calc_test::AddCurve(host, std::string("sens:sub:") + names[c], 400, 10, kPoints,
                                [&](double x) { return Gauss(x, centres[c], 50); })
                ->SetColor(0x000010 * (c + 1));
        for (int k = 1; k <= 8; ++k)
            calc_test::AddCurve(host, "targ:t" + std::to_string(k), 400, 10, kPoints,
                                [k](double x) { return 0.5 + 0.4 * std::sin(0.002 * x * k + k); })
                ->SetColor(0x204060);
        P().setStringParameter("SpecDescAsystem", "sens");
        P().setStringParameter("SpecDescTargets", "targ");
        P().setStringParameter("TargetGroup", "rule");
    }

    ns_param::Paramora& P() { return train.getParameters(); }
    ns_param::Paramora& Q() { return test.getParameters(); }

    bool HasLog(const std::string& text) const
    {
        for (const auto& line : host.log)
            if (line.text == text)
                return true;
        return false;
    }

    // Channel responses of a target with the tree's sensitivities.
    std::vector<double> Responses(const std::string& target)
    {
        std::vector<double> a;
        const Spectrum* t = host.spectra.GetInserter(target);
        for (const char* name : {"sens:sub:red", "sens:sub:green", "sens:sub:blue"}) {
            const Spectrum* s = host.spectra.GetInserter(name);
            double sum = 0;
            for (int j = 0; j < kPoints; ++j)
                sum += (*s)[j].y * (*t)[j].y;
            a.push_back(sum);
        }
        return a;
    }

    std::uint32_t seed = 100;
    RecordingHost host;
    CreateInterpolatorModule train;
    TestInterpolatorModule test;
};

} // namespace interp_test
