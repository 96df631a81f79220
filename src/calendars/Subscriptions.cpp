#include "calendars/Subscriptions.h"

#include <array>
#include <exception>

namespace kalvo {
namespace {

const std::string kKeyPath = std::string(programKeyPath) + "\\Calendars";

// Blue, orange, purple, teal and brown, each 0x00BBGGRR.
constexpr std::array<std::int32_t, 5> kColors{0x00C07A3A, 0x00307FE0, 0x00A0509A, 0x00909A2A,
                                              0x00305A8A};

class OpenKey {
public:
    explicit OpenKey(SettingsStore& store) : store_(store), open_(store.openKey(kKeyPath)) {}
    ~OpenKey() { store_.closeKey(); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    bool open() const { return open_; }

private:
    SettingsStore& store_;
    bool open_;
};

}  // namespace

std::int32_t subscriptionColor(std::size_t index) {
    return kColors[index % kColors.size()];
}

std::vector<Subscription> loadSubscriptions(SettingsStore& store) {
    std::vector<Subscription> subscriptions;
    try {
        const OpenKey key(store);
        if (!key.open()) {
            return subscriptions;
        }
        const int count = store.readInteger("Count").value_or(0);
        for (int i = 1; i <= count; ++i) {
            const std::string number = std::to_string(i);
            Subscription subscription;
            subscription.source = store.readText("Source" + number).value_or("");
            if (subscription.source.empty()) {
                continue;
            }
            subscription.name = store.readText("Name" + number).value_or(subscription.source);
            subscription.color = store.readInteger("Color" + number)
                                     .value_or(subscriptionColor(subscriptions.size()));
            subscription.shown = store.readInteger("Shown" + number).value_or(1) != 0;
            subscriptions.push_back(std::move(subscription));
        }
    } catch (const std::exception&) {
        // A store that cannot be read keeps the program from nothing: no calendars are shown.
    }
    return subscriptions;
}

bool saveSubscriptions(SettingsStore& store, const std::vector<Subscription>& subscriptions) {
    try {
        const OpenKey key(store);
        bool kept = key.open() &&
                    store.writeInteger("Count", static_cast<std::int32_t>(subscriptions.size()));
        for (std::size_t i = 0; i < subscriptions.size() && kept; ++i) {
            const std::string number = std::to_string(i + 1);
            const Subscription& subscription = subscriptions[i];
            kept = store.writeText("Name" + number, subscription.name) &&
                   store.writeText("Source" + number, subscription.source) &&
                   store.writeInteger("Color" + number, subscription.color) &&
                   store.writeInteger("Shown" + number, subscription.shown ? 1 : 0);
        }
        return kept;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace kalvo
