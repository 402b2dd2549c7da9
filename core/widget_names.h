#pragma once
// A form's control gets its dialog id (or a name) as its object name: tests, layouts and style
// sheets find the control by it. The ids themselves stand as named constants beside each form.
#include <QString>

namespace calc {

template <class W>
W* Named(W* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

template <class W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace calc
