// The a-priori interpolator: the closed, ridge and noise forms and response mode against
// GNU Octave (reference/make_training_reference.m), the normalisation input, the refining
// iterations, events, abort and the failing statuses.
#include <embrel/apriori_interpolator.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>
#include <algorithm>

namespace {

struct Reference {
    const char* name;
    int inputs;
    std::vector<double> w; // points x inputs, column by column
};

const Reference kReference[] = {
#include "reference/training_reference.inc"
};

const Reference& Ref(const std::string& name)
{
    for (const Reference& r : kReference)
        if (name == r.name)
            return r;
    throw std::runtime_error("no reference " + name);
}

constexpr int kPoints = 31, kTargets = 12, kChannels = 4;
const CSpekContainer::SpekInfo kAxis{400, 10, 700};

// The data of the Octave script.
struct Data {
    CSpekContainer sensors, targets, empty;
    CMBTarget illumination{kPoints, 0.0};

    Data()
    {
        sensors.SetSpekInfo(&kAxis);
        targets.SetSpekInfo(&kAxis);
        for (int k = 1; k <= kTargets; ++k) {
            CMBTarget t(kPoints, 0.0);
            for (int j = 0; j < kPoints; ++j)
                t[j] = 0.5 + 0.4 * std::sin(0.2 * j * k + k);
            targets.AddSpek(t, "group:t" + std::to_string(k));
        }
        for (int c = 1; c <= kChannels; ++c) {
            CMBTarget s(kPoints, 0.0);
            for (int j = 0; j < kPoints; ++j)
                s[j] = std::exp(-std::pow((j - 6.0 * c - 4) / 4, 2));
            sensors.AddSpek(s, "ch" + std::to_string(c));
        }
        for (int j = 0; j < kPoints; ++j)
            illumination[j] = 0.5 + j / 60.0;
    }

