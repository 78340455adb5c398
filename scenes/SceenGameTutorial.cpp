#include "scenes/SceenGame.h"

// The tutorial (level 1) runs its script here: TutorialStep on every frame
// whose deadline has passed while the scene is in its tutorial state, and
// TutorialKey for each key released while a practice key is expected. The
// script itself has not been written yet; until it is, the tutorial state
// waits and Escape leaves it.

void CSceenGame::TutorialStep() {}

void CSceenGame::TutorialKey(unsigned nChar) {
    (void)nChar;
}
