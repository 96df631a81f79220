#include "alarms/Sound.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "FakeSoundPlayer.h"
#include "support/TemporaryFolder.h"

namespace kalvo {
namespace {

using test::FakeSoundPlayer;
using Calls = std::vector<std::string>;

TEST(SoundTest, PlaySoundStartsOnlyAnExistingFileThatThePlayerOpensAndStarts) {
    test::TemporaryFolder folder;
    const std::string bell = folder.file("bell.wav");
    const std::string umlaut = folder.file("Gl\u00f6ckchen.mp3");
    const std::string pipe = folder.file("pipe.wav");
    test::writeFileText(bell, "RIFF");
    test::writeFileText(umlaut, "ID3");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

    struct Case {
        const char* what;
        std::string fileName;
        bool opens;
        bool plays;
        bool started;
        Calls calls;
    };
    const Case cases[] = {
        {"an existing file", bell, true, true, true, {"open " + bell, "play"}},
        {"a UTF-8 name", umlaut, true, true, true, {"open " + umlaut, "play"}},
        {"an empty name", "", true, true, false, {}},
        {"a missing file", folder.file("missing.wav"), true, true, false, {}},
        {"a folder", folder.path().string(), true, true, false, {}},
        {"a named pipe, which a player would wait on", pipe, true, true, false, {}},
        {"a file the player cannot open", bell, false, true, false, {"open " + bell}},
        {"a sound the player cannot start", bell, true, false, false, {"open " + bell, "play"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSoundPlayer player;
        player.opens = c.opens;
        player.plays = c.plays;
        EXPECT_EQ(playSound(player, c.fileName), c.started);
        EXPECT_EQ(player.calls, c.calls);
    }
}

TEST(SoundTest, StopSoundClosesThePlayerAndReportsOnlyWhenNothingWasOpen) {
    test::TemporaryFolder folder;
    const std::string bell = folder.file("bell.wav");
    test::writeFileText(bell, "RIFF");

    struct Case {
        const char* what;
        bool playFirst;
        bool playerPlays;
        int earlierStops;
        std::optional<std::string> report;
    };
    const Case cases[] = {
        {"a playing sound", true, true, 0, std::nullopt},
        {"a sound that opened but did not start", true, false, 0, std::nullopt},
        {"nothing ever played", false, true, 0, "No MCI device open"},
        // A nested alarm's message, dismissed first, already stopped the shared player.
        {"a sound already stopped", true, true, 1, "No MCI device open"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSoundPlayer player;
        player.plays = c.playerPlays;
        if (c.playFirst) {
            (void)playSound(player, bell);
        }
        for (int i = 0; i < c.earlierStops; ++i) {
            (void)stopSound(player);
        }
        player.calls.clear();
        EXPECT_EQ(stopSound(player), c.report);
        EXPECT_EQ(player.calls, (Calls{"stop", "close"}));
        EXPECT_FALSE(player.isOpen());
    }
}

}  // namespace
}  // namespace kalvo
