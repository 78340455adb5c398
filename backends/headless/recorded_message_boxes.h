#pragma once
#include "platform/message_box.h"

#include <string>
#include <vector>

namespace platform::headless {

// Records every box instead of showing it; the box counts as closed at once.
class RecordedMessageBoxes : public MessageBoxes {
public:
    struct Box {
        std::string text;
        std::string caption;
        bool owned = false;
    };

    void Show(const std::string& text, const std::string& caption, bool owned) override {
        m_boxes.push_back({text, caption, owned});
    }

    const std::vector<Box>& Boxes() const { return m_boxes; }
    void Clear() { m_boxes.clear(); }

private:
    std::vector<Box> m_boxes;
};

} // namespace platform::headless
