// Damaged and hand-edited record files: the game starts, reads what the INI
// rules and the number rules make of each damage, and a later save changes
// nothing but its own line.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "support/game_script.h"

namespace script {
namespace {

using namespace std::string_literals;

struct DamageCase {
    std::string name;
    std::string found;  // MT.INI as the game finds it
    int32_t kousan;     // what the game reads
    int32_t tyutai;
    float best;
    std::string saved;  // MT.INI after a quit at the opening question
    // Comment bytes around both texts, added only when the case runs: every
    // test process builds the whole table.
    std::size_t padding = 0;
};

// Failure messages name the case, not ten megabytes of it.
void PrintTo(const DamageCase& c, std::ostream* out) { *out << c.name; }

std::string LfOnly(std::string text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

std::string CrOnly(std::string text) {
    std::string out;
    for (char c : text)
        if (c != '\n') out += c;
    return out;
}

// A comment line of `length` bytes with its CR LF.
std::string CommentLine(std::size_t length) {
    std::string line(length, '#');
    line.front() = ';';
    line[length - 2] = '\r';
    line[length - 1] = '\n';
    return line;
}

// Comment lines of 80 bytes, `bytes` long in all.
std::string CommentBlock(std::size_t bytes) {
    const std::string line = CommentLine(80);
    std::string block;
    block.reserve(bytes);
    while (block.size() + line.size() + 3 <= bytes) block += line;
    block += CommentLine(bytes - block.size());
    return block;
}

std::string Utf16Le(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

const std::string kBom = "\xEF\xBB\xBF";
// What the quit adds when the file has no [Tyutai] section.
const std::string kAppendedQuit = "[Tyutai]\r\nKaisu=1\r\n";

std::vector<DamageCase> Cases() {
    const std::string records = RecordText("4", "2", "83.5");
    const std::string quitSaved = WithKeyLine(records, "Tyutai", "Kaisu=3");
    std::vector<DamageCase> cases = {
        {"EmptyFile", "", 0, 0, 9999.0f, kAppendedQuit},
        {"OnlyABom", kBom, 0, 0, 9999.0f, kBom + "\r\n" + kAppendedQuit},
        {"BomBeforeTheFirstSection", kBom + "[Tyutai]\r\nKaisu = 2\r\n[Kousan]\r\nKaisu = 4\r\n", 4, 2, 9999.0f,
         kBom + "[Tyutai]\r\nKaisu=3\r\n[Kousan]\r\nKaisu = 4\r\n"},
        {"LfLineEnds", LfOnly(records), 4, 2, 83.5f, LfOnly(quitSaved)},
        // Old Mac line ends: one long comment line, so nothing is found.
        {"CrLineEnds", CrOnly(records), 0, 0, 9999.0f, CrOnly(records) + "\r\n" + kAppendedQuit},
        {"NoFinalLineEndAfterTheKey", "[Kousan]\r\nKaisu = 4\r\n[Tyutai]\r\nKaisu = 2", 4, 2, 9999.0f,
         "[Kousan]\r\nKaisu = 4\r\n[Tyutai]\r\nKaisu=3"},
        {"NoFinalLineEndAndNoSection", "[Kousan]\r\nKaisu = 4\r\n\r\n[Time]\r\n1st = 83.5", 4, 0, 83.5f,
         "[Kousan]\r\nKaisu = 4\r\n\r\n[Time]\r\n1st = 83.5\r\n" + kAppendedQuit},
        {"NoFinalLineEndAfterTheHeader", "[Time]\r\n1st = 83.5\r\n[Tyutai]", 0, 0, 83.5f,
         "[Time]\r\n1st = 83.5\r\n[Tyutai]\r\nKaisu=1\r\n"},
        // A NUL is an ordinary byte: it spoils the number it sits in and nothing else.
        {"NulBytes", ";\0\0\0\r\n[Kousan]\r\nKaisu = 4\0\r\n[Tyutai]\r\n\0\0\r\nKaisu = 2\r\n[Time]\r\n1st = 83.5\r\n"s, 0,
         2, 83.5f, ";\0\0\0\r\n[Kousan]\r\nKaisu = 4\0\r\n[Tyutai]\r\n\0\0\r\nKaisu=3\r\n[Time]\r\n1st = 83.5\r\n"s},
        // Large, but still within what a record file may be.
        {"NearlyAMegabyte", records, 4, 2, 83.5f, quitSaved, 500 << 10},
        {"Utf16File", Utf16Le(records), 0, 0, 9999.0f, Utf16Le(records) + "\r\n" + kAppendedQuit},
        {"DuplicateSectionsAndKeys",
         "[Kousan]\r\nKaisu = 4\r\nKaisu = 9\r\n[Tyutai]\r\nKAISU = 2\r\nKaisu = 5\r\n[Time]\r\n1st = 83.5\r\n"
         "[TYUTAI]\r\nKaisu = 7\r\n[kousan]\r\nKaisu = 8\r\n[time]\r\n1st = 1\r\n",
         4, 2, 83.5f,
         "[Kousan]\r\nKaisu = 4\r\nKaisu = 9\r\n[Tyutai]\r\nKAISU=3\r\nKaisu = 5\r\n[Time]\r\n1st = 83.5\r\n"
         "[TYUTAI]\r\nKaisu = 7\r\n[kousan]\r\nKaisu = 8\r\n[time]\r\n1st = 1\r\n"},
        // Only the first section of a name counts, even when it lacks the key.
        {"DuplicateSectionWithoutTheKeyFirst", "[Tyutai]\r\n; cleared by hand\r\n\r\n[Time]\r\n1st = 83.5\r\n[Tyutai]\r\nKaisu = 7\r\n",
         0, 0, 83.5f, "[Tyutai]\r\nKaisu=1\r\n; cleared by hand\r\n\r\n[Time]\r\n1st = 83.5\r\n[Tyutai]\r\nKaisu = 7\r\n"},
        {"QuotedValues", "[Kousan]\r\nKaisu = \"4\"\r\n[Tyutai]\r\nKaisu = ' 2 '\r\n[Time]\r\n1st = \"83.5\"\r\n", 4, 2, 83.5f,
         "[Kousan]\r\nKaisu = \"4\"\r\n[Tyutai]\r\nKaisu=3\r\n[Time]\r\n1st = \"83.5\"\r\n"},
        {"UnbalancedQuotes", "[Kousan]\r\nKaisu = \"4\r\n[Tyutai]\r\nKaisu = 2'\r\n[Time]\r\n1st = '83.5\"\r\n", 0, 0, 9999.0f,
         "[Kousan]\r\nKaisu = \"4\r\n[Tyutai]\r\nKaisu=1\r\n[Time]\r\n1st = '83.5\"\r\n"},
        {"NegativeCounts", RecordText("-3", "-2", "83.5"), -3, -2, 83.5f,
         WithKeyLine(RecordText("-3", "-2", "83.5"), "Tyutai", "Kaisu=-1")},
        {"LargestCount", RecordText("2147483647", "2147483647", "83.5"), INT32_MAX, INT32_MAX, 83.5f,
         WithKeyLine(RecordText("2147483647", "2147483647", "83.5"), "Tyutai", "Kaisu=2147483647")},
        {"SmallestCount", RecordText("-2147483648", "-2147483648", "83.5"), INT32_MIN, INT32_MIN, 83.5f,
         WithKeyLine(RecordText("-2147483648", "-2147483648", "83.5"), "Tyutai", "Kaisu=-2147483647")},
        {"CountsBeyond32Bits", RecordText("2147483648", "-2147483649", "83.5"), 0, 0, 83.5f,
         WithKeyLine(RecordText("2147483648", "-2147483649", "83.5"), "Tyutai", "Kaisu=1")},
        {"HugeCounts", RecordText("99999999999999999999", "1e300", "83.5"), 0, 0, 83.5f,
         WithKeyLine(RecordText("99999999999999999999", "1e300", "83.5"), "Tyutai", "Kaisu=1")},
        {"ExponentNotation", RecordText("1e3", "2E1", "1e3"), 1000, 20, 1000.0f,
         WithKeyLine(RecordText("1e3", "2E1", "1e3"), "Tyutai", "Kaisu=21")},
        {"TrailingJunk", RecordText("12abc", "3 4", "12abc"), 0, 0, 9999.0f,
         WithKeyLine(RecordText("12abc", "3 4", "12abc"), "Tyutai", "Kaisu=1")},
        {"FractionsRoundHalfToEven", RecordText("2.5", "3.5", "83.456"), 2, 4, 83.456f,
         WithKeyLine(RecordText("2.5", "3.5", "83.456"), "Tyutai", "Kaisu=5")},
        {"BestTimeNaN", RecordText("4", "2", "NaN"), 4, 2, 9999.0f, WithKeyLine(RecordText("4", "2", "NaN"), "Tyutai", "Kaisu=3")},
        {"BestTimeInfinity", RecordText("4", "2", "Infinity"), 4, 2, 9999.0f,
         WithKeyLine(RecordText("4", "2", "Infinity"), "Tyutai", "Kaisu=3")},
        {"BestTimeBeyondSingle", RecordText("4", "2", "1e39"), 4, 2, 9999.0f,
         WithKeyLine(RecordText("4", "2", "1e39"), "Tyutai", "Kaisu=3")},
        // Numbers, however odd: no run can beat these, so they stay until edited.
        {"BestTimeNegative", RecordText("4", "2", "-5"), 4, 2, -5.0f, WithKeyLine(RecordText("4", "2", "-5"), "Tyutai", "Kaisu=3")},
        {"BestTimeTooSmallForSingle", RecordText("4", "2", "1e-50"), 4, 2, 0.0f,
         WithKeyLine(RecordText("4", "2", "1e-50"), "Tyutai", "Kaisu=3")},
        {"EmptyValuesAndALineWithoutEquals", "[Kousan]\r\nKaisu =\r\n[Tyutai]\r\nKaisu\r\n[Time]\r\n1st = \r\n", 0, 0, 9999.0f,
         "[Kousan]\r\nKaisu =\r\n[Tyutai]\r\nKaisu=1\r\nKaisu\r\n[Time]\r\n1st = \r\n"},
        {"BlanksAndTabsAround", "[ Kousan ]\r\n\tKaisu\t=\t4\t\r\n  [Tyutai]  \r\n  Kaisu   =   2  \r\n", 4, 2, 9999.0f,
         "[ Kousan ]\r\n\tKaisu\t=\t4\t\r\n  [Tyutai]  \r\nKaisu=3\r\n"},
        {"UnclosedSectionHeader", "[Kousan\r\nKaisu = 4\r\n[Tyutai\r\nKaisu = 2\r\n", 4, 2, 9999.0f,
         "[Kousan\r\nKaisu = 4\r\n[Tyutai\r\nKaisu=3\r\n"},
    };

    // 100 000-character lines: a comment, and values that only read as
    // numbers because a read sees no more than their first 255 characters.
    const std::string longComment = std::string(";").append(99999, 'c');
    const std::string longCount = "Kaisu = " + std::string(254, '0') + "2" + std::string(100000 - 8 - 255, 'x');
    const std::string longTime = "1st = 83.5" + std::string(251, '0') + std::string(100000 - 6 - 255, 'x');
    const std::string head = "[Kousan]\r\n" + longComment + "\r\nKaisu = 4\r\n[Tyutai]\r\n";
    const std::string tail = "\r\n[Time]\r\n" + longTime + "\r\n";
    cases.push_back({"HundredThousandCharacterLines", head + longCount + tail, 4, 2, 83.5f, head + "Kaisu=3" + tail});
    return cases;
}

// Byte for byte, but a failure shows where, not both files in full.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    auto around = [at](const std::string& s) {
        const std::size_t from = at < 40 ? 0 : at - 40;
        return ::testing::PrintToString(s.substr(from, 80));
    };
    return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                         << ", first difference at byte " << at << "\n  actual:   " << around(actual)
                                         << "\n  expected: " << around(expected);
}

class DamagedRecordFile : public GameScript, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedRecordFile, StartsReadsTheRuleValuesAndAQuitRewritesOnlyItsLine) {
    const DamageCase& c = GetParam();
    const std::string padding = c.padding > 0 ? CommentBlock(c.padding) : "";
    const std::string found = padding + c.found + padding;
    const std::string saved = padding + c.saved + padding;
    writeIni(found);
    ASSERT_TRUE(SameBytes(readIni(), found));

