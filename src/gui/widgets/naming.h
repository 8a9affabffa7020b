#pragma once
#include <QLatin1String>
#include <QString>

namespace tw {

// A control made in code takes its name as its object name, and, where no caption beside it
// tells a screen reader what it is, that text as its accessible name.
template <class W> W* named(W* w, const char* name, const QString& accessible = {}) {
    w->setObjectName(QLatin1String(name));
    if (!accessible.isEmpty())
        w->setAccessibleName(accessible);
    return w;
}

} // namespace tw
