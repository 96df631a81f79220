#pragma once

#include <QVariant>

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "settings/SettingsStore.h"

class QSettings;

namespace kalvo {

// The per-user store through QSettings in the native format. A key path
// "Software\<organisation>\<group>..." maps, on Windows, to that registry key under
// HKEY_CURRENT_USER and, elsewhere, to the group of the INI file
// $XDG_CONFIG_HOME/<organisation>.conf.
class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    bool openKey(std::string_view path) override;
    void closeKey() noexcept override;
    bool valueExists(std::string_view name) override;
    std::optional<std::int32_t> readInteger(std::string_view name) override;
    bool writeInteger(std::string_view name, std::int32_t value) override;
    std::optional<std::string> readText(std::string_view name) override;
    bool writeText(std::string_view name, std::string_view value) override;

private:
    QSettings& openSettings();
    bool writeValue(std::string_view name, const QVariant& value);

    std::unique_ptr<QSettings> settings_;
};

// An INI file keeps no value types, so a stored text counts as a 32-bit integer only when it
// reads whole as one: an optional minus sign and decimal digits, within the int32 range.
std::optional<std::int32_t> int32FromIniText(std::string_view text);

}  // namespace kalvo
