#include "engine/led_selector.h"

#include "engine/engine_log.h"
#include "engine/grid.h"
#include "engine/led_db.h"
#include "engine/led_fitter.h"
#include "engine/led_model.h"
#include "platform/random.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

double Uniform01()
{
    return platform::Rand() / static_cast<double>(platform::kRandMax);
}

// trunc(r x count) limited to count - 1.
int UniformIndex(int count)
{
    return std::min(static_cast<int>(Uniform01() * count), count - 1);
}

// The dot product of x and y (n values) as four interleaved partial sums, added as
// (p0 + p1) + (p2 + p3), then the rest one by one: a fixed order, so that the correlation
// matrix does not depend on the processor.
double Dot(const double* x, const double* y, int n)
{
    double part[4] = {0, 0, 0, 0};
    int j = 0;
    for (; j + 4 <= n; j += 4)
        for (int l = 0; l < 4; ++l)
            part[l] += x[j + l] * y[j + l];
    double s = (part[0] + part[1]) + (part[2] + part[3]);
    for (; j < n; ++j)
        s += x[j] * y[j];
    return s;
}

// The database index a model was built from (its fixed parameter "OrigDBIdx").
int OrigDBIndex(const LEDModel& model)
{
    return static_cast<int>(std::strtod(model.params.FindValue("OrigDBIdx").second.c_str(), nullptr));
}

// Whether a model built from a equals one built from b: the same pairs in the same order and
// the same handler for derived values.
bool SameRecord(const ParamContainer& a, const ParamContainer& b)
{
    if (a.Count() != b.Count() || a.GetEventHandler() != b.GetEventHandler())
        return false;
    for (int i = 0; i < a.Count(); ++i)
        if (a.KeyAt(i) != b.KeyAt(i) || a.ValueAt(i) != b.ValueAt(i))
            return false;
    return true;
}

// Picks before falling back to a uniform choice among the unused names.
constexpr int kPickTries = 100;
// Refill attempts in a row that add nothing before the refill ends.
constexpr int kRefillTries = 100;

} // namespace

LEDSelector::LEDSelector() = default;

LEDSelector::~LEDSelector() = default;

void LEDSelector::SetCounts(int ledCount, int proposalCount, bool correlationFlag)
{
    LEDCount = ledCount;
    ProposalCount = proposalCount;
    correlation = correlationFlag;
}

void LEDSelector::SetDatabase(LedDB* db)
{
    database = db;
    probabilities.reset();
    prototypes.clear();
}

int LEDSelector::DatabaseSize() const
{
    return database ? database->EntryCount() : 0;
}

int LEDSelector::PickLED(int row)
{
    const int D = DatabaseSize();
    if (D <= 0)
        return -1;
    int n = 0;
    if (correlation && probabilities) {
        row = std::clamp(row, 0, D - 1);
        const double r = Uniform01();
        const double gamma = generationCount > 0 ? static_cast<double>(currentGeneration) / generationCount : 0.0;
        const double* P = probabilities.get() + static_cast<std::size_t>(row) * D;
        n = D;
        double sum = 0.0;
        while (sum < r && n > 0) {
            --n;
            sum += (1.0 - gamma) / D + gamma * P[n];
        }
    } else {
        n = static_cast<int>(Uniform01() * D);
    }
    return std::min(n, D - 1);
}

bool LEDSelector::AddUnusedLED(LEDArray& array, int row)
{
    const auto nameOf = [this](int i) { return database->EntryAt(i).FindValue("Name").second; };
    int n = -1;
    for (int tries = 0; tries < kPickTries; ++tries) {
        const int pick = PickLED(row);
        if (pick < 0)
            return false;
        if (!array.ContainsName(nameOf(pick))) {
            n = pick;
            break;
        }
    }
    if (n < 0) {
        std::vector<int> unused;
        for (int i = 0; i < DatabaseSize(); ++i)
            if (!array.ContainsName(nameOf(i)))
                unused.push_back(i);
        if (unused.empty()) {
            EngineLog("Keine LED mit unbenutztem Namen mehr in der Datenbank - das Array bleibt bei %d LEDs",
                      array.GetCount());
            return false;
        }
        n = unused[static_cast<std::size_t>(UniformIndex(static_cast<int>(unused.size())))];
    }
    AddModelOf(array, database->EntryAt(n), n);
    return true;
}

