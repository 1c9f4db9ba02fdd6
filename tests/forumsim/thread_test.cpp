// Thread pages, their reply form as the bumper cuts it, and reply posting.
#include <gtest/gtest.h>

#include "sim_client.h"
#include "text_codec.h"

namespace tieba::forumsim::test {
namespace {

struct Form {
    std::string action, fid, tbs, word, ti, sub1, src, tn;
};

Form cutForm(const std::string& page)
{
    auto value = [&](const char* name) { return cutForward(page, std::string(name) + "\" value=\"", "\""); };
    return Form{cutForward(page, "action=\"", "\""), value("fid"), value("tbs"), value("word"),
                value("ti"),  value("sub1"), value("src"),  value("tn")};
}

std::string replyBody(const std::string& threadId, const Form& f, const std::string& text)
{
    return "&z=" + threadId + "&tn=" + f.tn + "&fid=" + f.fid + "&tbs=" + f.tbs + "&co=" + text + "&word=" + f.word +
           "&ti=" + f.ti + "&sub1=" + f.sub1 + "&src=" + f.src;
}

Scenario threadScenario()
{
    Scenario s = smallScenario();
    ThreadSpec open;
    open.id = "4000000001";
    open.title = "每日打卡";
    open.forum = "测试";
    open.replyFailFirst = 1;
    ThreadSpec locked;
    locked.id = "4000000002";
    locked.title = "公告";
    locked.forum = "测试";
    locked.replyForm = false;
    s.threads = {open, locked};
    return s;
}

TEST(Thread, ReplyFormCutsIntoAPostThatIsAccepted)
{
    ForumSim sim(threadScenario());
    SimClient client(sim);
    client.post("/passport/", "&login_username=alice&login_loginpass=pw1");

    const std::string page = client.get("/m?kz=4000000001")->body;
    EXPECT_TRUE(contains(cutBackward(page, "插图片", "我的i贴吧"), "alice"));
    const Form form = cutForm(page);
    EXPECT_EQ(form.action, "mo/q/submit");
    EXPECT_FALSE(form.fid.empty());
    EXPECT_FALSE(form.tbs.empty());
    EXPECT_EQ(form.word, percentEncode("测试"));
    EXPECT_EQ(form.sub1, "回贴");
    EXPECT_EQ(form.src, "1");
    EXPECT_FALSE(form.tn.empty());

    // The reply text goes in raw, here as GBK bytes of 你好; the first reply is refused.
    const std::string body = replyBody("4000000001", form, "\xC4\xE3\xBA\xC3");
    EXPECT_FALSE(contains(client.post("/" + form.action, body)->body, "回贴成功"));
    EXPECT_TRUE(contains(client.post("/" + form.action, body)->body, "回贴成功"));
    // A doubled slash in front of the action reaches the same form handler.
    EXPECT_TRUE(contains(client.post("//" + form.action, replyBody("4000000001", form, "again"))->body, "回贴成功"));

    const std::vector<Reply> replies = sim.replies();
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].threadId, "4000000001");
    EXPECT_EQ(replies[0].account, "alice");
    EXPECT_EQ(replies[0].text, "你好");
    EXPECT_EQ(replies[0].rawText, "\xC4\xE3\xBA\xC3");
    EXPECT_TRUE(contains(client.get("/m?kz=4000000001")->body, "你好"));
}

TEST(Thread, RefusesVisitorsLockedThreadsAndForgedForms)
{
    ForumSim sim(threadScenario());
    SimClient visitor(sim);
    const std::string page = visitor.get("/m?kz=4000000001")->body;
    EXPECT_EQ(cutBackward(page, "插图片", "我的i贴吧"), "");
    const Form form = cutForm(page);
    EXPECT_FALSE(contains(visitor.post("/" + form.action, replyBody("4000000001", form, "hi"))->body, "回贴成功"));

    SimClient alice(sim);
    alice.post("/passport/", "&login_username=alice&login_loginpass=pw1");
    EXPECT_FALSE(contains(alice.get("/m?kz=4000000002")->body, "action=\""));
    const Form good = cutForm(alice.get("/m?kz=4000000001")->body);
    Form forged = good;
    forged.tbs = "stale";
    for (const std::string& body : {replyBody("4000000002", good, "hi"), replyBody("4000000001", forged, "hi"),
                                    replyBody("4000000001", good, ""), replyBody("999", good, "hi")}) {
        EXPECT_FALSE(contains(alice.post("/mo/q/submit", body)->body, "回贴成功")) << body;
    }
    EXPECT_TRUE(sim.replies().empty());
    EXPECT_TRUE(contains(alice.get("/m?kz=999")->body, "删除"));
}

} // namespace
} // namespace tieba::forumsim::test
