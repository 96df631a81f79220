#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/SettingsStore.h"

namespace kalvo::test {

// An in-memory store that can be made to fail in each of the ways a real one can, and that
// records what it was asked to do.
class FakeSettingsStore final : public SettingsStore {
public:
    // A text is a value held as text; to readInteger it is one held in another type.
    using Value = std::variant<std::int32_t, std::string>;
    using Key = std::map<std::string, Value, std::less<>>;

    enum class Fault {
        none,
        openFails,
        openThrows,
        existsThrows,
        readFails,
        readThrows,
        writeFails,
        writeThrows
    };

    std::map<std::string, Key, std::less<>> keys;
    Fault fault = Fault::none;
    std::string faultyValue;  // the value name a value fault hits; empty: every value

    std::vector<std::string> writes;  // "name=value", in the order they were stored
    int opens = 0;
    int closes = 0;
    int misuses = 0;  // value operations with no key open, and keys opened twice

    Key& key(std::string_view path) { return keys[std::string(path)]; }

    bool openKey(std::string_view path) override {
        if (open_) {
            ++misuses;
        }
        if (fault == Fault::openThrows) {
            throw SettingsStoreError("store not accessible");
        }
        if (fault == Fault::openFails) {
            return false;
        }
        ++opens;
        open_ = &keys[std::string(path)];
        return true;
    }

    void closeKey() noexcept override {
        if (open_) {
            ++closes;
        }
        open_ = nullptr;
    }

    bool valueExists(std::string_view name) override {
        if (hits(Fault::existsThrows, name)) {
            throw SettingsStoreError("cannot query value");
        }
        return current().contains(name);
    }

    std::optional<std::int32_t> readInteger(std::string_view name) override {
        if (hits(Fault::readThrows, name)) {
            throw SettingsStoreError("cannot read value");
        }
        const auto found = current().find(name);
        if (hits(Fault::readFails, name) || found == current().end() ||
            !std::holds_alternative<std::int32_t>(found->second)) {
            return std::nullopt;
        }
        return std::get<std::int32_t>(found->second);
    }

    bool writeInteger(std::string_view name, std::int32_t value) override {
        if (hits(Fault::writeThrows, name)) {
            throw SettingsStoreError("cannot write value");
        }
        if (hits(Fault::writeFails, name)) {
            return false;
        }
        current()[std::string(name)] = value;
        writes.push_back(std::string(name) + "=" + std::to_string(value));
        return true;
    }

    std::optional<std::string> readText(std::string_view name) override {
        if (hits(Fault::readThrows, name)) {
            throw SettingsStoreError("cannot read value");
        }
        const auto found = current().find(name);
        if (hits(Fault::readFails, name) || found == current().end() ||
            !std::holds_alternative<std::string>(found->second)) {
            return std::nullopt;
        }
        return std::get<std::string>(found->second);
    }

    bool writeText(std::string_view name, std::string_view value) override {
        if (hits(Fault::writeThrows, name)) {
            throw SettingsStoreError("cannot write value");
        }
        if (hits(Fault::writeFails, name)) {
            return false;
        }
        current()[std::string(name)] = std::string(value);
        writes.push_back(std::string(name) + "=" + std::string(value));
        return true;
    }

private:
    bool hits(Fault kind, std::string_view name) const {
        return fault == kind && (faultyValue.empty() || faultyValue == name);
    }

    Key& current() {
        if (!open_) {
            ++misuses;
            throw std::logic_error("no key open");
        }
        return *open_;
    }

    Key* open_ = nullptr;
};

}  // namespace kalvo::test
