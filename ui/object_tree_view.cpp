#include "ui/object_tree_view.h"

QFont TreePaneFont()
{
    QFont font(QStringLiteral("Segoe UI"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(10);
    font.setWeight(QFont::Medium);
    return font;
}

QString TreePaneTipStyle(COLORREF background)
{
    return QStringLiteral("QToolTip { background-color: rgba(%1, %2, %3, 200); color: black; padding: 5px 10px; }")
        .arg(GetRValue(background))
        .arg(GetGValue(background))
        .arg(GetBValue(background));
}
