#pragma once
#include "platform/profile.h"

#include <string>

namespace ui {

// What the desktop side of the game reads from the player's settings file,
// beside what the game itself keeps there: lines the game never looks at and
// keeps as they are when it writes the file.
struct DesktopSettings {
    static constexpr int kMinScale = 1;
    static constexpr int kMaxScale = 4;

    // "scale=": the window's starting size as a whole multiple of the game's
    // picture. Anything else than 1 ... 4 means the plain size.
    int scale = kMinScale;
    // "rumble=0" turns the controller's rumble off; anything else keeps it.
    bool rumble = true;

    static DesktopSettings Read(const platform::ProfileStore& profile);
    // The settings file of the application `app` under `company`; the
    // defaults when it cannot be read.
    static DesktopSettings Load(const std::string& company, const std::string& app);
};

} // namespace ui
