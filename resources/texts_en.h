#pragma once
// The English edition's texts, each beside the Japanese one it stands for in
// texts.h and send_net_dialog.h. Every line is short enough to stand whole in
// the window at the point size of its scene.

namespace texts::en {

inline constexpr char kCaption[] = "Kirikaze";

inline constexpr const char* kMenuItems[] = {
    "Tutorial", "Easy", "Normal", "Hard", "Online scores", "Update", "Quit",
};

inline constexpr char kDuelChance[] = "Chance!";
inline constexpr char kDuelWon[] = "Congratulations!";

// The keys keep their names: a digit of the keypad or a letter.
inline constexpr const char* kTutorialLines[][2] = {
    {"You are a brave samurai.", "You defeat your enemies."},
    {"You fight enemies one on one.", ""},
    {"The enemy attacks with his sword.", ""},
    {"Block the enemy's sword,", "find your chance and strike."},
    {"A high sound on the left:", "the blade comes from upper left."},
    {"Press 7 or A.", ""},
    {"A low sound on the left:", "the blade comes from lower left."},
    {"Press 1 or Z.", ""},
    {"A high sound on the right:", "the blade comes from upper right."},
    {"Press 9 or K.", ""},
    {"A low sound on the right:", "the blade comes from lower right."},
    {"Press 3 or M.", ""},
    {"When you hear the chance sound,", "press 5 or the space bar."},
    {"Defeat one, and the next appears.", ""},
    {"5 mistakes and you lose.", ""},
    {"Easy mode:", "defeat 5 enemies to win."},
    {"Normal mode:", "defeat 10 enemies to win."},
    {"Hard mode:", "defeat 50 enemies to win."},
    {"This is the end of the tutorial.", ""},
};

// The score dialog.
inline constexpr char kSendTitle[] = "Record your score online?";
inline constexpr char kNameLabel[] = "Name";
inline constexpr char kAreaLabel[] = "Area";
inline constexpr char kOkText[] = "Send";
inline constexpr char kCancelText[] = "Close";
// The box over the game while a score is being sent.
inline constexpr char kSending[] = "Sending…";
inline constexpr char kSendingCancel[] = "Cancel";
inline constexpr char kChooseArea[] = "Please choose an area.";
// アップデート without an updater beside the data.
inline constexpr char kUpdaterMissing[] = "The update program was not found.";
inline constexpr char kReplayUnplayable[] = "This replay cannot be played.";

} // namespace texts::en
