// The JSON scenario format, checked on the demo file and on mistakes it must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "scenario.h"
#include "sim_client.h"

namespace tieba::forumsim::test {
namespace {

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

TEST(Scenario, DemoFileHasEveryCaseTheDemoShows)
{
    const Scenario s = scenarioFromFile(FORUMSIM_DEMO_SCENARIO);
    EXPECT_EQ(s.encoding, PageEncoding::Utf8);
    ASSERT_EQ(s.accounts.size(), 1u);
    const AccountSpec& demo = s.accounts[0];
    EXPECT_EQ(demo.name, "demo");
    EXPECT_EQ(demo.password, "demo123");
    EXPECT_EQ(demo.captcha, CaptchaRule::FirstLogin);
    EXPECT_GE(demo.forums.size(), 10u);

    auto count = [&](auto predicate) { return std::count_if(demo.forums.begin(), demo.forums.end(), predicate); };
    EXPECT_EQ(count([](const ForumSpec& f) { return f.signedToday; }), 1);
    EXPECT_EQ(count([](const ForumSpec& f) { return !f.liked; }), 1);
    EXPECT_EQ(count([](const ForumSpec& f) { return f.failFirst == 1; }), 1);
    EXPECT_EQ(count([](const ForumSpec& f) { return f.failFirst == 3; }), 1);
    for (const ForumSpec& f : demo.forums)
        EXPECT_FALSE(f.name.empty());

    ASSERT_EQ(s.threads.size(), 1u);
    EXPECT_EQ(s.threads[0].id, "4000000001");
    EXPECT_TRUE(s.threads[0].replyForm);

    // The directive block: every key present, one text item of 6 fields, one link item of 5.
    const std::string block = cutForward(s.notice, "$", "$");
    for (const char* key : {"jiben[", "wenben[", "lianjie[", "xinxi[", "tupian[", "hbfangwen[", "tancu[", "yanse["})
        EXPECT_TRUE(contains(block, key)) << key;
    EXPECT_EQ(cutForward(block, "jiben[", "]"), "3.0");
    EXPECT_EQ(split(cutForward(block, "wenben[", "]"), '#').size(), 6u);
    const std::vector<std::string> link = split(cutForward(block, "lianjie[", "]"), '#');
    ASSERT_EQ(link.size(), 5u);
    EXPECT_EQ(link[4], "{base}/");
}

TEST(Scenario, ReadsEveryFieldAndDefaults)
{
    const Scenario s = scenarioFromJson(R"({
        "encoding": "gbk", "seed": 7, "turnDayAfterForumPages": 4, "captchaCodes": ["ABCD"],
        "cookieDomain": ".example.com", "notice": "n",
        "accounts": [{"name": "a", "password": "p", "captcha": "always", "session": "tok",
                      "forums": [{"name": "f", "level": 3, "experience": 9, "signed": true, "liked": false,
                                  "signable": false, "failFirst": 2, "gain": 5}, {"name": "g"}]}],
        "threads": [{"id": "77", "title": "t", "forum": "f", "replyForm": false, "replyFailFirst": 1}],
        "faults": [{"target": "/sign", "kind": "stall", "times": 2, "ms": 30}]
    })");
    EXPECT_EQ(s.encoding, PageEncoding::Gbk);
    EXPECT_EQ(s.seed, 7u);
    EXPECT_EQ(s.turnDayAfterForumPages, 4);
    EXPECT_EQ(s.captchaCodes, std::vector<std::string>{"ABCD"});
    EXPECT_EQ(s.cookieDomain, ".example.com");
    const AccountSpec& a = s.accounts.at(0);
    EXPECT_EQ(a.captcha, CaptchaRule::Always);
    EXPECT_EQ(a.presetSession, "tok");
    const ForumSpec& f = a.forums.at(0);
    EXPECT_EQ(std::make_tuple(f.level, f.experience, f.signedToday, f.liked, f.signable, f.failFirst, f.gain),
              std::make_tuple(3, 9, true, false, false, 2, 5));
    const ForumSpec& g = a.forums.at(1);
    EXPECT_EQ(std::make_tuple(g.level, g.signedToday, g.liked, g.signable, g.failFirst),
              std::make_tuple(1, false, true, true, 0));
    EXPECT_FALSE(s.threads.at(0).replyForm);
    EXPECT_EQ(s.threads.at(0).replyFailFirst, 1);
    EXPECT_EQ(s.faults.at(0).kind, FaultKind::Stall);
    EXPECT_EQ(s.faults.at(0).times, 2);
    EXPECT_EQ(s.faults.at(0).milliseconds, 30);
}

TEST(Scenario, PresetSessionIsLoggedInFromTheStart)
{
    Scenario s = smallScenario();
    s.accounts[0].presetSession = "preset-token";
    ForumSim sim(s);
    SimClient client(sim);
    client.setCookies("BDUSS=preset-token;");
    EXPECT_TRUE(contains(client.get("/")->body, "un=alice\">&gt;&gt;我的i贴吧"));
}

class ScenarioMistake : public testing::TestWithParam<const char*> {};

TEST_P(ScenarioMistake, IsRefusedWithAMessage)
{
    EXPECT_THROW(scenarioFromJson(GetParam()), std::runtime_error);
}

INSTANTIATE_TEST_SUITE_P(Table, ScenarioMistake,
                         testing::Values("{", R"({"acounts": []})", R"({"encoding": "latin1"})",
                                         R"({"accounts": [{"name": "a", "captcha": "sometimes"}]})",
                                         R"({"accounts": [{"name": "a", "forums": [{"level": 2}]}]})",
                                         R"({"accounts": [{"name": "a", "forums": [{"name": "f", "level": "x"}]}]})",
                                         R"({"faults": [{"kind": "explode"}]})", R"({"threads": [{"title": "t"}]})"));

} // namespace
} // namespace tieba::forumsim::test
