#include "calculation/interpolator_common.h"

#include "calculation/calc_common.h"
#include "core/string_helpers.h"

#include <paramora/parameter_types.h>

namespace calc {

std::optional<std::vector<double>> ClpValues(ClipboardObject& object)
{
    const auto* array =
        dynamic_cast<const ns_param::Double1DArrayParameterType*>(object.GetParameters().getParameter(kClpValues));
    if (!array)
        return std::nullopt;
    return std::vector<double>(array->getValues(), array->getValues() + array->getCount());
}

bool ReplaceSpectrum(SpectrumTree& tree, std::unique_ptr<Spectrum> spectrum)
{
    if (tree.GetNodeByName(spectrum->GetName(), false, false))
        tree.DeleteInserters(spectrum->GetName());
    return FileSpectrum(tree, std::move(spectrum));
}

bool ReplaceClipboardObject(ClipboardTree& tree, std::unique_ptr<ClipboardObject> object)
{
    if (tree.GetNodeByName(object->GetName(), false, false))
        tree.DeleteInserters(object->GetName());
    if (!tree.AddInserter(object.get()))
        return false;
    object.release();
    return true;
}

std::vector<std::string> SplitSelection(const std::string& text)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        std::string entry = trim(text.substr(start, end - start), kBlanks);
        if (!entry.empty())
            entries.push_back(std::move(entry));
        start = end + 1;
    }
    return entries;
}

} // namespace calc
