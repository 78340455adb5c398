#include "platform/profile.h"
#include "text/ascii.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace platform {

namespace {

// Far above anything the game writes; a bigger file is not ours.
constexpr size_t kMaxFileSize = 1 << 20;

bool IsValidUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size()) {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

std::string HomeDir() {
    if (const char* home = std::getenv("HOME"); home && *home) {
        return home;
    }
    if (const passwd* user = getpwuid(getuid()); user && user->pw_dir) {
        return user->pw_dir;
    }
    return {};
}

bool MakeDirs(const std::string& dir) {
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// The whole file, up to one byte past the size limit. False when it is
// missing, not a regular file, or cannot be read.
bool ReadWhole(const std::string& path, std::string& text) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    char buffer[8192];
    while (ok && text.size() <= kMaxFileSize) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return ok;
}

void ReportSaveFailure(const std::string& path, int error) {
    std::fprintf(stderr, "kirikazeJ: could not save the settings to %s: %s\n", path.c_str(),
                 std::strerror(error));
}

} // namespace

std::string ProfileStore::PathFor(const std::string& company, const std::string& app) {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        base = config;
    } else if (std::string home = HomeDir(); !home.empty()) {
        base = home + "/.config";
    } else {
        return {};
    }
    const std::string companyPart = company.empty() ? "" : "/" + company;
    return base + companyPart + "/" + app + "/settings.ini";
}

bool ProfileStore::Load() {
    m_lines.clear();
    m_damaged = false;
    if (m_path.empty()) {
        return false;
    }
    std::string text;
    if (!ReadWhole(m_path, text)) {
        return false;
    }
    if (text.size() > kMaxFileSize || text.find('\0') != std::string::npos || !IsValidUtf8(text)) {
        m_damaged = true;
        std::fprintf(stderr, "kirikazeJ: the settings file %s is damaged; starting afresh\n",
                     m_path.c_str());
        return false;
    }
    std::istringstream lines(text);
    std::string raw;
    while (std::getline(lines, raw)) {
        if (!raw.empty() && raw.back() == '\r') {
            raw.pop_back();
        }
        Line line{{}, {}, raw};
        const size_t eq = raw.find('=');
        if (eq != std::string::npos && raw[0] != '#' && raw[0] != ';') {
            line.key = text::Trim(raw.substr(0, eq), text::kSpaces);
            line.value = raw.substr(eq + 1);
        }
        m_lines.push_back(std::move(line));
    }
    return true;
}

std::string ProfileStore::Get(const std::string& key, const std::string& fallback) const {
    for (auto it = m_lines.rbegin(); it != m_lines.rend(); ++it) {
        if (!it->key.empty() && it->key == key) {
            return it->value;
        }
    }
    return fallback;
}

bool ProfileStore::Set(const std::string& key, const std::string& value) {
    const bool keyOk = !key.empty() && text::Trim(key, text::kSpaces) == key &&
                       key.find_first_of("=\r\n#;", 0) == std::string::npos &&
                       key.find('\0') == std::string::npos;
    const bool valueOk = value.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
    if (!keyOk || !valueOk) {
        std::fprintf(stderr, "kirikazeJ: the setting \"%s\" holds a line break; not stored\n",
                     key.c_str());
        return false;
    }
    // One line per key: the last one is the one that counts, the others go.
    size_t kept = m_lines.size();
    for (size_t i = m_lines.size(); i-- > 0;) {
        if (m_lines[i].key == key) {
            kept = i;
            break;
        }
    }
    if (kept == m_lines.size()) {
        m_lines.push_back({});
    }
    m_lines[kept] = {key, value, key + "=" + value};
    for (size_t i = kept; i-- > 0;) {
        if (m_lines[i].key == key) {
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    return true;
}

bool ProfileStore::Save() {
    if (m_path.empty()) {
        std::fprintf(stderr, "kirikazeJ: no home folder; the settings are not saved\n");
        return false;
    }
    const size_t slash = m_path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : m_path.substr(0, slash);
    if (slash != std::string::npos && slash > 0 && !MakeDirs(dir)) {
        ReportSaveFailure(m_path, errno);
        return false;
    }
    std::string text;
    for (const Line& line : m_lines) {
        text += line.raw;
        text += '\n';
    }
    std::string temp = m_path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        ReportSaveFailure(m_path, errno);
        return false;
    }
    bool ok = WriteAll(fd, text) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && m_damaged) {
        // Keep what was there for whoever wants to look at it.
        rename(m_path.c_str(), (m_path + ".damaged").c_str());
        m_damaged = false;
    }
    if (ok && rename(temp.c_str(), m_path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        ReportSaveFailure(m_path, error);
        return false;
    }
    // The rename itself must reach the disk too.
    if (const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY); dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

} // namespace platform
