#pragma once
// The game's own fixed texts, exactly as the player and the outside world see them.

namespace texts {

// The main window.
inline constexpr char kCaption[] = "キリカゼ";

// The menu items, in their order; the chosen index is the menu's command.
inline constexpr const char* kMenuItems[] = {
    "説明", "イージー", "ノーマル", "ハード", "ネット記録", "アップデート", "終了",
};
inline constexpr int kMenuItemCount = sizeof(kMenuItems) / sizeof(kMenuItems[0]);

// The face every scene writes in.
inline constexpr char kFontFace[] = "ＭＳ　ゴシック";

// Settings: the company key, and the default score server when none is set.
inline constexpr char kCompanyKey[] = "velsoft";
inline constexpr char kDefaultScoreServer[] = "http://localhost:8765";

// The score table page on the score server.
inline constexpr char kScoreTablePath[] = "/game/kirikaze/GameResult.asp";

// The updater beside the data, and its arguments.
inline constexpr char kUpdaterFile[] = "\\NetUpcall.exe";
inline constexpr char kUpdaterFileArg[] = " /FILE=";
inline constexpr char kUpdaterServerPathArg[] = " /SERVER_PATH=";
inline constexpr char kUpdaterAppTitleArg[] = " /APPTITLE=";
inline constexpr char kUpdaterValue[] = "kirikazeJ";

// The duel's lines on screen; the mistake count follows "DAMAGE!".
inline constexpr char kDuelDamage[] = "DAMAGE!";
inline constexpr char kDuelChance[] = "チャンス!";
inline constexpr char kDuelWon[] = "おめでとう!";

} // namespace texts
