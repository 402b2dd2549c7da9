#pragma once
// The seam for the colour dialog: the program asks the installed ColorChooser for a colour.
// The default one shows a QColorDialog; tests install a fake that answers in place of the user.
#include "platform/colorref.h"

#include <optional>

class QWidget;

namespace platform {

class ColorChooser {
public:
    virtual ~ColorChooser();

    // Asks for a colour, modal to parent (may be null), starting at initial; nothing when the
    // user cancelled.
    virtual std::optional<COLORREF> ChooseColor(QWidget* parent, COLORREF initial) = 0;
};

// The installed chooser (the QColorDialog one unless another was installed).
ColorChooser& GetColorChooser();
// Installs a chooser (null: the QColorDialog one again) and returns the one it replaces.
// The caller keeps ownership and uninstalls it before destroying it.
ColorChooser* SetColorChooser(ColorChooser* chooser);

} // namespace platform
