// A game controller in the hand: its buttons reach the game as the key
// releases the scenes already understand, and a dialog as key presses.
#include "platform/headless/headless_system.h"
#include "platform/keys.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using ui::PadInput;
using platform::headless::HeadlessSystem;
using platform::headless::HeadlessWindow;

// What the game hears from its window: only the key releases matter here.
class KeyLog : public platform::WindowEvents {
public:
    void OnWindowTick(int) override {}
    void OnWindowKeyUp(int vk) override { keys.push_back(vk); }
    void OnWindowPaint() override {}
    void OnWindowDestroy() override {}
    std::vector<int> keys;
};

struct Act {
    enum Kind { Down, Up, Press, Trigger };
    Kind kind;
    PadInput input = PadInput::South;
    int value = 0; // a trigger's position
    int pad = 0;
};

std::vector<int> KeysFrom(const std::vector<Act>& acts) {
    HeadlessSystem system;
    system.Pads().Connect(0);
    system.Pads().Connect(1);
    KeyLog log;
    auto window = system.Windows().CreateMainWindow({732, 570, "test", {}}, log);
    auto& headless = static_cast<HeadlessWindow&>(*window);
    for (const Act& act : acts) {
        switch (act.kind) {
        case Act::Down:
        case Act::Up:
            headless.PadButton(act.input, act.kind == Act::Down, act.pad);
            break;
        case Act::Press:
            headless.PadPress(act.input, act.pad);
            break;
        case Act::Trigger:
            headless.PadTrigger(act.input, act.value, act.pad);
            break;
        }
    }
    return log.keys;
}

TEST(PadKeys, ButtonsGiveTheKeyReleasesOfTheirKeys) {
    struct Case {
        const char* what;
        std::vector<Act> acts;
        std::vector<int> keys;
    };
    const Case cases[] = {
        {"D-pad up", {{Act::Press, PadInput::DpadUp}}, {VK_UP}},
        {"D-pad down", {{Act::Press, PadInput::DpadDown}}, {VK_DOWN}},
        {"south", {{Act::Press, PadInput::South}}, {VK_SPACE}},
        {"back", {{Act::Press, PadInput::Back}}, {VK_ESCAPE}},
        {"left shoulder", {{Act::Press, PadInput::LeftShoulder}}, {'7'}},
        {"right shoulder", {{Act::Press, PadInput::RightShoulder}}, {'9'}},
        {"left trigger",
         {{Act::Trigger, PadInput::LeftTrigger, 32767}, {Act::Trigger, PadInput::LeftTrigger, 0}},
         {'1'}},
        {"right trigger",
         {{Act::Trigger, PadInput::RightTrigger, 32767}, {Act::Trigger, PadInput::RightTrigger, 0}},
         {'3'}},
        {"a trigger counts as let go only below a quarter of its travel",
         {{Act::Trigger, PadInput::LeftTrigger, 32767}, {Act::Trigger, PadInput::LeftTrigger, 8192}},
         {}},
        {"a trigger never half pressed",
         {{Act::Trigger, PadInput::LeftTrigger, 16383}, {Act::Trigger, PadInput::LeftTrigger, 0}},
         {}},
        {"a trigger just pressed, just let go",
         {{Act::Trigger, PadInput::LeftTrigger, 16384}, {Act::Trigger, PadInput::LeftTrigger, 8191}},
         {'1'}},
        {"buttons the game has no use for",
         {{Act::Press, PadInput::East},
          {Act::Press, PadInput::West},
          {Act::Press, PadInput::North},
          {Act::Press, PadInput::Start},
          {Act::Press, PadInput::Guide},
          {Act::Press, PadInput::DpadLeft},
          {Act::Press, PadInput::DpadRight},
          {Act::Press, PadInput::LeftStick},
          {Act::Press, PadInput::RightStick}},
         {}},
        {"held down, nothing yet", {{Act::Down, PadInput::South}}, {}},
        {"two controllers at once",
         {{Act::Down, PadInput::RightShoulder, 0, 0},
          {Act::Down, PadInput::RightShoulder, 0, 1},
          {Act::Up, PadInput::RightShoulder, 0, 0},
          {Act::Up, PadInput::RightShoulder, 0, 1}},
         {'9', '9'}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeysFrom(c.acts), c.keys) << c.what;
    }
}

} // namespace
