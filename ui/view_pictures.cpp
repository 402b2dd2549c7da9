#include "ui/view_pictures.h"

#include <QString>

namespace {

const char* FileOf(int id)
{
    switch (id) {
    case 132: return "item.png";
    case 140: return "entry.png";
    case 141: return "module.png";
    case 144: return "function.png";
    case 145: return "parameter.png";
    case 146: return "clipboard_group.png";
    case 148: return "spectrum.png";
    case 150: return "clipboard_object.png";
    case 156: return "module_group.png";
    case 157: return "spectrum_group.png";
    case 158: return "panel_background.png";
    case 159: return "arrow_left.png";
    case 160: return "arrow_right.png";
    case 161: return "arrow_right_clip.png";
    case 164: return "arrow_down.png";
    case 165: return "bullet.png";
    case 166: return "arrow_up_right.png";
    default: return nullptr;
    }
}

} // namespace

// The pictures live in the static library of the views: their registration is pulled in by
// hand (outside any namespace, as the macro requires).
static int InitViewResources()
{
    Q_INIT_RESOURCE(views);
    return 0;
}

QPixmap ViewPicture(int id)
{
    static const int once = InitViewResources();
    (void)once;
    const char* file = FileOf(id);
    return file ? QPixmap(QStringLiteral(":/views/") + QLatin1String(file)) : QPixmap();
}
