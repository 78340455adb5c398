#pragma once
// Which language the game plays in: the player's own choice in the settings,
// else what the desktop session's locale says.

#include <string>
#include <string_view>

namespace text {

enum class Language { Japanese, English };

// The locale variables that name the language of messages, as POSIX consults
// them: LC_ALL over LC_MESSAGES over LANG. Empty means not set.
struct LocaleVariables {
    std::string lcAll;
    std::string lcMessages;
    std::string lang;
};

// setting: the "lang" value of the settings file ("ja" or "en"; anything
// else is no choice). Without a choice, a Japanese locale ("ja...") plays in
// Japanese, any other set locale in English, and no locale at all in
// Japanese, the game's own language.
Language ChooseLanguage(std::string_view setting, const LocaleVariables& locale);

} // namespace text
