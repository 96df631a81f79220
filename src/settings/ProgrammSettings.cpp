#include "settings/ProgrammSettings.h"

#include <exception>

namespace kalvo {

namespace {

constexpr const char* commonOptions = "Common Options";
constexpr const char* reminderOptions = "Reminders";
constexpr const char* dayViewOptions = "Day View";

std::string keyPathOf(const std::string& section) {
    std::string path{programKeyPath};
    path += '\\';
    path += section;
    return path;
}

// Closes the key on every way out of a load or save, thrown exceptions included.
class KeyCloser {
public:
    explicit KeyCloser(SettingsStore& store) : store_(store) {}
    ~KeyCloser() { store_.closeKey(); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

private:
    SettingsStore& store_;
};

template <typename T>
void initialise(ProgrammSettings::SettingBase<T>& setting, const char* section,
                const char* valueName, T defaultValue) {
    setting.section = section;
    setting.valueName = valueName;
    setting.defaultValue = defaultValue;
    setting.value = defaultValue;
}

}  // namespace

template <typename T>
void ProgrammSettings::SettingInteger<T>::load(SettingsStore& store) {
    // A store that cannot be read must not keep the program from starting: the option keeps
    // the value it had, which at start-up is the constructor's.
    try {
        KeyCloser closer(store);
        if (!store.openKey(keyPathOf(this->section))) {
            return;
        }
        if (!store.valueExists(this->valueName)) {
            this->value = this->defaultValue;
            return;
        }
        if (const auto stored = store.readInteger(this->valueName)) {
            this->value = static_cast<T>(*stored);
        }
    } catch (const std::exception&) {
    }
}

template <typename T>
void ProgrammSettings::SettingInteger<T>::save(SettingsStore& store) {
    // Nobody is told of a failed save; the store simply keeps what it held.
    try {
        KeyCloser closer(store);
        if (store.openKey(keyPathOf(this->section))) {
            store.writeInteger(this->valueName, static_cast<std::int32_t>(this->value));
        }
    } catch (const std::exception&) {
    }
}

template class ProgrammSettings::SettingInteger<bool>;
template class ProgrammSettings::SettingInteger<int>;

ProgrammSettings::ProgrammSettings() {
    initialise(showExitConfirmation, commonOptions, "ShowExitConfirmation", true);
    settings.push_back(&showExitConfirmation);
    initialise(showTip, commonOptions, "ShowTip", true);
    settings.push_back(&showTip);
    initialise(alarmNotifications, reminderOptions, "DesktopNotifications", true);
    reminderSettings.push_back(&alarmNotifications);
    initialise(keepRunningInTray, reminderOptions, "KeepRunningInTray", false);
    reminderSettings.push_back(&keepRunningInTray);
    initialise(snapToFiveMinutes, dayViewOptions, "SnapToFiveMinutes", false);
    dayViewSettings.push_back(&snapToFiveMinutes);
    initialise(pixelsPerHour, dayViewOptions, "PixelsPerHour", 24);
    dayViewSettings.push_back(&pixelsPerHour);
    initialise(shiftStepMinutes, dayViewOptions, "ShiftStepMinutes", 0);
    dayViewSettings.push_back(&shiftStepMinutes);
}

void ProgrammSettings::loadEach(const std::vector<ISetting*>& group, SettingsStore& store) {
    for (ISetting* setting : group) {
        setting->load(store);
    }
}

void ProgrammSettings::saveEach(const std::vector<ISetting*>& group, SettingsStore& store) {
    for (ISetting* setting : group) {
        setting->save(store);
    }
}

}  // namespace kalvo
