#pragma once
// The score server's protocol as the game speaks it: one GET per won duel,
// answered by text lines between two marker lines.

namespace resources::score_protocol {

inline constexpr char kSubmitPath[] = "/game/kirikaze/GameSet.asp";
inline constexpr char kArea[] = "?aria=";
inline constexpr char kName[] = "&name=";
inline constexpr char kMode[] = "&mode=0";
inline constexpr char kLevel[] = "&level=";
inline constexpr char kScore[] = "&score=";
// The won duel itself, for the server to play again before it stores the
// score; after the five fields the exchange always had.
inline constexpr char kReplay[] = "&replay=";

inline constexpr char kDataStart[] = "DATA_START";
inline constexpr char kDataEnd[] = "DATA_END";
inline constexpr char kLineBreak[] = "<P>";

// What the player is shown when the answer carried no message.
inline constexpr char kNoAnswer[] = "Err";

} // namespace resources::score_protocol
