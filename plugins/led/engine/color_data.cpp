#include "engine/color_data.h"

#include "engine/engine_log.h"
#include "engine/grid.h"

#include <dlfcn.h>
#include <filesystem>
#include <mutex>

namespace {

struct Holder {
    std::once_flag loadOnce;
    std::mutex mutex;          // guards everything below
    bool loaded = false;
    std::string folder;        // empty: the binary's folder
    ColorData fromFiles;       // on the files' own grids
    std::shared_ptr<const ColorData> current;
    double start = 0.0, end = 0.0, step = 0.0; // grid of current
};

std::unique_ptr<Holder>& HolderSlot()
{
    static std::unique_ptr<Holder> holder = std::make_unique<Holder>();
    return holder;
}

// Folder of the shared object or program that contains this function.
std::string BinaryFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&BinaryFolder), &info) == 0 || info.dli_fname == nullptr)
        return {};
    std::error_code ec;
    std::filesystem::path binary = std::filesystem::canonical(info.dli_fname, ec);
    if (ec)
        binary = info.dli_fname;
    return binary.parent_path().string();
}

std::string FolderOf(const Holder& h)
{
    return h.folder.empty() ? BinaryFolder() : h.folder;
}

void LoadFile(SpectraSet& set, const std::string& folder, const char* file, const char* failure)
{
    const std::string path = (std::filesystem::path(folder) / file).string();
    if (!set.LoadFromFileOnFileGrid(path)) {
        set.Clear();
        EngineLog("%s", failure);
    }
}

void LoadFromFiles(Holder& h)
{
    std::string folder;
    {
        std::lock_guard lock(h.mutex);
        h.loaded = true;
        folder = FolderOf(h);
    }
    ColorData& d = h.fromFiles;
    LoadFile(d.observer, folder, "CIEObserver.txt",
             "Konnte Standard-Beobachter-Spektren in 'CIEObserver.txt' nicht laden.");
    LoadFile(d.illuminant, folder, "D65.txt", "Konnte Standard-Licht in 'D65.txt' nicht laden.");
    LoadFile(d.luminousEfficiency, folder, "VLambda.txt",
             "Konnte V-(lambda)-Kurve in 'VLambda.txt' nicht laden.");
    LoadFile(d.testColours, folder, "StdTargets.txt",
             "Konnte Test-Targets in 'StdTargets.txt' nicht laden.");
}

// A copy of source with every spectrum resampled onto the grid in force.
void Resample(const SpectraSet& source, SpectraSet& target)
{
    if (target.PointCount <= 0)
        return;
    LSMatrixHandle v(target.PointCount, 1);
    if (!v)
        return;
    for (int i = 0; i < source.GetCount(); ++i) {
        ResampleSpectrum(source.GetSpectrum(i), source.PointCount, source.PointCount,
                         source.XStart, source.XEnd, v.get(), target.PointCount, target.XStart,
                         target.XEnd);
        target.AddSpectrum(source.GetName(i), v);
    }
}

} // namespace

std::shared_ptr<const ColorData> GetColorData()
{
    Holder& h = *HolderSlot();
    std::call_once(h.loadOnce, LoadFromFiles, std::ref(h));

    std::lock_guard lock(h.mutex);
    if (!h.current || h.start != XStart || h.end != XEnd || h.step != XStep) {
        auto d = std::make_shared<ColorData>(); // its sets take the grid in force
        Resample(h.fromFiles.observer, d->observer);
        Resample(h.fromFiles.illuminant, d->illuminant);
        Resample(h.fromFiles.luminousEfficiency, d->luminousEfficiency);
        Resample(h.fromFiles.testColours, d->testColours);
        h.current = std::move(d);
        h.start = XStart;
        h.end = XEnd;
        h.step = XStep;
    }
    return h.current;
}

bool SetColorDataFolder(const std::string& folder)
{
    Holder& h = *HolderSlot();
    std::lock_guard lock(h.mutex);
    if (h.loaded)
        return false;
    h.folder = folder;
    return true;
}

std::string GetColorDataFolder()
{
    Holder& h = *HolderSlot();
    std::lock_guard lock(h.mutex);
    return FolderOf(h);
}

void ResetColorData()
{
    HolderSlot() = std::make_unique<Holder>();
}
