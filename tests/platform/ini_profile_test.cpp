#include "platform/ini_profile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/encoding.h"
#include "support/temp_dir.h"

namespace tieba {
namespace {

using namespace std::string_literals;

// GB18030 characters whose second byte looks like an ASCII letter: 癆 is B0 41, 癮 is B0 61.
const std::string kLaoA = "\xB0\x41";
const std::string kYinA = "\xB0\x61";

class IniTest : public testing::Test {
protected:
    void writeFile(const std::string& content)
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out << content;
    }
    std::string fileText() const
    {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    std::string read(const std::string& section, const std::string& key) const
    {
        return readProfileString(path_, section, key, "<default>");
    }
    mode_t fileMode() const
    {
        struct stat info {};
        ::stat(path_.c_str(), &info);
        return info.st_mode & 0777;
    }
    // Names in the folder other than the data file and its lock file: leftovers of a write.
    std::vector<std::string> strayFiles() const
    {
        std::vector<std::string> stray;
        for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
            std::string name = e.path().filename().string();
            if (name != "shuju.dat" && name != "shuju.dat.lock")
                stray.push_back(name);
        }
        return stray;
    }

    test::ScopedTempDir dir_;
    std::string path_ = dir_.file("shuju.dat");
};

struct ReadCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;
};

class IniReadTest : public IniTest, public testing::WithParamInterface<ReadCase> {};

