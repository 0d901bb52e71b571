#pragma once
// The few file operations the game needs besides the INI service.
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// An ordinary file (not a directory) exists at the path.
bool FileExists(const std::filesystem::path& path);

// Appends the lines, each followed by CR LF, creating the file when missing.
// Returns an empty string on success, else what went wrong.
std::string AppendLines(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace platform
