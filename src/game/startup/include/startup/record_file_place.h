#pragma once
// Where the record file MT.INI lives: next to the program, or, for an
// installed program or a directory that cannot hold it, in the user's data
// directory. A record file that exists always wins over making a new one, so
// the player's records never split in two.
#include <filesystem>
#include <string>
#include <vector>

namespace game {

class Game;

// The AppStream metadata an installed copy has beside it, named after the app id.
extern const char kMetainfoFile[];

// The program runs from an installed prefix: its records are the user's own.
bool InstalledSystemWide(const std::filesystem::path& programDirectory);

// The record file's path in a directory: one separator, also at the root.
std::filesystem::path RecordFilePath(const std::filesystem::path& directory);

// The eleven lines of a new record file.
std::vector<std::string> DefaultRecordLines();

// Where this run's records are, or will be once EnsureRecordFile has made
// them. Looks only; writes nothing. Ends the program, after saying so, when
// the records can live nowhere (an installed copy and no home).
std::filesystem::path ChooseRecordFile(Game& game);

// Takes the one-copy guard for a record file. Ends the program when another
// copy runs on it; false (after telling the player) when no guard could be
// taken, true when this copy holds it.
bool GuardRecordFile(Game& game, const std::filesystem::path& recordFile);

struct PlacedRecordFile {
    std::filesystem::path path;
    bool guarded;  // this copy holds the guard of the file it uses
};

// The record file at `chosen` (guarded or not as told), made with the default
// lines when missing. When it cannot be made there, the records move to the
// user's data directory, under that file's own guard, and the player is told.
// Ends the program, after saying so, when it can be made nowhere.
PlacedRecordFile EnsureRecordFile(Game& game, const std::filesystem::path& chosen, bool guarded);

}  // namespace game
