#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "alarms/SoundPlayer.h"

namespace kalvo {

// What stopping reports when no sound was open: the text of the error the Windows media
// control interface gives in that case, which users of the program know.
inline constexpr std::string_view noDeviceOpenReport = "No MCI device open";

// Starts playing the sound file `fileName` (UTF-8) on `player` without waiting for its end.
// True when it started. A name that is empty or names no existing file gives false without
// touching the player, and so does a file that the player cannot open or start; nothing is
// shown either way, so the caller decides whether to beep.
bool playSound(SoundPlayer& player, const std::string& fileName);

// Stops and closes the player; it is closed also when stopping fails. Returns the report to
// show through the application's error handler when no sound was open, after the caller has
// re-enabled its play and stop buttons; empty when the sound was stopped.
[[nodiscard]] std::optional<std::string> stopSound(SoundPlayer& player);

}  // namespace kalvo
