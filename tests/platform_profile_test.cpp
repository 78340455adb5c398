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

} // namespace
