#include <gtest/gtest.h>
#include <forumsim.h>
#include <memory>
#include <mutex>

#include "core/encoding.h"
#include "notice/read_notice.h"
#include "support/fake_waiter.h"
#include "support/temp_dir.h"
#include "web/cookie_jar.h"
#include "web/http_exchange.h"
#include "web/text_helpers.h"

namespace tieba {
namespace {

// Everything the reader does to the banner, the browser and the message window, as UTF-8 lines
// in the order it happened.
class RecordingNotice final : public BannerView, public MessagePresenter {
public:
    void clear() override { add("clear"); }
    void setBackground(NoticeColour c) override { add("background " + rgb(c)); }
    void drawText(int x, int y, const std::string& text, int size, bool bold, NoticeColour c) override
    {
        add("text " + place(x, y) + " " + std::to_string(size) + "pt" + (bold ? " bold " : " ") + rgb(c) + " " +
            utf8FromGb(text));
    }
    void addLink(int x, int y, int width, const std::string& caption, const std::string& address) override
    {
        add("link " + place(x, y) + " w" + std::to_string(width) + " " + utf8FromGb(caption) + " -> " + address);
    }
    bool drawPicture(int x, int y, int width, int height, const std::string& bytes) override
    {
        const bool png = bytes.starts_with("\x89PNG");
        add("picture " + place(x, y) + " " + std::to_string(width) + "x" + std::to_string(height) +
            (png ? " png" : " not a picture"));
        return png;
    }
    void openAddress(const std::string& address) override { add("open " + address); }
    void showMessage(const std::string& text) override { add("message " + utf8FromGb(text)); }

