#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calendars/CalendarLane.h"
#include "calendars/Subscriptions.h"
#include "settings/FakeSettingsStore.h"

namespace kalvo {
namespace {

TEST(Subscriptions, AreKeptInTheSettingsStoreAndReadBack) {
    test::FakeSettingsStore store;
    EXPECT_TRUE(loadSubscriptions(store).empty());
    const std::vector<Subscription> kept = {
        {"Work", "/home/ann/work.ics", subscriptionColor(0), true},
        {"Family, shared", "/home/ann/Family – 2027.ics", subscriptionColor(1), false},
        {"Team", "https://dav.example.org:8443/ann/team/", subscriptionColor(2), true, true, "ann"},
    };
    ASSERT_TRUE(saveSubscriptions(store, kept));
    EXPECT_EQ(loadSubscriptions(store), kept);
    EXPECT_EQ(loadPublishTarget(store), PublishTarget());
    const PublishTarget target{kept[2].source, "ann", 7, 90, true};
    ASSERT_TRUE(savePublishTarget(store, target));
    EXPECT_EQ(loadPublishTarget(store), target);
    EXPECT_EQ(accountOf(kept[0]), "");
    EXPECT_EQ(accountOf(kept[2]), "ann@https://dav.example.org:8443");
    // An entry without its source is left out; a store that fails gives none and keeps none.
    store.key("Software\\Kalvo Planner\\Calendars")["Source1"] = std::string();
    EXPECT_EQ(loadSubscriptions(store).size(), 2U);
    store.fault = test::FakeSettingsStore::Fault::readThrows;
    EXPECT_TRUE(loadSubscriptions(store).empty());
    store.fault = test::FakeSettingsStore::Fault::writeFails;
    EXPECT_FALSE(saveSubscriptions(store, kept));
    EXPECT_EQ(store.opens, store.closes);
}

TEST(CalendarLane, OverlappingEventsLieSideBySide) {
    struct Case {
        const char* what;
        std::vector<LaneSpan> spans;
        std::vector<LanePlace> places;
    };
    const Case cases[] = {
        {"one", {{540, 600}}, {{0, 1}}},
        {"touching ones follow each other", {{540, 600}, {600, 660}}, {{0, 1}, {0, 1}}},
        {"two overlapping", {{540, 600}, {570, 630}}, {{0, 2}, {1, 2}}},
        {"a third takes the first column again",
         {{540, 600}, {570, 700}, {600, 660}},
         {{0, 2}, {1, 2}, {0, 2}}},
        {"groups apart", {{540, 600}, {570, 630}, {700, 720}}, {{0, 2}, {1, 2}, {0, 1}}},
        {"empty ones take a minute", {{540, 540}, {540, 540}}, {{0, 2}, {1, 2}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(layOutLane(c.spans), c.places) << c.what;
    }
}

}  // namespace
}  // namespace kalvo
