#include "ui/clipboard_listing.h"

#include "core/clipboard_object.h"
#include "ui/tree_text.h"

namespace {
constexpr std::size_t kMaxLine = 511;
}

std::vector<std::string> ClipboardListingLines(const std::list<ClipboardObject*>& objects)
{
    std::vector<std::string> lines;
    if (objects.empty())
        return lines;
    const std::string& first = objects.front()->GetName();
    if (const auto colon = first.rfind(':'); colon != std::string::npos)
        lines.push_back(CutToCharacters("Parametervektor(en) aus Gruppe \"" + first.substr(0, colon) + "\"", kMaxLine));
    for (const ClipboardObject* object : objects) {
        const std::string& name = object->GetName();
        const auto colon = name.rfind(':');
        std::string line = (colon == std::string::npos ? name : name.substr(colon + 1)) + ": ";
        const ns_param::Paramora& parameters = object->GetParameters();
        // Each parameter with its own value (the reference list "ClpRefs" is left out).
        for (auto it = parameters.getFirstParameter(); it != parameters.getLastParameter(); ++it) {
            if (it->first == "ClpRefs")
                continue;
            line += it->first + ": " + it->second->getValueText('.') + "     ";
        }
        lines.push_back(CutToCharacters(line, kMaxLine));
    }
    return lines;
}
