#pragma once
// Our stand-in for the Windows INI service: single keys read and written in a
// small text file, every other byte of the file left alone.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/failure.h"

namespace platform::ini {

// At most this many characters of a value are seen by a read.
inline constexpr std::size_t kMaxValueLength = 255;

// The value of `key` in `section` of the INI text, or nullopt when the section or
// key is missing. Names match without regard to ASCII case; blanks around the
// value are dropped, one pair of matching quotes is removed, the result is cut
// to kMaxValueLength characters.
std::optional<std::string> findValue(std::string_view text, std::string_view section,
                                     std::string_view key);

// The INI text with `key` in `section` set to `value`: the key's line replaced
// in place (keeping the key's spelling and the line's own line end), a missing
// key added after the section's last key line, a missing section appended with
// its key. Every other line stays byte for byte.
std::string withValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value);

// GetPrivateProfileString: the value, or `fallback` when the file, section or
// key is missing.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view fallback, const std::filesystem::path& file);

// WritePrivateProfileString: creates the file when missing. The write is atomic
// (a temporary file beside it, flushed, then renamed over it) and keeps the
// file's permissions; a file the user made read-only is refused, not replaced.
// Nothing when the value was saved, else why not.
std::optional<Failure> WritePrivateProfileString(std::string_view section, std::string_view key,
                                                 std::string_view value, const std::filesystem::path& file);

// Removes what an interrupted write (a killed program, a power cut) left
// beside `file`: temporary copies that were never renamed over it. Only safe
// while no other writer runs.
void RemoveStaleTemporaries(const std::filesystem::path& file);

}  // namespace platform::ini
