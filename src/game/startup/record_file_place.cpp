#include "startup/record_file_place.h"

#include <system_error>

#include "platform/safe_file.h"
#include "hub/game.h"
#include "hub/records.h"

namespace game {

const char kMetainfoFile[] = MOCHITAMA_APP_ID ".metainfo.xml";

namespace {

using platform::MsgIcon;

constexpr const char* kRecordFileName = "MT.INI";

// Line 2 puts the credit in column 33.
constexpr const char* kCreditLine = "; MT.INI                        Mochitama Workshop";

// Makes the default file at `path`, its directory too.
std::optional<platform::Failure> CreateDefaultRecordFile(const std::filesystem::path& path) {
    std::error_code dirError;
    std::filesystem::create_directories(path.parent_path(), dirError);
    if (dirError) return platform::Failure::ofSystem("cannot create the folder", dirError.value());
    return platform::CreateFileWithLines(path, DefaultRecordLines());
}

std::optional<std::filesystem::path> UserRecordFile(Game& game) {
    const auto directory = game.services().UserDataDirectory();
    if (!directory) return std::nullopt;
    return RecordFilePath(*directory);
}

// `where` may be unknown (empty).
[[noreturn]] void CannotCreate(Game& game, const std::string& where, const std::string& reason) {
    const std::string place = where.empty() ? "" : where + "\r\n";
    game.MsgBox(game.inPlayersLanguage("記録ファイルを作れませんでした") + "\r\n" + place + reason, ".INI Create Error",
                MsgIcon::Critical);
    game.End(platform::ExitStatus::CouldNotPlay);
}

constexpr const char* kNoHome = "ホームフォルダが分かりません（HOME）";

}  // namespace

bool InstalledSystemWide(const std::filesystem::path& programDirectory) {
    // An install puts the program in <prefix>/bin and its metadata in <prefix>/share.
    return platform::FileExists(programDirectory / ".." / "share" / "metainfo" / kMetainfoFile);
}

std::filesystem::path RecordFilePath(const std::filesystem::path& directory) {
    return directory / kRecordFileName;
}

std::vector<std::string> DefaultRecordLines() {
    return {";", kCreditLine, ";", "[Kousan]", "Kaisu = 0", "", "[Tyutai]", "Kaisu = 0", "", "[Time]", "1st = 9999"};
}

std::filesystem::path ChooseRecordFile(Game& game) {
    const auto programDirectory = game.services().ProgramDirectory();
    const auto own = UserRecordFile(game);
    if (InstalledSystemWide(programDirectory)) {
        if (!own) CannotCreate(game, "", game.inPlayersLanguage(kNoHome));
        return *own;
    }
    const auto beside = RecordFilePath(programDirectory);
    if (platform::FileExists(beside)) return beside;
    // Records that had to move there once stay there.
    if (own && platform::FileExists(*own)) return *own;
    return beside;
}

bool GuardRecordFile(Game& game, const std::filesystem::path& recordFile) {
    switch (game.services().PreviousInstance(recordFile)) {
        case platform::InstanceCheck::Alone:
            return true;
        case platform::InstanceCheck::AnotherRuns:
            game.MsgBox("『もちたま』の二重起動は出来ません", "二重起動ERROR", MsgIcon::Critical);
            game.End(platform::ExitStatus::CouldNotPlay);
        case platform::InstanceCheck::CannotTell:
            break;
    }
    game.MsgBox("『もちたま』がほかに動いていないか確かめられませんでした\r\n"
                "同時にふたつ動かすと、記録が失われることがあります",
                "二重起動チェック", MsgIcon::Exclamation);
    return false;
}

PlacedRecordFile EnsureRecordFile(Game& game, const std::filesystem::path& chosen, bool guarded) {
    if (platform::FileExists(chosen)) return {chosen, guarded};
    const auto failure = CreateDefaultRecordFile(chosen);
    if (!failure) return {chosen, guarded};

    // The program's directory is full, read-only or taken: the user's own
    // directory is the next place, and from now on the place of the records.
    const auto own = UserRecordFile(game);
    const std::string reason = FailureText(*failure, game.language());
    if (!own) CannotCreate(game, chosen.string(), reason + "\r\n" + game.inPlayersLanguage(kNoHome));
    if (*own == chosen) CannotCreate(game, chosen.string(), reason);
    const bool ownGuarded = GuardRecordFile(game, *own);
    if (!platform::FileExists(*own)) {
        if (const auto ownFailure = CreateDefaultRecordFile(*own))
            CannotCreate(game, own->string(), FailureText(*ownFailure, game.language()));
        game.MsgBox(game.inPlayersLanguage("プログラムのフォルダに記録ファイルを作れませんでした") + "\r\n" + reason + "\r\n" +
                        game.inPlayersLanguage("記録はこちらに残します") + "\r\n" + own->string(),
                    ".INI Moved", MsgIcon::Information);
    }
    return {*own, guarded && ownGuarded};
}

}  // namespace game
