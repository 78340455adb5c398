// The process entry for play: the SDL services, then the game.
#include "backends/sdl/sdl_system.h"
#include "resources/texts.h"
#include "shell/KirikazeJApp.h"
#include "ui/desktop_settings.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The application's name is the executable's file name without extension.
std::string AppName(const char* argv0) {
    std::string name = argv0 ? argv0 : "";
    if (const size_t slash = name.rfind('/'); slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name.empty() ? "kirikazeJ" : name;
}

} // namespace

int main(int argc, char** argv) {
    const std::string appName = AppName(argc > 0 ? argv[0] : nullptr);
    // kirikazeJ --replay FILE plays a won duel again by ear (a browser hands
    // a downloaded replay over this way); nothing else is taken.
    std::string replayFile;
    if (argc == 3 && std::strcmp(argv[1], "--replay") == 0) {
        replayFile = argv[2];
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: %s [--replay FILE]\n", appName.c_str());
        return 2;
    }
    // The window's size and the controller's rumble are the desktop's
    // business, read from the same settings file the game keeps its own in.
    platform::sdl::SdlSystem system(ui::DesktopSettings::Load(texts::kCompanyKey, appName));
    CKirikazeJApp app(appName);
    app.m_strReplayFile = replayFile;
    app.InitInstance();
    return app.ExitCode();
}
