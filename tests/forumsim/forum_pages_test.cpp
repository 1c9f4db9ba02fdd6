// The followed-forum page, forum pages, sign requests and the day turnover, read with the
// same cuts and patterns the program uses.
#include <chrono>
#include <gtest/gtest.h>

#include <boost/regex.hpp>

#include "sim_client.h"
#include "text_codec.h"

namespace tieba::forumsim::test {
namespace {

std::vector<std::string> captures(const std::string& text, const char* pattern)
{
    std::vector<std::string> out;
    const boost::regex re(pattern, boost::regex::perl);
    for (boost::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
        out.push_back((*it)[1].str());
    return out;
}

std::string unescapeAmp(std::string link)
{
    for (size_t at = link.find("&amp;"); at != std::string::npos; at = link.find("&amp;", at + 1))
        link.replace(at, 5, "&");
    return link;
}

std::string signLink(const std::string& page)
{
    return unescapeAmp(cutBackward(page, "href=\"", "\">签到"));
}

void login(SimClient& client, const std::string& name, const std::string& password)
{
    client.post("/passport/", "&login_username=" + percentEncode(name) + "&login_loginpass=" + password);
}

ForumSpec forum(const std::string& name, int level, int experience)
{
    ForumSpec f;
    f.name = name;
    f.level = level;
    f.experience = experience;
    return f;
}

TEST(FollowedPage, PatternsYieldAlignedNamesLinksLevelsAndExperience)
{
    Scenario s = smallScenario();
    s.accounts[0].forums = {forum("李毅", 7, 1234), forum("c++", 12, 0), forum("魔兽世界", 3, 98765)};
    AccountSpec idle;
    idle.name = "idle";
    idle.password = "x";
    s.accounts.push_back(idle);
    ForumSim sim(s);
    SimClient client(sim);
    login(client, "alice", "pw1");

    const std::string page = client.get("/m?tn=bdFBW&tab=favorite")->body;
    EXPECT_TRUE(page.ends_with("</html>"));
    EXPECT_EQ(captures(page, "kw=.*?>(.*?)</a>"), (std::vector<std::string>{"李毅", "c++", "魔兽世界"}));
    EXPECT_EQ(captures(page, "(等级\\d*)</"), (std::vector<std::string>{"等级7", "等级12", "等级3"}));
    EXPECT_EQ(captures(page, "(经验值\\d*)<"), (std::vector<std::string>{"经验值1234", "经验值0", "经验值98765"}));
    const std::vector<std::string> links =
        captures(cutForward(page, "发言记录", "</html>"), "href=\\\"(.*?kw=.*?)\\\"");
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[1], "/m?kw=c%2B%2B&amp;lp=1");
    for (const std::string& link : links) {
        const std::string forumPage = client.get(unescapeAmp(link))->body;
        EXPECT_TRUE(signLink(forumPage).starts_with("/sign?kw=")) << link;
    }

    SimClient other(sim);
    login(other, "idle", "x");
    const std::string none = other.get("/m?tn=bdFBW&tab=favorite")->body;
    EXPECT_TRUE(contains(none, "你暂未关注某个吧"));
    EXPECT_FALSE(contains(none, "kw="));
}

struct Offer {
    const char* what;
    bool visitor, signedToday, liked, signable;
    bool showsSigned, showsLike, showsSignLink;
};

class ForumPageOffer : public testing::TestWithParam<Offer> {};

TEST_P(ForumPageOffer, ShowsExactlyItsMarkers)
{
    const Offer& o = GetParam();
    Scenario s = smallScenario();
    s.accounts[0].forums[0].signedToday = o.signedToday;
    s.accounts[0].forums[0].liked = o.liked;
    s.accounts[0].forums[0].signable = o.signable;
    ForumSim sim(s);
    SimClient client(sim);
    if (!o.visitor)
        login(client, "alice", "pw1");

    const std::string page = client.get("/m?kw=" + percentEncode("测试"))->body;
    EXPECT_EQ(contains(page, "已签到"), o.showsSigned);
    EXPECT_EQ(contains(page, "喜欢本吧"), o.showsLike);
    EXPECT_EQ(contains(page, "\">签到"), o.showsSignLink);
    if (!o.showsSigned && !o.showsSignLink) {
        EXPECT_FALSE(contains(page, "签到"));
    }
    if (o.showsSignLink) {
        const std::string link = signLink(page);
        EXPECT_TRUE(link.starts_with("/sign?kw=%E6%B5%8B%E8%AF%95&tbs=")) << link;
        EXPECT_TRUE(contains(page, "<a href=\"/sign?kw=%E6%B5%8B%E8%AF%95&amp;tbs="));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ForumPageOffer,
                         testing::Values(Offer{"open", false, false, true, true, false, false, true},
                                         Offer{"signed", false, true, true, true, true, false, false},
                                         Offer{"notLiked", false, false, false, true, false, true, false},
                                         Offer{"notSignable", false, false, true, false, false, false, false},
                                         Offer{"visitor", true, false, true, true, false, false, false}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(Sign, FailsFirstKTimesThenSucceedsOnceThenSaysSigned)
{
    Scenario s = smallScenario();
    s.accounts[0].forums[0].failFirst = 2;
    s.accounts[0].forums[0].gain = 9;
    ForumSim sim(s);
    SimClient client(sim);
    login(client, "alice", "pw1");
    const std::string link = signLink(client.get("/m?kw=" + percentEncode("测试"))->body);

    for (int i = 0; i < 2; ++i) {
        const std::string answer = client.get(link)->body;
        EXPECT_FALSE(contains(answer, "签到成功")) << i;
        EXPECT_FALSE(contains(answer, "已签到")) << i;
    }
    const std::string success = client.get(link)->body;
    EXPECT_TRUE(contains(success, "签到成功"));
    EXPECT_EQ(cutForward(success, "经验值上升<span class=\"light\">", "</span>"), "9");

    const std::string again = client.get(link)->body;
    EXPECT_TRUE(contains(again, "已签到"));
    EXPECT_FALSE(contains(again, "签到成功"));
    EXPECT_TRUE(contains(client.get("/m?kw=" + percentEncode("测试"))->body, "已签到"));

    const auto state = sim.forum("alice", "测试");
    ASSERT_TRUE(state);
    EXPECT_TRUE(state->signedToday);
    EXPECT_EQ(state->experience, 1234 + 9);
    EXPECT_EQ(state->signRequests, 4);
    EXPECT_EQ(state->failuresLeft, 0);

    // Without the session, or with another tbs, nothing is signed.
    sim.turnDay();
    SimClient visitor(sim);
    EXPECT_FALSE(contains(visitor.get(link)->body, "签到成功"));
    EXPECT_FALSE(contains(client.get("/sign?kw=%E6%B5%8B%E8%AF%95&tbs=forged")->body, "签到成功"));
    EXPECT_FALSE(sim.forum("alice", "测试")->signedToday);
}

TEST(Sign, DayTurnsOnRequestOrAfterConfiguredForumPages)
{
    Scenario s = smallScenario();
    s.accounts[0].forums[0].signedToday = true;
    s.turnDayAfterForumPages = 3;
    ForumSim sim(s);
    SimClient client(sim);
    login(client, "alice", "pw1");
    const std::string address = "/m?kw=" + percentEncode("测试");

    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(contains(client.get(address)->body, "已签到")) << i;
    std::string page = client.get(address)->body;
    EXPECT_FALSE(contains(page, "已签到"));
    ASSERT_TRUE(contains(client.get(signLink(page))->body, "签到成功"));
    EXPECT_TRUE(contains(client.get(address)->body, "已签到"));

    // Counted again from each turnover (three pages since: the one with the sign link and two
    // signed ones), so the next watch of the signed forum sees a new day too.
    EXPECT_TRUE(contains(client.get(address)->body, "已签到"));
    page = client.get(address)->body;
    EXPECT_FALSE(contains(page, "已签到"));
    ASSERT_TRUE(contains(client.get(signLink(page))->body, "签到成功"));

    // A turnover on request starts the count afresh.
    sim.turnDay();
    EXPECT_TRUE(contains(client.get(address)->body, "\">签到"));
    EXPECT_EQ(sim.turnovers().size(), 3u);
}

TEST(Sign, TurnoversAndRequestsCarryTheirTimes)
{
    ForumSim sim(smallScenario());
    SimClient client(sim);
    const auto before = std::chrono::steady_clock::now();
    client.get("/");
    sim.turnDay();
    client.get("/");
    const auto after = std::chrono::steady_clock::now();

    const auto requests = sim.requests();
    const auto turnovers = sim.turnovers();
    ASSERT_EQ(requests.size(), 2u);
    ASSERT_EQ(turnovers.size(), 1u);
    EXPECT_LE(before, requests[0].arrived);
    EXPECT_LE(requests[0].arrived, turnovers[0]);
    EXPECT_LE(turnovers[0], requests[1].arrived);
    EXPECT_LE(requests[1].arrived, after);
}

class ForumNameEncoding : public testing::TestWithParam<std::pair<const char*, std::string>> {};

TEST_P(ForumNameEncoding, FindsTheForum)
{
    ForumSim sim(smallScenario());
    SimClient client(sim);
    login(client, "alice", "pw1");
    const std::string page = client.get("/m?kw=" + GetParam().second + "&lp=1")->body;
    EXPECT_TRUE(contains(page, "\">签到")) << page;
    EXPECT_FALSE(contains(page, "喜欢本吧"));
}

INSTANTIATE_TEST_SUITE_P(Table, ForumNameEncoding,
                         testing::Values(std::make_pair("percentUtf8", std::string("%E6%B5%8B%E8%AF%95")),
                                         std::make_pair("percentGbk", std::string("%B2%E2%CA%D4")),
                                         std::make_pair("rawUtf8", std::string("测试")),
                                         std::make_pair("rawGbk", std::string("\xB2\xE2\xCA\xD4"))),
                         [](const auto& info) { return std::string(info.param.first); });

TEST(ForumPage, AForumTheAccountDoesNotFollowOffersToLikeIt)
{
    ForumSim sim(smallScenario());
    SimClient client(sim);
    login(client, "alice", "pw1");
    const std::string page = client.get("/m?kw=" + percentEncode("别的吧"))->body;
    EXPECT_TRUE(contains(page, "喜欢本吧"));
    EXPECT_FALSE(contains(page, "签到"));
}

TEST(GbkPages, CarryGbkBytesAndGbkLinks)
{
    Scenario s = smallScenario();
    s.encoding = PageEncoding::Gbk;
    ForumSim sim(s);
    SimClient client(sim);
    login(client, "alice", "pw1");

    auto followed = client.get("/m?tn=bdFBW&tab=favorite");
    EXPECT_EQ(followed->get_header_value("Content-Type"), "text/html; charset=gbk");
    EXPECT_TRUE(contains(followed->body, "\xB7\xA2\xD1\xD4\xBC\xC7\xC2\xBC")); // 发言记录
    EXPECT_FALSE(contains(followed->body, "发言记录"));
    EXPECT_TRUE(contains(followed->body, "<a href=\"/m?kw=%B2%E2%CA%D4&amp;lp=1\">\xB2\xE2\xCA\xD4</a>"));

    const std::string page = client.get("/m?kw=%B2%E2%CA%D4&lp=1")->body;
    const std::string link = unescapeAmp(cutBackward(page, "href=\"", "\">\xC7\xA9\xB5\xBD")); // 签到
    EXPECT_TRUE(link.starts_with("/sign?kw=%B2%E2%CA%D4&tbs=")) << link;
    const std::string answer = client.get(link)->body;
    EXPECT_TRUE(contains(answer, "\xC7\xA9\xB5\xBD\xB3\xC9\xB9\xA6")); // 签到成功

    // The user-page link stays UTF-8 on a GBK page.
    EXPECT_TRUE(contains(client.get("/")->body, "href=\"/i?un=alice\">&gt;&gt;"));
}

} // namespace
} // namespace tieba::forumsim::test
