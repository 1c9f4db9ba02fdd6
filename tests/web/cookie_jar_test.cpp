#include "web/cookie_jar.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/encoding.h"
#include "platform/ini_profile.h"
#include "support/temp_dir.h"
#include "web/stored_value.h"

namespace tieba {
namespace {

class CookieJarTest : public testing::Test {
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
    static std::string entry(const std::string& name, const std::string& value)
    {
        return name + "=" + encodeStoredValue(value) + "\r\n";
    }

    test::ScopedTempDir dir_;
    std::string path_ = dataFilePath();
};

TEST_F(CookieJarTest, DataFileLivesInTheCurrentDirectoryAtEachCall)
{
    EXPECT_EQ(path_, dir_.file("shuju.dat"));
    {
        test::ScopedTempDir other;
        EXPECT_EQ(dataFilePath(), other.file("shuju.dat"));
    }
    EXPECT_EQ(dataFilePath(), path_);
}

TEST_F(CookieJarTest, HeaderJoinsDecodedEntriesWithoutSeparators)
{
    writeFile("[cookies1]\r\n" + entry("a", "1;") + entry("b", "2;"));
    EXPECT_EQ(buildCookieHeader(path_, "1"), "a=1;b=2;");
}

TEST_F(CookieJarTest, HeaderReadsOnlyItsOwnAccountWhereverSectionsStand)
{
    writeFile("[" + gb("账号1") + "]\r\nid=" + encodeStoredValue("x") + "\r\n[cookies3]\r\n" + entry("c", "3;") +
              "[cookies2]\r\n" + entry("b", "2;") + entry("bb", "22;") + "[cookies1]\r\n" + entry("a", "1;") +
              "[" + gb("完成后关机") + "]\r\n" + gb("完成后关机") + "=116\r\n");
    EXPECT_EQ(buildCookieHeader(path_, "1"), "a=1;");
    EXPECT_EQ(buildCookieHeader(path_, "2"), "b=2;bb=22;");
    EXPECT_EQ(buildCookieHeader(path_, "3"), "c=3;");
    EXPECT_EQ(buildCookieHeader(path_, "0"), "");
}

TEST_F(CookieJarTest, HeaderIsEmptyWithoutFileOrSection)
{
    EXPECT_EQ(buildCookieHeader(path_, "1"), "");
    writeFile("[cookies1]\r\n\r\n[cookies2]\r\n" + entry("b", "2;"));
    EXPECT_EQ(buildCookieHeader(path_, "1"), "");
}

TEST_F(CookieJarTest, HeaderSkipsLinesWithoutValueOrEquals)
{
    writeFile("[cookies1]\n" + entry("a", "1;") + "junk line\nempty=\n" + entry("b", "2;"));
    EXPECT_EQ(buildCookieHeader(path_, "1"), "a=1;b=2;");
}

TEST_F(CookieJarTest, LineBreaksAndNulInTheFileNeverReachTheHeader)
{
    std::string nulName("n\0m", 3);
    writeFile("[cookies1]\r\n" + entry("a", "x\r\nX-Injected: 1\n;") + nulName + "=" + encodeStoredValue("2;") +
              "\r\n");
    std::string header = buildCookieHeader(path_, "1");
    EXPECT_EQ(header, "a=xX-Injected: 1;nm=2;");
    EXPECT_EQ(header.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
}

TEST_F(CookieJarTest, StoresCookiesButNeverUserRs)
{
    storeSetCookies("HTTP/1.1 200 OK\r\nSet-Cookie: BAIDUID=AB12:FG=1; expires=Thu, 31-Dec-37 23:55:55 GMT; path=/\r\n"
                    "Set-Cookie: PTOKEN_USER_RS=secret; path=/\r\nContent-Type: text/html\r\n",
                    path_, "1");
    EXPECT_EQ(buildCookieHeader(path_, "1"), "BAIDUID=AB12:FG=1;");
    EXPECT_EQ(readProfileString(path_, "cookies1", "PTOKEN_USER_RS", "absent"), "absent");
    EXPECT_EQ(readProfileString(path_, "cookies1", "BAIDUID", ""), encodeStoredValue("AB12:FG=1;"));
}

TEST_F(CookieJarTest, StoringAgainReplacesInPlaceAndKeepsOrder)
{
    storeSetCookies("Set-Cookie: a=1;\r\nSet-Cookie: b=2;\r\nSet-Cookie: c=3;\r\n", path_, "2");
    storeSetCookies("Set-Cookie: b=9; path=/\r\nSet-Cookie: d=4;\r\n", path_, "2");
    EXPECT_EQ(buildCookieHeader(path_, "2"), "a=1;b=9;c=3;d=4;");
    EXPECT_EQ(fileText(), "[cookies2]\r\n" + entry("a", "1;") + entry("b", "9;") + entry("c", "3;") + entry("d", "4;"));
}

TEST_F(CookieJarTest, LaterCookieOfTheSameNameInOneResponseWins)
{
    storeSetCookies("Set-Cookie: a=old;\r\nSet-Cookie: a=new;\r\n", path_, "1");
    EXPECT_EQ(buildCookieHeader(path_, "1"), "a=new;");
}

TEST_F(CookieJarTest, ExchangeWithoutAccountUsesCookies0)
{
    storeSetCookies("Set-Cookie: n=1;\r\n", path_, "0");
    EXPECT_EQ(fileText(), "[cookies0]\r\n" + entry("n", "1;"));
    EXPECT_EQ(buildCookieHeader(path_, "0"), "n=1;");
    EXPECT_EQ(buildCookieHeader(path_, "1"), "");
}

TEST_F(CookieJarTest, ValueWithoutSemicolonRunsOnToTheNextOne)
{
    storeSetCookies("Set-Cookie: a=1\r\nSet-Cookie: b=2; path=/\r\n", path_, "1");
    EXPECT_EQ(readProfileString(path_, "cookies1", "a", ""), encodeStoredValue("1\r\nSet-Cookie: b=2;"));
    EXPECT_EQ(readProfileString(path_, "cookies1", "b", "absent"), "absent");
    EXPECT_EQ(buildCookieHeader(path_, "1"), "a=1Set-Cookie: b=2;");
}

TEST_F(CookieJarTest, NameRunningAcrossLinesCannotForgeFileLines)
{
    storeSetCookies("Set-Cookie: x\r\n[cookies1]\r\nid=evil;\r\nSet-Cookie: ok=1;\r\n", path_, "2");
    EXPECT_EQ(fileText(), "[cookies2]\r\n" + entry("ok", "1;"));
}

TEST_F(CookieJarTest, HeaderTextWithoutSetCookieStoresNothing)
{
    storeSetCookies("HTTP/1.1 200 OK\r\nset-cookie: lower=1;\r\n", path_, "1");
    EXPECT_FALSE(fileExists(path_));
}

TEST_F(CookieJarTest, ConcurrentStoresForThreeAccountsLoseNothing)
{
    constexpr int kRounds = 1000;
    constexpr int kNames = 5;
    std::atomic<bool> writersDone{false};
    std::atomic<int> badHeaders{0};

    // A reader builds headers all along: every header it sees must be whole.
    std::thread reader([&] {
        while (!writersDone.load()) {
            std::string header = buildCookieHeader(path_, "2");
            for (size_t at = 0; at < header.size();) {
                size_t end = header.find(';', at);
                if (header.compare(at, 1, "c") != 0 || end == std::string::npos) {
                    ++badHeaders;
                    break;
                }
                at = end + 1;
            }
        }
    });
    std::vector<std::thread> writers;
    for (int account = 1; account <= 3; ++account) {
        writers.emplace_back([this, account] {
            for (int i = 0; i < kRounds; ++i) {
                std::string name = "c" + std::to_string(i % kNames);
                storeSetCookies("Set-Cookie: " + name + "=" + std::to_string(account * 100000 + i) + "; path=/\r\n",
                                path_, std::to_string(account));
            }
        });
    }
    for (auto& w : writers)
        w.join();
    writersDone = true;
    reader.join();

    EXPECT_EQ(badHeaders.load(), 0);
    for (int account = 1; account <= 3; ++account) {
        std::string expected;
        for (int i = kRounds - kNames; i < kRounds; ++i)
            expected += "c" + std::to_string(i % kNames) + "=" + std::to_string(account * 100000 + i) + ";";
        EXPECT_EQ(buildCookieHeader(path_, std::to_string(account)), expected) << "account " << account;
    }
    std::vector<std::string> lines = readTextLines(path_);
    ASSERT_EQ(lines.size(), 3u * (1 + kNames));
    int sections = 0;
    for (const std::string& line : lines) {
        if (line.front() == '[')
            ++sections;
        else
            EXPECT_NE(line.find('='), std::string::npos) << line;
    }
    EXPECT_EQ(sections, 3);
}

} // namespace
} // namespace tieba
