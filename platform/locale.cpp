#include "platform/locale.h"

#include <cstdlib>

namespace platform {

namespace {
std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
} // namespace

text::LocaleVariables ReadLocaleVariables() {
    return {Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG")};
}

} // namespace platform
