#include "ui/pad_keys.h"

#include "platform/keys.h"

#include <algorithm>

namespace ui {

PadKey PadKeys::GameKey(PadInput input) {
    switch (input) {
    case PadInput::DpadUp:
        return {VK_UP, {}};
    case PadInput::DpadDown:
        return {VK_DOWN, {}};
    case PadInput::South:
        return {VK_SPACE, {}};
    case PadInput::Back:
        return {VK_ESCAPE, {}};
    case PadInput::LeftShoulder:
        return {'7', {}};
    case PadInput::RightShoulder:
        return {'9', {}};
    case PadInput::LeftTrigger:
        return {'1', {}};
    case PadInput::RightTrigger:
        return {'3', {}};
    default:
        return {};
    }
}

PadKey PadKeys::DialogKey(PadInput input) {
    switch (input) {
    case PadInput::DpadUp:
        return {VK_UP, {}};
    case PadInput::DpadDown:
        return {VK_DOWN, {}};
    case PadInput::DpadLeft:
        return {VK_TAB, {true, false, false}};
    case PadInput::DpadRight:
        return {VK_TAB, {}};
    case PadInput::South:
        return {VK_RETURN, {}};
    case PadInput::East:
        return {VK_ESCAPE, {}};
    default:
        return {};
    }
}

bool PadKeys::IsHeld(int pad, PadInput input) const {
    return std::any_of(m_held.begin(), m_held.end(),
                       [&](const Held& h) { return h.pad == pad && h.input == input; });
}

PadKey PadKeys::Button(int pad, PadInput input, bool down, PadTarget target) {
    if (down) {
        // Pressed twice without a release between (a controller that
        // repeats itself) is still one press.
        if (IsHeld(pad, input)) {
            return {};
        }
        m_held.push_back({pad, input, target});
        return target == PadTarget::Dialog ? DialogKey(input) : PadKey{};
    }
    const auto it = std::find_if(m_held.begin(), m_held.end(),
                                 [&](const Held& h) { return h.pad == pad && h.input == input; });
    // A release without its press (a controller plugged in with the button
    // held) is no key at all.
    if (it == m_held.end()) {
        return {};
    }
    const PadTarget pressedFor = it->target;
    m_held.erase(it);
    if (pressedFor != target || target != PadTarget::Game) {
        return {};
    }
    return GameKey(input);
}

PadKey PadKeys::Trigger(int pad, PadInput trigger, int value, PadTarget target) {
    const bool held = IsHeld(pad, trigger);
    if (!held && value >= kTriggerDown) {
        return Button(pad, trigger, true, target);
    }
    if (held && value < kTriggerUp) {
        return Button(pad, trigger, false, target);
    }
    return {};
}

void PadKeys::Forget(int pad) {
    std::erase_if(m_held, [&](const Held& h) { return h.pad == pad; });
}

} // namespace ui
