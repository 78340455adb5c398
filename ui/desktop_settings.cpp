#include "ui/desktop_settings.h"
#include "text/ascii.h"

#include <charconv>

namespace ui {

namespace {

// A whole number and nothing else.
bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

} // namespace

DesktopSettings DesktopSettings::Read(const platform::ProfileStore& profile) {
    DesktopSettings settings;
    int scale = 0;
    // Hand-written lines often carry blanks around the value ("scale = 2").
    if (ParseInt(text::Trim(profile.Get("scale", ""), text::kSpaces), scale) &&
        scale >= kMinScale && scale <= kMaxScale) {
        settings.scale = scale;
    }
    settings.rumble = text::Trim(profile.Get("rumble", "1"), text::kSpaces) != "0";
    return settings;
}

DesktopSettings DesktopSettings::Load(const std::string& company, const std::string& app) {
    const std::string path = platform::ProfileStore::PathFor(company, app);
    if (path.empty()) {
        return {};
    }
    platform::ProfileStore profile(path);
    profile.Load();
    return Read(profile);
}

} // namespace ui
