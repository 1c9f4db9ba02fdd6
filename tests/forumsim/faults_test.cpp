// Injected faults: each hits the configured number of requests, then the page is normal again.
#include <gtest/gtest.h>

#include <functional>

#include "sim_client.h"

namespace tieba::forumsim::test {
namespace {

struct FaultCase {
    const char* what;
    Fault fault;
    std::function<void(const httplib::Result&, const ForumSim&)> check;
};

Fault fault(FaultKind kind, std::function<void(Fault&)> adjust = {})
{
    Fault f;
    f.targetPrefix = "/m?kw=";
    f.kind = kind;
    f.times = 1;
    if (adjust)
        adjust(f);
    return f;
}

const std::string kForum = "/m?kw=%E6%B5%8B%E8%AF%95";

class Faults : public testing::TestWithParam<FaultCase> {};

TEST_P(Faults, HitsOnceThenThePageIsNormal)
{
    Scenario s = smallScenario();
    s.faults.push_back(GetParam().fault);
    ForumSim sim(s);
    SimClient client(sim);
    client.post("/passport/", "&login_username=alice&login_loginpass=pw1");

    GetParam().check(client.get(kForum), sim);
    auto normal = client.get(kForum);
    ASSERT_TRUE(normal);
    EXPECT_EQ(normal->status, 200);
    EXPECT_TRUE(contains(normal->body, "\">签到"));
    EXPECT_EQ(sim.requestCount(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Faults,
    testing::Values(
        FaultCase{"status", fault(FaultKind::Status, [](Fault& f) { f.status = 503, f.body = "busy"; }),
                  [](const httplib::Result& r, const ForumSim&) {
                      ASSERT_TRUE(r);
                      EXPECT_EQ(r->status, 503);
                      EXPECT_EQ(r->body, "busy");
                  }},
        FaultCase{"redirectLoop", fault(FaultKind::RedirectLoop),
                  [](const httplib::Result& r, const ForumSim& sim) {
                      ASSERT_TRUE(r);
                      EXPECT_EQ(r->status, 302);
                      // httplib's client hands the Location header over percent-decoded.
                      EXPECT_EQ(r->get_header_value("Location"), sim.baseUrl() + "/m?kw=测试");
                  }},
        FaultCase{"stall", fault(FaultKind::Stall, [](Fault& f) { f.milliseconds = 30; }),
                  [](const httplib::Result& r, const ForumSim&) {
                      ASSERT_TRUE(r);
                      EXPECT_TRUE(contains(r->body, "\">签到"));
                  }},
        FaultCase{"resetMidBody", fault(FaultKind::ResetMidBody),
                  [](const httplib::Result& r, const ForumSim&) { EXPECT_FALSE(r); }},
        FaultCase{"bigBody", fault(FaultKind::BigBody, [](Fault& f) { f.megabytes = 2; }),
                  [](const httplib::Result& r, const ForumSim&) {
                      ASSERT_TRUE(r);
                      EXPECT_GT(r->body.size(), 2u * 1024 * 1024);
                      EXPECT_TRUE(contains(r->body, "\">签到"));
                  }},
        FaultCase{"invalidBytes", fault(FaultKind::InvalidBytes),
                  [](const httplib::Result& r, const ForumSim&) {
                      ASSERT_TRUE(r);
                      EXPECT_TRUE(r->body.starts_with("\xFF\xFE\x80"));
                      EXPECT_TRUE(contains(r->body, "\">签到"));
                  }},
        FaultCase{"emptyBody", fault(FaultKind::EmptyBody),
                  [](const httplib::Result& r, const ForumSim&) {
                      ASSERT_TRUE(r);
                      EXPECT_EQ(r->status, 200);
                      EXPECT_EQ(r->body, "");
                  }}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Faults, CookieWithoutSemicolonStripsTheLoginCookies)
{
    ForumSim sim(smallScenario());
    sim.addFault(Fault{"/passport/", FaultKind::CookieWithoutSemicolon});
    httplib::Client client("127.0.0.1", sim.port());
    client.set_tcp_nodelay(true);
    auto answer = client.Post("/passport/", "&login_username=alice&login_loginpass=pw1",
                              "application/x-www-form-urlencoded");
    ASSERT_TRUE(answer);
    const size_t count = answer->get_header_value_count("Set-Cookie");
    ASSERT_GT(count, 0u);
    bool session = false;
    for (size_t i = 0; i < count; ++i) {
        const std::string line = answer->get_header_value("Set-Cookie", i);
        EXPECT_EQ(line.find(';'), std::string::npos) << line;
        session = session || line.starts_with("BDUSS=");
    }
    EXPECT_TRUE(session);

    sim.clearFaults();
    auto clean = client.Post("/passport/", "&login_username=alice&login_loginpass=pw1",
                             "application/x-www-form-urlencoded");
    EXPECT_NE(clean->get_header_value("Set-Cookie").find(';'), std::string::npos);
}

} // namespace
} // namespace tieba::forumsim::test
