#include "alarms/Sound.h"

#include <filesystem>
#include <system_error>

namespace kalvo {

namespace {

// A named pipe or a device would keep a player reading forever, and a folder is no sound: only
// a regular file counts as existing.
bool soundFileExists(const std::string& fileName) {
    if (fileName.empty()) {
        return false;
    }
    // A char8_t path is read as UTF-8 on every platform, a char path in the local code page.
    const std::filesystem::path path(std::u8string(fileName.begin(), fileName.end()));
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

bool playSound(SoundPlayer& player, const std::string& fileName) {
    if (!soundFileExists(fileName)) {
        return false;
    }
    return player.open(fileName) && player.play();
}

std::optional<std::string> stopSound(SoundPlayer& player) {
    const bool stopped = player.stop();
    player.close();
    if (!stopped) {
        return std::string(noDeviceOpenReport);
    }
    return std::nullopt;
}

}  // namespace kalvo
