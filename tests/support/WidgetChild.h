// Finding a widget of a form by its object name, the way the form's designer names it.
#pragma once

#include <QWidget>

namespace dorvane::test {

// The child of `parent` named `name` with type T. A missing one ends the test program at once: every
// step after it would only fail for the same reason.
template<typename T> T* child(QWidget* parent, const char* name)
{
    T* widget = parent->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("widget %s missing", name);
    return widget;
}

} // namespace dorvane::test
