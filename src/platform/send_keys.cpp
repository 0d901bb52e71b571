#include "platform/send_keys.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <utility>

#include "platform/types.h"

namespace platform {

std::optional<int16_t> sentKey(std::string_view keys) {
    if (keys.size() < 3 || keys.front() != '{' || keys.back() != '}') return std::nullopt;
    std::string name(keys.substr(1, keys.size() - 2));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    static constexpr std::array<std::pair<std::string_view, int16_t>, 2> kNamed{{
        {"ESC", vk::kEscape},
        {"ESCAPE", vk::kEscape},
    }};
    for (const auto& [known, code] : kNamed)
        if (name == known) return code;
    return std::nullopt;
}

}  // namespace platform
