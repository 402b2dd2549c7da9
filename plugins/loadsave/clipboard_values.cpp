#include "clipboard_values.h"

#include "core/clipboard_object.h"

namespace loadsave {

void ClipboardValues::StoreIn(ClipboardObject& object) const
{
    if (m_values.empty())
        return;
    const int count = static_cast<int>(m_values.size());
    ns_param::Paramora& parameters = object.GetParameters();
    parameters.addDouble1DArrayParameter("ClpValues", "", count, m_values.data(), 0.0);
    const std::vector<double> ones(m_values.size(), 1.0);
    parameters.addDouble1DArrayParameter("ClpRefs", "", count, ones.data(), 0.0);
}

std::optional<std::span<const double>> ClipboardValuesOf(const ns_param::Paramora& parameters)
{
    const ns_param::BaseParameterType* parameter = parameters.getParameter("ClpValues");
    if (!parameter || parameter->getType() != ns_param::TYPE_DOUBLE_1D_ARRAY)
        return std::nullopt;
    const auto* array = static_cast<const ns_param::Double1DArrayParameterType*>(parameter);
    return std::span<const double>(array->getValues(), static_cast<std::size_t>(array->getCount()));
}

} // namespace loadsave
