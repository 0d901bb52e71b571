#pragma once
// Where the record file MT.INI lives: next to the program, or, for an
// installed program or a directory that cannot hold it, in the user's data
// directory.
#include <filesystem>
#include <string>
#include <vector>

namespace game {

class Game;

inline constexpr const char* kMetainfoFile = "jp.mochitama.Mochitama.metainfo.xml";

// The program runs from an installed prefix: its records are the user's own.
bool InstalledSystemWide(const std::filesystem::path& programDirectory);

// The record file's path in a directory: one separator, also at the root.
std::filesystem::path RecordFilePath(const std::filesystem::path& directory);

// The eleven lines of a new record file.
std::vector<std::string> DefaultRecordLines();

// Where this run's records are, or will be once EnsureRecordFile has made
// them. Looks only; writes nothing.
std::filesystem::path ChooseRecordFile(Game& game);

// The record file at `chosen`, made with the default lines when missing; in
// the user's data directory when it cannot be made there. Ends the program,
// after saying so, when it can be made nowhere.
std::filesystem::path EnsureRecordFile(Game& game, const std::filesystem::path& chosen);

}  // namespace game
