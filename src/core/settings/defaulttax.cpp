#include "settings/defaulttax.h"

#include "settings/settings.h"

namespace tw::settings {

namespace {

const QString kZero = QStringLiteral("0");

} // namespace

void DefaultTax::load() {
    if (const auto read = store_.read(kDefTax)) {
        value_ = *read;
        return;
    }
    store_.write(kDefTax, kZero);
    value_ = kZero;
}

void DefaultTax::reread() {
    if (const auto read = store_.read(kDefTax))
        value_ = *read;
    else
        store_.write(kDefTax, kZero);
}

const QString& DefaultTax::refresh() {
    if (const auto read = store_.read(kDefTax))
        value_ = *read;
    return value_;
}

bool DefaultTax::save(const QString& text) {
    return store_.write(kDefTax, text);
}

} // namespace tw::settings
