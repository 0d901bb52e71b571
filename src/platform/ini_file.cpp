#include "platform/ini_file.h"

#include <cerrno>
#include <new>

#include "platform/safe_file.h"

namespace platform::ini {

std::string ReadText(const std::filesystem::path& file) {
    FileContents contents = ReadRegularFile(file, kLargestFile);
    return contents.failure ? std::string() : std::move(contents.bytes);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view fallback, const std::filesystem::path& file) {
    if (auto value = findValue(ReadText(file), section, key)) return std::move(*value);
    return std::string(fallback);
}

std::optional<Failure> WriteValues(const std::filesystem::path& file, std::span<const Entry> entries) {
    try {
        FileContents contents = ReadRegularFile(file, kLargestFile);
        // A missing file is made with the keys; any other trouble reading it
        // (a huge file among them) stops the write before the file could be harmed.
        if (contents.failure && contents.failure->error != ENOENT) return contents.failure;
        std::string text = std::move(contents.bytes);
        for (const Entry& entry : entries) text = withValue(text, entry.section, entry.key, entry.value);
        return ReplaceFile(file, text);
    } catch (const std::bad_alloc&) {
        return Failure::ofSystem("cannot write", ENOMEM);
    } catch (const std::exception& e) {
        return Failure::of(std::string("cannot write: ") + e.what(), Failure::Reason::System);
    }
}

std::optional<Failure> WritePrivateProfileString(std::string_view section, std::string_view key,
                                                 std::string_view value, const std::filesystem::path& file) {
    const Entry entry{section, key, value};
    return WriteValues(file, {&entry, 1});
}

}  // namespace platform::ini
