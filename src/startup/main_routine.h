#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace game {

inline constexpr const char* kVersion = "1.10";
inline constexpr const char* kMetainfoFile = "jp.mochitama.Mochitama.metainfo.xml";

// The program runs from an installed prefix: its records are the user's own.
bool InstalledSystemWide(const std::filesystem::path& programDirectory);

// The record file's path in a directory: one separator, also at the root.
std::filesystem::path RecordFilePath(const std::filesystem::path& directory);

// The eleven lines of a new record file.
std::vector<std::string> DefaultRecordLines();

}  // namespace game
