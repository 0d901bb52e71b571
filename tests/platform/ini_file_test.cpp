#include "platform/ini_file.h"
#include "platform/safe_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using platform::ini::findValue;
using platform::ini::GetPrivateProfileString;
using platform::ini::kMaxValueLength;
using platform::ini::withValue;
using platform::ini::WritePrivateProfileString;

// The record file as the game first writes it: comments, CR LF throughout.
const std::string kDefaultFile =
    "; MT.INI\r\n"
    "; records\r\n"
    "\r\n"
    "[Kousan]\r\n"
    "Kaisu=4\r\n"
    "\r\n"
    "[Tyutai]\r\n"
    "Kaisu=0\r\n"
    "\r\n"
    "[Time]\r\n"
    "1st=9999\r\n";

TEST(IniFindValue, Lookups) {
    struct Case {
        const char* name;
        std::string text;
        const char* section;
        const char* key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"blanks around equals", "[Kousan]\r\nKaisu = 12\r\n", "Kousan", "Kaisu", "12"},
        {"no blanks", "[Kousan]\r\nKaisu=12\r\n", "Kousan", "Kaisu", "12"},
        {"tabs and blanks everywhere", "  [ Kousan ]  \r\n\t Kaisu \t=\t 12 \t\r\n", "Kousan",
         "Kaisu", "12"},
        {"upper-case section", "[KOUSAN]\r\nKaisu=3\r\n", "Kousan", "Kaisu", "3"},
        {"upper-case key", "[Kousan]\r\nKAISU=3\r\n", "kousan", "kaisu", "3"},
        {"other sections skipped", kDefaultFile, "Tyutai", "Kaisu", "0"},
        {"digit key", kDefaultFile, "time", "1ST", "9999"},
        {"missing section", kDefaultFile, "Nothing", "Kaisu", std::nullopt},
        {"missing key", kDefaultFile, "Kousan", "1st", std::nullopt},
        {"key before any section", "Kaisu=1\r\n[Kousan]\r\n", "Kousan", "Kaisu", std::nullopt},
        {"section ends at next header", "[A]\r\n[B]\r\nk=1\r\n", "A", "k", std::nullopt},
        {"semicolon comment", "[A]\r\n;k=1\r\n", "A", "k", std::nullopt},
        {"indented semicolon comment", "[A]\r\n \t;k=1\r\n", "A", "k", std::nullopt},
        {"hash is no comment", "[A]\r\n#k=1\r\n", "A", "#k", "1"},
        {"hash line does not hide the next", "[A]\r\n# note\r\nk=2\r\n", "A", "k", "2"},
        {"no end-of-line comments", "[A]\r\nk=5 ; five\r\n", "A", "k", "5 ; five"},
        {"line without equals is no key", "[A]\r\nk 12\r\nk=7\r\n", "A", "k", "7"},
        {"first equals splits", "[A]\r\nk=a=b\r\n", "A", "k", "a=b"},
        {"empty value", "[A]\r\nk=\r\n", "A", "k", ""},
        {"text after header bracket", "[A] ; note\r\nk=1\r\n", "A", "k", "1"},
        {"double quotes removed", "[A]\r\nk=\"12\"\r\n", "A", "k", "12"},
        {"single quotes removed", "[A]\r\nk=' 12 '\r\n", "A", "k", " 12 "},
        {"only one pair removed", "[A]\r\nk=\"\"x\"\"\r\n", "A", "k", "\"x\""},
        {"mismatched quotes kept", "[A]\r\nk=\"12'\r\n", "A", "k", "\"12'"},
        {"lone quote kept", "[A]\r\nk=\"\r\n", "A", "k", "\""},
        {"empty quotes", "[A]\r\nk=''\r\n", "A", "k", ""},
        {"first duplicate section wins", "[A]\r\nk=1\r\n[a]\r\nk=2\r\n", "A", "k", "1"},
        {"later duplicate section ignored", "[A]\r\nj=1\r\n[A]\r\nk=2\r\n", "A", "k",
         std::nullopt},
        {"first duplicate key wins", "[A]\r\nk=1\r\nK=2\r\n", "A", "k", "1"},
        {"LF only", "[A]\nk=5\nj=6\n", "A", "j", "6"},
        {"no final line end", "[A]\r\nk=5", "A", "k", "5"},
        {"CR LF not in value", "[A]\r\nk=5\r\n", "A", "k", "5"},
        {"BOM before header", "\xEF\xBB\xBF[A]\r\nk=1\r\n", "A", "k", "1"},
        {"NUL bytes elsewhere", "\0\0\n[A]\nk=1\0x\n"s, "A", "k",
         "1\0x"s},
        {"non-ASCII compared exactly", "[\xC3\xA4]\r\nk=1\r\n", "\xC3\x84", "k", std::nullopt},
        {"empty text", "", "A", "k", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findValue(c.text, c.section, c.key), c.value) << c.name;
    }
}