    // Response of sensor c to target k, as the library forms it.
    double Response(int c, int k) const
    {
        double sum = 0;
        for (int j = 0; j < kPoints; ++j)
            sum += sensors[c][j] * illumination[j] * targets[k][j];
        return sum;
    }
};

void ExpectSystem(const CSpekContainer& system, const Reference& ref, double tolerance)
{
    ASSERT_EQ(system.GetSpekCount(), ref.inputs) << ref.name;
    for (int c = 0; c < ref.inputs; ++c)
        for (int j = 0; j < kPoints; ++j)
            EXPECT_NEAR(system[c][j], ref.w[static_cast<std::size_t>(c * kPoints + j)], tolerance)
                << ref.name << " input " << c << " point " << j;
}

tyMBStatus Train(CAprioriInterpolator& ip, int iterations = 1, std::vector<double> reg = std::vector<double>(7, 0.0),
                 double mseStop = 0)
{
    return ip.CalcInterpolSystem(iterations, reg.data(), 0, 0xFFFFFFFF, true, false, mseStop, nullptr, false);
}

TEST(AprioriTraining, ClosedRidgeAndNoiseFormsMatchOctave)
{
    Data d;
    const struct {
        const char* ref;
        std::vector<double> reg;
        double noise;
    } cases[] = {
        {"closed", std::vector<double>(7, 0.0), 0.0},
        {"ridge", {0, 0.01, 0, 0, 0, 0, 0}, 0.0},
        // The Wiener pair adds value x noise^2 to the ridge weight: the sign of the noise
        // level does not count, a negative value weight lowers the ridge.
        {"ridge", {0, 0.0, 0, 0, 0, 0.25, 0.2}, 0.0},
        {"ridge", {0, 0.0, 0, 0, 0, 0.25, -0.2}, 0.0},
        {"ridge", {0, 0.02, 0, 0, 0, -0.25, 0.2}, 0.0},
        {"closed", {0, 0, 0, 0, 0, -0.5, 0}, 0.0},
        {"noise", std::vector<double>(7, 0.0), 5.0},
    };
    for (const auto& c : cases) {
        CAprioriInterpolator ip(d.sensors, d.targets, d.illumination, CMBTarget(), d.empty, CMBTarget(), 1, 0);
        ASSERT_EQ(ip.SetRealSensorParams(nullptr, 1, 0, c.noise), MB_OK);
        ASSERT_EQ(Train(ip, 1, c.reg), MB_OK) << c.ref;
        ExpectSystem(ip.GetInterpolSystem(), Ref(c.ref), 1e-7);
        EXPECT_EQ(ip.GetInterpolSystem().GetSpekInfo().start, 400);
    }
}

TEST(AprioriTraining, NormalisationInputIsTheMeanOfTheResponses)
{
    Data d;
    CSpekContainer sensors = d.sensors;
    sensors.AddSpek(CMBTarget(kPoints, 1.0 / kPoints), "Mean");
    CAprioriInterpolator ip(sensors, d.targets, d.illumination, CMBTarget(), d.empty, CMBTarget(), 1, 0);
    ASSERT_EQ(Train(ip), MB_OK);
    ExpectSystem(ip.GetInterpolSystem(), Ref("normed"), 1e-7);
    std::string name;
    ip.GetInterpolSystem().GetSpekName(kChannels, name);
    EXPECT_EQ(name, "Mean");

    // Responses given directly, trained normalised: the same rule.
    CSpekContainer responses;
    for (int k = 0; k < kTargets; ++k) {
        CMBTarget r(kChannels, 0.0);
        for (int c = 0; c < kChannels; ++c)
            r[c] = d.Response(c, k);
        responses.AddSpek(r, "t" + std::to_string(k + 1));
    }
    CAprioriInterpolator byResponses(responses, d.targets, d.empty, CMBTarget(), CMBTarget(), 1, 0);
    byResponses.SetNormedResponses(true);
    ASSERT_EQ(Train(byResponses), MB_OK);
    ExpectSystem(byResponses.GetInterpolSystem(), Ref("normed"), 1e-6);
}

TEST(AprioriTraining, ResponsesArePairedWithTargetsByShortName)
{
    Data d;
    // Responses of targets 1..10 in reverse order, one without a target of its name.
    CSpekContainer responses;
    responses.AddSpek(CMBTarget(kChannels, 7.0), "other");
    for (int k = 9; k >= 0; --k) {
        CMBTarget r(kChannels, 0.0);
        for (int c = 0; c < kChannels; ++c)
            r[c] = d.Response(c, k);
        responses.AddSpek(r, "clip:t" + std::to_string(k + 1));
    }
    CAprioriInterpolator ip(responses, d.targets, d.empty, CMBTarget(), CMBTarget(), 1, 0);
    ASSERT_EQ(Train(ip), MB_OK);
    ExpectSystem(ip.GetInterpolSystem(), Ref("responses"), 1e-6);
    std::string name;
    ip.GetInterpolSystem().GetSpekName(0, name);
    EXPECT_EQ(name, "qSPEC_1");

    CSpekContainer strangers;
    strangers.AddSpek(CMBTarget(kChannels, 1.0), "x");
    CAprioriInterpolator none(strangers, d.targets, d.empty, CMBTarget(), CMBTarget(), 1, 0);
    EXPECT_EQ(Train(none), MB_NO_NAME_RELATION);
    EXPECT_EQ(none.GetInterpolSystem().GetSpekCount(), 0);
}

// Records the events with the handler's count and index; aborts at a chosen event.
class Recorder : public CMBLibEventHandler {
public:
    int abortAt = -1;
    std::vector<std::string> seen;
    void OnEvent(int event) override
    {
        seen.push_back(std::to_string(event) + ":" + std::to_string(GetIndex()) + "/" + std::to_string(GetCount()));
        if (static_cast<int>(seen.size()) == abortAt)
            SetAbort(true);
    }
};

TEST(AprioriTraining, IterationsLowerTheObjectiveAndReportEachStep)
{
    Data d;
    Recorder events;
    CAprioriInterpolator ip(d.sensors, d.targets, d.illumination, CMBTarget(), d.empty, CMBTarget(), 1, 0);
    ip.SetEventHandler(&events);
    ASSERT_EQ(Train(ip, 1), MB_OK);
    const double closedMse = ip.GetTrainingMSE();
    auto negatives = [&] {
        double sum = 0;
        const CSpekContainer& w = ip.GetInterpolSystem();
        for (int c = 0; c < w.GetSpekCount(); ++c)
            for (int j = 0; j + 1 < kPoints; ++j)
                sum += std::fabs(w[c][j + 1] - w[c][j]);
        return sum;
    };
    const double closedVariation = negatives();

    events.seen.clear();
    ASSERT_EQ(Train(ip, 4, {1.0, 0, 1.0, 0, 0, 0, 0}), MB_OK);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"0:0/4", "1:0/4", "1:1/4", "1:2/4", "1:3/4", "2:3/4"}));
    // Total variation weighs in: the rule gets smoother at the price of a larger error.
    EXPECT_LT(negatives(), closedVariation);
    EXPECT_GE(ip.GetTrainingMSE(), closedMse * (1 - 1e-9));

    // An error threshold above the closed form's error ends after the first iteration.
    events.seen.clear();
    ASSERT_EQ(Train(ip, 5, {1.0, 0, 0, 0, 0, 0, 0}, closedMse * 2), MB_OK);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"0:0/5", "1:0/5", "2:4/5"}));
}

