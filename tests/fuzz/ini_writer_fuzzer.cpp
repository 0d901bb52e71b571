// Fuzz target: one write into any MT.INI content, through
// platform::ini::withValue and, for one input in sixteen, through the real
// WritePrivateProfileString / GetPrivateProfileString on a file.
//
// Input layout: four control bytes, then the file's content.
//   byte 0  which section: one named in the text, one of the game's, or a new
//           name cut from the text
//   byte 1  which key, chosen the same way
//   byte 2  which value: empty, a count, a time, a piece of the text (up to
//           255 characters)
//   byte 3  bits 0-3 all zero: also go through the file functions;
//           bit 4/5: swap the letter case of the section/key name;
//           bit 6: with the file functions, start without a file
//
// Names and values are made safe for the service's contract first: no CR or
// LF, names non-empty without "=" and without blanks around them, a section
// name without "[" or "]", a key name that does not start with "[" or ";"
// (such a line would be a header or a comment), a value of at most 255
// characters without blanks around it and not wrapped in a pair of quotes.
//
// Checked:
// - withValue gives exactly the text the documented edit rules give
//   (ini_model.h): one line replaced, or one key line inserted, or the
//   section appended, every other line byte for byte;
// - findValue then returns the value written;
// - every other (section, key) pair built from the names in the original
//   text reads the same before and after;
// - through the files: the write succeeds, the file holds what withValue
//   gives, no temporary file is left, and GetPrivateProfileString reads the
//   value back (and the fallback for a missing key).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "ini_model.h"
#include "platform/ini_file.h"
#include "platform/number_text.h"

namespace {

namespace fs = std::filesystem;
using fuzz::escaped;
namespace model = fuzz::ini_model;

constexpr const char* kFallback = "\x01(fallback)";

fs::path g_scratch;  // a private directory for the file round trips

void removeScratch() {
    if (g_scratch.empty()) return;
    std::error_code ignored;
    fs::remove_all(g_scratch, ignored);
}

std::string swapCase(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - ('a' - 'A'));
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return s;
}

enum class NameKind { Section, Key };

std::string safeName(std::string name, NameKind kind) {
    for (char& c : name) {
        if (c == '\r' || c == '\n' || c == '=' ||
            (kind == NameKind::Section && (c == '[' || c == ']'))) {
            c = '_';
        }
    }
    name = model::trim(name);
    if (kind == NameKind::Key && !name.empty() && (name.front() == '[' || name.front() == ';')) {
        name.front() = '_';
    }
    if (name.empty()) name = "n";
    return name;
}

std::string safeValue(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    for (;;) {
        if (value.size() > platform::ini::kMaxValueLength) value.resize(platform::ini::kMaxValueLength);
        value = model::trim(value);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value.pop_back();
            continue;
        }
        return value;
    }
}

// A piece of the text starting at a place chosen by `selector`.
std::string pieceOf(std::string_view text, unsigned selector, std::size_t length) {
    if (text.empty()) return {};
    const std::size_t start = (selector * 37u) % text.size();
    return std::string(text.substr(start, length));
}

std::string chooseName(std::string_view text, unsigned char control,
                       const std::vector<std::string>& named,
                       const std::vector<std::string>& fixed, NameKind kind) {
    const unsigned how = control % 4;
    const unsigned which = control / 4;
    std::string name;
    if (how <= 1 && !named.empty()) {
        name = named[which % named.size()];
    } else if (how == 3) {
        name = pieceOf(text, which, 1 + which % 12);
    } else {
        name = fixed[which % fixed.size()];
    }
    return safeName(std::move(name), kind);
}

std::uint32_t wordFrom(std::string_view text, unsigned offset) {
    std::uint32_t word = 0;
    for (unsigned i = 0; i < 4 && !text.empty(); ++i) {
        word = (word << 8) | static_cast<unsigned char>(text[(offset + i) % text.size()]);
    }
    return word;
}

std::string chooseValue(std::string_view text, unsigned char control) {
    const unsigned which = control / 8;
    switch (control % 8) {
        case 0:
            return "";
        case 1:
            return platform::CountText(static_cast<std::int32_t>(wordFrom(text, which)));
        case 2: {
            const std::uint32_t bits = wordFrom(text, which);
            float time = 0;
            static_assert(sizeof time == sizeof bits);
            std::memcpy(&time, &bits, sizeof time);
            return safeValue(platform::SingleText(time));
        }
        case 3:
            return safeValue(pieceOf(text, which, 300));
        default:
            return safeValue(pieceOf(text, which, 1 + which));
    }
}