TEST(IniFindValue, SeesAtMost255Characters) {
    ASSERT_EQ(kMaxValueLength, 255u);
    struct Case {
        std::string stored;
        std::string seen;
    };
    const std::string x255(255, 'x');
    const Case cases[] = {
        {x255, x255},
        {std::string(300, 'x'), x255},
        {x255 + "yz", x255},
        // Quotes come off first, then the cut.
        {"\"" + x255 + "\"", x255},
        {"\"" + x255 + "yz\"", x255},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findValue("[A]\r\nk=" + c.stored + "\r\n", "A", "k"), c.seen)
            << c.stored.size();
    }
}

TEST(IniWithValue, Edits) {
    struct Case {
        const char* name;
        std::string text;
        const char* section;
        const char* key;
        std::string expected;
    };
    const Case cases[] = {
        {"replaces exactly one line", kDefaultFile, "Kousan", "Kaisu",
         "; MT.INI\r\n; records\r\n\r\n[Kousan]\r\nKaisu=5\r\n\r\n[Tyutai]\r\nKaisu=0\r\n\r\n"
         "[Time]\r\n1st=9999\r\n"},
        {"keeps the key's spelling, drops blanks", "[KOUSAN]\r\n  KAISU = 4 \r\n", "Kousan",
         "Kaisu", "[KOUSAN]\r\nKAISU=5\r\n"},
        {"keeps an LF line end", "[A]\nk=1\nj=2\n", "A", "k", "[A]\nk=5\nj=2\n"},
        {"keeps a missing line end", "[A]\nk=1", "A", "k", "[A]\nk=5"},
        {"line ends mixed", "[A]\nk=1\r\nj=2\n", "a", "K", "[A]\nk=5\r\nj=2\n"},
        {"missing key after last key line", "[A]\r\nx=1\r\n\r\n; note\r\n[B]\r\ny=2\r\n", "A",
         "k", "[A]\r\nx=1\r\nk=5\r\n\r\n; note\r\n[B]\r\ny=2\r\n"},
        {"missing key in a section without keys", "[A]\r\n; c\r\n[B]\r\n", "A", "k",
         "[A]\r\nk=5\r\n; c\r\n[B]\r\n"},
        {"missing key after a last line without line end", "[A]\nx=1", "A", "k",
         "[A]\nx=1\r\nk=5\r\n"},
        {"missing key after a header without line end", "[A]", "A", "k", "[A]\r\nk=5\r\n"},
        {"missing key, LF file", "[A]\nx=1\n", "A", "k", "[A]\nx=1\nk=5\r\n"},
        {"missing section appended", "[A]\r\nx=1\r\n", "B", "k", "[A]\r\nx=1\r\n[B]\r\nk=5\r\n"},
        {"missing section after a last line without line end", "[A]\nx=1", "B", "k",
         "[A]\nx=1\r\n[B]\r\nk=5\r\n"},
        {"empty text", "", "B", "k", "[B]\r\nk=5\r\n"},
        {"first duplicate section", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "[A]\nk=5\n[A]\nk=2\n"},
        {"first duplicate section even without the key", "[A]\nj=1\n[A]\nk=2\n", "A", "k",
         "[A]\nj=1\nk=5\r\n[A]\nk=2\n"},
        {"first duplicate key", "[A]\nk=1\nk=2\n", "A", "k", "[A]\nk=5\nk=2\n"},
        {"hash line is a key line", "[A]\n#k=1\n", "A", "k", "[A]\n#k=1\nk=5\r\n"},
        {"commented key is not replaced", "[A]\n;k=1\n", "A", "k", "[A]\nk=5\r\n;k=1\n"},
        {"keys before any section are not touched", "k=1\r\n[A]\r\n", "A", "k",
         "k=1\r\n[A]\r\nk=5\r\n"},
        {"BOM kept", "\xEF\xBB\xBF[A]\r\nk=1\r\n", "A", "k", "\xEF\xBB\xBF[A]\r\nk=5\r\n"},
        {"quoted value replaced", "[A]\r\nk=\"1\"\r\n", "A", "k", "[A]\r\nk=5\r\n"},
    };
    for (const auto& c : cases) {
        const std::string result = withValue(c.text, c.section, c.key, "5");
        EXPECT_EQ(result, c.expected) << c.name;
        // Whatever the edit, the next read must see the new value.
        EXPECT_EQ(findValue(result, c.section, c.key), "5") << c.name;
    }
}

