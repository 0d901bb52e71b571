#include "hub/records.h"

#include <cerrno>
#include <system_error>

#include "platform/safe_file.h"
#include "platform/ini_file.h"
#include "platform/number_text.h"
#include "hub/game.h"

namespace game {

namespace {

// A missing record file is the one fatal error: tell the player, let the main
// window go without its jokes, and stop.
void RequireRecordFile(Game& game) {
    game.services().SetCurrentDirectory(game.services().ProgramDirectory());
    if (platform::FileExists(game.state.IniPath)) {
        game.state.IniMissing = false;
        return;
    }
    game.MsgBox("INIファイルが無くなっています\r\n実行を中断します", ".INI Don't Exist", platform::MsgIcon::Critical);
    game.state.IniMissing = true;
    game.mainWindow().Unload();
    game.End(platform::ExitStatus::CouldNotPlay);
}

std::string ReadValue(const Game& game, const char* section, const char* key) {
    return platform::ini::GetPrivateProfileString(section, key, "", game.state.IniPath);
}

std::string ValueText(const RecordValue& value) {
    if (const auto* count = std::get_if<int32_t>(&value)) return platform::CountText(*count);
    return platform::SingleText(std::get<float>(value));
}

}  // namespace

void ReadRecords(Game& game) {
    RequireRecordFile(game);
    // A value that is not a number (hand-edited, damaged) reads as its default.
    GameState& s = game.state;
    s.KousanCount = platform::ParseCount(ReadValue(game, "Kousan", "Kaisu")).value_or(kDefaultCount);
    s.TyutaiCount = platform::ParseCount(ReadValue(game, "Tyutai", "Kaisu")).value_or(kDefaultCount);
    s.BestTime = platform::ParseSingle(ReadValue(game, "Time", "1st")).value_or(kNoBestTime);
}

std::string FailureText(const platform::Failure& failure) {
    using Reason = platform::Failure::Reason;
    if (failure.reason == Reason::ReadOnlyFile) return "ファイルが読み取り専用です";
    if (failure.reason == Reason::NotARegularFile) return "ファイルではないものがその名前を使っています";
    switch (failure.error) {
        case EROFS: return "ディスクが読み取り専用です";
        case EACCES:
        case EPERM: return "書き込む権限がありません";
        case ENOSPC:
        case EDQUOT: return "ディスクがいっぱいです";
        case EFBIG: return "ファイルが大きすぎます";
        case ENOENT: return "フォルダが見つかりません";
        case ENOTDIR: return "フォルダの代わりにファイルがあります";
        // Only a new file is made with O_EXCL: a link, a folder or a pipe has the name.
        case EEXIST: return "ファイルではないものがその名前を使っています";
        default:
            return "書き込めませんでした: " +
                   (failure.error != 0 ? std::generic_category().message(failure.error) : failure.describe());
    }
}

void WriteRecord(Game& game, const std::string& section, const std::string& key, RecordValue value) {
    RequireRecordFile(game);
    const auto failure = platform::ini::WritePrivateProfileString(section, key, ValueText(value), game.state.IniPath);
    if (!failure) return;
    game.MsgBox("記録を保存できませんでした\r\n" + game.state.IniPath.string() + "\r\n" + FailureText(*failure),
                ".INI Write Error", platform::MsgIcon::Critical);
}

}  // namespace game
