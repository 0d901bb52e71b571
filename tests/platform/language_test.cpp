// The player's language from the environment, as gettext reads it, and a
// text in that language.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "platform/language.h"

namespace {

using platform::Language;

Language languageOf(const std::map<std::string, std::string>& environment) {
    return platform::languageOfList(platform::languagesOfEnvironment([&](const char* name) -> std::optional<std::string> {
        const auto found = environment.find(name);
        if (found == environment.end()) return std::nullopt;
        return found->second;
    }));
}

TEST(PlayersLanguage, FollowsTheEnvironmentAsGettextDoes) {
    struct Case {
        std::map<std::string, std::string> environment;
        Language expected;
    };
    const Case cases[] = {
        {{}, Language::Japanese},
        {{{"LANG", "en_US.UTF-8"}}, Language::English},
        {{{"LANG", "de_DE.UTF-8"}}, Language::Japanese},
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "de:en"}}, Language::English},
        {{{"LANG", "en_GB.UTF-8"}, {"LANGUAGE", "ja:en"}}, Language::Japanese},
        {{{"LC_ALL", "ja_JP.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}}, Language::Japanese},
        // The C locale speaks the program's own language, whatever LANGUAGE says.
        {{{"LC_ALL", "C.UTF-8"}, {"LANGUAGE", "en"}}, Language::Japanese},
    };
    for (const Case& c : cases) {
        std::string described;
        for (const auto& [name, value] : c.environment) described += name + "=" + value + " ";
        EXPECT_EQ(languageOf(c.environment), c.expected) << described;
    }
}

TEST(PlayersLanguage, BrowserTagsCountAndUnknownTextsStayJapanese) {
    EXPECT_EQ(platform::languageOfList({"fr-FR", "EN-us", "ja"}), Language::English);
    EXPECT_EQ(platform::inLanguage(Language::English, "どこにもない文"), "どこにもない文");
}

}  // namespace
