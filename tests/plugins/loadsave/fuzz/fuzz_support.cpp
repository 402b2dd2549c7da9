#include "fuzz_support.h"

#include "core/tree.h"

#include <xandril/xandril.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& name)
{
    std::fprintf(stderr, "fuzz check failed: %s: '%s'\n", what.c_str(), name.c_str());
    std::abort();
}

void CheckName(const std::string& name)
{
    if (ns_xandril::TextToUtf8(name) != name)
        Fail("name is not valid UTF-8", name);
    if (!ns_tree::IsValidPath(name))
        Fail("name is no valid path", name);
    const std::size_t colon = name.rfind(':');
    if (name.substr(colon == std::string::npos ? 0 : colon + 1).empty())
        Fail("name has an empty last level", name);
}

void CheckFinite(double value, const std::string& name)
{
    if (!std::isfinite(value))
        Fail("a number is not finite", name);
}

} // namespace

std::uint8_t Input::Byte()
{
    if (m_data.empty())
        return 0;
    const auto byte = static_cast<std::uint8_t>(m_data.front());
    m_data.remove_prefix(1);
    return byte;
}

void CheckTrees(RecordingHost& host)
{
    for (const Spectrum* spectrum : host.spectra.GetInserters()) {
        CheckName(spectrum->GetName());
        for (int i = 0; i < spectrum->GetPointCount(); ++i) {
            CheckFinite((*spectrum)[i].x, spectrum->GetName());
            CheckFinite((*spectrum)[i].y, spectrum->GetName());
        }
    }
    for (const ClipboardObject* object : host.clipboard.GetInserters()) {
        CheckName(object->GetName());
        const ns_param::Paramora& parameters = object->GetParameters();
        for (auto it = parameters.getFirstParameter(); it != parameters.getLastParameter(); ++it) {
            if (ns_xandril::TextToUtf8(it->first) != it->first || ns_xandril::TextToUtf8(it->second->getValueText()) != it->second->getValueText())
                Fail("parameter text is not valid UTF-8", object->GetName());
            if (it->second->getType() == ns_param::TYPE_DOUBLE)
                CheckFinite(static_cast<const ns_param::DoubleParameterType&>(*it->second).getValue(), object->GetName());
            if (it->second->getType() == ns_param::TYPE_DOUBLE_1D_ARRAY) {
                const auto& array = static_cast<const ns_param::Double1DArrayParameterType&>(*it->second);
                for (int i = 0; i < array.getCount(); ++i)
                    CheckFinite(array.getValues()[i], object->GetName());
            }
        }
    }
}

} // namespace fuzz
