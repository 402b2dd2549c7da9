// Fuzz target of the "Speks:" spectra file. The first byte picks the load: onto the global
// grid, or onto the file's own grid. Every spectrum held afterwards has the set's point count.
#include "engine/spectra_set.h"
#include "support/fuzz_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::TempFile in("speks_in.txt");
    static const fuzz::TempFile out("speks_out.txt");
    const bool onFileGrid = size > 0 && (data[0] & 1);
    if (size > 0)
        in.Write(data + 1, size - 1);
    else
        in.Write(data, 0);
    SpectraSet set;
    const bool loaded = onFileGrid ? set.LoadFromFileOnFileGrid(in.Path()) : set.LoadFromFile(in.Path());
    for (int i = 0; i < set.GetCount(); ++i) {
        const LSMatrix v = set.GetSpectrum(i);
        if (!v || MatRows(v) != set.PointCount || MatCols(v) != 1) {
            std::fprintf(stderr, "spectrum %d does not have the set's point count\n", i);
            std::abort();
        }
    }
    // On the global grid (whole nanometres) what was loaded saves, unless refused whole, and
    // loads back to the same spectra: names as saved, every value within the format's seven
    // decimals. (A file grid in fractions of a nanometre need not.)
    if (loaded && !onFileGrid && set.SaveToFile(out.Path())) {
        SpectraSet back;
        if (!back.LoadFromFile(out.Path()) || back.GetCount() != set.GetCount()) {
            std::fprintf(stderr, "a saved set does not load back\n");
            std::abort();
        }
        for (int s = 0; s < set.GetCount(); ++s) {
            const std::string name = set.GetName(s);
            if (name.size() <= 1020 && back.GetName(s) != name) {
                std::fprintf(stderr, "spectrum %d loads back under another name\n", s);
                std::abort();
            }
            for (int i = 0; i < set.PointCount; ++i) {
                const double want = set.GetSpectrum(s)[i];
                const double got = back.GetSpectrum(s)[i];
                if (!(std::fabs(got - want) <= 0.51e-7 + std::fabs(want) * 1e-15)) {
                    std::fprintf(stderr, "value %d of spectrum %d: %.17g saved, %.17g loaded back\n", i, s, want, got);
                    std::abort();
                }
            }
        }
    }
    return 0;
}
