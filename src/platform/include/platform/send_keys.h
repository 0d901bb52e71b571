#pragma once
// What a SendKeys string asks for, read the same way by every backend.
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// The key a string such as "{Esc}" names, as a virtual-key code: a key name
// in braces, in any letter case. Esc is the one key the game sends;
// anything else names no key and is ignored.
std::optional<int16_t> sentKey(std::string_view keys);

}  // namespace platform
