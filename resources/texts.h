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
// The score server of ours installed beside the game, which stands in at that
// address when nothing else answers there.
inline constexpr char kLocalScoreServer[] = "kirikaze-scored";
inline constexpr int kDefaultScorePort = 8765;

// The score table page on the score server.
inline constexpr char kScoreTablePath[] = "/game/kirikaze/GameResult.asp";

// The updater beside the data, and its arguments.
inline constexpr char kUpdaterFile[] = "\\NetUpcall.exe";
inline constexpr char kUpdaterFileArg[] = " /FILE=";
inline constexpr char kUpdaterServerPathArg[] = " /SERVER_PATH=";
inline constexpr char kUpdaterAppTitleArg[] = " /APPTITLE=";
inline constexpr char kUpdaterValue[] = "kirikazeJ";
// Said and shown when no updater stands beside the data: the game stays.
inline constexpr char kUpdaterMissing[] = "アップデートプログラムが見つかりません。";
inline constexpr char kReplayUnplayable[] = "このリプレイは再生できません。";

// The box that stands while a score is on its way; Escape takes it back.
inline constexpr char kSending[] = "送信中…";
inline constexpr char kSendingCancel[] = "キャンセル";

// The duel's lines on screen; the mistake count follows "DAMAGE!".
inline constexpr char kDuelDamage[] = "DAMAGE!";
inline constexpr char kDuelChance[] = "チャンス!";
inline constexpr char kDuelWon[] = "おめでとう!";

// The tutorial's lines, one row per step: the first line, and the second
// ("" where the step shows one). The letters of the four key steps and the
// digit of the five mistakes are full-width; every other digit is ASCII.
inline constexpr int kTutorialStepCount = 19;
inline constexpr const char* kTutorialLines[kTutorialStepCount][2] = {
    {"あなたは、勇敢な侍です。あなたは敵を倒します", ""},
    {"あなたは、1対1で敵と戦います。", ""},
    {"敵は、刀で襲ってきます。", ""},
    {"あなたは、相手の刀を受けとめながら", "チャンスを見つけて攻撃します"},
    {"左のスピーカーから高い音がすれば刀は左上", ""},
    {"7か、Ａを押してください", ""},
    {"左のスピーカーから低い音がすれば刀は左下", ""},
    {"1か、Ｚを押してください", ""},
    {"右のスピーカーから高い音がすれば刀は右上", ""},
    {"9か、Ｋを押してください", ""},
    {"右のスピーカーから低い音がすれば刀は右下", ""},
    {"3か、Ｍを押してください", ""},
    {"あなたは、チャンスの音が聞こえたら", "5か、スペースキーを押してください"},
    {"倒すことができれば、次の敵が現れます", ""},
    {"５回間違えると負けです", ""},
    {"イージーモードでは、5人の敵を倒せば勝ちです", ""},
    {"ノーマルモードでは、10人の敵を倒せば勝ちです", ""},
    {"ハードモードでは、50人の敵を倒せば勝ちです", ""},
    {"これでチュートリアルを終わります", ""},
};

} // namespace texts
