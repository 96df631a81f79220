#pragma once

#include <QSettings>
#include <QString>
#include <memory>

namespace kalvo {

// The user's own settings of "Software\<organisation>": on Windows that registry key under
// HKEY_CURRENT_USER, elsewhere $XDG_CONFIG_HOME/<organisation>.conf. No system-wide store
// supplies values, as none does for HKEY_CURRENT_USER.
std::unique_ptr<QSettings> openUserSettings(const QString& organisation);

}  // namespace kalvo
