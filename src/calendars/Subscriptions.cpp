#include "calendars/Subscriptions.h"

#include <algorithm>
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

std::string accountOf(const Subscription& subscription) {
    if (!subscription.calDav) {
        return {};
    }
    const std::size_t scheme = subscription.source.find("://");
    const std::size_t path =
        subscription.source.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    return subscription.user + "@" + subscription.source.substr(0, path);
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
            subscription.calDav = store.readInteger("CalDav" + number).value_or(0) != 0;
            subscription.user = store.readText("User" + number).value_or("");
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
                   store.writeInteger("Shown" + number, subscription.shown ? 1 : 0) &&
                   store.writeInteger("CalDav" + number, subscription.calDav ? 1 : 0) &&
                   store.writeText("User" + number, subscription.user);
        }
        return kept;
    } catch (const std::exception&) {
        return false;
    }
}

int loadRefreshMinutes(SettingsStore& store) {
    try {
        const OpenKey key(store);
        const int minutes =
            key.open() ? store.readInteger("RefreshMinutes").value_or(kDefaultRefreshMinutes)
                       : kDefaultRefreshMinutes;
        return std::clamp(minutes, 1, 24 * 60);
    } catch (const std::exception&) {
        return kDefaultRefreshMinutes;
    }
}

bool saveRefreshMinutes(SettingsStore& store, int minutes) {
    try {
        const OpenKey key(store);
        return key.open() && store.writeInteger("RefreshMinutes", minutes);
    } catch (const std::exception&) {
        return false;
    }
}

PublishTarget loadPublishTarget(SettingsStore& store) {
    PublishTarget target;
    try {
        const OpenKey key(store);
        if (!key.open()) {
            return target;
        }
        target.url = store.readText("PublishUrl").value_or("");
        target.user = store.readText("PublishUser").value_or("");
        target.daysBack = std::clamp(store.readInteger("PublishDaysBack").value_or(30), 0, 3650);
        target.daysAhead = std::clamp(store.readInteger("PublishDaysAhead").value_or(365), 0, 3650);
        target.on = store.readInteger("Publishing").value_or(0) != 0 && !target.url.empty();
    } catch (const std::exception&) {
        return {};  // nothing is published
    }
    return target;
}

bool savePublishTarget(SettingsStore& store, const PublishTarget& target) {
    try {
        const OpenKey key(store);
        return key.open() && store.writeText("PublishUrl", target.url) &&
               store.writeText("PublishUser", target.user) &&
               store.writeInteger("PublishDaysBack", target.daysBack) &&
               store.writeInteger("PublishDaysAhead", target.daysAhead) &&
               store.writeInteger("Publishing", target.on ? 1 : 0);
    } catch (const std::exception&) {
        return false;
    }
}

std::map<std::string, std::string> loadPinnedCertificates(SettingsStore& store) {
    std::map<std::string, std::string> certificates;
    try {
        const OpenKey key(store);
        const std::string text =
            key.open() ? store.readText("PinnedCertificates").value_or("") : "";
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t end = std::min(text.find('\n', at), text.size());
            const std::string line = text.substr(at, end - at);
            if (const std::size_t equals = line.rfind('='); equals != std::string::npos) {
                certificates[line.substr(0, equals)] = line.substr(equals + 1);
            }
            at = end + 1;
        }
    } catch (const std::exception&) {
        // Nothing trusted beyond the usual checks.
    }
    return certificates;
}

bool savePinnedCertificates(SettingsStore& store,
                            const std::map<std::string, std::string>& certificates) {
    std::string text;
    for (const auto& [host, fingerprint] : certificates) {
        text += host + "=" + fingerprint + "\n";
    }
    try {
        const OpenKey key(store);
        return key.open() && store.writeText("PinnedCertificates", text);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace kalvo
