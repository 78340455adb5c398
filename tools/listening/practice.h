#pragma once
// Before the first duel a player hears what a high and a low swing sound
// like. This plays the game's own swing both ways through the game's sound
// player and mixer (headless, so nothing reaches the speakers) and remembers.
#include "listening/listening_bot.h"

#include <string>

namespace listening {

// dataDir: the data pack, as the game names it (its swing is dataDir +
// "\sound\huri.ywv"). Installs a headless platform while it practises and puts
// back whatever was installed before.
PitchMemory PractiseSwings(const std::string& dataDir);

} // namespace listening
