#pragma once
// The score dialog's template: its texts, its control ids and where each
// control stands, in dialog units as it was laid out.

namespace resources {

// Dialog units become pixels with the base units the main window was
// measured in (6 x 13 pixels, see main_window.h): x * 6 / 4 and y * 13 / 8,
// each edge on its own, rounded down.
constexpr int DialogUnitsToPixelsX(int x) {
    return x * 6 / 4;
}
constexpr int DialogUnitsToPixelsY(int y) {
    return y * 13 / 8;
}

struct DialogUnitRect {
    int x;
    int y;
    int cx;
    int cy;
};

namespace send_net {

inline constexpr char kTitle[] = "ネットに記録しますか?";
// The template's face; a Japanese name, so the stand-in face writes kana.
inline constexpr char kFontFace[] = "ＭＳ ＵＩ ゴシック";
inline constexpr int kFontTenthsOfPoint = 110;

inline constexpr int kIdCombo = 1001;
inline constexpr int kIdEdit = 1002;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

inline constexpr DialogUnitRect kDialog{0, 0, 194, 98};

inline constexpr char kNameLabel[] = "名前";
inline constexpr DialogUnitRect kNameLabelRect{7, 14, 38, 11};
inline constexpr DialogUnitRect kNameEditRect{55, 7, 132, 24};
inline constexpr char kAreaLabel[] = "地域";
inline constexpr DialogUnitRect kAreaLabelRect{7, 37, 38, 11};
inline constexpr DialogUnitRect kAreaComboRect{54, 37, 133, 35};
inline constexpr char kOkText[] = "送信";
inline constexpr DialogUnitRect kOkRect{24, 77, 50, 14};
inline constexpr char kCancelText[] = "閉じる";
inline constexpr DialogUnitRect kCancelRect{106, 77, 50, 14};

// The score server keeps names of up to 32 characters; the field takes no
// more, so a name typed in full is never refused after the duel.
inline constexpr int kNameMaxChars = 32;

// Said and shown when 送信 is pressed with no area chosen.
inline constexpr char kChooseArea[] = "地域を選んでください。";

} // namespace send_net

} // namespace resources
