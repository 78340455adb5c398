#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace platform {

// The folder the game was started in, of any length; empty when it cannot be
// read (removed, say).
std::string GetCurrentDir();

// The game writes paths with backslashes ("\sound\kin.ywv"); every backslash
// becomes a slash here. Every file function below maps its path this way.
std::string MapPath(const std::string& gamePath);

bool FileExists(const std::string& gamePath);      // a regular file (or a link to one)
bool DirectoryExists(const std::string& gamePath); // a folder (or a link to one)

// The whole of a file the player names (taken as given, not mapped); nothing
// when it cannot be read or holds more than maxBytes.
std::optional<std::string> ReadSmallFile(const std::string& path, size_t maxBytes);

} // namespace platform
