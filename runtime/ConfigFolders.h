#pragma once
// Where the programs keep their settings: one folder for the user and one
// for the machine, both named tk28950.
#include <QString>

namespace component {

// $XDG_CONFIG_HOME/tk28950, or ~/.config/tk28950 when XDG_CONFIG_HOME is unset.
QString userConfigFolder();

// $TK28950_SYSCONFDIR when set, else /etc/tk28950: what a package installs
// and what the machine's administrator sets for every user.
QString systemConfigFolder();

} // namespace component