// ---- File functions, each test in a fresh directory ------------------------

class IniFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "ini_file_test.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ini_ = dir_ / "MT.INI";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir_, ignored);
    }

    static void writeBytes(const fs::path& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
        ASSERT_TRUE(out.good());
    }
    static std::string readBytes(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> dirEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
    static unsigned modeOf(const fs::path& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0);
        return st.st_mode & 07777;
    }

    fs::path dir_;
    fs::path ini_;
};

TEST_F(IniFile, GetReadsValuesOrFallback) {
    writeBytes(ini_, "[KOUSAN]\r\nKaisu = 12\r\n[Time]\r\n1st=\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Kousan", "Kaisu", "12"},
        {"Time", "1st", ""},  // present but empty: not the fallback
        {"Time", "2nd", "fallback"},
        {"Tyutai", "Kaisu", "fallback"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "fallback", ini_), c.expected)
            << c.section << "/" << c.key;
    }
}

TEST_F(IniFile, GetFallsBackForUnreadableFiles) {
    EXPECT_EQ(GetPrivateProfileString("Kousan", "Kaisu", "none", dir_ / "missing.ini"), "none");
    EXPECT_EQ(GetPrivateProfileString("Kousan", "Kaisu", "none", dir_), "none");
    EXPECT_EQ(GetPrivateProfileString("Kousan", "Kaisu", "none", ""), "none");
}

TEST_F(IniFile, GetHandlesHugeLinesAndBinaryJunk) {
    std::string text = "\xEF\xBB\xBF[Junk]\r\n";
    text += std::string(600 << 10, 'q');  // one 600 KiB line without "="
    text += "\r\n\0\0\0\r\n"s;
    text += "[Kousan]\r\nKaisu=" + std::string(400 << 10, '7') + "\r\n";
    writeBytes(ini_, text);
    EXPECT_EQ(GetPrivateProfileString("Kousan", "Kaisu", "", ini_), std::string(255, '7'));
    EXPECT_EQ(GetPrivateProfileString("Junk", "q", "none", ini_), "none");
}

TEST_F(IniFile, WriteChangesOneLineOnly) {
    writeBytes(ini_, kDefaultFile);
    const auto failure = WritePrivateProfileString("KOUSAN", "kaisu", "5", ini_);
    ASSERT_FALSE(failure) << failure->describe();

    std::string expected = kDefaultFile;
    const std::string::size_type at = expected.find("Kaisu=4");
    expected.replace(at, 7, "Kaisu=5");
    EXPECT_EQ(readBytes(ini_), expected);
    EXPECT_EQ(GetPrivateProfileString("Kousan", "Kaisu", "", ini_), "5");
    EXPECT_EQ(dirEntries(), std::vector<std::string>{"MT.INI"});
}

TEST_F(IniFile, WriteAddsKeysAndSections) {
    writeBytes(ini_, "[Kousan]\nKaisu=1");
    ASSERT_FALSE(WritePrivateProfileString("Kousan", "Extra", "2", ini_));
    ASSERT_FALSE(WritePrivateProfileString("Time", "1st", "83.5", ini_));
    EXPECT_EQ(readBytes(ini_), "[Kousan]\nKaisu=1\r\nExtra=2\r\n[Time]\r\n1st=83.5\r\n");
}

TEST_F(IniFile, WriteCreatesMissingFile) {
    const auto failure = WritePrivateProfileString("Time", "1st", "9999", ini_);
    ASSERT_FALSE(failure) << failure->describe();
    EXPECT_EQ(readBytes(ini_), "[Time]\r\n1st=9999\r\n");
    EXPECT_EQ(dirEntries(), std::vector<std::string>{"MT.INI"});
}

