#pragma once
// Values and answers as the tool prints them: text for people, typed JSON
// values for scripts.
#include "Variant.h"

#include <QJsonValue>
#include <QString>

namespace ValueText {

QString text(const component::Variant& value);
// A number for numeric interface types, a boolean for booleans, else text.
QJsonValue json(const component::Variant& value, const QString& type);
// An answer of the module: a number when it reads as one ("+01.250"), else text.
QJsonValue numberOrText(const QString& answer);
// Multi-line answers keep their lines apart on a terminal.
QString printable(const QString& answer);

} // namespace ValueText
