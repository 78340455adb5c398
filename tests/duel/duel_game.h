#pragma once
// A duel on the headless backend, as the player gets it: the real main window
// and scene, the real sound player and mixer rendering the generated data
// pack, and a log of what reached the sound device.
#include "backends/headless/headless_audio.h"
#include "duel/sound_log.h"
#include "shell_game.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace duel_test {

// The game's working folder is the generated data pack, as scripts/play has it.
struct DuelGame : kztest::Game {
    // level: 1 tutorial, 2 easy, 3 normal, 4 hard; 0 stays on the menu.
    // seed: the random sequence the duel draws its directions, rolls and voices from.
    // replay: the file the game is started with, as by --replay.
    explicit DuelGame(int level, unsigned seed = 1, uint32_t startTick = 1000,
                      const std::string& replay = "")
        : kztest::Game(startTick, KZ_DATA_DIR), audio(system.Audio()), log(audio, KZ_DATA_DIR) {
        platform::Services services = system.Installed();
        services.audio = &log;
        system.Reinstall(services);
        replayFile = replay;
        window = &Start();
        // The menu is the same in every run; from here on the duel's own.
        std::srand(seed);
        log.Clear();
        if (level > 0) {
            dlg->ChangeScene(2, level - 1);
        }
        heardUntil = Now();
    }

    // The game goes before the sound log it plays into.
    ~DuelGame() { dlg.reset(); }

    CSceenGame& Game() { return *dlg->m_pSceenGame; }
    bool InDuel() const { return dlg->m_nScene == 2 && dlg->m_pSceenGame; }
    uint32_t Now() const { return platform::GetTickCount(); }

    // One 100 ms frame; the output plays along.
    void Frame() {
        window->Tick();
        CatchUp();
    }
    // Plays the output up to the present, so sounds end when they would.
    void CatchUp() {
        if (const auto behind = static_cast<int32_t>(Now() - heardUntil); behind > 0) {
            audio.RenderMs(static_cast<uint32_t>(behind));
            heardUntil = Now();
        }
    }
    // Listens ahead of the clock (time stands still for the game).
    platform::headless::RenderedAudio Listen(uint32_t ms) {
        CatchUp();
        heardUntil += ms;
        return audio.RenderMs(ms);
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            Frame();
        }
    }
    // Frames until the duel is in that state; false when it never got there.
    bool RunUntil(int state, int maxFrames = 200) {
        for (int i = 0; i < maxFrames && InDuel(); ++i) {
            if (Game().m_nState == state) {
                return true;
            }
            Frame();
        }
        return InDuel() && Game().m_nState == state;
    }
    void Key(int vk) { window->ReleaseKey(vk); }
    // The block key that answers the attack under way.
    static int BlockKey(int direction) {
        static const int kKeys[5] = {0, '7', '9', '1', '3'};
        return direction >= 1 && direction <= 4 ? kKeys[direction] : 0;
    }
    static int WrongKey(int direction) { return BlockKey(direction == 1 ? 2 : 1); }

    // The lines the last paint showed.
    std::vector<std::string> LinesShown() {
        auto& canvas = window->GetCanvas();
        canvas.ClearTextLog();
        window->RequestRepaint();
        window->Pump();
        std::vector<std::string> lines;
        for (const auto& draw : canvas.TextLog()) {
            lines.push_back(draw.text);
        }
        return lines;
    }

    platform::headless::HeadlessAudio& audio;
    SoundLog log;
    platform::headless::HeadlessWindow* window = nullptr;
    uint32_t heardUntil = 0; // the output has been played up to this tick
};

inline bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Frames until the next attack has begun (its swing has just started).
inline bool AwaitAttack(DuelGame& g, int maxFrames = 200) {
    int i = 0;
    for (; i < maxFrames && g.InDuel() && g.Game().m_nState == CSceenGame::kAttack; ++i) {
        g.Frame();
    }
    for (; i < maxFrames && g.InDuel() && g.Game().m_nState != CSceenGame::kAttack; ++i) {
        g.Frame();
    }
    return g.InDuel() && g.Game().m_nState == CSceenGame::kAttack;
}

// Frames until the attack under way has closed.
inline void AwaitWindowClose(DuelGame& g, int maxFrames = 50) {
    for (int i = 0; i < maxFrames && g.InDuel() && g.Game().m_nState == CSceenGame::kAttack; ++i) {
        g.Frame();
    }
}

inline void BlockAttack(DuelGame& g) {
    g.Key(DuelGame::BlockKey(g.Game().m_nPicture));
}

// Blocks attack after attack until the chance opens, then strikes.
inline bool DefeatEnemy(DuelGame& g) {
    for (int attacks = 0; attacks < 10; ++attacks) {
        if (!AwaitAttack(g)) {
            return false;
        }
        BlockAttack(g);
        if (g.Game().m_nBlocksLeft < 0) {
            g.Key(VK_SPACE);
            return true;
        }
    }
    return false;
}

// Lets attacks close unblocked until that many mistakes are made.
inline bool MakeMistakes(DuelGame& g, int count) {
    while (g.InDuel() && g.Game().m_nDamage < count) {
        if (!AwaitAttack(g)) {
            return false;
        }
        AwaitWindowClose(g);
    }
    return g.InDuel() && g.Game().m_nDamage == count;
}

} // namespace duel_test
