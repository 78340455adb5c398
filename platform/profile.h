#pragma once
#include <string>
#include <vector>

namespace platform {

// The per-user settings: "key=value" lines of UTF-8 in one small file. The file
// is read whole and written whole; a write goes to a temporary file that is
// renamed over the old one, so a crash or a full disk never leaves half a file.
// Lines the game does not know (settings of later versions, comments) are kept
// as they are when the file is written again.
class ProfileStore {
public:
    // $XDG_CONFIG_HOME/<company>/<app>/settings.ini (~/.config when the
    // variable is unset or not absolute); empty when there is no home at all.
    static std::string PathFor(const std::string& company, const std::string& app);

    explicit ProfileStore(std::string path) : m_path(std::move(path)) {}

    // Reads the file. A missing, unreadable or damaged file (not UTF-8 text,
    // NUL bytes, absurdly large) leaves no values and returns false; a damaged
    // one is reported with one line on stderr.
    bool Load();

    std::string Get(const std::string& key, const std::string& fallback) const;

    // Values are single lines: a value holding CR, LF or NUL (or a key that is
    // empty or holds '=' or a line break) is refused with one line on stderr
    // and the stored value stays as it was.
    bool Set(const std::string& key, const std::string& value);

    // Writes the file atomically. On failure: one line on stderr, false, and
    // the old file untouched. A damaged file is kept beside the new one as
    // settings.ini.damaged instead of being lost.
    bool Save();

    const std::string& Path() const { return m_path; }

private:
    struct Line {
        std::string key; // empty for lines that hold no value (comments, junk)
        std::string value;
        std::string raw;
    };

    std::string m_path;
    std::vector<Line> m_lines;
    bool m_damaged = false; // the file read was damaged: keep a copy at the next save
};

} // namespace platform
