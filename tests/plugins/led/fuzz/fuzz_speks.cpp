// Fuzz target of the "Speks:" spectra file. The first byte picks the load: onto the global
// grid, or onto the file's own grid. Every spectrum held afterwards has the set's point count.
#include "engine/spectra_set.h"
#include "support/fuzz_file.h"

#include <cstdio>
#include <cstdlib>

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
    // loads back to as many spectra. (A file grid in fractions of a nanometre need not.)
    if (loaded && !onFileGrid && set.SaveToFile(out.Path())) {
        SpectraSet back;
        if (!back.LoadFromFile(out.Path()) || back.GetCount() != set.GetCount()) {
            std::fprintf(stderr, "a saved set does not load back\n");
            std::abort();
        }
    }
    return 0;
}
