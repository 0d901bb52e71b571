#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace platform {

bool FileExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string AppendLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (!out) return std::strerror(errno);
    for (const std::string& line : lines) out << line << "\r\n";
    out.flush();
    if (!out) return std::strerror(errno);
    return {};
}

}  // namespace platform
