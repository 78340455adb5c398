#include "platform/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <vector>

namespace platform {

std::string GetCurrentDir() {
    // Grow the buffer until the path fits: there is no fixed limit to obey.
    std::vector<char> buffer(512);
    while (true) {
        if (getcwd(buffer.data(), buffer.size())) {
            return std::string(buffer.data());
        }
        if (errno != ERANGE || buffer.size() > (1u << 24)) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string MapPath(const std::string& gamePath) {
    std::string path = gamePath;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool FileExists(const std::string& gamePath) {
    struct stat info {};
    return stat(MapPath(gamePath).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool DirectoryExists(const std::string& gamePath) {
    struct stat info {};
    return stat(MapPath(gamePath).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::string> ReadSmallFile(const std::string& path, size_t maxBytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string text(maxBytes + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad() || static_cast<size_t>(file.gcount()) > maxBytes) {
        return std::nullopt;
    }
    text.resize(static_cast<size_t>(file.gcount()));
    return text;
}

} // namespace platform
