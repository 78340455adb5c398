#include "platform/game_path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {

std::string NativePath(std::string_view gamePath) {
    std::string path(gamePath);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool PathFound(std::string_view gamePath) {
    std::error_code error;
    return std::filesystem::exists(NativePath(gamePath), error);
}

} // namespace platform
