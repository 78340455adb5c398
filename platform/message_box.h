#pragma once
#include <string>

namespace platform {

// Modal box with the given text and caption and one OK button; returns when
// the player has closed it. While it is open the backend keeps delivering
// frame ticks to the main window (at most one waiting), but no keys.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // owned: the box belongs to the main window (which is disabled meanwhile);
    // otherwise it has no owner window.
    virtual void Show(const std::string& text, const std::string& caption, bool owned) = 0;
};

// Through the installed backend; without one the text goes to stderr, so a
// failure is never swallowed silently.
void ShowMessageBox(const std::string& text, const std::string& caption, bool owned = false);

} // namespace platform
