#pragma once
// The log lines the clipboard pane writes for the selected objects.
#include <list>
#include <string>
#include <vector>

class ClipboardObject;

// When the first object's name holds ":", first "Parametervektor(en) aus Gruppe "<group>"";
// then per object its own name, ": " and each parameter but "ClpRefs" in container order as
// "<name>: <value>" followed by five blanks. Lines are cut to 511 characters.
std::vector<std::string> ClipboardListingLines(const std::list<ClipboardObject*>& objects);
