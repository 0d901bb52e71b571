#pragma once
// Our stand-in for the Windows INI service: single keys read and written in a
// small text file, every other byte of the file left alone. The text rules
// are ini_text's, the file handling safe_file's.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/failure.h"
#include "platform/ini_text.h"

namespace platform::ini {

// GetPrivateProfileString: the value, or `fallback` when the file, section or
// key is missing.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view fallback, const std::filesystem::path& file);

// WritePrivateProfileString: creates the file when missing; replaces it
// atomically and keeps its permissions; a file the player made read-only is
// refused, not replaced. Nothing when the value was saved, else why not.
std::optional<Failure> WritePrivateProfileString(std::string_view section, std::string_view key,
                                                 std::string_view value, const std::filesystem::path& file);

}  // namespace platform::ini
