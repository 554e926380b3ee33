#pragma once
// Whether a value read back is the value asked for: two reads of one
// property, or a property read after it was written.
#include "Variant.h"

#include <QString>
#include <QVector>

namespace ReadBack {

// Two reads gave the same value.
bool same(const component::Variant& first, const component::Variant& second);

// The property holds what was written. A short property holds the written
// value converted to a short; other numbers are compared as numbers, to
// the tenth the finest property (a temperature offset in tenths of a degree)
// keeps, cut toward zero as the control cuts it ("2.37" holds as 2.3);
// anything else as text.
bool holds(const component::Variant& readBack, const component::Variant& written);

QString text(const component::Variant& value);
QString list(const QVector<component::Variant>& values);

} // namespace ReadBack
