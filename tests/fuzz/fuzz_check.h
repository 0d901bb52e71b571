#pragma once
// Failing a fuzz check: print what was wrong, then abort so that libFuzzer
// stops and keeps the input as a crash artefact.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

// The bytes of `text` in C-string notation, for messages.
inline std::string escaped(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

[[noreturn]] inline void fail(const char* file, int line, const char* condition,
                              const std::string& detail) {
    std::fprintf(stderr, "\n==== fuzz check failed at %s:%d\n  %s\n%s\n", file, line, condition,
                 detail.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace fuzz

// FUZZ_CHECK(condition, detail): detail is a std::string built only on failure.
#define FUZZ_CHECK(condition, detail)                                          \
    do {                                                                       \
        if (!(condition)) ::fuzz::fail(__FILE__, __LINE__, #condition, detail); \
    } while (false)
