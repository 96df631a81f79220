#include "settings/ProgrammSettings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "settings/FakeSettingsStore.h"

namespace kalvo {
namespace {

using test::FakeSettingsStore;
using Fault = FakeSettingsStore::Fault;
using Value = FakeSettingsStore::Value;

// The options are members and the list only points at them: deleting through the interface
// must not compile.
static_assert(!std::is_destructible_v<ProgrammSettings::ISetting>);
static_assert(!std::has_virtual_destructor_v<ProgrammSettings::ISetting>);
static_assert(std::is_abstract_v<ProgrammSettings::SettingBase<bool>>);

constexpr const char* commonOptionsKey = "Software\\Kalvo Planner\\Common Options";

struct Options {
    bool exitConfirmation;
    bool tip;
    bool operator==(const Options&) const = default;
};

void PrintTo(const Options& options, std::ostream* out) {
    *out << "{exit " << options.exitConfirmation << ", tip " << options.tip << "}";
}

Options optionsOf(const ProgrammSettings& settings) {
    return {settings.getShowExitConfirmation(), settings.getShowTip()};
}

void setOptions(ProgrammSettings& settings, Options options) {
    settings.setShowExitConfirmation(options.exitConfirmation);
    settings.setShowTip(options.tip);
}

void store(FakeSettingsStore& fake, const char* name, std::optional<Value> value) {
    auto& key = fake.key(commonOptionsKey);
    if (value) {
        key[name] = *value;
    } else {
        key.erase(name);
    }
}

void expectBalanced(const FakeSettingsStore& fake) {
    EXPECT_EQ(fake.opens, fake.closes) << "every opened key is closed again";
    EXPECT_EQ(fake.misuses, 0) << "values are touched only through an open key";
}

TEST(ProgrammSettings, FirstStartWithEmptyStoreCreatesTheKeyButNoValue) {
    FakeSettingsStore fake;
    ProgrammSettings settings;
    settings.loadAll(fake);

    EXPECT_EQ(optionsOf(settings), (Options{true, true}));
    ASSERT_EQ(fake.keys.size(), 1u);
    ASSERT_TRUE(fake.keys.contains(commonOptionsKey));
    EXPECT_TRUE(fake.keys.at(commonOptionsKey).empty());
    EXPECT_TRUE(fake.writes.empty());
    expectBalanced(fake);
}

TEST(ProgrammSettings, LoadReadsStoredIntegersAndFallsBackToDefaults) {
    const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    const std::int32_t highest = std::numeric_limits<std::int32_t>::max();
    struct Case {
        const char* name;
        std::optional<Value> exitConfirmation;
        std::optional<Value> tip;
        Options before;
        Options expected;
    };
    const std::vector<Case> cases = {
        {"zero turns an option off", std::nullopt, 0, {true, true}, {true, false}},
        {"both zero", 0, 0, {true, true}, {false, false}},
        {"any non-zero integer is true", 5, -1, {false, false}, {true, true}},
        {"int32 extremes are true", lowest, highest, {false, false}, {true, true}},
        {"a missing value takes the default, not the previous value",
         std::nullopt,
         std::nullopt,
         {false, false},
         {true, true}},
        {"a value of another type keeps the previous value",
         std::string("0"),
         std::string("1"),
         {true, false},
         {true, false}},
        {"a value of another type does not stop the next option",
         std::string("yes"),
         0,
         {false, true},
         {false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSettingsStore fake;
        store(fake, "ShowExitConfirmation", c.exitConfirmation);
        store(fake, "ShowTip", c.tip);
        ProgrammSettings settings;
        setOptions(settings, c.before);

        settings.loadAll(fake);

        EXPECT_EQ(optionsOf(settings), c.expected);
        EXPECT_TRUE(fake.writes.empty()) << "loading never writes";
        expectBalanced(fake);
    }
}

TEST(ProgrammSettings, NonZeroIsWrittenBackAsOne) {
    FakeSettingsStore fake;
    store(fake, "ShowExitConfirmation", -7);
    store(fake, "ShowTip", 5);
    ProgrammSettings settings;
    settings.loadAll(fake);
    settings.saveAll(fake);

    EXPECT_EQ(fake.writes, (std::vector<std::string>{"ShowExitConfirmation=1", "ShowTip=1"}));
}

TEST(ProgrammSettings, SaveWritesBothValuesInListOrder) {
    struct Case {
        const char* name;
        Options changedTo;
        std::vector<std::string> writes;
    };
    const std::vector<Case> cases = {
        {"nothing changed", {true, true}, {"ShowExitConfirmation=1", "ShowTip=1"}},
        {"only the tip changed", {true, false}, {"ShowExitConfirmation=1", "ShowTip=0"}},
        {"only the confirmation changed", {false, true}, {"ShowExitConfirmation=0", "ShowTip=1"}},
        {"both changed", {false, false}, {"ShowExitConfirmation=0", "ShowTip=0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSettingsStore fake;
        ProgrammSettings settings;
        settings.loadAll(fake);
        setOptions(settings, c.changedTo);

        settings.saveAll(fake);

        EXPECT_EQ(fake.writes, c.writes);
        ASSERT_EQ(fake.keys.size(), 1u) << "both values go to the one key";
        EXPECT_EQ(fake.keys.at(commonOptionsKey).size(), 2u);
        expectBalanced(fake);
    }
}

TEST(ProgrammSettings, SettersChangeMemoryOnlyUntilSaveAll) {
    FakeSettingsStore fake;
    store(fake, "ShowExitConfirmation", 1);
    store(fake, "ShowTip", 1);
    ProgrammSettings settings;
    settings.loadAll(fake);

    settings.setShowExitConfirmation(false);
    settings.setShowTip(false);
    EXPECT_EQ(optionsOf(settings), (Options{false, false}));
    EXPECT_EQ(fake.opens, 2) << "the setters do not touch the store";
    EXPECT_TRUE(fake.writes.empty());

    // The program ends without the user confirming: the next start sees the old options.
    ProgrammSettings nextStart;
    nextStart.loadAll(fake);
    EXPECT_EQ(optionsOf(nextStart), (Options{true, true}));

    settings.saveAll(fake);
    ProgrammSettings afterSave;
    afterSave.loadAll(fake);
    EXPECT_EQ(optionsOf(afterSave), (Options{false, false}));
}

TEST(ProgrammSettings, StoreFailuresChangeNothingAndAreNotReported) {
    // The store starts out holding 1 for both values and the options in memory are false,
    // so a load that works turns them true and a save that works stores 0.
    struct Case {
        const char* name;
        Fault fault;
        const char* faultyValue;
        Options afterLoad;
        Options storedAfterSave;
    };
    const std::vector<Case> cases = {
        {"no fault", Fault::none, "", {true, true}, {false, false}},
        {"key cannot be opened", Fault::openFails, "", {false, false}, {true, true}},
        {"store not accessible", Fault::openThrows, "", {false, false}, {true, true}},
        {"existence test throws", Fault::existsThrows, "", {false, false}, {false, false}},
        {"read fails", Fault::readFails, "", {false, false}, {false, false}},
        {"read throws", Fault::readThrows, "", {false, false}, {false, false}},
        {"write fails", Fault::writeFails, "", {true, true}, {true, true}},
        {"write throws", Fault::writeThrows, "", {true, true}, {true, true}},
        {"read of the first value throws",
         Fault::readThrows,
         "ShowExitConfirmation",
         {false, true},
         {false, false}},
        {"write of the first value throws",
         Fault::writeThrows,
         "ShowExitConfirmation",
         {true, true},
         {true, false}},
        {"write of the second value fails",
         Fault::writeFails,
         "ShowTip",
         {true, true},
         {false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSettingsStore fake;
        store(fake, "ShowExitConfirmation", 1);
        store(fake, "ShowTip", 1);
        fake.fault = c.fault;
        fake.faultyValue = c.faultyValue;
        ProgrammSettings settings;
        setOptions(settings, {false, false});

        EXPECT_NO_THROW(settings.loadAll(fake));
        EXPECT_EQ(optionsOf(settings), c.afterLoad);

        setOptions(settings, {false, false});
        EXPECT_NO_THROW(settings.saveAll(fake));
        EXPECT_EQ(optionsOf(settings), (Options{false, false})) << "saving keeps the options";
        const auto& key = fake.keys.at(commonOptionsKey);
        const Options stored{std::get<std::int32_t>(key.at("ShowExitConfirmation")) != 0,
                             std::get<std::int32_t>(key.at("ShowTip")) != 0};
        EXPECT_EQ(stored, c.storedAfterSave);
        expectBalanced(fake);
    }
}

}  // namespace
}  // namespace kalvo
