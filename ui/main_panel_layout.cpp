#include "ui/main_panel_layout.h"

#include <QStringList>

MainPanelPicture MainPanelLayout(int w, int h, int listHeight, const QString& lastModule,
                                 const QString& groupContents, const PanelMeasure& measure)
{
    MainPanelPicture picture;
    const int left = 0;
    const int top = 0;
    const int right = w;
    const int bottom = h;
    const bool large = w > 480 && h > 200;
    const bool tallList = listHeight > h;
    const auto text = [&](const QString& s, int x, int y, bool bold = false) {
        picture.texts.push_back({s, bold, QRect(QPoint(x, y), measure(s, bold)), false});
    };
    const auto elided = [&](const QString& s, const QRect& rect, bool bold) {
        picture.texts.push_back({s, bold, rect, true});
    };
    const auto icon = [&](int id, int x, int y) {
        picture.icons.push_back({id, QPoint(x, y)});
    };

    // Top right: spectrum data.
    int tw = 0;
    if (large) {
        const QString title = QStringLiteral("SPEKTREN-DATEN");
        tw = measure(title, false).width();
        text(title, right - tw - 34, top + 14);
    }
    icon(160, right - 29, top + 17);
    icon(165, right - tw - 62, top + 22);
    icon(157, right - tw - 74, top + 10);

    // Bottom left: the diagram.
    const QString diagram = QStringLiteral("SPEKTRENANZEIGE");
    const int n = measure(diagram, false).height() + 32;
    if (large)
        text(diagram, left + 63, bottom - n + 15);
    icon(164, 5, bottom - n + 12);
    icon(165, 34, bottom - n + 12);

    // Bottom right: clipboard data.
    const QString clipboard = QStringLiteral("CLIPBOARD-DATEN");
    const QSize clipboardSize = measure(clipboard, false);
    const int m = clipboardSize.height() + 32;
    tw = 0;
    if (w >= 481 && h >= 201) {
        tw = clipboardSize.width();
        text(clipboard, right - tw - 34, bottom - clipboardSize.height() - 17);
    }
    icon(tallList ? 166 : 160, right - 29, bottom - m + 12);
    icon(150, right - tw - 62, bottom - m + 17);
    icon(146, right - tw - 74, bottom - m + 5);
    if (listHeight > 48 && h - listHeight > 48)
        icon(161, right - 29, listHeight - 8);

    // Top left: modules, the last entry and its group's modules.
    if (large) {
        text(QStringLiteral("FUNKTIONSMODULE ") + QLatin1String(kEditionLabel), left + 74, top + 14);
        if (w >= 551 && h >= 201) {
            if (!lastModule.isEmpty()) {
                const int height = measure(lastModule, true).height();
                elided(lastModule, QRect(left + 74, top + 28, w / 3, height), true);
            }
            if (!groupContents.isEmpty()) {
                const QString plus = QStringLiteral("+ ");
                const QSize plusSize = measure(plus, false);
                picture.texts.push_back({plus, false, QRect(left + 74, top + 42, w / 4, plusSize.height()), false});
                int k = 0;
                for (const QString& name : groupContents.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                    const int x = left + 74 + plusSize.width();
                    elided(name, QRect(x, top + 42 + 14 * k, w / 4, measure(name, false).height()), false);
                    ++k;
                }
            }
        }
    }
    icon(159, 5, top + 13);
    icon(141, left + 46, top + 18);
    icon(156, left + 34, top + 6);

    // Centre: module parameters. Without the title, P is what the clipboard title left.
    int p = tw;
    if (large) {
        const QString title = QStringLiteral("MODUL-PARAMETER");
        p = measure(title, false).width() + 28;
        text(title, left + w / 2 - p / 2 + 40, top + h / 2);
        if (w > 550 && h > 200 && !lastModule.isEmpty()) {
            const int height = measure(lastModule, true).height();
            elided(lastModule, QRect(left + w / 2 - p / 2 + 40, top + h / 2 + 14, w / 3, height), true);
        }
    }
    icon(145, left + w / 2 - p / 2 + 12, top + h / 2 + 6);
    icon(144, left + w / 2 - p / 2, top + h / 2 - 6);
    return picture;
}
