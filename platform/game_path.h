#pragma once
// The game names its data files Windows-style, with backslashes
// ("\sound\kin.ywv"); the file system wants slashes.

#include <string>
#include <string_view>

namespace platform {

std::string NativePath(std::string_view gamePath);
// Whether anything (file or folder) exists at the game path, as a file search
// on the exact name would find it. Never throws.
bool PathFound(std::string_view gamePath);

} // namespace platform
