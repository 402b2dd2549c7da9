#pragma once
// The numeric record of a clipboard object as the loaders create it: "ClpValues", a double
// array of the values, and "ClpRefs", a double array of as many ones.
#include "text_layer.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

class ClipboardObject;

namespace ns_param {
class Paramora;
}

namespace loadsave {

class ClipboardValues {
public:
    // The values of a text of blank-separated fields, each field read by read.
    template <class Read>
    static ClipboardValues FromBlankSeparated(std::string_view text, Read&& read)
    {
        ClipboardValues values;
        forEachField(text, SeparatorSet(" "), true, [&](std::string_view field) {
            values.Add(read(field));
            return true;
        });
        return values;
    }

    void Add(double value) { m_values.push_back(value); }
    bool Empty() const { return m_values.empty(); }

    // Adds both arrays (empty comment, default 0) when there is at least one value.
    void StoreIn(ClipboardObject& object) const;

private:
    std::vector<double> m_values;
};

// The "ClpValues" coefficients of a container; nothing when it has no double array of that name.
std::optional<std::span<const double>> ClipboardValuesOf(const ns_param::Paramora& parameters);

} // namespace loadsave
