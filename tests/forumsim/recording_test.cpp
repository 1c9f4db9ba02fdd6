// Request recording, waiting on the simulator, the notice and the small pages.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "sim_client.h"

namespace tieba::forumsim::test {
namespace {

TEST(Recording, KeepsMethodTargetCookieContentTypeAndBodyInOrder)
{
    ForumSim sim(smallScenario());
    SimClient client(sim);
    client.setCookies("a=1;b=2;");
    client.get("/m?kw=\xB2\xE2&lp=1");
    client.post("/passport/", "&login_username=alice&login_loginpass=p+w");

    const std::vector<Request> requests = sim.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/m?kw=\xB2\xE2&lp=1");
    EXPECT_EQ(requests[0].cookie, "a=1;b=2;");
    EXPECT_EQ(requests[0].body, "");
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].target, "/passport/");
    EXPECT_EQ(requests[1].contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[1].body, "&login_username=alice&login_loginpass=p+w");

    sim.clearRequests();
    EXPECT_EQ(sim.requestCount(), 0u);
    client.get("/");
    EXPECT_EQ(sim.requestCount(), 1u);
}

TEST(Recording, WaitUntilSeesRequestsOfOtherThreadsAndGivesUpAtItsDeadline)
{
    std::atomic<int> observed{0};
    ForumSim::Options options;
    options.onRequest = [&observed](const Request&) { ++observed; };
    ForumSim sim(smallScenario(), options);

    std::thread worker([&sim] {
        SimClient client(sim);
        for (int i = 0; i < 3; ++i)
            client.get("/m?kw=%E6%B5%8B%E8%AF%95");
    });
    EXPECT_TRUE(sim.waitUntil([&sim] { return sim.requestCount() >= 3; }, std::chrono::seconds(20)));
    worker.join();
    EXPECT_EQ(observed.load(), 3);
    EXPECT_FALSE(sim.waitUntil([] { return false; }, std::chrono::milliseconds(20)));
}

TEST(SmallPages, NoticeIsServedVerbatimWithTheBaseFilledIn)
{
    Scenario s = smallScenario();
    s.notice = "<p>$jiben[3.0]lianjie[1#2#3#首页#{base}/]hbfangwen[]$</p>";
    ForumSim sim(s);
    SimClient client(sim);
    auto notice = client.get("/notice");
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->body, "<p>$jiben[3.0]lianjie[1#2#3#首页#" + sim.baseUrl() + "/]hbfangwen[]$</p>");
    for (const char* target : {"/download", "/feedback"}) {
        auto page = client.get(target);
        EXPECT_EQ(page->status, 200) << target;
        EXPECT_TRUE(contains(page->body, "</html>")) << target;
    }
    EXPECT_EQ(client.get("/no/such/page")->status, 404);
}

TEST(Lifetime, EndsWhileAClientStillHoldsAConnection)
{
    auto sim = std::make_unique<ForumSim>(smallScenario());
    httplib::Client client("127.0.0.1", sim->port());
    client.set_keep_alive(true);
    ASSERT_TRUE(client.Get("/"));
    sim.reset(); // returns although the kept-alive connection is idle on the server
    EXPECT_FALSE(client.Get("/"));
}

} // namespace
} // namespace tieba::forumsim::test
