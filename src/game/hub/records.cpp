#include "hub/records.h"

#include <cerrno>
#include <system_error>
#include <vector>

#include "platform/safe_file.h"
#include "platform/ini_file.h"
#include "platform/number_text.h"
#include "hub/game.h"

namespace game {

namespace {

bool RecordFilePresent(Game& game) {
    game.services().SetCurrentDirectory(game.services().ProgramDirectory());
    return platform::FileExists(game.state.IniPath);
}

// A missing record file is the one fatal error: tell the player, let the main
// window go without its jokes, and stop.
[[noreturn]] void RecordFileGone(Game& game) {
    game.MsgBox("INIファイルが無くなっています\r\n実行を中断します", ".INI Don't Exist", platform::MsgIcon::Critical);
    game.state.IniMissing = true;
    game.mainWindow().Unload();
    game.End(platform::ExitStatus::CouldNotPlay);
}

std::string ValueText(const RecordValue& value) {
    if (const auto* count = std::get_if<int32_t>(&value)) return platform::CountText(*count);
    return platform::SingleText(std::get<float>(value));
}

}  // namespace

void ReadRecords(Game& game) {
    if (!RecordFilePresent(game)) RecordFileGone(game);
    game.state.IniMissing = false;
    // Read once; a value that is not a number (hand-edited, damaged) reads as its default.
    const std::string text = platform::ini::ReadText(game.state.IniPath);
    const auto value = [&](const char* section, const char* key) {
        return platform::ini::findValue(text, section, key).value_or("");
    };
    GameState& s = game.state;
    s.KousanCount = platform::ParseCount(value("Kousan", "Kaisu")).value_or(kDefaultCount);
    s.TyutaiCount = platform::ParseCount(value("Tyutai", "Kaisu")).value_or(kDefaultCount);
    s.BestTime = platform::ParseSingle(value("Time", "1st")).value_or(kNoBestTime);
}

std::string FailureText(const platform::Failure& failure, platform::Language language) {
    const auto say = [language](const char* japanese) { return platform::inLanguage(language, japanese); };
    using Reason = platform::Failure::Reason;
    if (failure.reason == Reason::ReadOnlyFile) return say("ファイルが読み取り専用です");
    if (failure.reason == Reason::NotARegularFile) return say("ファイルではないものがその名前を使っています");
    if (failure.reason == Reason::TooLarge) return say("ファイルが大きすぎて、記録ファイルとは思えません（壊れています）");
    switch (failure.error) {
        case EROFS: return say("ディスクが読み取り専用です");
        case EACCES:
        case EPERM: return say("書き込む権限がありません");
        case ENOSPC:
        case EDQUOT: return say("ディスクがいっぱいです");
        case EFBIG: return say("ファイルが大きすぎます");
        case ENOENT: return say("フォルダが見つかりません");
        case ENOTDIR: return say("フォルダの代わりにファイルがあります");
        // The page's record store: the browser would not keep the save.
        case ECANCELED: return say("ブラウザが記録の保存を断りました");
        // Only a new file is made with O_EXCL: a link, a folder or a pipe has the name.
        case EEXIST: return say("ファイルではないものがその名前を使っています");
        default:
            return say("書き込めませんでした: ") +
                   (failure.error != 0 ? std::generic_category().message(failure.error) : failure.describe());
    }
}

SaveOutcome SaveRecords(Game& game, std::initializer_list<Record> records) {
    if (!RecordFilePresent(game)) return {.fileMissing = true, .failure = std::nullopt};
    std::vector<std::string> texts;
    std::vector<platform::ini::Entry> entries;
    texts.reserve(records.size());
    for (const Record& record : records) {
        texts.push_back(ValueText(record.value));
        entries.push_back({record.section, record.key, texts.back()});
    }
    return {.failure = platform::ini::WriteValues(game.state.IniPath, entries)};
}

void ReportSave(Game& game, const SaveOutcome& outcome) {
    if (outcome.fileMissing) RecordFileGone(game);
    game.state.IniMissing = false;
    if (!outcome.failure) return;
    game.MsgBox(game.inPlayersLanguage("記録を保存できませんでした") + "\r\n" + game.state.IniPath.string() + "\r\n" +
                    FailureText(*outcome.failure, game.language()),
                ".INI Write Error", platform::MsgIcon::Critical);
}

void WriteRecord(Game& game, const std::string& section, const std::string& key, RecordValue value) {
    ReportSave(game, SaveRecords(game, {{section.c_str(), key.c_str(), value}}));
}

}  // namespace game
