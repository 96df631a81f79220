#include "gui/UserSettings.h"

namespace kalvo {

std::unique_ptr<QSettings> openUserSettings(const QString& organisation) {
#ifdef Q_OS_WIN
    // Given an organisation alone, QSettings would write below
    // "Software\<organisation>\OrganizationDefaults"; naming the key keeps the path.
    auto settings = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\") + organisation, QSettings::NativeFormat);
#else
    auto settings =
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organisation);
#endif
    settings->setFallbacksEnabled(false);
    return settings;
}

}  // namespace kalvo
