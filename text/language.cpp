#include "text/language.h"

#include "text/ascii.h"

namespace text {

Language ChooseLanguage(std::string_view setting, const LocaleVariables& locale) {
    const std::string chosen = AsciiLower(Trim(setting));
    if (chosen == "ja") {
        return Language::Japanese;
    }
    if (chosen == "en") {
        return Language::English;
    }
    // An empty variable counts as unset, as it does for the C library.
    for (const std::string* name : {&locale.lcAll, &locale.lcMessages, &locale.lang}) {
        if (!name->empty()) {
            return name->rfind("ja", 0) == 0 ? Language::Japanese : Language::English;
        }
    }
    return Language::Japanese;
}

} // namespace text