// A new record file gets the mode any new file gets in its folder (0644
// under the usual umask): a save that took its mode from an unset umask made
// a file of mode 000 that the player could not read.
TEST_F(IniFile, WriteCreatesFileWithTheUsualMode) {
    writeBytes(dir_ / "ordinary", "");
    ASSERT_FALSE(WritePrivateProfileString("Time", "1st", "9999", ini_));
    EXPECT_EQ(modeOf(ini_), modeOf(dir_ / "ordinary"));
    EXPECT_EQ(modeOf(ini_) & 0600u, 0600u);
}

TEST_F(IniFile, WriteKeepsPermissions) {
    writeBytes(ini_, kDefaultFile);
    ASSERT_EQ(::chmod(ini_.c_str(), 0640), 0);
    ASSERT_FALSE(WritePrivateProfileString("Kousan", "Kaisu", "5", ini_));
    EXPECT_EQ(modeOf(ini_), 0640u);
    EXPECT_EQ(GetPrivateProfileString("Kousan", "Kaisu", "", ini_), "5");
}

TEST_F(IniFile, WriteRefusesReadOnlyFile) {
    writeBytes(ini_, kDefaultFile);
    ASSERT_EQ(::chmod(ini_.c_str(), 0444), 0);
    const auto failure = WritePrivateProfileString("Kousan", "Kaisu", "5", ini_);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->reason, platform::Failure::Reason::ReadOnlyFile) << failure->describe();
    EXPECT_EQ(readBytes(ini_), kDefaultFile);
    EXPECT_EQ(modeOf(ini_), 0444u);
    EXPECT_EQ(dirEntries(), std::vector<std::string>{"MT.INI"});
}

TEST_F(IniFile, WriteFailsIntoMissingDirectory) {
    const fs::path nowhere = dir_ / "gone" / "MT.INI";
    const auto failure = WritePrivateProfileString("Kousan", "Kaisu", "5", nowhere);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->error, ENOENT) << failure->describe();
    EXPECT_FALSE(fs::exists(dir_ / "gone"));
    EXPECT_TRUE(dirEntries().empty());
}

TEST_F(IniFile, WriteRefusesDirectory) {
    fs::create_directory(ini_);
    const auto failure = WritePrivateProfileString("Kousan", "Kaisu", "5", ini_);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->reason, platform::Failure::Reason::NotARegularFile) << failure->describe();
    EXPECT_TRUE(fs::is_directory(ini_));
    EXPECT_EQ(dirEntries(), std::vector<std::string>{"MT.INI"});
}

// A write that fails halfway (here: the file-size limit hits while the
// temporary file is written) leaves the old file and no temporary behind.
TEST_F(IniFile, FailedWriteLeavesOriginalAndNoTempFile) {
#if defined(__EMSCRIPTEN__)
    GTEST_SKIP() << "emscripten keeps no file-size limit: setrlimit(RLIMIT_FSIZE) is accepted and ignored, "
                    "so no write can be made to fail halfway";
#endif
    const std::string original = kDefaultFile + std::string(200, ';') + "\r\n";
    writeBytes(ini_, original);

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto failure = WritePrivateProfileString("Kousan", "Kaisu", "5", ini_);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->describe(), "cannot write: File too large");
    EXPECT_EQ(readBytes(ini_), original);
    EXPECT_EQ(dirEntries(), std::vector<std::string>{"MT.INI"});
}

TEST_F(IniFile, WriteGoesThroughSymlink) {
    const fs::path real = dir_ / "real.ini";
    writeBytes(real, kDefaultFile);
    fs::create_symlink("real.ini", ini_);
    ASSERT_FALSE(WritePrivateProfileString("Tyutai", "Kaisu", "1", ini_));
    EXPECT_TRUE(fs::is_symlink(ini_));
    EXPECT_EQ(GetPrivateProfileString("Tyutai", "Kaisu", "", real), "1");
}

}  // namespace

namespace {

// What a killed writer leaves goes at the next start; nothing else does.
TEST_F(IniFile, StaleTemporariesAreRemovedAndNothingElse) {
    writeBytes(ini_, "[Kousan]\r\nKaisu=1\r\n");
    for (const char* name : {".MT.INI.a1B2c3", ".MT.INI.zzzzzz", ".MT.INI.toolong1", "MT.INI.bak", ".OTHER.abcdef"})
        writeBytes(dir_ / name, "x");
    fs::create_directory(dir_ / ".MT.INI.dir123");
    platform::RemoveStaleTemporaries(ini_);
    auto names = dirEntries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".MT.INI.dir123", ".MT.INI.toolong1", ".OTHER.abcdef", "MT.INI",
                                               "MT.INI.bak"}));
}

}  // namespace
