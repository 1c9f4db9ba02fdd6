// Hostile answers against the cookie jar, on loopback servers: a flood of Set-Cookie lines, a
// redirect to another host that plants cookies, oversized values, and a jar that cannot be
// written. Each case checks what the account's section holds afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <ostream>
#include <vector>

#include "core/encoding.h"
#include "http/test_servers.h"
#include "platform/ini_profile.h"
#include "support/local_sites.h"
#include "support/temp_dir.h"
#include "web/cookie_jar.h"
#include "web/cookie_policy.h"
#include "web/http_exchange.h"
#include "web/stored_value.h"

namespace tieba::test {
namespace {

using Clock = std::chrono::steady_clock;

std::string base(const LocalServer& server)
{
    return "http://127.0.0.1:" + std::to_string(server.port());
}

// Every key of a section of the data file, in file order.
std::vector<std::string> sectionKeys(const std::string& section)
{
    std::vector<std::string> keys;
    bool inside = false;
    for (const std::string& line : readTextLines(dataFilePath())) {
        if (!line.empty() && line.front() == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        if (inside && line.find('=') != std::string::npos)
            keys.push_back(line.substr(0, line.find('=')));
    }
    return keys;
}

std::string storedCookie(const std::string& section, const std::string& name)
{
    const std::string raw = readProfileString(dataFilePath(), section, name, "\n");
    return raw == "\n" ? "<absent>" : decodeStoredValue(raw);
}

class HostileCookies : public testing::Test {
protected:
    HostileCookies()
    {
        forum_.server().Get("/flood", [](const httplib::Request&, httplib::Response& res) {
            for (int n = 0; n < 10000; ++n)
                res.headers.emplace("Set-Cookie", "F" + std::to_string(n) + "=" + std::to_string(n) + ";");
            res.set_content("ok", "text/plain");
        });
        forum_.server().Get("/home", [](const httplib::Request&, httplib::Response& res) {
            res.headers.emplace("Set-Cookie", "HOME=forum; path=/");
            res.set_content("ok", "text/plain");
        });
        forum_.server().Get("/leave", [this](const httplib::Request&, httplib::Response& res) {
            res.set_redirect(other_.url("/plant"));
        });
        other_.server().Get("/plant", [](const httplib::Request&, httplib::Response& res) {
            res.headers.emplace("Set-Cookie", "PLANTED=elsewhere; path=/");
            res.set_content("planted", "text/plain");
        });
        other_.server().Get("/back", [this](const httplib::Request&, httplib::Response& res) {
            res.set_redirect(forum_.url("/home"));
        });
        forum_.start();
        other_.start();
        Sites sites = sitesFor(base(forum_));
        sites.noticePageUrl = other_.url("/notice");
        setCookieSites(sites);
    }
    ~HostileCookies() override { allowCookiesFromAnyHost(); }

    ScopedTempDir dir_;
    LocalServer forum_;
    LocalServer other_;
};

TEST_F(HostileCookies, AFloodKeepsTheFirstHundredAndWhatTheSectionHeld)
{
    writeProfileString(dataFilePath(), "cookies1", "BDUSS", encodeStoredValue("session;"));
    writeProfileString(dataFilePath(), "cookies1", "F5", encodeStoredValue("old;"));

    const auto started = Clock::now();
    EXPECT_EQ(httpExchange(forum_.url("/flood"), "GET", {}, dataFilePath(), 1), "ok");
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(5));

    const std::vector<std::string> keys = sectionKeys("cookies1");
    ASSERT_EQ(keys.size(), kMaxCookiesPerSection);
    EXPECT_EQ(keys[0], "BDUSS");
    EXPECT_EQ(keys[1], "F5");
    EXPECT_EQ(keys[2], "F0");
    EXPECT_EQ(keys.back(), "F98"); // 98 new names beside the two already there
    EXPECT_EQ(storedCookie("cookies1", "BDUSS"), "session;");
    EXPECT_EQ(storedCookie("cookies1", "F5"), "5;"); // a known cookie may still be replaced
    EXPECT_LT(buildCookieHeader(dataFilePath(), "1").size(), 2000u);
}

struct HostCase {
    const char* name;
    const char* path;    // on the forum server, or on the other one when it starts with "other:"
    int account;
    const char* cookie;  // the cookie the final answer sets
    bool stored;
};

void PrintTo(const HostCase& c, std::ostream* out)
{
    *out << c.name;
}

const HostCase kHostCases[] = {
    {"ForumAnswer", "/home", 1, "HOME", true},
    {"RedirectToAnotherHost", "/leave", 1, "PLANTED", false},
    {"RedirectBackToTheForum", "other:/back", 1, "HOME", true},
    {"NoticeHostForAccountZero", "other:/plant", 0, "PLANTED", true},
    {"NoticeHostForAnAccount", "other:/plant", 2, "PLANTED", false},
};

class CookieHosts : public HostileCookies, public testing::WithParamInterface<HostCase> {};

TEST_P(CookieHosts, OnlyTheProgramsOwnHostsSetCookies)
{
    const HostCase& c = GetParam();
    const std::string path = c.path;
    const std::string url = path.starts_with("other:") ? other_.url(path.substr(6)) : forum_.url(path);
    EXPECT_FALSE(httpExchange(url, "GET", {}, dataFilePath(), c.account).empty());

    const std::string section = "cookies" + std::to_string(c.account);
    EXPECT_EQ(storedCookie(section, c.cookie) != "<absent>", c.stored);
}

INSTANTIATE_TEST_SUITE_P(Hosts, CookieHosts, testing::ValuesIn(kHostCases),
                         [](const testing::TestParamInfo<HostCase>& info) { return std::string(info.param.name); });

TEST(CookieCaps, AnOversizedValueIsDroppedAndTheRestStored)
{
    ScopedTempDir dir;
    const std::string big(kMaxCookieValueBytes, 'x'); // with its ";" one byte over
    const std::string header = "Set-Cookie: BIG=" + big + ";\r\nSet-Cookie: SMALL=1;\r\n";
    EXPECT_TRUE(storeSetCookies(header, dataFilePath(), "1").ok);
    EXPECT_EQ(storedCookie("cookies1", "BIG"), "<absent>");
    EXPECT_EQ(storedCookie("cookies1", "SMALL"), "1;");
}

TEST_F(HostileCookies, AJarThatCannotBeWrittenAddsOneLineToTheWorkLog)
{
    std::mutex mutex;
    std::vector<std::string> lines;
    setCookieStoreFailureReport([&](const std::string& line) {
        std::lock_guard lock(mutex);
        lines.push_back(line);
    });
    std::filesystem::create_directory(dataFilePath()); // the jar's file cannot be replaced now

    EXPECT_EQ(httpExchange(forum_.url("/home"), "GET", {}, dataFilePath(), 1), "ok");
    setCookieStoreFailureReport({});

    std::lock_guard lock(mutex);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], gb("保存登录信息失败：数据文件是一个文件夹\r\n"));
    EXPECT_TRUE(std::filesystem::is_directory(dataFilePath()));
}

} // namespace
} // namespace tieba::test