LEDModel* LEDSelector::Prototype(int i, const ParamContainer& record)
{
    const int D = DatabaseSize();
    if (i < 0 || i >= D)
        return nullptr;
    if (static_cast<int>(prototypes.size()) != D) {
        prototypes.clear();
        prototypes.resize(static_cast<std::size_t>(D));
    }
    std::unique_ptr<LEDModel>& prototype = prototypes[static_cast<std::size_t>(i)];
    if (prototype && SameRecord(prototype->record, record))
        return prototype.get();
    const ParamContainer& entry = database->EntryAt(i);
    if (&record != &entry && !SameRecord(record, entry))
        return nullptr;
    prototype.reset(BuildLEDModel(entry, i));
    if (prototype) {
        LSMatrixHandle work(GridPointCount(), 1);
        for (int c = 0; c < prototype->GetChannelCount(); ++c)
            prototype->SampleChannel(work, XStart, XEnd, XStep, 298.15, c);
    }
    return prototype.get();
}

void LEDSelector::AddModelOf(LEDArray& array, const ParamContainer& record, int index)
{
    const LEDModel* prototype = Prototype(index, record);
    if (!prototype || !array.AddLEDCopy(*prototype))
        array.AddLED(record, index);
}

void LEDSelector::Evaluate(LEDArray& array)
{
    LEDFitter fitter;
    fitter.SetEventHandler(fitterEventHandler);
    if (fitterSettings)
        fitter.SetSettings(fitterSettings);
    fitter.Setup(&array, targets, nullptr);
    const double ss = fitter.Fit();
    // A failed fit (-1) ranks below every real one.
    const double score = ss < 0.0 ? -1e99 : -ss;
    array.score = score;
    if (score > bestScore) {
        if (eventHandler)
            eventHandler->OnNewCombination(this, &fitter, &array);
        bestScore = score;
    }
}

void LEDSelector::Reduce(int k)
{
    if (population.empty())
        return;
    k = std::clamp(k, 0, static_cast<int>(population.size()) - 1);
    population.sort([](const LEDArray& a, const LEDArray& b) { return a.score < b.score; });
    population.reverse();
    for (int i = 0; i < k; ++i) {
        // Freeing many arrays takes a while; the run ends on an abort anyway.
        if (i % kBuildReportStep == kBuildReportStep - 1 && EngineUserWantsAbort())
            return;
        population.pop_back();
    }
}

void LEDSelector::Mutate()
{
    if (population.empty()) {
        EngineLog("Keine Arrays zur Erstellung der Mutationen gefunden!!!");
        return;
    }
    std::vector<const LEDArray*> parents;
    bool anyLED = false;
    for (const LEDArray& a : population) {
        parents.push_back(&a);
        anyLED = anyLED || a.GetCount() > 0;
    }
    if (!anyLED) {
        EngineLog("Leeres LED-Array beim Erstellen der Mutationen gefunden");
        return;
    }
    const int D = DatabaseSize();
    int failures = 0;
    int made = 0;
    while (static_cast<int>(population.size()) < ProposalCount && failures < kRefillTries) {
        if (made % kBuildReportStep == 0 && EngineUserWantsAbort())
            return;
        // The parent rebuilt from its records and indices, as Assign does, from the
        // prototypes where the records are unchanged; then LED i is replaced.
        const LEDArray& parent = *parents[static_cast<std::size_t>(UniformIndex(static_cast<int>(parents.size())))];
        LEDArray copy;
        for (int k = 0; k < parent.GetCount(); ++k)
            AddModelOf(copy, parent.GetLED(k)->record, OrigDBIndex(*parent.GetLED(k)));
        if (copy.GetCount() == 0) {
            EngineLog("Leeres LED-Array beim Erstellen der Mutationen gefunden");
            ++failures;
            continue;
        }
        const int i = UniformIndex(copy.GetCount());
        int f = OrigDBIndex(*copy.GetLED(i));
        if (f < 0 || f >= D) {
            EngineLog("LED-Index liegt ausserhalb des zulässigen Bereiches: %d - wird auf 0 gesetzt", f);
            f = 0;
        }
        copy.RemoveLED(i);
        AddUnusedLED(copy, f);
        copy.score = 1.0;
        population.push_back(std::move(copy));
        failures = 0;
        ++made;
    }
}

