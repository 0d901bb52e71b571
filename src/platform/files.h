#pragma once
// The few file operations the game needs besides the INI service.
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// An ordinary file (not a directory) exists at the path.
bool FileExists(const std::filesystem::path& path);

// Creates a new file holding the lines, each followed by CR LF. Only where
// nothing is yet: never through a link, into a pipe or over a directory. A
// file that could not be written whole is removed again. Returns an empty
// string on success, else what went wrong.
std::string CreateFileWithLines(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace platform
