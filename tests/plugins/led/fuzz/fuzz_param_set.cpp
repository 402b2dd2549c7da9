// Fuzz target of the parameter-set file: whatever loads must save, and the saved file must
// load back to the same entries and keys.
#include "engine/param_container_set.h"
#include "support/fuzz_file.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Entries = std::vector<std::vector<ParamPair>>;

Entries EntriesOf(const ParamContainerSet& set)
{
    Entries out(static_cast<std::size_t>(set.EntryCount()));
    for (int i = 0; i < set.EntryCount(); ++i) {
        const ParamContainer& e = set.EntryAt(i);
        for (int k = 0; k < e.Count(); ++k) {
            out[static_cast<std::size_t>(i)].emplace_back(e.KeyAt(k), e.ValueAt(k));
            // Every own key is found again, as its own pair.
            if (&e.FindValue(e.KeyAt(k)).first != &e.KeyAt(k)) {
                std::fprintf(stderr, "key %d of entry %d is not found as itself\n", k, i);
                std::abort();
            }
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::TempFile in("param_set_in.txt");
    static const fuzz::TempFile out("param_set_out.txt");
    in.Write(data, size);
    ParamContainerSet set;
    if (!set.LoadFromFile(in.Path()))
        return 0;
    const Entries loaded = EntriesOf(set);
    if (!set.SaveToFile(out.Path())) {
        std::fprintf(stderr, "a loaded set does not save\n");
        std::abort();
    }
    ParamContainerSet back;
    if (!back.LoadFromFile(out.Path()) || EntriesOf(back) != loaded || back.GetKeys() != set.GetKeys()) {
        std::fprintf(stderr, "the saved set does not load back equal\n");
        std::abort();
    }
    return 0;
}