void LEDSelector::BuildProbabilities()
{
    const int D = DatabaseSize();
    probabilities.reset();
    if (D <= 0)
        return;
    EngineLog("Erstelle Korrelationsmatrix...");
    const int N = GridPointCount();
    // Each LED's unit spectrum (the sum of its channels), then centred in place.
    LSMatrixHandle centred(D, N), work(N, 1), P(D, D);
    if (!centred || !work || !P) {
        EngineLog("Zu wenig Speicher für die Korrelationsmatrix - die LEDs werden gleichverteilt gewählt");
        return;
    }
    MatZero(centred);
    for (int i = 0; i < D; ++i) {
        if (i % kBuildReportStep == kBuildReportStep - 1 && EngineUserWantsAbort())
            return;
        LEDModel* model = Prototype(i, database->EntryAt(i));
        if (!model)
            continue;
        double* row = centred.get() + static_cast<std::size_t>(i) * N;
        for (int c = 0; c < model->GetChannelCount(); ++c) {
            model->SampleChannel(work, XStart, XEnd, XStep, 298.15, c);
            for (int j = 0; j < N; ++j)
                row[j] += work[j];
        }
    }
    // Mean, standard deviation (from the raw sums) and centred values of each spectrum.
    std::vector<double> sd(static_cast<std::size_t>(D));
    for (int i = 0; i < D; ++i) {
        double* x = centred.get() + static_cast<std::size_t>(i) * N;
        double s = 0, s2 = 0;
        for (int j = 0; j < N; ++j) {
            s += x[j];
            s2 += x[j] * x[j];
        }
        const double m = s / N;
        const double v = s2 / N - m * m;
        sd[static_cast<std::size_t>(i)] = v > 0.0 ? std::sqrt(v) : 0.0;
        for (int j = 0; j < N; ++j)
            x[j] -= m;
    }
    // Pearson's r of every pair, the upper triangle first.
    for (int i = 0; i < D; ++i) {
        EngineLog("Berechne LED %d von %d", i + 1, D);
        if (EngineUserWantsAbort())
            return;
        const double sdi = sd[static_cast<std::size_t>(i)];
        const double* x = centred.get() + static_cast<std::size_t>(i) * N;
        double* out = P.get() + static_cast<std::size_t>(i) * D;
        for (int k = i; k < D; ++k)
            out[k] = sdi > 0.0 ? Dot(x, centred.get() + static_cast<std::size_t>(k) * N, N) : 0.0;
        for (int k = i; k < D; ++k) {
            const double sdk = sd[static_cast<std::size_t>(k)];
            out[k] = sdi > 0.0 && sdk > 0.0 ? (out[k] / N) / (sdi * sdk) : 0.0;
        }
    }
    for (int i = 0; i < D; ++i)
        for (int k = 0; k < i; ++k)
            P(i, k) = P(k, i);
    EngineLog("Berechne Wahrscheinlichkeiten");
    for (int i = 0; i < D; ++i) {
        double* row = P.get() + static_cast<std::size_t>(i) * D;
        double c = 1e99, d = 0.999;
        for (int k = 0; k < D; ++k) {
            c = std::min(c, row[k]);
            d = std::max(d, row[k]);
        }
        double sum = 0.0;
        for (int k = 0; k < D; ++k) {
            row[k] = row[k] > 0.999 || !(d > c) ? 0.0 : (row[k] - c) / (d - c);
            sum += row[k];
        }
        // A row without any candidate picks uniformly.
        for (int k = 0; k < D; ++k)
            row[k] = sum > 0.0 && std::isfinite(sum) ? row[k] / sum : 1.0 / D;
    }
    probabilities = std::move(P);
}

void LEDSelector::Run(int generations)
{
    generationCount = generations;
    currentGeneration = 0;
    currentArray = 0;
    generationPending = 0;
    generationEvaluated = 0;
    population.clear();
    bestScore = -1e99;
    if (DatabaseSize() == 0) {
        EngineLog("Die LED-Datenbank ist leer - Auswahl wird abgebrochen");
        if (eventHandler)
            eventHandler->OnProgress(this, 1);
        return;
    }
    const auto progress = [this](int flag) {
        if (eventHandler)
            eventHandler->OnProgress(this, flag);
    };
    if (correlation && !probabilities) {
        BuildProbabilities();
        if (EngineUserWantsAbort()) {
            progress(1);
            return;
        }
    }
    for (int i = 0; i < ProposalCount; ++i) {
        LEDArray array;
        for (int k = 0; k < LEDCount; ++k)
            if (!AddUnusedLED(array, 0))
                break;
        array.score = 1.0;
        population.push_back(std::move(array));
        if ((i + 1) % kBuildReportStep == 0) {
            if (eventHandler)
                eventHandler->OnBuildProgress(this, i + 1);
            // Arrays never evaluated are no result.
            if (EngineUserWantsAbort()) {
                population.clear();
                progress(1);
                return;
            }
        }
    }
    for (int g = 1; g <= generations; ++g) {
        currentGeneration = g;
        currentArray = 1;
        generationEvaluated = 0;
        generationPending = static_cast<int>(
            std::count_if(population.begin(), population.end(), [](const LEDArray& a) { return a.score > 0.0; }));
        progress(0);
        bool abort = false;
        for (LEDArray& array : population) {
            if (array.score > 0.0) {
                Evaluate(array);
                ++generationEvaluated;
            }
            progress(0);
            ++currentArray;
            if (EngineUserWantsAbort()) {
                abort = true;
                break;
            }
        }
        if (abort || EngineUserWantsAbort())
            break;
        --currentArray;
        Reduce(ProposalCount / 2);
        Mutate();
        progress(0);
        // A refill the user ended is the run's end.
        if (EngineUserWantsAbort())
            break;
    }
    progress(1);
}
