#include "platform/files.h"
#include "platform/shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;

TEST(SplitParameters, SplitsAsAWindowsProgramReceivesItsArguments) {
    struct Case {
        std::string line;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {" /FILE=kirikazeJ /SERVER_PATH=kirikazeJ /APPTITLE=kirikazeJ",
         {"/FILE=kirikazeJ", "/SERVER_PATH=kirikazeJ", "/APPTITLE=kirikazeJ"}},
        {"", {}},
        {"   \t ", {}},
        {"a  b\tc", {"a", "b", "c"}},
        {"\"two words\" three", {"two words", "three"}},
        {"a\"b c\"d", {"ab cd"}},
        {"C:\\data\\x.exe", {"C:\\data\\x.exe"}},
        {"\\\\\"q", {"\\q"}},     // 2 backslashes + quote: one backslash, quote opens
        {"\\\"q\\\"", {"\"q\""}}, // backslash + quote: a literal quote
        {"\"\"", {""}},
        {"\"a\"\"b\"", {"a\"b"}},
        {"end\\", {"end\\"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::SplitParameters(c.line), c.args) << c.line;
    }
}

TEST(Files, PathsMapBackslashesAndTheWorkingFolderIsReported) {
    EXPECT_EQ(platform::MapPath("/data\\sound\\menu\\end.ywv"), "/data/sound/menu/end.ywv");
    EXPECT_EQ(platform::GetCurrentDir(), fs::current_path().string());
    const fs::path dir = fs::temp_directory_path() / "kz-files-test";
    fs::create_directories(dir / "sound");
    std::ofstream(dir / "sound" / "kin.ywv") << "x";
    EXPECT_TRUE(platform::FileExists(dir.string() + "\\sound\\kin.ywv"));
    EXPECT_FALSE(platform::FileExists(dir.string() + "\\sound"));
    EXPECT_TRUE(platform::DirectoryExists(dir.string() + "\\sound"));
    EXPECT_FALSE(platform::DirectoryExists(dir.string() + "\\image"));
    fs::remove_all(dir);
}

TEST(Files, AVeryLongWorkingFolderIsReportedWhole) {
    const fs::path before = fs::current_path();
    fs::path deep = fs::temp_directory_path() / "kz-deep";
    for (int i = 0; i < 12; ++i) {
        deep /= std::string(60, static_cast<char>('a' + i));
    }
    fs::create_directories(deep);
    fs::current_path(deep);
    const std::string reported = platform::GetCurrentDir();
    fs::current_path(before);
    EXPECT_GT(reported.size(), 700u);
    EXPECT_EQ(reported, deep.string());
    fs::remove_all(fs::temp_directory_path() / "kz-deep");
}

// Children of this process that have ended but were never reaped.
int Zombies() {
    std::ifstream selfStat("/proc/self/stat");
    std::string self;
    selfStat >> self;
    int zombies = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) {
            continue;
        }
        // pid (comm) state ppid ...
        const size_t close = line.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(close + 2));
        std::string state, ppid;
        rest >> state >> ppid;
        zombies += state == "Z" && ppid == self;
    }
    return zombies;
}

TEST(PosixLauncher, StartsTheProgramWithItsArgumentsAndReapsIt) {
    const fs::path dir = fs::temp_directory_path() / "kz-launch-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path out = dir / "args.txt";
    const fs::path program = dir / "NetUpcall.exe";
    std::ofstream(program) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \""
                           << out.string() << ".tmp\"\nmv \"" << out.string() << ".tmp\" \""
                           << out.string() << "\"\n";
    fs::permissions(program, fs::perms::owner_all);

    platform::PosixLauncher launcher;
    const auto started = std::chrono::steady_clock::now();
    launcher.StartProgram(dir.string() + "\\NetUpcall.exe",
                          " /FILE=kirikazeJ /SERVER_PATH=kirikazeJ /APPTITLE=kirikazeJ");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2))
        << "not waited for";
    for (int i = 0; i < 200 && !fs::exists(out); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    std::ifstream in(out);
    std::stringstream args;
    args << in.rdbuf();
    EXPECT_EQ(args.str(), "/FILE=kirikazeJ\n/SERVER_PATH=kirikazeJ\n/APPTITLE=kirikazeJ\n");

    int zombies = Zombies();
    for (int i = 0; i < 200 && zombies > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        zombies = Zombies();
    }
    EXPECT_EQ(zombies, 0);

    // A missing program is no error and starts nothing.
    testing::internal::CaptureStderr();
    launcher.StartProgram(dir.string() + "\\missing.exe", " /FILE=x");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    fs::remove_all(dir);
}

} // namespace