TEST(AprioriTraining, AbortAtAnyEventGivesNoSystem)
{
    Data d;
    for (int at = 1; at <= 5; ++at) {
        Recorder events;
        events.abortAt = at;
        CAprioriInterpolator ip(d.sensors, d.targets, d.illumination, CMBTarget(), d.empty, CMBTarget(), 1, 0);
        ip.SetEventHandler(&events);
        EXPECT_EQ(Train(ip, 3, {0.5, 0, 0, 0, 0, 0, 0}), MB_ABORTED) << at;
        EXPECT_EQ(static_cast<int>(events.seen.size()), at);
        EXPECT_EQ(ip.GetInterpolSystem().GetSpekCount(), 0);
    }
}

TEST(AprioriTraining, SmoothnessPriorAndQuantisationGiveFiniteRules)
{
    Data d;
    CAprioriInterpolator ip(d.sensors, d.targets, d.illumination, CMBTarget(), d.empty, CMBTarget(), 1, 0);
    const double factors[] = {100, 0, 100, std::numeric_limits<double>::infinity()};
    ASSERT_EQ(ip.SetRealSensorParams(factors, kChannels, 8, 1.0), MB_OK);
    ASSERT_EQ(Train(ip, 2, {0, 0, 0, 0, 0.5, 0, 0}), MB_OK);
    const CSpekContainer& w = ip.GetInterpolSystem();
    ASSERT_EQ(w.GetSpekCount(), kChannels);
    for (int c = 0; c < kChannels; ++c)
        for (int j = 0; j < kPoints; ++j)
            EXPECT_TRUE(std::isfinite(w[c][j]));
    // Wrong factor count.
    ASSERT_EQ(ip.SetRealSensorParams(factors, 3, 8, 0.0), MB_OK);
    EXPECT_EQ(Train(ip), MB_BAD_ARGUMENT);
}

