// The settings file: what the game keeps in it from one run to the next,
// what a player may write there by hand, and that nothing is lost or
// smuggled in when it is written.
#include "platform/profile.h"
#include "shell_game.h"
#include "ui/desktop_settings.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;
using kztest::Game;
using ui::DesktopSettings;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

TEST(Settings, HoweverTheGameEndsTheyAreWrittenExactlyOnce) {
    // Downs, then a key (0: none) and ticks; then the window's own loop runs,
    // and is closed once it has no more input.
    struct Case {
        const char* what;
        int downs, key, ticks;
        ui::WindowEnd reason;
    };
    const Case cases[] = {
        {"end item", 6, VK_SPACE, 1, ui::WindowEnd::Ended},
        {"window closed", 0, 0, 2, ui::WindowEnd::Closed},
        {"closed in a duel", 0, VK_SPACE, 3, ui::WindowEnd::Closed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Game game;
        WriteFile(game.SettingsFile(), "aria=大阪\r\nname=侍\r\nserver=http://scores.test\r\n");
        auto& window = game.Start();
        for (int i = 0; i < c.downs; ++i) {
            window.ReleaseKey(VK_DOWN);
        }
        if (c.key) {
            window.ReleaseKey(c.key);
        }
        for (int i = 0; i < c.ticks; ++i) {
            window.Tick();
        }
        game.dlg->DoModal();
        EXPECT_EQ(game.system.Window()->EndReason(), c.reason);
        EXPECT_EQ(ReadFile(game.SettingsFile()), "aria=大阪\nname=侍\nserver=http://scores.test\n")
            << "rewritten, the server line kept";
        // Nothing writes them again afterwards.
        std::filesystem::remove(game.SettingsFile());
        game.dlg.reset();
        EXPECT_FALSE(std::filesystem::exists(game.SettingsFile()));
    }
}

TEST(Profile, LineBreaksInValuesAreRefusedNotWritten) {
    platform::headless::HeadlessSystem system; // a private config folder
    const fs::path path = platform::ProfileStore::PathFor("velsoft", "kirikazeJ");
    platform::ProfileStore store(path);
    ASSERT_TRUE(store.Set("name", "before"));
    for (const std::string& bad :
         {std::string("a\nserver=evil"), std::string("a\rb"), std::string("a\0b", 3)}) {
        EXPECT_FALSE(store.Set("name", bad));
        EXPECT_EQ(store.Get("name", ""), "before");
    }
    EXPECT_FALSE(store.Set("a=b", "x"));
    EXPECT_FALSE(store.Set("", "x"));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(ReadFile(path), "name=before\n");
}

TEST(Profile, AFailedSaveLeavesTheOldFileAsItWas) {
    platform::headless::HeadlessSystem system;
    const fs::path path = platform::ProfileStore::PathFor("velsoft", "kirikazeJ");
    WriteFile(path, "aria=Secret\nname=old\n");
    platform::ProfileStore store(path);
    ASSERT_TRUE(store.Load());
    store.Set("name", std::string(4096, 'n'));

    // No file may grow past 256 bytes: the write fails midway.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 256;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStderr();
    const bool saved = store.Save();
    const std::string err = testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(path), "aria=Secret\nname=old\n");
    EXPECT_NE(err.find(path.string()), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    int leftovers = 0;
    for (const auto& entry : fs::directory_iterator(path.parent_path())) {
        leftovers += entry.path() != path;
    }
    EXPECT_EQ(leftovers, 0) << "no temporary file left behind";
}

TEST(DesktopSettings, ScaleAndRumbleAsWrittenByHand) {
    struct Case {
        const char* file;
        int scale;
        bool rumble;
    };
    // Out of range or not a number: the plain size; only an explicit 0 turns
    // rumble off; the last line of a key counts, as for the game's own values.
    const Case cases[] = {
        {"", 1, true},
        {"scale=2\n", 2, true},
        {"scale=4\nrumble=0\n", 4, false},
        {"scale=0\n", 1, true},
        {"scale=5\n", 1, true},
        {"scale = 3 \nrumble = 0\n", 3, false},
        {"scale=2x\n", 1, true},
        {"rumble=1\n", 1, true},
        {"rumble=off\n", 1, true},
        {"scale=2\nscale=3\nrumble=0\nrumble=1\n", 3, true},
    };
    platform::headless::HeadlessSystem system;
    const std::string path = platform::ProfileStore::PathFor("velsoft", "kirikazeJ");
    for (const Case& c : cases) {
        WriteFile(path, c.file);
        const DesktopSettings settings = DesktopSettings::Load("velsoft", "kirikazeJ");
        EXPECT_EQ(settings.scale, c.scale) << c.file;
        EXPECT_EQ(settings.rumble, c.rumble) << c.file;
    }
    std::filesystem::remove(path);
    EXPECT_EQ(DesktopSettings::Load("velsoft", "kirikazeJ").scale, 1) << "no file at all";
}

} // namespace
