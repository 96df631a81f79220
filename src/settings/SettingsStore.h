#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kalvo {

// Everything the program keeps in the per-user store lives below this key; on Windows it is
// the registry key of that name under HKEY_CURRENT_USER.
inline constexpr std::string_view programKeyPath = "Software\\Kalvo Planner";

// What a store implementation throws when the store itself cannot be reached. Callers that
// swallow store failures catch std::exception, so an implementation may also let other
// standard exceptions through.
class SettingsStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The per-user key-value store, shaped after the registry: one key is open at a time, and the
// value operations act on it. The interface lets the Qt store be replaced in tests.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Opens the key at `path` (components separated by '\'), creating it when missing. False
    // when the key can neither be opened nor created.
    virtual bool openKey(std::string_view path) = 0;

    // Gives up the open key; harmless when none is open.
    virtual void closeKey() noexcept = 0;

    virtual bool valueExists(std::string_view name) = 0;

    // Empty when the value is missing or is not held as a 32-bit integer.
    virtual std::optional<std::int32_t> readInteger(std::string_view name) = 0;

    // False when the value could not be stored.
    virtual bool writeInteger(std::string_view name, std::int32_t value) = 0;

    // Text in UTF-8; empty when the value is missing or not held as text.
    virtual std::optional<std::string> readText(std::string_view name) = 0;
    virtual bool writeText(std::string_view name, std::string_view value) = 0;

protected:
    SettingsStore() = default;
    SettingsStore(const SettingsStore&) = default;
    SettingsStore& operator=(const SettingsStore&) = default;
};

}  // namespace kalvo
