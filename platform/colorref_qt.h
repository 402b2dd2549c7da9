#pragma once
// Conversion between COLORREF (red low) and Qt colours (red high in QRgb), for painting only.
#include "platform/colorref.h"

#include <QColor>

inline QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

inline COLORREF FromQColor(const QColor& c)
{
    return RGB(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
               static_cast<std::uint8_t>(c.blue()));
}
