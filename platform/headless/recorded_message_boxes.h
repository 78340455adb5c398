#pragma once
#include "platform/message_box.h"

#include <functional>
#include <string>
#include <vector>

namespace platform::headless {

// Records every box instead of showing it; the box counts as closed at once.
// A test may hook what happens while a box is open (nested ticks, say).
class RecordedMessageBoxes : public MessageBoxes {
public:
    struct Box {
        std::string text;
        std::string caption;
        bool owned = false;
    };

    void Show(const std::string& text, const std::string& caption, bool owned) override {
        m_boxes.push_back({text, caption, owned});
        if (m_whileOpen) {
            m_whileOpen(m_boxes.back());
        }
    }

    const std::vector<Box>& Boxes() const { return m_boxes; }
    void Clear() { m_boxes.clear(); }
    void SetWhileOpen(std::function<void(const Box&)> hook) { m_whileOpen = std::move(hook); }

private:
    std::vector<Box> m_boxes;
    std::function<void(const Box&)> m_whileOpen;
};

} // namespace platform::headless
