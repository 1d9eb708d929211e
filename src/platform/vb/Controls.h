// Window designs: a control created inside its parent with its control name and its place.
#pragma once

#include <QLatin1String>
#include <QRect>
#include <QWidget>

namespace vb {

template <class T>
T* control(QWidget* parent, const char* name, const QRect& where)
{
    auto* widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(where);
    return widget;
}

} // namespace vb