std::string show(const std::optional<std::string>& v) { return v ? escaped(*v) : "(none)"; }

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void throughFiles(std::string_view text, bool startWithoutFile, const std::string& section,
                  const std::string& key, const std::string& value, const std::string& request) {
    if (g_scratch.empty()) return;
    const fs::path file = g_scratch / "MT.INI";
    std::error_code ignored;
    fs::remove(file, ignored);
    if (!startWithoutFile) {
        std::ofstream out(file, std::ios::binary);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        FUZZ_CHECK(out.good(), "cannot write the scratch file " + file.string());
    }
    const std::string_view original = startWithoutFile ? std::string_view() : text;

    const auto failure = platform::ini::WritePrivateProfileString(section, key, value, file);
    FUZZ_CHECK(!failure, request + "\n  WritePrivateProfileString failed: " + (failure ? failure->describe() : ""));

    const std::string stored = readBytes(file);
    const std::string expected = platform::ini::withValue(original, section, key, value);
    FUZZ_CHECK(stored == expected, request + "\n  file holds " + escaped(stored) +
                                       "\n  withValue  " + escaped(expected));

    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(g_scratch)) {
        ++entries;
        FUZZ_CHECK(entry.path().filename() == "MT.INI",
                   request + "\n  left behind: " + entry.path().string());
    }
    FUZZ_CHECK(entries == 1, request + "\n  the file is gone");

    const std::string read = platform::ini::GetPrivateProfileString(section, key, kFallback, file);
    FUZZ_CHECK(read == value, request + "\n  GetPrivateProfileString gave " + escaped(read));
    const std::string otherKey = key + "\x02";
    const std::string missing = platform::ini::GetPrivateProfileString(section, otherKey, kFallback, file);
    const std::optional<std::string> inText = platform::ini::findValue(stored, section, otherKey);
    FUZZ_CHECK(missing == inText.value_or(kFallback),
               request + "\n  GetPrivateProfileString of a missing key gave " + escaped(missing));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The run script gives each run its own directory on a RAM disk when it
    // can; the service fsyncs every write, which is slow on a real disk.
    const char* base = std::getenv("MOCHITAMA_FUZZ_TMPDIR");
    std::string pattern = (fs::path(base && *base ? base : "/tmp") / "ini_writer.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("ini_writer: mkdtemp");
        std::abort();
    }
    g_scratch = pattern;
    std::atexit(removeScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const unsigned char control[4] = {data[0], data[1], data[2], data[3]};
    const std::string_view text(reinterpret_cast<const char*>(data) + 4, size - 4);

    const model::Names names = model::namesIn(model::classifyAll(model::splitLines(text)), 8);
    std::string section = chooseName(text, control[0], names.sections,
                                     {"Kousan", "Tyutai", "Time"}, NameKind::Section);
    std::string key = chooseName(text, control[1], names.keys, {"Kaisu", "1st"}, NameKind::Key);
    const std::string value = chooseValue(text, control[2]);
    if (control[3] & 0x10) section = swapCase(section);
    if (control[3] & 0x20) key = swapCase(key);

    const std::string request = "  text    " + escaped(text) + "\n  section " + escaped(section) +
                                "\n  key     " + escaped(key) + "\n  value   " + escaped(value);

    const std::string written = platform::ini::withValue(text, section, key, value);
    const std::string expected = model::with(text, section, key, value);
    FUZZ_CHECK(written == expected,
               request + "\n  withValue " + escaped(written) + "\n  expected  " + escaped(expected));

    const std::optional<std::string> back = platform::ini::findValue(written, section, key);
    FUZZ_CHECK(back == std::optional<std::string>(value),
               request + "\n  after the write " + escaped(written) + "\n  reads " + show(back));

    // Every other pair reads as before.
    std::vector<std::string> sections = names.sections;
    sections.insert(sections.end(), {"Kousan", "Tyutai", "Time"});
    std::vector<std::string> keys = names.keys;
    keys.insert(keys.end(), {"Kaisu", "1st"});
    for (const auto& s : sections) {
        for (const auto& k : keys) {
            if (model::sameName(s, section) && model::sameName(k, key)) continue;
            const auto before = platform::ini::findValue(text, s, k);
            const auto after = platform::ini::findValue(written, s, k);
            FUZZ_CHECK(before == after, request + "\n  after the write " + escaped(written) +
                                            "\n  [" + escaped(s) + "] " + escaped(k) + " was " +
                                            show(before) + ", is " + show(after));
        }
    }

    if ((control[3] & 0x0F) == 0) {
        throughFiles(text, (control[3] & 0x40) != 0, section, key, value, request);
    }
    return 0;
}
