#include "ui/pad_keys.h"

#include "platform/keys.h"

#include <algorithm>

namespace ui {

namespace {

struct Mapping {
    PadInput input;
    PadKey key;
};

// The game hears the keys of its menu and its duel.
constexpr Mapping kGameKeys[] = {
    {PadInput::DpadUp, {VK_UP, {}}},     {PadInput::DpadDown, {VK_DOWN, {}}},
    {PadInput::South, {VK_SPACE, {}}},   {PadInput::Back, {VK_ESCAPE, {}}},
    {PadInput::LeftShoulder, {'7', {}}}, {PadInput::RightShoulder, {'9', {}}},
    {PadInput::LeftTrigger, {'1', {}}},  {PadInput::RightTrigger, {'3', {}}},
};

// A dialog hears the keys that move between and answer its controls.
constexpr Mapping kDialogKeys[] = {
    {PadInput::DpadUp, {VK_UP, {}}},
    {PadInput::DpadDown, {VK_DOWN, {}}},
    {PadInput::DpadLeft, {VK_TAB, {true, false, false}}},
    {PadInput::DpadRight, {VK_TAB, {}}},
    {PadInput::South, {VK_RETURN, {}}},
    {PadInput::East, {VK_ESCAPE, {}}},
};

template <size_t N> PadKey Find(const Mapping (&table)[N], PadInput input) {
    for (const Mapping& m : table) {
        if (m.input == input) {
            return m.key;
        }
    }
    return {};
}

} // namespace

PadKey PadKeys::GameKey(PadInput input) {
    return Find(kGameKeys, input);
}

PadKey PadKeys::DialogKey(PadInput input) {
    return Find(kDialogKeys, input);
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
