#include "platform/headless/headless_system.h"
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

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

class Profile : public ::testing::Test {
protected:
    platform::headless::HeadlessSystem system; // a private config folder
    fs::path path = platform::ProfileStore::PathFor("velsoft", "kirikazeJ");
};

TEST_F(Profile, LivesInTheUsersConfigFolder) {
    EXPECT_EQ(path, fs::path(system.ConfigHome()) / "velsoft/kirikazeJ/settings.ini");
}

TEST_F(Profile, JapaneseValuesSurviveARoundTripAndUnknownLinesStay) {
    WriteFile(path, "# written by hand\nserver=http://example.org:8080\nrumble=0\naria=Secret\n");
    platform::ProfileStore store(path);
    ASSERT_TRUE(store.Load());
    EXPECT_EQ(store.Get("aria", ""), "Secret");
    EXPECT_EQ(store.Get("name", "none"), "none");
    ASSERT_TRUE(store.Set("aria", "東京"));
    ASSERT_TRUE(store.Set("name", "剣士 たろう = 1"));
    ASSERT_TRUE(store.Save());

    EXPECT_EQ(ReadFile(path), "# written by hand\nserver=http://example.org:8080\nrumble=0\n"
                              "aria=東京\nname=剣士 たろう = 1\n");
    platform::ProfileStore again(path);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Get("aria", ""), "東京");
    EXPECT_EQ(again.Get("name", ""), "剣士 たろう = 1");
    EXPECT_EQ(again.Get("server", ""), "http://example.org:8080");
    EXPECT_FALSE(fs::exists(path.string() + ".damaged"));
}

TEST_F(Profile, DamagedOrUnreadableFilesGiveTheDefaults) {
    struct Case {
        const char* what;
        std::string content;
        bool damaged; // kept beside the new file when saved
    };
    const Case cases[] = {
        {"Shift_JIS bytes, not UTF-8", "name=\x8c\x95\x8e\x6d\n", true},
        {"a NUL byte", std::string("name=a\0b\n", 9), true},
        {"a cut-off UTF-8 character", "name=\xE6\x9D\n", true},
        {"far too large", std::string(2 << 20, 'x'), true},
    };
    for (const Case& c : cases) {
        fs::remove_all(path.parent_path());
        WriteFile(path, c.content);
        platform::ProfileStore store(path);
        EXPECT_FALSE(store.Load()) << c.what;
        EXPECT_EQ(store.Get("name", "default"), "default") << c.what;
        store.Set("name", "new");
        ASSERT_TRUE(store.Save()) << c.what;
        EXPECT_EQ(ReadFile(path), "name=new\n") << c.what;
        EXPECT_EQ(ReadFile(path.string() + ".damaged"), c.content) << c.what << ": not lost";
    }
    // A folder where the file should be cannot be read: defaults again.
    fs::remove_all(path.parent_path());
    fs::create_directories(path);
    platform::ProfileStore store(path);
    EXPECT_FALSE(store.Load());
    EXPECT_EQ(store.Get("aria", ""), "");
    // A missing file is simply the first run.
    platform::ProfileStore fresh((path.parent_path() / "nothing.ini").string());
    EXPECT_FALSE(fresh.Load());
    EXPECT_EQ(fresh.Get("aria", "x"), "x");
}

TEST_F(Profile, LineBreaksInValuesAreRefusedNotWritten) {
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

TEST_F(Profile, AFailedSaveLeavesTheOldFileAsItWas) {
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

TEST_F(Profile, AnUnwritableLocationFailsWithOneLine) {
    // The config folder's place is taken by a plain file.
    fs::remove_all(system.ConfigHome());
    WriteFile(system.ConfigHome(), "");
    platform::ProfileStore store(path);
    store.Set("name", "x");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.Save());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    fs::remove(system.ConfigHome());
    fs::create_directories(system.ConfigHome());
}

} // namespace
