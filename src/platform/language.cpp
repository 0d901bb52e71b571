#include "platform/language.h"

#include <algorithm>
#include <cctype>

#include "translations.h"

namespace platform {

namespace {

// "en_US.UTF-8", "en-US", "en@quot" and "EN" all name English.
std::string primaryTag(std::string_view entry) {
    const std::size_t end = entry.find_first_of("_-.@");
    std::string tag(entry.substr(0, end));
    std::transform(tag.begin(), tag.end(), tag.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tag;
}

bool isPlainCLocale(const std::string& locale) {
    return locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0;
}

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        if (end > start) entries.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

}  // namespace

Language languageOfList(const std::vector<std::string>& languages) {
    for (const std::string& entry : languages) {
        const std::string tag = primaryTag(entry);
        if (tag == "ja") return Language::Japanese;
        if (tag == "en") return Language::English;
    }
    return Language::Japanese;
}

std::vector<std::string> languagesOfEnvironment(
    const std::function<std::optional<std::string>(const char* name)>& variable) {
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::optional<std::string> value = variable(name);
        if (value && !value->empty()) {
            locale = *value;
            break;
        }
    }
    // gettext too speaks the program's own language in the C locale,
    // whatever LANGUAGE says.
    if (locale.empty() || isPlainCLocale(locale)) return {};
    std::vector<std::string> languages;
    if (const std::optional<std::string> list = variable("LANGUAGE"); list && !list->empty()) languages = splitList(*list);
    languages.push_back(locale);
    return languages;
}

std::string inLanguage(Language language, std::string_view japanese) {
    if (language == Language::Japanese) return std::string(japanese);
    const auto found = std::lower_bound(
        std::begin(translations::kEnglish), std::end(translations::kEnglish), japanese,
        [](const translations::Entry& entry, std::string_view key) { return entry.japanese < key; });
    if (found != std::end(translations::kEnglish) && found->japanese == japanese) return std::string(found->english);
    return std::string(japanese);
}

}  // namespace platform
