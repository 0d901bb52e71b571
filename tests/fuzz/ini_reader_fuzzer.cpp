// Fuzz target: any bytes as the content of MT.INI, read through
// platform::ini::findValue.
//
// Checked for every lookup (the game's three fixed ones, and names taken from
// the input's own section headers and key lines, as spelled and in swapped
// letter case):
// - findValue never crashes, and agrees with the plain line-list reading in
//   ini_model.h;
// - a found value has at most 255 characters and no line end; it starts or
//   ends with a blank only when the stored value was quoted (the quotes come
//   off after the blanks), or ends with one when it was cut at 255;
// - names match without regard to ASCII case;
// - the first section of a name wins: a later section of the same name,
//   appended to the text, changes no answer.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "ini_model.h"
#include "platform/ini_file.h"

namespace {

using fuzz::escaped;
namespace model = fuzz::ini_model;

std::string swapCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - ('a' - 'A'));
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return out;
}

bool startsOrEndsQuoted(const std::string& raw) {
    return raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front();
}

std::string describe(std::string_view text, std::string_view section, std::string_view key) {
    return "  text    " + escaped(text) + "\n  section " + escaped(section) + "\n  key     " +
           escaped(key);
}

std::string shown(const std::optional<std::string>& v) { return v ? escaped(*v) : "(none)"; }

void checkLookup(std::string_view text, const std::vector<model::Classified>& parsed,
                 const std::string& section, const std::string& key) {
    const std::optional<std::string> value = platform::ini::findValue(text, section, key);
    const std::optional<std::string> expected = model::find(parsed, section, key);
    FUZZ_CHECK(value == expected, describe(text, section, key) + "\n  found    " + shown(value) +
                                      "\n  expected " + shown(expected));

    FUZZ_CHECK(platform::ini::findValue(text, swapCase(section), swapCase(key)) == value,
               describe(text, section, key) + "\n  letter case changed the answer");

    if (value) {
        const std::string& v = *value;
        FUZZ_CHECK(v.size() <= platform::ini::kMaxValueLength,
                   describe(text, section, key) + "\n  value of " + std::to_string(v.size()) +
                       " characters");
        FUZZ_CHECK(v.find('\n') == std::string::npos,
                   describe(text, section, key) + "\n  value spans lines: " + escaped(v));
        const std::string raw = model::rawValue(parsed, section, key).value_or("");
        const bool quotedValue = startsOrEndsQuoted(raw);
        const bool cut = raw.size() - (quotedValue ? 2 : 0) > platform::ini::kMaxValueLength;
        if (!v.empty() && model::isBlank(v.front())) {
            FUZZ_CHECK(quotedValue, describe(text, section, key) + "\n  leading blank in " +
                                        escaped(v) + " from " + escaped(raw));
        }
        if (!v.empty() && model::isBlank(v.back())) {
            FUZZ_CHECK(quotedValue || cut, describe(text, section, key) +
                                               "\n  trailing blank in " + escaped(v) + " from " +
                                               escaped(raw));
        }
    }

    // A later section of the same name is never read.
    const bool sectionExists = model::locate(parsed, section, key).sectionFound;
    const std::string later = std::string(text) + "\r\n[" + section + "]\r\n" + key + "=later\r\n";
    const std::optional<std::string> afterAppend = platform::ini::findValue(later, section, key);
    if (sectionExists) {
        FUZZ_CHECK(afterAppend == value, describe(text, section, key) +
                                             "\n  a later duplicate section changed " +
                                             shown(value) + " into " + shown(afterAppend));
    } else {
        FUZZ_CHECK(afterAppend == std::optional<std::string>("later"),
                   describe(text, section, key) + "\n  an appended section reads as " +
                       shown(afterAppend));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::vector<std::pair<std::string, std::string>> lookups = {
        {"Kousan", "Kaisu"}, {"Tyutai", "Kaisu"}, {"Time", "1st"}};
    const std::vector<model::Classified> parsed = model::classifyAll(model::splitLines(text));
    const model::Names names = model::namesIn(parsed, 4);
    for (const auto& section : names.sections) {
        for (const auto& key : names.keys) lookups.emplace_back(section, key);
        lookups.emplace_back(section, "Kaisu");
    }
    for (const auto& key : names.keys) lookups.emplace_back("Kousan", key);

    for (const auto& [section, key] : lookups) checkLookup(text, parsed, section, key);
    return 0;
}
