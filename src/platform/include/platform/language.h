#pragma once
// The languages the game speaks. Japanese is its own; English stands beside
// it, from a catalogue of translations (po/en.po) compiled into the program.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class Language { Japanese, English };

// The first of Japanese and English named in a list of the player's
// languages, in their order ("de:en_GB" is English, "ja-JP, en" Japanese);
// Japanese when the list names neither. Entries are locale names ("en",
// "en_US.UTF-8", "en@quot") or browser language tags ("en-US").
Language languageOfList(const std::vector<std::string>& languages);

// The player's languages as gettext takes them from the environment:
// LANGUAGE (a colon-separated list), unless the locale is C or POSIX, then
// the locale itself, the first set of LC_ALL, LC_MESSAGES and LANG.
// `variable` reads one variable (getenv in the program, a table in tests).
std::vector<std::string> languagesOfEnvironment(
    const std::function<std::optional<std::string>(const char* name)>& variable);

// The text in this language: the Japanese as it stands, or its English
// from the catalogue (the Japanese again where the catalogue has none).
std::string inLanguage(Language language, std::string_view japanese);

}  // namespace platform
