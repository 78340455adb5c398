#pragma once
#include "duel/replay.h"

namespace duel {

// Runs a replay's duel again, with nobody watching, and says how it ended.
class Referee {
public:
    enum class Outcome {
        Won,     // the last enemy fell to the replay's last input
        Lost,    // lost, or still going when the inputs ran out
        TooFast, // a guard came sooner after its swing than a person can
    };
    struct Verdict {
        Outcome outcome = Outcome::Lost;
        int score = 0; // mistakes made
    };

    // Nobody answers a swing they heard in less than this.
    static constexpr int kFastestGuardMs = 100;

    static Verdict Judge(const Replay& replay);
};

} // namespace duel
