// Every transfer ends: answers trickled by a hostile service give up within the limits, and a
// stop ends a trickle at once.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stop_token>

#include "transfer_trickle_server.h"
#include "web/http_settings.h"
#include "web/http_transfer.h"

namespace tieba {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Lowers the limits for one case and puts the program's back afterwards.
class SettingsOverride {
public:
    explicit SettingsOverride(const HttpSettings& settings) : saved_(httpSettings()) { setHttpSettings(settings); }
    ~SettingsOverride() { setHttpSettings(saved_); }
    SettingsOverride(const SettingsOverride&) = delete;
    SettingsOverride& operator=(const SettingsOverride&) = delete;

private:
    HttpSettings saved_;
};

TransferRequest getOf(const std::string& url)
{
    TransferRequest request;
    request.url = url;
    return request;
}

const std::string kBodyHead = "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\nSet-Cookie: slow=1;\r\n\r\n";

struct TrickleCase {
    const char* name;
    std::string head;
    std::string drip;
    std::chrono::milliseconds every;
    long totalTimeoutMs;
    long lowSpeedSeconds;
    std::chrono::milliseconds notBefore; // the limit that should end it
};

void PrintTo(const TrickleCase& c, std::ostream* out)
{
    *out << c.name;
}

class TrickleGivesUp : public testing::TestWithParam<TrickleCase> {};

TEST_P(TrickleGivesUp, WithinTheLimit)
{
    const TrickleCase& c = GetParam();
    HttpSettings lowered;
    lowered.totalTimeoutMs = c.totalTimeoutMs;
    lowered.lowSpeedSeconds = c.lowSpeedSeconds;
    const SettingsOverride override(lowered);
    test::TrickleServer server(c.head, c.drip, c.every);

    std::stop_source stop;
    const auto started = Clock::now();
    auto result = std::async(std::launch::async, [&] { return runTransfer(getOf(server.url("/")), stop.get_token()); });
    ASSERT_TRUE(server.waitUntilDripping(10s));

    // The server would go on for minutes: only a limit of the transfer can end it this soon.
    const bool ended = result.wait_for(8s) == std::future_status::ready;
    stop.request_stop();
    const TransferResult outcome = result.get();
    const auto lasted = Clock::now() - started;
    ASSERT_TRUE(ended) << "the trickle outlived its limits";
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.body.empty());
    EXPECT_GE(lasted, c.notBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Trickles, TrickleGivesUp,
    testing::Values(
        // Two bytes a second keep the stall check quiet; the low-speed floor does not let them through.
        TrickleCase{"BodyBelowTheFloor", kBodyHead, "a", 500ms, 120'000, 1, 1s},
        TrickleCase{"HeaderBelowTheFloor", "HTTP/1.1 200 OK\r\n", "X-Slow: a\r\n", 500ms, 120'000, 1, 1s},
        // Fast enough for the floor, endless all the same: the total time-out ends it.
        TrickleCase{"BodyAboveTheFloorPastTheDeadline", kBodyHead, "a", 4ms, 1500, 30, 1500ms},
        TrickleCase{"HeaderPastTheDeadline", "HTTP/1.1 200 OK\r\n", "X-Slow: a\r\n", 500ms, 1500, 30, 1500ms}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TrickleStop, EndsTheTransferAtOnce)
{
    // The program's own limits: left alone, this trickle would last half a minute.
    const SettingsOverride defaults{HttpSettings{}};
    test::TrickleServer server(kBodyHead, "a", 500ms);
    std::stop_source stop;
    auto result = std::async(std::launch::async, [&] { return runTransfer(getOf(server.url("/")), stop.get_token()); });
    ASSERT_TRUE(server.waitUntilDripping(10s));

    stop.request_stop();
    const bool ended = result.wait_for(2s) == std::future_status::ready;
    // Should the stop have been missed, the floor still ends the transfer; the case fails anyway.
    const TransferResult outcome = result.get();
    EXPECT_TRUE(ended) << "the stop did not end the trickle";
    EXPECT_FALSE(outcome.ok);
}

} // namespace
} // namespace tieba