    std::vector<std::string> lines() const
    {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    static std::string place(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    static std::string rgb(NoticeColour c)
    {
        return "rgb(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue) + ")";
    }
    void add(std::string line)
    {
        std::lock_guard lock(mutex_);
        lines_.push_back(std::move(line));
    }

    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// The reader against a notice page served by the simulated service, in a scratch folder
// (the page's cookies go to the data file there).
class ReadNoticeTest : public ::testing::Test {
protected:
    void serve(const std::string& notice, std::vector<forumsim::Fault> faults = {})
    {
        forumsim::Scenario scenario;
        scenario.notice = notice;
        scenario.faults = std::move(faults);
        sim = std::make_unique<forumsim::ForumSim>(std::move(scenario));
        base = sim->baseUrl();
        sites.noticePageUrl = base + "/notice";
    }

    // Reads the notice; the lines that came out, with the service's address written "{base}".
    std::vector<std::string> read()
    {
        readNotice(NoticeEnvironment{state, sites, recorder, recorder, waiter,
                                     [](const std::string& address, std::stop_token stop) {
                                         return fetchBytes(address, stop);
                                     }});
        std::vector<std::string> lines = recorder.lines();
        if (!base.empty()) {
            for (std::string& line : lines)
                line = replaceAll(line, base, "{base}");
        }
        return lines;
    }

    test::ScopedTempDir folder;
    SharedState state;
    Sites sites;
    RecordingNotice recorder;
    test::FakeWaiter waiter;
    std::unique_ptr<forumsim::ForumSim> sim;
    std::string base;
};

using Lines = std::vector<std::string>;

const std::string kEmptyValues = "wenben[]lianjie[]xinxi[]tupian[]hbfangwen[]tancu[]yanse[0]";

TEST_F(ReadNoticeTest, VersionWithEmptyValuesOnlyClearsTheBanner)
{
    serve("<html><body><p>$jiben[3.0]" + kEmptyValues + "$</p></body></html>");
    EXPECT_EQ(read(), Lines{"clear"});
    EXPECT_EQ(state.latestVersion.get(), "3.0");
    EXPECT_EQ(state.newVersionFound.load(), 0);
    EXPECT_EQ(state.bannerLinkUrl.get(), "");
    EXPECT_EQ(state.noticeText.get(), "jiben[3.0]" + kEmptyValues);
    EXPECT_TRUE(waiter.waits().empty());
}

TEST_F(ReadNoticeTest, EveryDirectiveTakesEffectInItsOrderWhateverTheBlockOrder)
{
    serve("<div>$yanse[16711680]tancu[{base}/page?a=1&amp;b=2]hbfangwen[{base}/home]"
          "tupian[100#20#64#32#{base}/pic/ff0000.png%1#1#5#5#{base}/notice%2#2#5#5#http://127.0.0.1:9/x.png"
          "%300#0#16#16#{base}/pic/0000ff.png]"
          "xinxi[<b>你好</b><br>世界]lianjie[12#44#140#打开首页#{base}/]"
          "wenben[10#10#255#12#1#hello%10#60#0#9# 0 #普通]jiben[3.0]$</div>");
    EXPECT_EQ(read(), (Lines{"clear",
                             "open {base}/page?a=1&b=2",
                             "message 你好世界",
                             "background rgb(0,0,255)",
                             "text 10,10 12pt bold rgb(255,0,0) hello",
                             "text 10,60 9pt rgb(0,0,0) 普通",
                             "link 12,44 w140 打开首页 -> {base}/",
                             "picture 100,20 64x32 png",
                             "picture 1,1 5x5 not a picture",
                             "picture 300,0 16x16 png"}));
    EXPECT_EQ(state.bannerLinkUrl.get(), base + "/home");
    EXPECT_EQ(state.messageText.get(), gb("你好世界"));
    EXPECT_EQ(state.newVersionFound.load(), 0);
}

struct VersionCase {
    const char* name;
    std::string block;
    std::string latest;
    Lines lines;
};

class ReadNoticeVersionTest : public ReadNoticeTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(ReadNoticeVersionTest, AnyOtherVersionIsOfferedLast)
{
    serve("$" + GetParam().block + "$");
    EXPECT_EQ(read(), GetParam().lines);
    EXPECT_EQ(state.latestVersion.get(), GetParam().latest);
    const bool offered = GetParam().lines.back() == "message 发现新版本";
    EXPECT_EQ(state.newVersionFound.load(), offered ? 1 : 0);
    if (offered) {
        EXPECT_EQ(state.messageText.get(), gb("发现新版本"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Versions, ReadNoticeVersionTest,
    ::testing::Values(
        VersionCase{"Same", "jiben[3.0]" + kEmptyValues, "3.0", {"clear"}},
        VersionCase{"Newer", "jiben[3.1#x#y#z]" + kEmptyValues, "3.1", {"clear", "message 发现新版本"}},
        VersionCase{"TrailingSpace", "jiben[3.0 ]" + kEmptyValues, "3.0 ", {"clear", "message 发现新版本"}},
        VersionCase{"Older", "jiben[2.9]", "2.9", {"clear", "message 发现新版本"}},
        VersionCase{"NoVersionNamed", "jiben[]" + kEmptyValues, "", {"clear"}},
        VersionCase{"MessageFirst", "jiben[3.2]xinxi[公告]wenben[1#1#0#9#0#t]",
                    "3.2",
                    {"clear", "message 公告", "text 1,1 9pt rgb(0,0,0) t", "message 发现新版本"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadNoticeTest, UnreachablePageIsReportedAndOffersNoVersion)
{
    sites.noticePageUrl = "http://127.0.0.1:9/notice";
    EXPECT_EQ(read(), (Lines{"message 连网失败！请检查网络连接。", "clear"}));
    EXPECT_EQ(waiter.waits(), (std::vector<int>{1000, 1000}));
    EXPECT_EQ(state.messageText.get(), gb("连网失败！请检查网络连接。"));
    EXPECT_EQ(state.latestVersion.get(), "");
    EXPECT_EQ(state.newVersionFound.load(), 0);
    EXPECT_EQ(state.bannerLinkUrl.get(), "");
}

class ReadNoticeFaultTest : public ReadNoticeTest, public ::testing::WithParamInterface<forumsim::FaultKind> {};

TEST_P(ReadNoticeFaultTest, EmptyOrFailedAnswerCountsAsUnreachable)
{
    forumsim::Fault fault;
    fault.targetPrefix = "/notice";
    fault.kind = GetParam();
    fault.body = "";
    serve("$jiben[3.1]$", {fault});
    EXPECT_EQ(read(), (Lines{"message 连网失败！请检查网络连接。", "clear"}));
    EXPECT_EQ(state.newVersionFound.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, ReadNoticeFaultTest,
                         ::testing::Values(forumsim::FaultKind::EmptyBody, forumsim::FaultKind::Status,
                                           forumsim::FaultKind::ResetMidBody));

TEST_F(ReadNoticeTest, PageWithoutABlockOnlyClearsTheBanner)
{
    serve("<html><body>Nothing to say today. Price: $5</body></html>");
    EXPECT_EQ(read(), Lines{"clear"});
    EXPECT_EQ(state.noticeText.get(), "");
    EXPECT_EQ(state.newVersionFound.load(), 0);
}

TEST_F(ReadNoticeTest, PageGoesWithTheCookiesOfAccountZeroAndPicturesWithout)
{
    serve("$jiben[3.0]tupian[0#0#16#16#{base}/pic/00ff00.png]$");
    storeSetCookies("Set-Cookie: NOTICEID=abc; path=/\r\n", dataFilePath(), "0");
    storeSetCookies("Set-Cookie: BDUSS=account1; path=/\r\n", dataFilePath(), "1");
    read();

    const std::vector<forumsim::Request> requests = sim->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "/notice");
    EXPECT_EQ(requests[0].cookie, "NOTICEID=abc;");
    EXPECT_EQ(requests[1].target, "/pic/00ff00.png");
    EXPECT_EQ(requests[1].cookie, "");
}

TEST_F(ReadNoticeTest, StopRequestedEndsTheReaderBeforeItTouchesAnything)
{
    serve("$jiben[3.1]xinxi[hi]$");
    std::stop_source stop;
    stop.request_stop();
    readNotice(NoticeEnvironment{state, sites, recorder, recorder, waiter, {}}, stop.get_token());
    EXPECT_TRUE(recorder.lines().empty());
    EXPECT_EQ(state.newVersionFound.load(), 0);
}

} // namespace
} // namespace tieba
