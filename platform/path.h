#pragma once
#include <string>
#include <string_view>

namespace platform {

// The game writes its data paths Windows-style ("\image\sam1.ypg" after the
// data folder); on Linux every backslash is a folder separator.
std::string NativePath(std::string_view gamePath);

} // namespace platform
