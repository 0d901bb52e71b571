#include "platform/ini_text.h"

#include "platform/text.h"

namespace platform::ini {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kNewLine = "\r\n";

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

// One line of the file as offsets into the text: [begin, contentEnd) is the
// line without its line end, [contentEnd, end) the CR LF, LF or nothing.
struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;
    bool hasLineEnd() const { return end != contentEnd; }
};

class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool next(Line& line) {
        if (pos_ >= text_.size()) return false;
        line.begin = pos_;
        const std::size_t lf = text_.find('\n', pos_);
        if (lf == std::string_view::npos) {
            line.contentEnd = line.end = text_.size();
        } else {
            line.end = lf + 1;
            line.contentEnd = (lf > pos_ && text_[lf - 1] == '\r') ? lf - 1 : lf;
        }
        pos_ = line.end;
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

enum class LineKind { Other, Comment, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section or key name, blanks trimmed
    std::string_view value;  // key value, blanks trimmed
};

ParsedLine parseLine(std::string_view text, const Line& line) {
    std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
    // An editor's BOM must not hide a section header on the first line.
    if (line.begin == 0 && content.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        content.remove_prefix(kUtf8Bom.size());
    }
    const std::string_view trimmed = trimBlanks(content);
    ParsedLine parsed;
    if (trimmed.empty()) return parsed;
    if (trimmed.front() == ';') {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    if (trimmed.front() == '[') {
        // The name runs to the last "]"; an unclosed header still opens a
        // section, so its lines never leak into the section before it.
        std::string_view name = trimmed.substr(1);
        const std::size_t close = name.rfind(']');
        if (close != std::string_view::npos) name = name.substr(0, close);
        parsed.kind = LineKind::Section;
        parsed.name = trimBlanks(name);
        return parsed;
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) return parsed;
    parsed.kind = LineKind::Key;
    parsed.name = trimBlanks(content.substr(0, equals));
    parsed.value = trimBlanks(content.substr(equals + 1));
    return parsed;
}

std::string cleanValue(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, kMaxValueLength));
}

std::string keyLine(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + value.size() + 1);
    line.append(key).append("=").append(value);
    return line;
}

}  // namespace

std::optional<std::string> findValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
    LineReader reader(text);
    Line line;
    bool inSection = false;
    while (reader.next(line)) {
        const ParsedLine parsed = parseLine(text, line);
        if (parsed.kind == LineKind::Section) {
            // Only the first section of that name counts.
            if (inSection) return std::nullopt;
            inSection = equalsIgnoringCase(parsed.name, section);
        } else if (inSection && parsed.kind == LineKind::Key &&
                   equalsIgnoringCase(parsed.name, key)) {
            return cleanValue(parsed.value);
        }
    }
    return std::nullopt;
}

std::string withValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value) {
    LineReader reader(text);
    Line line;
    bool inSection = false;
    bool sectionFound = false;
    Line insertAfter;  // the section's header or last key line
    while (reader.next(line)) {
        const ParsedLine parsed = parseLine(text, line);
        if (parsed.kind == LineKind::Section) {
            if (inSection) break;
            if (equalsIgnoringCase(parsed.name, section)) {
                inSection = sectionFound = true;
                insertAfter = line;
            }
        } else if (inSection && parsed.kind == LineKind::Key) {
            if (equalsIgnoringCase(parsed.name, key)) {
                std::string result;
                result.reserve(text.size() + value.size());
                result.append(text.substr(0, line.begin));
                result.append(keyLine(parsed.name, value));
                result.append(text.substr(line.contentEnd));
                return result;
            }
            insertAfter = line;
        }
    }

    std::string result;
    result.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    if (sectionFound) {
        result.append(text.substr(0, insertAfter.end));
        if (!insertAfter.hasLineEnd()) result.append(kNewLine);
        result.append(keyLine(key, value)).append(kNewLine);
        result.append(text.substr(insertAfter.end));
        return result;
    }
    result.append(text);
    if (!text.empty() && text.back() != '\n') result.append(kNewLine);
    result.append("[").append(section).append("]").append(kNewLine);
    result.append(keyLine(key, value)).append(kNewLine);
    return result;
}

}  // namespace platform::ini
