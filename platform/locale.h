#pragma once
#include "text/language.h"

namespace platform {

// The process's locale variables, as the desktop session set them.
text::LocaleVariables ReadLocaleVariables();

} // namespace platform
