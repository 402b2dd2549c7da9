#include "platform/color_chooser.h"

#include "platform/colorref_qt.h"
#include "platform/seam.h"

#include <QColorDialog>

namespace platform {

namespace {

class DialogColorChooser final : public ColorChooser {
public:
    std::optional<COLORREF> ChooseColor(QWidget* parent, COLORREF initial) override
    {
        const QColor colour = QColorDialog::getColor(ToQColor(initial), parent);
        if (!colour.isValid())
            return std::nullopt;
        return FromQColor(colour);
    }
};

DialogColorChooser g_dialogChooser;
Seam<ColorChooser> g_seam(g_dialogChooser);

} // namespace

ColorChooser::~ColorChooser() = default;

ColorChooser& GetColorChooser()
{
    return g_seam.Get();
}

ColorChooser* SetColorChooser(ColorChooser* chooser)
{
    return g_seam.Set(chooser);
}

} // namespace platform
