// A game controller in the hand: its buttons reach the game as the key
// releases the scenes already understand, and a dialog as key presses.
#include "online/DlgSendNet.h"
#include "platform/headless/headless_system.h"
#include "platform/keys.h"
#include "shell_game.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::headless::HeadlessSystem;
using platform::headless::HeadlessWindow;
using ui::PadInput;
using Step = platform::headless::HeadlessScoreDialogs::Step;

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
    enum Kind { Down, Up, Press, Trigger, Unplug };
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
        case Act::Unplug:
            system.Pads().Disconnect(act.pad);
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
        {"a press is acted on when let go",
         {{Act::Down, PadInput::LeftShoulder},
          {Act::Press, PadInput::DpadDown},
          {Act::Up, PadInput::LeftShoulder}},
         {VK_DOWN, '7'}},
        {"a release without its press", {{Act::Up, PadInput::South}}, {}},
        {"pressed twice, released once",
         {{Act::Down, PadInput::South},
          {Act::Down, PadInput::South},
          {Act::Up, PadInput::South},
          {Act::Up, PadInput::South}},
         {VK_SPACE}},
        {"a controller not plugged in", {{Act::Press, PadInput::South, 0, 7}}, {}},
        {"unplugged while held",
         {{Act::Down, PadInput::South}, {Act::Unplug}, {Act::Up, PadInput::South}},
         {}},
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

TEST(PadKeys, ATriggerIsReleasedOnlyWellBelowWhereItWasPressed) {
    struct Case {
        const char* what;
        std::vector<int> positions;
        int releases;
    };
    const Case cases[] = {
        {"all the way and back", {32767, 0}, 1},
        {"never half pressed", {16383, 0}, 0},
        {"just pressed, just released", {16384, 8192, 8191}, 1},
        {"resting near half never chatters",
         {16000, 17000, 15000, 17000, 9000, 17000, 15500, 16500},
         0},
        {"a shaky full press", {30000, 27000, 32767, 24000, 31000, 0}, 1},
        {"pressed twice", {20000, 10000, 20000, 3000, 25000, 1000}, 2},
        {"creeping down slowly", {32767, 24000, 16000, 12000, 9000, 8500, 8191, 4000, 0}, 1},
    };
    for (const Case& c : cases) {
        std::vector<Act> acts;
        for (int position : c.positions) {
            acts.push_back({Act::Trigger, PadInput::LeftTrigger, position});
        }
        const std::vector<int> keys = KeysFrom(acts);
        EXPECT_EQ(keys, std::vector<int>(c.releases, '1')) << c.what;
    }
}

TEST(PadKeys, TheMenuIsChosenWithTheControllerAlone) {
    kztest::Game game;
    game.system.Pads().Connect(0);
    HeadlessWindow& window = game.Start();
    window.PadPress(PadInput::DpadDown);
    window.PadPress(PadInput::DpadDown);
    window.PadPress(PadInput::DpadUp);
    window.PadPress(PadInput::South);
    window.Tick();
    ASSERT_EQ(game.dlg->m_nScene, 2) << "a duel started";
    EXPECT_EQ(game.dlg->m_pSceenGame->m_nLevel, 2) << "at イージー";
    // Back leaves the duel for the menu.
    window.PadPress(PadInput::Back);
    window.Tick();
    EXPECT_EQ(game.dlg->m_nScene, 1);
}

TEST(PadKeys, TheScoreDialogIsWorkedWithTheDpadSouthAndEast) {
    struct Case {
        const char* what;
        std::vector<Step> script;
        int result;
        std::string area; // after OK
    };
    const Case cases[] = {
        {"right to the area list, down one, south sends",
         {Step::Pad(PadInput::DpadRight), Step::Pad(PadInput::DpadDown),
          Step::Pad(PadInput::DpadDown), Step::Pad(PadInput::DpadUp), Step::Pad(PadInput::South)},
         CDlgSendNet::IDOK,
         "Afghanistan"},
        {"up and down on the name field change nothing",
         {Step::Pad(PadInput::DpadDown), Step::Pad(PadInput::South)},
         CDlgSendNet::IDOK,
         "Secret"},
        {"left goes back to the name field, away from the list",
         {Step::Pad(PadInput::DpadRight), Step::Pad(PadInput::DpadLeft),
          Step::Pad(PadInput::DpadDown), Step::Pad(PadInput::South)},
         CDlgSendNet::IDOK,
         "Secret"},
        {"east cancels", {Step::Pad(PadInput::East)}, CDlgSendNet::IDCANCEL, ""},
        {"south on 閉じる presses it",
         {Step::Pad(PadInput::DpadLeft), Step::Pad(PadInput::South)},
         CDlgSendNet::IDCANCEL,
         ""},
        {"the game's keys do nothing here",
         {Step::Pad(PadInput::LeftShoulder), Step::Pad(PadInput::Back), Step::Pad(PadInput::North)},
         CDlgSendNet::IDCANCEL, // the script ran out: closed as with Escape
         ""},
    };
    for (const Case& c : cases) {
        HeadlessSystem system;
        system.Pads().Connect(0);
        system.ScoreDialogs().AddScript(c.script);
        CDlgSendNet dlg;
        dlg.m_strName = "武蔵";
        const int result = dlg.DoModal();
        EXPECT_EQ(result, c.result) << c.what;
        if (result == CDlgSendNet::IDOK) {
            EXPECT_EQ(dlg.m_strArea, c.area) << c.what;
            EXPECT_EQ(dlg.m_strName, "武蔵") << c.what;
        }
    }
}

} // namespace
