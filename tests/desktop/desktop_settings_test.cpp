// The desktop's own lines in the settings file: the window's starting scale
// and the controller's rumble. Whatever a player writes there, the game opens.
#include "platform/headless/headless_system.h"
#include "ui/desktop_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using ui::DesktopSettings;

TEST(DesktopSettings, ScaleAndRumbleAsWrittenByHand) {
    struct Case {
        const char* file;
        int scale;
        bool rumble;
    };
    const Case cases[] = {
        {"", 1, true},
        {"scale=2\n", 2, true},
        {"scale=4\nrumble=0\n", 4, false},
        {"scale = 3 \nrumble = 0\n", 3, false},
        // Out of range or not a number: the plain size, never a broken window.
        {"scale=0\n", 1, true},
        {"scale=5\n", 1, true},
        {"scale=2x\n", 1, true},
        // Only an explicit 0 turns rumble off.
        {"rumble=1\n", 1, true},
        {"rumble=off\n", 1, true},
        // The last line of a key counts, as for the game's own values.
        {"scale=2\nscale=3\nrumble=0\nrumble=1\n", 3, true},
    };
    platform::headless::HeadlessSystem system;
    const std::string path = platform::ProfileStore::PathFor("velsoft", "kirikazeJ");
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    for (const Case& c : cases) {
        std::ofstream(path, std::ios::trunc) << c.file;
        const DesktopSettings settings = DesktopSettings::Load("velsoft", "kirikazeJ");
        EXPECT_EQ(settings.scale, c.scale) << c.file;
        EXPECT_EQ(settings.rumble, c.rumble) << c.file;
    }
    std::filesystem::remove(path);
    EXPECT_EQ(DesktopSettings::Load("velsoft", "kirikazeJ").scale, 1) << "no file at all";
}

} // namespace
