#include "calculation/selection_search.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <random>
#include <sstream>

namespace selection {

std::uint32_t XorShift(std::uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

void Shuffle(std::vector<int>& list, std::uint32_t& state)
{
    for (std::size_t i = 1; i < list.size(); ++i)
        std::swap(list[i], list[XorShift(state) % (i + 1)]);
}

namespace {

// Number of distinct values other than -1.
std::size_t DistinctValid(const std::vector<int>& candidates)
{
    int largest = -1;
    bool negative = false;
    for (int c : candidates) {
        largest = std::max(largest, c);
        negative = negative || (c < -1);
    }
    if (!negative && largest < (1 << 20)) {
        std::vector<char> seen(static_cast<std::size_t>(largest) + 1, 0);
        std::size_t count = 0;
        for (int c : candidates)
            if (c >= 0 && !seen[static_cast<std::size_t>(c)]) {
                seen[static_cast<std::size_t>(c)] = 1;
                ++count;
            }
        return count;
    }
    std::vector<int> valid;
    for (int c : candidates)
        if (c != -1)
            valid.push_back(c);
    std::sort(valid.begin(), valid.end());
    return static_cast<std::size_t>(std::unique(valid.begin(), valid.end()) - valid.begin());
}

} // namespace

void RandomSubset(const std::vector<int>& candidates, int count, std::vector<int>& out, std::uint32_t seed)
{
    out.clear();
    const std::size_t n = candidates.size();
    // Never more draws than distinct valid candidates: otherwise the redraw would not end.
    const std::size_t draws = std::min<std::size_t>(count > 0 ? count : 0, DistinctValid(candidates));
    std::mt19937 generator(seed);
    while (out.size() < draws) {
        const std::uint32_t u = static_cast<std::uint32_t>(generator());
        std::size_t index = static_cast<std::size_t>(static_cast<double>(u) / 4294967296.0 * static_cast<double>(n));
        index = std::min(index, n - 1);
        const int value = candidates[index];
        if (value == -1 || std::find(out.begin(), out.end(), value) != out.end())
            continue;
        out.push_back(value);
    }
    std::sort(out.begin(), out.end());
}

void OrderCandidates(std::vector<int>& candidates, const std::vector<double>& rating, int offset)
{
    std::sort(candidates.begin(), candidates.end(), [&](int a, int b) {
        const double ra = rating[offset + a];
        const double rb = rating[offset + b];
        return ra != rb ? ra > rb : a > b;
    });
}

bool IsDistinct(const std::vector<int>& list)
{
    std::vector<int> sorted = list;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
}

namespace {

// The overlaps of single spectra with every spectrum of a set, each row made when first asked:
// the evolutionary search filters by the rows of its best member's channels again and again.
class OverlapRows {
public:
    explicit OverlapRows(const SpectraSet& spectra) : m_scaled(spectra), m_rows(spectra.y.size()) {}

    const std::vector<double>& Row(int c)
    {
        std::vector<double>& row = m_rows[static_cast<std::size_t>(c)];
        if (row.empty()) {
            row.resize(m_rows.size());
            for (int k = 0; k < m_scaled.Count(); ++k)
                row[static_cast<std::size_t>(k)] = m_scaled.Overlap(c, k);
        }
        return row;
    }
    bool Empty() const { return m_rows.empty(); }

private:
    ScaledSpectra m_scaled;
    std::vector<std::vector<double>> m_rows;
};

void FilterByRows(const std::vector<int>& candidates, OverlapRows& rows, const std::vector<int>& chosen,
                  std::vector<int>& excluded, double threshold)
{
    if (chosen.empty() || rows.Empty()) {
        excluded = candidates;
        return;
    }
    std::vector<char> isExcluded;
    auto mark = [&](int k) {
        if (k >= 0) {
            if (static_cast<std::size_t>(k) >= isExcluded.size())
                isExcluded.resize(static_cast<std::size_t>(k) + 1, 0);
            isExcluded[static_cast<std::size_t>(k)] = 1;
        }
    };
    auto marked = [&](int k) {
        return k >= 0 ? static_cast<std::size_t>(k) < isExcluded.size() && isExcluded[static_cast<std::size_t>(k)]
                      : std::find(excluded.begin(), excluded.end(), k) != excluded.end();
    };
    for (int k : excluded)
        mark(k);
    for (int c : chosen) {
        if (c < 0)
            continue;
        const std::vector<double>& row = rows.Row(c);
        for (int k : candidates) {
            if (k == -1 || k == c || marked(k))
                continue;
            if (row[static_cast<std::size_t>(k)] > threshold) {
                excluded.push_back(k);
                mark(k);
            }
        }
    }
}

} // namespace

void OverlapFilter(const std::vector<int>& candidates, const SpectraSet& spectra, const std::vector<int>& chosen,
                   std::vector<int>& excluded, double threshold)
{
    if (chosen.empty() || spectra.y.empty()) {
        excluded = candidates;
        return;
    }
    OverlapRows rows(spectra);
    FilterByRows(candidates, rows, chosen, excluded, threshold);
}

namespace {

std::string Leaf(const std::string& name)
{
    const auto colon = name.rfind(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

bool AllUsed(const std::vector<int>& candidates)
{
    return std::all_of(candidates.begin(), candidates.end(), [](int c) { return c == -1; });
}

std::vector<int> With(std::vector<int> selection, int candidate)
{
    selection.push_back(candidate);
    return selection;
}

} // namespace

std::vector<int> MapByLeafName(const std::vector<std::string>& names, const std::vector<std::string>& others)
{
    std::vector<int> out(others.size(), -1);
    for (std::size_t j = 0; j < others.size(); ++j) {
        const std::string leaf = Leaf(others[j]);
        for (std::size_t i = 0; i < names.size(); ++i)
            if (Leaf(names[i]) == leaf) {
                out[j] = static_cast<int>(i);
                break;
            }
    }
    return out;
}

SearchResult SequentialSearch(std::vector<int>& candidates, const SearchContext& context, bool withStart,
                              bool startTestAlone)
{
    SearchResult result;
    auto progress = [&] {
        if (context.onProgress && context.specCount > 0)
            context.onProgress(static_cast<double>(context.startCount + static_cast<int>(result.chosen.size())) * 100
                               / context.specCount);
    };
    if (!withStart && context.wanted > 0) {
        for (int& c : candidates)
            if (c != -1) {
                if (context.onStep)
                    context.onStep(context.startCount + 1);
                result.chosen.push_back(c);
                result.stepValues.push_back(context.discriminance(result.chosen));
                c = -1;
                progress();
                break;
            }
    }
    if (context.overlap && (!withStart || startTestAlone))
        for (int& c : candidates)
            if (c != -1 && !context.technologyOk(With(result.chosen, c)))
                c = -1;
    if (AllUsed(candidates) && static_cast<int>(result.chosen.size()) < context.wanted) {
        result.tooSmall = true;
        return result;
    }
    while (static_cast<int>(result.chosen.size()) < context.wanted && !AllUsed(candidates)) {
        if (context.onStep)
            context.onStep(context.startCount + static_cast<int>(result.chosen.size()) + 1);
        if (context.overlap && !result.chosen.empty())
            for (int& c : candidates)
                if (c != -1 && !context.technologyOk(With(result.chosen, c)))
                    c = -1;
        double best = 0.0;
        int bestPosition = -1;
        for (std::size_t p = 0; p < candidates.size(); ++p) {
            if (candidates[p] == -1)
                continue;
            const double value = context.discriminance(With(result.chosen, candidates[p]));
            if (value > best) {
                best = value;
                bestPosition = static_cast<int>(p);
            }
        }
        // A step that adds nothing would change nothing when repeated: the search ends.
        if (bestPosition < 0)
            break;
        result.chosen.push_back(candidates[bestPosition]);
        result.stepValues.push_back(best);
        candidates[bestPosition] = -1;
        progress();
    }
    return result;
}

SearchResult SimpleSearch(std::vector<int>& candidates, const SearchContext& context)
{
    SearchResult result;
    for (std::size_t p = 0; p < candidates.size() && static_cast<int>(result.chosen.size()) < context.wanted; ++p) {
        if (candidates[p] == -1)
            continue;
        if (context.onStep)
            context.onStep(context.startCount + static_cast<int>(result.chosen.size()) + 1);
        if (!context.overlap || result.chosen.empty()) {
            result.chosen.push_back(candidates[p]);
        } else {
            for (std::size_t q = 0; q < candidates.size(); ++q) {
                if (candidates[q] == -1)
                    continue;
                if (context.technologyOk(With(result.chosen, candidates[q]))) {
                    result.chosen.push_back(candidates[q]);
                    candidates[q] = -1;
                    break;
                }
                candidates[q] = -1;
            }
        }
        if (!result.chosen.empty())
            result.stepValues.push_back(context.discriminance(result.chosen));
        candidates[p] = -1;
        if (context.onProgress && context.specCount > 0)
            context.onProgress(static_cast<double>(context.startCount + static_cast<int>(result.chosen.size())) * 100
                               / context.specCount);
    }
    return result;
}

double Fitness(const EvoSettings& settings, double d, double t)
{
    const double technology = (1.0 - settings.weight) * t;
    if (!(settings.d1 > settings.d0))
        return std::max(0.0, technology);
    const double f = settings.weight * (d - settings.d0) / (settings.d1 - settings.d0) + technology;
    return f > 0 ? f : 0.0;
}

namespace {

// Per member: the next seed of the species' own xorshift sequence.
class SeedStream {
public:
    explicit SeedStream(std::uint32_t seed) : m_state(seed ? seed : 0x12B9B0A1u) {}
    std::uint32_t Next() { return XorShift(m_state); }

private:
    std::uint32_t m_state;
};

int ValidCount(const std::vector<int>& list)
{
    return static_cast<int>(std::count_if(list.begin(), list.end(), [](int c) { return c != -1; }));
}

void SortByFitness(std::vector<EvoMember>& population)
{
    std::stable_sort(population.begin(), population.end(),
                     [](const EvoMember& a, const EvoMember& b) { return a.fitness > b.fitness; });
}

} // namespace

std::vector<EvoMember> EvolutionarySearch(const std::vector<int>& candidates, const EvoSettings& settings,
                                          const EvoCallbacks& callbacks, EvoShared& shared)
{
    std::vector<EvoMember> best;
    const int recombStart = settings.recombination < 1 ? settings.cycles * 2 / 3 : settings.recombination;
    for (int species = 0; species < settings.species && !shared.stop; ++species) {
        std::vector<int> order = candidates;
        std::uint32_t state = species < static_cast<int>(settings.seeds.size()) ? settings.seeds[species] : 0;
        if (state == 0)
            state = 0x12B9B0A1u;
        Shuffle(order, state);
        SeedStream seeds(XorShift(state));
        std::vector<EvoMember> population;
        std::optional<OverlapRows> overlaps;
        bool stopped = false;
        for (int cycle = 0; cycle < settings.cycles; ++cycle) {
            if (shared.stop) {
                stopped = true;
                break;
            }
            {
                std::lock_guard<std::mutex> hold(shared.lock);
                std::ostringstream text;
                text << "Sensorkanalauswahl Spezie " << species + 1 << " E-Zyklus " << cycle + 1 << " / "
                     << settings.cycles;
                shared.status = text.str();
            }
            // Past the start of recombination the pool is the neighbourhood of the best
            // member: the channels that overlap it by more than a threshold rising from the
            // lower to the upper bound.
            std::vector<int> pool = order;
            const bool recombining = cycle >= recombStart && !population.empty();
            if (recombining && callbacks.spectra) {
                const int span = std::max(1, settings.cycles - recombStart);
                double threshold = settings.lowOverlap
                                   + (settings.highOverlap - settings.lowOverlap) * (cycle - recombStart) / span;
                std::vector<int> excluded;
                if (!overlaps)
                    overlaps.emplace(*callbacks.spectra);
                FilterByRows(order, *overlaps, population.front().chosen, excluded, threshold);
                for (int tries = 0; tries < 5 && static_cast<int>(excluded.size()) < 3 * settings.wanted
                                    && threshold > settings.lowOverlap;
                     ++tries) {
                    threshold = std::max(settings.lowOverlap,
                                         threshold - (settings.highOverlap - settings.lowOverlap) / 10);
                    FilterByRows(order, *overlaps, population.front().chosen, excluded, threshold);
                }
                if (ValidCount(excluded) >= settings.wanted)
                    pool = excluded;
            }
            for (int step = 0; step < settings.population; ++step) {
                EvoMember member;
                for (int attempt = 0; attempt < 50; ++attempt) {
                    if (recombining && cycle % 500 == 0 && callbacks.rating) {
                        std::vector<int> kept = population.front().chosen;
                        OrderCandidates(kept, *callbacks.rating, settings.startCount);
                        kept.resize(kept.size() / 2);
                        const int rest = settings.wanted - static_cast<int>(kept.size());
                        std::vector<int> drawn;
                        for (int redraw = 0; redraw < 50; ++redraw) {
                            std::vector<int> others = order;
                            for (int& c : others)
                                if (std::find(kept.begin(), kept.end(), c) != kept.end())
                                    c = -1;
                            RandomSubset(others, rest, drawn, seeds.Next());
                            std::vector<int> joined = kept;
                            joined.insert(joined.end(), drawn.begin(), drawn.end());
                            if (IsDistinct(joined))
                                break;
                        }
                        member.chosen = kept;
                        member.chosen.insert(member.chosen.end(), drawn.begin(), drawn.end());
                        std::sort(member.chosen.begin(), member.chosen.end());
                    } else {
                        RandomSubset(pool, settings.wanted, member.chosen, seeds.Next());
                    }
                    const bool repeated = std::any_of(population.begin(), population.end(),
                                                      [&](const EvoMember& m) { return m.chosen == member.chosen; });
                    if (!repeated)
                        break;
                }
                member.discriminance = callbacks.discriminance(member.chosen);
                member.technology = callbacks.technology(member.chosen);
                member.fitness = Fitness(settings, member.discriminance, member.technology);
                population.push_back(std::move(member));
                if (static_cast<int>(population.size()) >= settings.population) {
                    SortByFitness(population);
                    population.resize(std::min<std::size_t>(2, population.size()));
                }
                std::lock_guard<std::mutex> hold(shared.lock);
                ++shared.counter;
            }
        }
        SortByFitness(population);
        if (!population.empty())
            best.push_back(population.front());
        if (stopped)
            break;
    }
    shared.done = true;
    return best;
}

} // namespace selection
