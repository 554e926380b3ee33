#pragma once
// The one way the control shows a modal message box: through the host's
// site when it has one, else as a message box of a widget application, else
// as a line on standard error.
#include "Dispatch.h"

#include <QString>

enum class MessageIcon { None, Stop };

// An empty caption means the default caption (the application's name).
void showModalMessage(component::HostSite* site, const QString& text, const QString& caption,
                      MessageIcon icon = MessageIcon::None);