TEST(AprioriTraining, FailingInputsGiveTheirStatus)
{
    Data d;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    CSpekContainer shortSensors;
    shortSensors.AddSpek(CMBTarget(kPoints - 1, 1.0), "s");
    CSpekContainer nanTargets = d.targets;
    CMBTarget bad(kPoints, 1.0);
    bad[3] = nan;
    nanTargets.AddSpek(bad, "bad");
    CSpekContainer otherAxis = d.targets;
    const CSpekContainer::SpekInfo shifted{405, 10, 705};
    otherAxis.SetSpekInfo(&shifted);

    const struct {
        const char* what;
        const CSpekContainer& sensors;
        const CSpekContainer& targets;
        CMBTarget illumination;
        CMBTarget weight;
        tyMBStatus status;
    } cases[] = {
        {"no sensors", d.empty, d.targets, CMBTarget(), CMBTarget(), MB_EMPTY_INPUT},
        {"no targets", d.sensors, d.empty, CMBTarget(), CMBTarget(), MB_EMPTY_INPUT},
        {"point counts", shortSensors, d.targets, CMBTarget(), CMBTarget(), MB_TARGET_POINTS},
        {"illumination points", d.sensors, d.targets, CMBTarget(3, 1.0), CMBTarget(), MB_ILLU_POINTS},
        {"axes", d.sensors, otherAxis, CMBTarget(), CMBTarget(), MB_TARGET_MISMATCH},
        {"NaN target", d.sensors, nanTargets, CMBTarget(), CMBTarget(), MB_NOT_FINITE},
        {"weight points", d.sensors, d.targets, CMBTarget(), CMBTarget(2, 1.0), MB_BAD_ARGUMENT},
    };
    for (const auto& c : cases) {
        CAprioriInterpolator ip(c.sensors, c.targets, c.illumination, c.weight, d.empty, CMBTarget(), 1, 0);
        EXPECT_EQ(Train(ip), c.status) << c.what;
        EXPECT_EQ(ip.GetInterpolSystem().GetSpekCount(), 0) << c.what;
        EXPECT_STRNE(MBStatusText(c.status), "") << c.what;
    }
    CAprioriInterpolator ip(d.sensors, d.targets, CMBTarget(), CMBTarget(), d.empty, CMBTarget(), 1, 0);
    EXPECT_EQ(Train(ip, 0), MB_BAD_ARGUMENT);
    EXPECT_EQ(Train(ip, 1, {-1, 0, 0, 0, 0, 0, 0}), MB_BAD_ARGUMENT);
    EXPECT_EQ(Train(ip, 1, {0, 0, 0, 0, 1.5, 0, 0}), MB_BAD_ARGUMENT);
    // The Wiener pair must leave a variance that is not negative and finite.
    EXPECT_EQ(Train(ip, 1, {0, 0, 0, 0, 0, -0.25, 0.2}), MB_BAD_ARGUMENT);
    EXPECT_EQ(Train(ip, 1, {0, 0, 0, 0, 0, 1e300, 1e300}), MB_BAD_ARGUMENT);
    EXPECT_EQ(ip.SetRealSensorParams(nullptr, 1, 40, 0), MB_BAD_ARGUMENT);
    EXPECT_EQ(Train(ip), MB_BAD_ARGUMENT);
}

TEST(ApplyInterpolSystem, WeightsResponsesAddsTheMeanTermAndClamps)
{
    CSpekContainer system;
    system.AddSpek(CMBTarget(std::vector<double>{1, 0, 2}), "a");
    system.AddSpek(CMBTarget(std::vector<double>{0, 1, -2}), "b");
    system.AddSpek(CMBTarget(std::vector<double>{10, 10, 10}), "Mean");
    const double responses[] = {1, 2, 3, 5, 100, 0};
    std::vector<double> out(9, -1.0);
    // Without the normalisation term; 100 x (1, 0, 2) is clamped at 50.
    ASSERT_TRUE(ApplyInterpolSystem(system, responses, 3, 2, false, -10, 50, out.data()));
    EXPECT_EQ(out, (std::vector<double>{1, 2, -2, 3, 5, -4, 50, 0, 50}));
    // With it: mean of the responses times the last spectrum.
    ASSERT_TRUE(ApplyInterpolSystem(system, responses, 1, 2, true, -1000, 1000, out.data()));
    EXPECT_EQ(std::vector<double>(out.begin(), out.begin() + 3), (std::vector<double>{16, 17, 13}));
    EXPECT_FALSE(ApplyInterpolSystem(system, responses, 1, 4, false, 0, 1, out.data()));
}