TEST_P(IniReadTest, Reads)
{
    writeFile(GetParam().file);
    EXPECT_EQ(read(GetParam().section, GetParam().key), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    testing::Values(
        ReadCase{"crlf", "[s]\r\nk=v\r\nj=w\r\n", "s", "j", "w"},
        ReadCase{"lf", "[s]\nk=v\nj=w\n", "s", "j", "w"},
        ReadCase{"lone cr", "[s]\rk=v\rj=w", "s", "j", "w"},
        ReadCase{"last line without ending", "[s]\r\nk=v", "s", "k", "v"},
        ReadCase{"garbage lines", "garbage\r\n]][[\r\n[s]\r\nno equals here\r\n[broken\r\nk=v\r\n", "s", "k", "v"},
        ReadCase{"entries before any section", "k=early\r\n[s]\r\nk=v\r\n", "s", "k", "v"},
        ReadCase{"blanks around names and value", " [ s ] \r\n\t k \t=  v w \t\r\n", "s", "k", "v w"},
        ReadCase{"only the first = splits", "[s]\r\nk=a=b\r\n", "s", "k", "a=b"},
        ReadCase{"empty value is not the default", "[s]\r\nk=\r\n", "s", "k", ""},
        ReadCase{"missing key", "[s]\r\nk=v\r\n", "s", "x", "<default>"},
        ReadCase{"missing section", "[s]\r\nk=v\r\n", "t", "k", "<default>"},
        ReadCase{"key of another section", "[s]\r\nk=v\r\n[t]\r\nj=w\r\n", "s", "j", "<default>"},
        ReadCase{"first of duplicated sections", "[s]\r\nk=1\r\n[t]\r\n[s]\r\nk=2\r\nj=3\r\n", "s", "k", "1"},
        ReadCase{"second duplicate is not read", "[s]\r\nk=1\r\n[t]\r\n[s]\r\nk=2\r\nj=3\r\n", "s", "j", "<default>"},
        ReadCase{"first of duplicated keys", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "1"},
        ReadCase{"ascii case ignored", "[Cookies1]\r\nBDUSS=1\r\n", "cOOKIES1", "bduss", "1"},
        ReadCase{"gbk names", "[" + gb("账号1") + "]\r\nid=218+-100+217\r\n", gb("账号1"), "id", "218+-100+217"},
        ReadCase{"gbk second byte case kept", "[" + kLaoA + "]\r\nk=1\r\n[" + kYinA + "]\r\nk=2\r\n", kYinA, "k",
                 "2"},
        ReadCase{"nul ends the line", "[s]\r\nk=v\0tail\r\nj=w\r\n"s, "s", "k", "v"},
        ReadCase{"line after a nul", "[s]\r\nk=v\0tail\r\nj=w\r\n"s, "s", "j", "w"},
        ReadCase{"nul before the equals sign", "[s]\r\nk\0=v\r\n"s, "s", "k", "<default>"},
        ReadCase{"empty file", "", "s", "k", "<default>"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(IniTest, MissingFileGivesTheDefault)
{
    EXPECT_EQ(read("s", "k"), "<default>");
    EXPECT_FALSE(fileExists(path_));
}

TEST_F(IniTest, LongValuesAreCutToTheCap)
{
    std::string value(20000, '7');
    writeFile("[s]\r\nk=" + value + "\r\n");
    EXPECT_EQ(read("s", "k"), value.substr(0, kProfileValueCap));
    EXPECT_EQ(readProfileString(path_, "s", "x", value).size(), kProfileValueCap);
}

TEST_F(IniTest, WriteCreatesFileSectionAndKeyWithCrlfOwnerOnly)
{
    ::umask(022);
    ASSERT_TRUE(writeProfileString(path_, "s", "k", "v"));
    EXPECT_EQ(fileText(), "[s]\r\nk=v\r\n");
    EXPECT_EQ(fileMode(), 0600u);
}

TEST_F(IniTest, WriteReplacesInPlaceAndKeepsOrder)
{
    writeFile("; note\r\n[s]\r\na=1\r\nb=2\r\nc=3\r\n[t]\r\nb=7\r\n");
    ASSERT_TRUE(writeProfileString(path_, "s", "b", "9"));
    EXPECT_EQ(fileText(), "; note\r\n[s]\r\na=1\r\nb=9\r\nc=3\r\n[t]\r\nb=7\r\n");
}

TEST_F(IniTest, ReplaceKeepsTheSpellingOfTheFile)
{
    writeFile("[Cookies1]\r\n  BDUSS = 1\r\n");
    ASSERT_TRUE(writeProfileString(path_, "cookies1", "bduss", "2"));
    EXPECT_EQ(fileText(), "[Cookies1]\r\nBDUSS=2\r\n");
}

TEST_F(IniTest, NewKeyGoesAfterTheLastEntryOfItsSection)
{
    writeFile("[s]\r\na=1\r\n\r\njunk\r\n[t]\r\nx=1\r\n");
    ASSERT_TRUE(writeProfileString(path_, "s", "b", "2"));
    EXPECT_EQ(fileText(), "[s]\r\na=1\r\nb=2\r\n\r\njunk\r\n[t]\r\nx=1\r\n");
}

TEST_F(IniTest, NewKeyOfAnEmptySectionFollowsItsHeader)
{
    writeFile("[s]\r\n\r\n[t]\r\nx=1\r\n");
    ASSERT_TRUE(writeProfileString(path_, "s", "a", "1"));
    EXPECT_EQ(fileText(), "[s]\r\na=1\r\n\r\n[t]\r\nx=1\r\n");
}

TEST_F(IniTest, NewSectionGoesToTheEndAndLineEndingsBecomeCrlf)
{
    writeFile("[s]\na=1\rb=2");
    ASSERT_TRUE(writeProfileString(path_, "t", "k", ""));
    EXPECT_EQ(fileText(), "[s]\r\na=1\r\nb=2\r\n[t]\r\nk=\r\n");
    EXPECT_EQ(read("t", "k"), "");
}

TEST_F(IniTest, WritesGoToTheFirstOfDuplicatedSections)
{
    writeFile("[s]\r\na=1\r\n[s]\r\na=2\r\n");
    ASSERT_TRUE(writeProfileString(path_, "s", "b", "3"));
    ASSERT_TRUE(writeProfileString(path_, "s", "a", "4"));
    EXPECT_EQ(fileText(), "[s]\r\na=4\r\nb=3\r\n[s]\r\na=2\r\n");
}

TEST_F(IniTest, GbkNamesDifferingOnlyInSecondByteCaseStayApart)
{
    ASSERT_TRUE(writeProfileString(path_, gb("选中账号"), kLaoA, "1"));
    ASSERT_TRUE(writeProfileString(path_, gb("选中账号"), kYinA, "2"));
    EXPECT_EQ(read(gb("选中账号"), kLaoA), "1");
    EXPECT_EQ(read(gb("选中账号"), kYinA), "2");
}

TEST_F(IniTest, LinesWithNulAndGarbageSurviveAWrite)
{
    std::string odd = "garbage\r\n[s]\r\nk=v\0tail\r\n"s;
    writeFile(odd);
    ASSERT_TRUE(writeProfileString(path_, "s", "j", "w"));
    EXPECT_EQ(fileText(), odd + "j=w\r\n");
}

TEST_F(IniTest, UnchangedWriteLeavesTheFileAlone)
{
    writeFile("[s]\nk=v\n");
    struct stat before {};
    ::stat(path_.c_str(), &before);
    ASSERT_TRUE(writeProfileString(path_, "s", "k", "v"));
    struct stat after {};
    ::stat(path_.c_str(), &after);
    EXPECT_EQ(fileText(), "[s]\nk=v\n");
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(IniTest, WriteMakesAnOpenFileOwnerOnly)
{
    writeFile("[s]\r\nk=v\r\n");
    ::chmod(path_.c_str(), 0644);
    ASSERT_TRUE(writeProfileString(path_, "s", "k", "w"));
    EXPECT_EQ(fileMode(), 0600u);
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(IniTest, TextsThatWouldBreakTheFileAreRefused)
{
    writeFile("[s]\r\nk=v\r\n");
    struct Bad {
        std::string section, key, value;
    };
    for (const Bad& bad : {Bad{"s", "k", "1\r\n[s]"}, Bad{"s", "a\nb", "1"}, Bad{"s\r", "k", "1"},
                           Bad{"s", "a=b", "1"}, Bad{"s", "[t]", "1"}, Bad{"s]x", "k", "1"},
                           Bad{"s", "k", "a\0b"s}}) {
        EXPECT_FALSE(writeProfileString(path_, bad.section, bad.key, bad.value)) << bad.key << bad.value;
    }
    EXPECT_EQ(fileText(), "[s]\r\nk=v\r\n");
}

TEST_F(IniTest, FailedWriteLeavesTheOldFileWhole)
{
    writeFile("[s]\r\nk=old\r\n");
    // A file size limit makes the temporary file fail halfway, whoever runs the test.
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written = writeProfileString(path_, "s", "k", std::string(100000, '1'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(fileText(), "[s]\r\nk=old\r\n");
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(IniTest, WriteIntoReadOnlyFolderFailsAndKeepsTheFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into read-only folders";
    writeFile("[s]\r\nk=old\r\n");
    ::chmod(dir_.path().c_str(), 0500);
    bool written = writeProfileString(path_, "s", "k", "new");
    ::chmod(dir_.path().c_str(), 0700);
    EXPECT_FALSE(written);
    EXPECT_EQ(fileText(), "[s]\r\nk=old\r\n");
}

TEST_F(IniTest, FirstWriteRemovesWhatAKilledWriterLeftButNothingElse)
{
    writeProfileString(path_, "s", "k", "1");
    // This process has looked already; a data file in another folder has not been looked at.
    test::ScopedTempDir other;
    const std::string otherPath = other.file("shuju.dat");
    for (const char* name : {"shuju.dat.writing-a1B2c3", "shuju.dat.backup", "shuju.dat.writing-x"})
        std::ofstream(other.file(name)) << "left";
    EXPECT_TRUE(writeProfileString(otherPath, "s", "k", "2"));
    EXPECT_FALSE(std::filesystem::exists(other.file("shuju.dat.writing-a1B2c3")));
    EXPECT_TRUE(std::filesystem::exists(other.file("shuju.dat.backup")));
    EXPECT_TRUE(std::filesystem::exists(other.file("shuju.dat.writing-x")));
    EXPECT_EQ(readProfileString(otherPath, "s", "k", ""), "2");
}

TEST_F(IniTest, UnreadableDataFileIsNotReplaced)
{
    std::filesystem::create_directory(path_);
    EXPECT_FALSE(writeProfileString(path_, "s", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(path_));
}

TEST_F(IniTest, ReadTextLinesSplitsEveryLineEnding)
{
    writeFile("a\r\nb\nc\rd\r\n\r\ne");
    EXPECT_EQ(readTextLines(path_), (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
    EXPECT_TRUE(readTextLines(dir_.file("absent")).empty());
}

TEST_F(IniTest, CreateEmptyFileKeepsContentAndMakesNewFilesOwnerOnly)
{
    ASSERT_TRUE(createEmptyFile(path_));
    EXPECT_TRUE(fileExists(path_));
    EXPECT_EQ(fileMode(), 0600u);
    writeFile("[s]\r\nk=v\r\n");
    ::chmod(path_.c_str(), 0644);
    ASSERT_TRUE(createEmptyFile(path_));
    EXPECT_EQ(fileText(), "[s]\r\nk=v\r\n");
    makeOwnerOnly(path_);
    EXPECT_EQ(fileMode(), 0600u);
    EXPECT_FALSE(fileExists(dir_.path().string()));
}

TEST_F(IniTest, ThreadsWritingAtOnceLoseNoKey)
{
    constexpr int kKeys = 150;
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([this, t] {
            for (int k = 0; k < kKeys; ++k)
                writeProfileString(path_, "s" + std::to_string(t), "k" + std::to_string(k), std::to_string(k));
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < 3; ++t)
        for (int k = 0; k < kKeys; ++k)
            ASSERT_EQ(read("s" + std::to_string(t), "k" + std::to_string(k)), std::to_string(k)) << t << " " << k;
}

TEST_F(IniTest, TwoProcessesWritingAtOnceLoseNoKey)
{
    constexpr int kKeys = 150;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool ok = true;
            for (int k = 0; k < kKeys; ++k)
                ok = writeProfileString(path_, "p" + std::to_string(p), "k" + std::to_string(k), "v") && ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int p = 0; p < 2; ++p)
        for (int k = 0; k < kKeys; ++k)
            ASSERT_EQ(read("p" + std::to_string(p), "k" + std::to_string(k)), "v") << p << " " << k;
}

} // namespace
} // namespace tieba
