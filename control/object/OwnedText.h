#pragma once
// Texts handed to a host are copied into memory of their own. A text made
// from a literal points into this library's file, and the host may unload
// the library while it still holds the text (or while Qt's caches, such as
// that of the registry file, hold it for the host).
#include <QString>

inline QString ownedText(const QString& text)
{
    return QString(text.constData(), text.size());
}
