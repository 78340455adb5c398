#include "platform/path.h"

#include <algorithm>

namespace platform {

std::string NativePath(std::string_view gamePath) {
    std::string path(gamePath);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace platform