    toOpeningQuestion();
    EXPECT_TRUE(form1().visible());
    EXPECT_FALSE(host.ended());
    EXPECT_FALSE(state().IniMissing);
    EXPECT_EQ(state().KousanCount, c.kousan);
    EXPECT_EQ(state().TyutaiCount, c.tyutai);
    EXPECT_EQ(state().BestTime, c.best);
    EXPECT_TRUE(SameBytes(readIni(), found)) << "reading changed the file";

    box("Welcome to もちたま", "あ・・・そう？根性なしねぇ。じゃぁね。");
    click(form1().Command4);
    EXPECT_TRUE(host.ended());
    EXPECT_TRUE(SameBytes(readIni(), saved));
    // Only the two welcome boxes: no damage is reported to the player.
    EXPECT_EQ(boxTitles(), (std::vector<std::string>{"Welcome to もちたま", "Welcome to もちたま"}));
}

// A record file is a few hundred bytes. A huge one (here 2 GiB, sparse: 4 KiB
// on the disk) once took 17 s to start with, 4 GB of memory, and a save
// rewrote it whole. Now it is damaged: it reads as the defaults, and a save
// is refused and told, the file left as it was.
class HugeRecordFile : public GameScript, public ::testing::WithParamInterface<std::uint64_t> {};

TEST_P(HugeRecordFile, IsDamagedReadAsDefaultsAndNeverRewritten) {
    const std::string records = RecordText("4", "2", "83.5");
    const std::uint64_t size = GetParam();
#if defined(__EMSCRIPTEN__)
    if (size >= (std::uint64_t{1} << 31))
        GTEST_SKIP() << "emscripten 3.1.6 cannot resize a file to 2 GiB or more: resize_file leaves it as it was";
#endif
    {
        writeIni(records);
        std::filesystem::resize_file(iniPath(), size);
        const auto started = std::chrono::steady_clock::now();
        toOpeningQuestion();
        EXPECT_EQ(state().KousanCount, 0);
        EXPECT_EQ(state().BestTime, 9999.0f);
        box("Welcome to もちたま", "あ・・・そう？根性なしねぇ。じゃぁね。");
        std::string refused = "記録を保存できませんでした\r\n";
        refused.append(iniPath().string()).append("\r\nファイルが大きすぎて、記録ファイルとは思えません（壊れています）");
        box(".INI Write Error", refused, MsgIcon::Critical);
        click(form1().Command4);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
        EXPECT_TRUE(host.ended());
        EXPECT_EQ(std::filesystem::file_size(iniPath()), size);
        std::ifstream file(iniPath(), std::ios::binary);
        std::string head(records.size(), '\0');
        file.read(head.data(), static_cast<std::streamsize>(head.size()));
        EXPECT_EQ(head, records);
        expectNoPendingBoxes();
    }
}

INSTANTIATE_TEST_SUITE_P(OverAMegabyte, HugeRecordFile,
                         ::testing::Values(std::uint64_t{(1 << 20) + 1}, std::uint64_t{2} << 30),
                         [](const auto& info) { return info.param > (1u << 30) ? "TwoGigabytesSparse" : "OneByteTooMany"; });

INSTANTIATE_TEST_SUITE_P(Damage, DamagedRecordFile, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace script
