#include "gui/QtSettingsStore.h"

#include "gui/UserSettings.h"

#include <QMetaType>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <charconv>
#include <utility>

namespace kalvo {

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::optional<std::int32_t> int32FromIniText(std::string_view text) {
    std::int32_t result = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, result);
    if (text.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return result;
}

QtSettingsStore::QtSettingsStore() = default;

QtSettingsStore::~QtSettingsStore() = default;

bool QtSettingsStore::openKey(std::string_view path) {
    closeKey();
    QStringList parts = toQString(path).split(u'\\');
    if (parts.size() < 2 || parts.front() != u"Software" || parts.contains(QString())) {
        return false;
    }
    const QString organisation = parts.at(1);
    parts.remove(0, 2);

    auto settings = openUserSettings(organisation);
    if (settings->status() != QSettings::NoError) {
        return false;
    }
    // QSettings keeps no group that holds no value, in the INI file as in the registry, so a
    // key opened here exists in the store only once a value is written below it.
    if (!parts.isEmpty()) {
        settings->beginGroup(parts.join(u'/'));
    }
    settings_ = std::move(settings);
    return true;
}

void QtSettingsStore::closeKey() noexcept {
    settings_.reset();
}

QSettings& QtSettingsStore::openSettings() {
    if (!settings_) {
        throw SettingsStoreError("no settings key is open");
    }
    return *settings_;
}

bool QtSettingsStore::valueExists(std::string_view name) {
    return openSettings().contains(toQString(name));
}

std::optional<std::int32_t> QtSettingsStore::readInteger(std::string_view name) {
    const QVariant stored = openSettings().value(toQString(name));
    switch (stored.typeId()) {
        case QMetaType::Int:
            // A registry DWORD, or a value this process wrote and QSettings still caches.
            return stored.toInt();
#ifndef Q_OS_WIN
        case QMetaType::QString:
            return int32FromIniText(stored.toString().toStdString());
#endif
        default:
            return std::nullopt;
    }
}

bool QtSettingsStore::writeInteger(std::string_view name, std::int32_t value) {
    return writeValue(name, QVariant::fromValue<qint32>(value));
}

std::optional<std::string> QtSettingsStore::readText(std::string_view name) {
    const QVariant stored = openSettings().value(toQString(name));
    if (stored.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return stored.toString().toStdString();
}

bool QtSettingsStore::writeText(std::string_view name, std::string_view value) {
    return writeValue(name, QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

bool QtSettingsStore::writeValue(std::string_view name, const QVariant& value) {
    QSettings& settings = openSettings();
    settings.setValue(toQString(name), value);
    // Without sync a failed write would only surface, unnoticed, when the object is destroyed.
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace kalvo
