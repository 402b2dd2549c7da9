#include "calculation/calc_common.h"

#include "core/module_interface.h"
#include "core/string_helpers.h"
#include "platform/vformat.h"

#include <xandril/xandril.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QVBoxLayout>

#include <chrono>
#include <cstdarg>

namespace calc {

SPoint ClampedPoint(double x, double y)
{
    return SPoint(x < 0 ? 0.0 : x, y);
}

std::string ShortName(const std::string& path)
{
    const auto colon = path.rfind(':');
    return colon == std::string::npos ? path : path.substr(colon + 1);
}

std::string TrimmedShortName(const std::string& path)
{
    return trim(ShortName(path), kBlanks);
}

std::string DroppedShortNames(SpectrumTree& tree, const std::string& names)
{
    std::string shortNames;
    for (const Spectrum* s : tree.GetInserters(names, false)) {
        if (!shortNames.empty())
            shortNames += ';';
        shortNames += TrimmedShortName(s->GetName());
    }
    return shortNames;
}

std::uint32_t ClockSeed()
{
    const auto count = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return static_cast<std::uint32_t>(count >> 32) ^ static_cast<std::uint32_t>(count);
}

int SyncEnumFromSel(ns_param::Paramora& parameters, const std::string& name)
{
    ns_xandril::XMLEnumClass* entries = parameters.getEnumParameter(name);
    const int* sel = parameters.getIntParameter(name + "Sel");
    if (!entries || !sel || *sel < 0 || *sel >= entries->getEntryCount())
        return -1;
    if (entries->getIndex() != *sel)
        entries->setIndex(*sel);
    return *sel;
}

std::string FormatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = platform::VFormat(format, args);
    va_end(args);
    return text;
}

bool FileSpectrum(SpectrumTree& tree, std::unique_ptr<Spectrum> spectrum)
{
    if (!tree.AddInserter(spectrum.get()))
        return false;
    spectrum.release();
    return true;
}

} // namespace calc
