#pragma once

#include <QTest>
#include <filesystem>
#include <memory>

#include "app/TForm1.h"
#include "settings/FakeSettingsStore.h"

namespace kalvo::test {

// The main window on the database in `folder`, shown and exposed, with neither the exit
// confirmation nor the tip of the day: nothing modal comes up unless a test asks for it.
inline std::unique_ptr<TForm1> showQuietWindow(FakeSettingsStore& store, ProgrammSettings& settings,
                                               const std::filesystem::path& folder,
                                               WindowPlatform platform = {}) {
    auto& options = store.key("Software\\Kalvo Planner\\Common Options");
    options["ShowExitConfirmation"] = 0;
    options["ShowTip"] = 0;
    auto window =
        std::make_unique<TForm1>(settings, store, folder.string() + "/", std::move(platform));
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) {
        ADD_FAILURE() << "the main window was not exposed";
    }
    return window;
}

}  // namespace kalvo::test
