#pragma once
// A second, deliberately plain reading of the INI rules that the service in
// src/platform/ini_file.h documents, for the fuzz targets to compare against:
// the text is first cut into a list of lines, each line is classified on its
// own, and lookups and edits work on that list.
//
// The rules, as the service's header comment and unit tests state them:
// - lines end at LF; a CR right before the LF belongs to the line end;
// - a UTF-8 BOM at the very start of the text is ignored;
// - blanks are space and tab; a line whose first non-blank is ";" is a
//   comment, "[" a section header whose name runs to the last "]" (an
//   unclosed header still opens a section); otherwise a line with "=" is a
//   key line split at its first "=";
// - names match without regard to ASCII case; only the first section of a
//   name counts, and within it the first key line of a name;
// - a value loses its surrounding blanks, then one pair of matching quotes,
//   then everything past 255 characters;
// - an edit replaces the key's line (keeping the key's spelling and the
//   line's end), or adds "key=value" CR LF after the section's last key line
//   (or its header), or appends "[section]" CR LF "key=value" CR LF; a last
//   line without a line end gets CR LF first.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz::ini_model {

inline constexpr std::size_t kMaxValueLength = 255;

struct Line {
    std::string content;  // without its line end
    std::string end;      // "\r\n", "\n", or "" for a last line without one
};

inline std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    while (!text.empty()) {
        Line line;
        const std::size_t lf = text.find('\n');
        if (lf == std::string_view::npos) {
            line.content = std::string(text);
            text = {};
        } else {
            std::string_view body = text.substr(0, lf);
            if (!body.empty() && body.back() == '\r') {
                body.remove_suffix(1);
                line.end = "\r\n";
            } else {
                line.end = "\n";
            }
            line.content = std::string(body);
            text.remove_prefix(lf + 1);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

inline std::string joinLines(const std::vector<Line>& lines) {
    std::string text;
    for (const Line& line : lines) text += line.content + line.end;
    return text;
}

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string trim(std::string_view s) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && isBlank(s[first])) ++first;
    while (last > first && isBlank(s[last - 1])) --last;
    return std::string(s.substr(first, last - first));
}

inline char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

inline bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

enum class Kind { Blank, Comment, Section, Key, Other };

struct Classified {
    Kind kind = Kind::Other;
    std::string name;
    std::string rawValue;  // key lines: the value with blanks trimmed, quotes still on
};

inline Classified classify(const Line& line, bool firstLine) {
    std::string_view content = line.content;
    if (firstLine && content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
    const std::string trimmed = trim(content);
    Classified c;
    if (trimmed.empty()) {
        c.kind = Kind::Blank;
    } else if (trimmed.front() == ';') {
        c.kind = Kind::Comment;
    } else if (trimmed.front() == '[') {
        std::string name = trimmed.substr(1);
        const std::size_t close = name.rfind(']');
        if (close != std::string::npos) name.resize(close);
        c.kind = Kind::Section;
        c.name = trim(name);
    } else if (const std::size_t eq = content.find('='); eq != std::string_view::npos) {
        c.kind = Kind::Key;
        c.name = trim(content.substr(0, eq));
        c.rawValue = trim(content.substr(eq + 1));
    }
    return c;
}

inline std::vector<Classified> classifyAll(const std::vector<Line>& lines) {
    std::vector<Classified> out;
    out.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) out.push_back(classify(lines[i], i == 0));
    return out;
}

// What the service sees of a stored value.
inline std::string cleanValue(std::string raw) {
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front()) {
        raw = raw.substr(1, raw.size() - 2);
    }
    if (raw.size() > kMaxValueLength) raw.resize(kMaxValueLength);
    return raw;
}

// Where a (section, key) pair lives in a classified text.
struct Location {
    bool sectionFound = false;
    std::size_t header = 0;                 // index of the section's first header
    std::optional<std::size_t> keyLine;     // first key line of that name in it
    std::optional<std::size_t> lastKeyLine; // last key line of any name in it
};

inline Location locate(const std::vector<Classified>& parsed, std::string_view section,
                       std::string_view key) {
    Location loc;
    std::size_t i = 0;
    while (i < parsed.size() &&
           !(parsed[i].kind == Kind::Section && sameName(parsed[i].name, section))) {
        ++i;
    }
    if (i == parsed.size()) return loc;
    loc.sectionFound = true;
    loc.header = i;
    for (++i; i < parsed.size() && parsed[i].kind != Kind::Section; ++i) {
        if (parsed[i].kind != Kind::Key) continue;
        if (!loc.keyLine && sameName(parsed[i].name, key)) loc.keyLine = i;
        if (!loc.keyLine) loc.lastKeyLine = i;
    }
    return loc;
}

// The value stored for the pair, quotes and all, when there is one.
inline std::optional<std::string> rawValue(const std::vector<Classified>& parsed,
                                           std::string_view section, std::string_view key) {
    const Location loc = locate(parsed, section, key);
    if (!loc.keyLine) return std::nullopt;
    return parsed[*loc.keyLine].rawValue;
}

// What a read of the pair gives.
inline std::optional<std::string> find(const std::vector<Classified>& parsed,
                                       std::string_view section, std::string_view key) {
    auto raw = rawValue(parsed, section, key);
    if (!raw) return std::nullopt;
    return cleanValue(std::move(*raw));
}

inline std::string with(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
    std::vector<Line> lines = splitLines(text);
    const auto parsed = classifyAll(lines);
    const Location loc = locate(parsed, section, key);
    const std::string newKeyLine = std::string(key) + "=" + std::string(value);
    if (loc.keyLine) {
        lines[*loc.keyLine].content = parsed[*loc.keyLine].name + "=" + std::string(value);
    } else if (loc.sectionFound) {
        const std::size_t after = loc.lastKeyLine.value_or(loc.header);
        if (lines[after].end.empty()) lines[after].end = "\r\n";
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after) + 1, Line{newKeyLine, "\r\n"});
    } else {
        if (!lines.empty() && lines.back().end.empty()) lines.back().end = "\r\n";
        lines.push_back(Line{"[" + std::string(section) + "]", "\r\n"});
        lines.push_back(Line{newKeyLine, "\r\n"});
    }
    return joinLines(lines);
}

// Section names and key names as they appear in the text, at most `limit` of
// each, without repeats.
struct Names {
    std::vector<std::string> sections;
    std::vector<std::string> keys;
};

inline Names namesIn(const std::vector<Classified>& parsed, std::size_t limit) {
    Names names;
    auto add = [limit](std::vector<std::string>& list, const std::string& name) {
        if (list.size() >= limit) return;
        for (const auto& n : list) {
            if (n == name) return;
        }
        list.push_back(name);
    };
    for (const Classified& c : parsed) {
        if (c.kind == Kind::Section) add(names.sections, c.name);
        if (c.kind == Kind::Key) add(names.keys, c.name);
    }
    return names;
}

}  // namespace fuzz::ini_model
