#pragma once
// The rules of an INI file's text: sections, keys and values, found and
// changed without regard to ASCII case, every other byte left alone.
#include <optional>
#include <string>
#include <string_view>

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

}  // namespace platform::ini