// Larger shapes than the Octave data: channels beyond one pass of the product kernel (8) and
// counts that leave remainders, checked by what the results must satisfy.
TEST(AprioriTraining, ClosedFormSolvesTheNormalEquationsAtOddShapes)
{
    for (const auto& [channels, count, points] : {std::tuple{10, 13, 37}, std::tuple{3, 7, 20}, std::tuple{9, 9, 8}}) {
        SCOPED_TRACE(std::to_string(channels) + " channels, " + std::to_string(count) + " targets");
        const CSpekContainer::SpekInfo axis{400, 5, 400 + 5.0 * (points - 1)};
        CSpekContainer sensors, targets, empty;
        sensors.SetSpekInfo(&axis);
        targets.SetSpekInfo(&axis);
        std::vector<std::vector<double>> S(channels, std::vector<double>(points)), T(count, std::vector<double>(points));
        for (int c = 0; c < channels; ++c) {
            for (int j = 0; j < points; ++j)
                S[c][j] = std::exp(-std::pow((j - (points - 1.0) * c / channels) / 3.0, 2)) + 0.01 * j;
            sensors.AddSpek(CMBTarget(S[c]), "s" + std::to_string(c));
        }
        for (int k = 0; k < count; ++k) {
            for (int j = 0; j < points; ++j)
                T[k][j] = 0.5 + 0.3 * std::sin(0.31 * j * (k + 1) + k) + 0.1 * std::cos(0.07 * j * k);
            targets.AddSpek(CMBTarget(T[k]), "t" + std::to_string(k));
        }
        CAprioriInterpolator ip(sensors, targets, CMBTarget(), CMBTarget(), empty, CMBTarget(), 1, 0);
        ASSERT_EQ(Train(ip), MB_OK);
        const CSpekContainer& w = ip.GetInterpolSystem();
        ASSERT_EQ(w.GetSpekCount(), channels);
        // B = S T; with B of full row rank, W = T pinv(B) satisfies W (B B') = T B'.
        std::vector<std::vector<double>> B(channels, std::vector<double>(count, 0.0));
        for (int c = 0; c < channels; ++c)
            for (int k = 0; k < count; ++k)
                for (int j = 0; j < points; ++j)
                    B[c][k] += S[c][j] * T[k][j];
        double mse = 0;
        for (int j = 0; j < points; ++j) {
            for (int d = 0; d < channels; ++d) {
                double lhs = 0, rhs = 0, scale = 0;
                for (int k = 0; k < count; ++k) {
                    double wb = 0;
                    for (int c = 0; c < channels; ++c)
                        wb += w[c][j] * B[c][k];
                    lhs += wb * B[d][k];
                    rhs += T[k][j] * B[d][k];
                    scale += std::fabs(T[k][j] * B[d][k]);
                }
                EXPECT_NEAR(lhs, rhs, 1e-8 * scale) << "point " << j << " channel " << d;
            }
            for (int k = 0; k < count; ++k) {
                double wb = 0;
                for (int c = 0; c < channels; ++c)
                    wb += w[c][j] * B[c][k];
                mse += (T[k][j] - wb) * (T[k][j] - wb);
            }
        }
        // The error measure, worked out when asked, is the plain mean squared error here.
        EXPECT_NEAR(ip.GetTrainingMSE(), mse / (points * count), 1e-12);
    }
}

TEST(ApplyInterpolSystem, LongRulesMatchThePlainSum)
{
    constexpr int kChannels = 10, kPoints = 21, kCount = 5;
    CSpekContainer system;
    for (int c = 0; c <= kChannels; ++c) {
        CMBTarget w(kPoints, 0.0);
        for (int j = 0; j < kPoints; ++j)
            w[j] = std::sin(0.3 * j + c) * 0.1;
        system.AddSpek(w, "w" + std::to_string(c));
    }
    std::vector<double> responses(kCount * kChannels);
    for (std::size_t i = 0; i < responses.size(); ++i)
        responses[i] = std::cos(0.7 * static_cast<double>(i)) * 3;
    for (bool normed : {false, true}) {
        std::vector<double> out(kCount * kPoints);
        ASSERT_TRUE(ApplyInterpolSystem(system, responses.data(), kCount, kChannels, normed, -0.5, 0.4, out.data()));
        for (int k = 0; k < kCount; ++k) {
            double mean = 0;
            for (int c = 0; c < kChannels; ++c)
                mean += responses[k * kChannels + c] / kChannels;
            for (int j = 0; j < kPoints; ++j) {
                double y = normed ? mean * system[kChannels][j] : 0.0;
                for (int c = 0; c < kChannels; ++c)
                    y += responses[k * kChannels + c] * system[c][j];
                EXPECT_NEAR(out[k * kPoints + j], std::clamp(y, -0.5, 0.4), 1e-13) << k << " " << j;
            }
        }
    }
}

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

} // namespace
