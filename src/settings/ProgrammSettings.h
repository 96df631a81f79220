#pragma once

#include <string>
#include <vector>

#include "settings/SettingsStore.h"

namespace kalvo {

// The user's program options and their place in the per-user store. Every option is an
// ISetting registered in `settings`; loading and saving walk that list in order.
class ProgrammSettings {
public:
    class ISetting {
    public:
        // Reads the option from the store into its value; store failures are swallowed.
        virtual void load(SettingsStore& store) = 0;
        // Writes the value to the store; store failures are swallowed.
        virtual void save(SettingsStore& store) = 0;

    protected:
        // Options are members of ProgrammSettings and the list does not own them, so nobody
        // may destroy one through this interface.
        ISetting() = default;
        ~ISetting() = default;
        ISetting(const ISetting&) = default;
        ISetting& operator=(const ISetting&) = default;
    };

    template <typename T>
    class SettingBase : public ISetting {
    public:
        T defaultValue{};
        T value{};
        std::string section;  // key below programKeyPath
        std::string valueName;

    protected:
        SettingBase() = default;
        ~SettingBase() = default;
        SettingBase(const SettingBase&) = default;
        SettingBase& operator=(const SettingBase&) = default;
    };

    // An option held in the store as a 32-bit integer.
    template <typename T>
    class SettingInteger final : public SettingBase<T> {
    public:
        void load(SettingsStore& store) override;
        void save(SettingsStore& store) override;
    };

    SettingInteger<bool> showExitConfirmation;
    SettingInteger<bool> showTip;
    std::vector<ISetting*> settings;  // points into this object, owns nothing

    // How alarms reach the user, in a section of their own, loaded and saved on their own: the
    // two options above are stored as they always were. Alarms as desktop notifications where
    // the desktop has the service, else message boxes; closing the window hides it in the
    // system tray, where alarms keep coming.
    SettingInteger<bool> alarmNotifications;
    SettingInteger<bool> keepRunningInTray;
    std::vector<ISetting*> reminderSettings;
    // How the day is worked with, in a section of its own, each saved when it changes: a drag's
    // edges land on five-minute marks; the timeline's zoom in screen pixels an hour (the hours
    // fill the window at least); the step of a shift in minutes, 0 for one timeline pixel.
    SettingInteger<bool> snapToFiveMinutes;
    SettingInteger<int> pixelsPerHour;
    SettingInteger<int> shiftStepMinutes;
    std::vector<ISetting*> dayViewSettings;

    ProgrammSettings();
    // `settings` points at this object's own members, so a copy would point at the original.
    ProgrammSettings(const ProgrammSettings&) = delete;
    ProgrammSettings& operator=(const ProgrammSettings&) = delete;

    void loadAll(SettingsStore& store) { loadEach(settings, store); }
    void saveAll(SettingsStore& store) { saveEach(settings, store); }
    void loadReminderOptions(SettingsStore& store) { loadEach(reminderSettings, store); }
    void saveReminderOptions(SettingsStore& store) { saveEach(reminderSettings, store); }
    void loadDayViewOptions(SettingsStore& store) { loadEach(dayViewSettings, store); }
    void saveDayViewOptions(SettingsStore& store) { saveEach(dayViewSettings, store); }

    bool getShowExitConfirmation() const { return showExitConfirmation.value; }
    bool getShowTip() const { return showTip.value; }
    bool getAlarmNotifications() const { return alarmNotifications.value; }
    bool getKeepRunningInTray() const { return keepRunningInTray.value; }
    bool getSnapToFiveMinutes() const { return snapToFiveMinutes.value; }
    int getPixelsPerHour() const { return pixelsPerHour.value; }
    int getShiftStepMinutes() const { return shiftStepMinutes.value; }
    // The store changes only when the option's group is saved.
    void setShowExitConfirmation(bool value) { showExitConfirmation.value = value; }
    void setShowTip(bool value) { showTip.value = value; }
    void setAlarmNotifications(bool value) { alarmNotifications.value = value; }
    void setKeepRunningInTray(bool value) { keepRunningInTray.value = value; }
    void setSnapToFiveMinutes(bool value) { snapToFiveMinutes.value = value; }
    void setPixelsPerHour(int value) { pixelsPerHour.value = value; }
    void setShiftStepMinutes(int value) { shiftStepMinutes.value = value; }

private:
    static void loadEach(const std::vector<ISetting*>& group, SettingsStore& store);
    static void saveEach(const std::vector<ISetting*>& group, SettingsStore& store);
};

extern template class ProgrammSettings::SettingInteger<bool>;
extern template class ProgrammSettings::SettingInteger<int>;

}  // namespace kalvo
