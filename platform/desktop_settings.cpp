#include "platform/desktop_settings.h"

#include <charconv>

namespace platform {

namespace {

// Hand-written lines often carry blanks around the value ("scale = 2").
std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A whole number and nothing else.
bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

} // namespace

DesktopSettings DesktopSettings::Read(const ProfileStore& profile) {
    DesktopSettings settings;
    int scale = 0;
    if (ParseInt(Trimmed(profile.Get("scale", "")), scale) && scale >= kMinScale &&
        scale <= kMaxScale) {
        settings.scale = scale;
    }
    settings.rumble = Trimmed(profile.Get("rumble", "1")) != "0";
    return settings;
}

DesktopSettings DesktopSettings::Load(const std::string& company, const std::string& app) {
    const std::string path = ProfileStore::PathFor(company, app);
    if (path.empty()) {
        return {};
    }
    ProfileStore profile(path);
    profile.Load();
    return Read(profile);
}

} // namespace platform
