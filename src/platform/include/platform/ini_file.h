#pragma once
// Our stand-in for the Windows INI service: single keys read and written in a
// small text file, every other byte of the file left alone. The text rules
// are ini_text's, the file handling safe_file's.
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/failure.h"
#include "platform/ini_text.h"

namespace platform::ini {

// A record file is a few hundred bytes. One larger than this is damaged: it
// reads as empty, and a write to it is refused, so it is never read whole or
// rewritten.
inline constexpr std::size_t kLargestFile = 1 << 20;

// The file's text, read once for any number of findValue calls: empty when
// the file is missing, unreadable or larger than kLargestFile.
std::string ReadText(const std::filesystem::path& file);

// GetPrivateProfileString: the value, or `fallback` when the file, section or
// key is missing.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view fallback, const std::filesystem::path& file);

struct Entry {
    std::string_view section, key, value;
};

// Sets several keys in one replacement of the file: all of them are saved
// or none. Otherwise as WritePrivateProfileString.
std::optional<Failure> WriteValues(const std::filesystem::path& file, std::span<const Entry> entries);

// WritePrivateProfileString: creates the file when missing; replaces it
// atomically and keeps its permissions; a file the player made read-only is
// refused, not replaced, and so is one too large to be a record file.
// Nothing when the value was saved, else why not.
std::optional<Failure> WritePrivateProfileString(std::string_view section, std::string_view key,
                                                 std::string_view value, const std::filesystem::path& file);

}  // namespace platform::ini
