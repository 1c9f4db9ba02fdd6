#include <QTest>
#include <condition_variable>
#include <forumsim.h>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>

#include "core/encoding.h"
#include "ui/notice_reader.h"
#include "support/fake_waiter.h"
#include "support/temp_dir.h"
#include "ui/canvas.h"
#include "ui/hyperlink.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/skin.h"
#include "ui/ui_test_support.h"
#include "web/text_helpers.h"

namespace tieba {
namespace {

using namespace Qt::StringLiterals;
using test::waitUntil;

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);

const std::string kEmptyValues = "wenben[]lianjie[]xinxi[]tupian[]hbfangwen[]tancu[]yanse[0]";

// Holds every request to the notice page until opened, so a test can act before the notice
// has been read.
class Gate {
public:
    void pass()
    {
        std::unique_lock lock(mutex_);
        ++arrived_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    // Waits until a request is held at the gate (or has passed it).
    bool waitForArrival()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [this] { return arrived_ > 0; });
    }
    void open()
    {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    int arrived_ = 0;
};

// The smallest rectangle holding every pixel that `match` accepts; empty when none does.
QRect boxOf(const QImage& image, const std::function<bool(QRgb)>& match, const QRect& area = {})
{
    const QRect within = area.isNull() ? image.rect() : area;
    QRect box;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (match(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

int countIn(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& match)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += match(image.pixel(x, y)) ? 1 : 0;
    return count;
}

bool notWhite(QRgb pixel)
{
    return (pixel & 0xFFFFFF) != (kWhite & 0xFFFFFF);
}

// A main window whose creation starts a notice reader against a notice page of the simulated
// service; the browser, the message windows and the pauses are recorded.
class NoticeWindowTest : public ::testing::Test {
protected:
    ~NoticeWindowTest() override
    {
        // Never leave the service holding a request when the reader is stopped.
        gate.open();
    }

    void serve(const std::string& notice, std::vector<forumsim::Fault> faults = {}, bool gated = false)
    {
        forumsim::Scenario scenario;
        scenario.notice = notice;
        scenario.faults = std::move(faults);
        forumsim::ForumSim::Options options;
        if (gated) {
            options.onRequest = [this](const forumsim::Request& request) {
                if (request.target == "/notice")
                    gate.pass();
            };
        }
        sim = std::make_unique<forumsim::ForumSim>(std::move(scenario), std::move(options));
        base = sim->baseUrl();
        sites.noticePageUrl = base + "/notice";
    }

    // Creates the window; its creation starts the reader, which is not waited for.
    MainWindow& open()
    {
        UrlOpener& opener = withoutBrowser ? static_cast<UrlOpener&>(brokenBrowser) : browser;
        reader = std::make_unique<NoticeReader>(NoticeReaderServices{state, sites, opener, waiter});
        window = std::make_unique<MainWindow>(
            MainWindowServices{state, sites, skin, opener, exit, dialogs, {}, reader->starter(), {}, {}});
        return *window;
    }

    // Opens the window and waits until everything the notice says has reached it.
    void openAndRead()
    {
        open();
        ASSERT_TRUE(waitUntil([this] { return reader->done(); }));
    }

    // The next `count` message windows record whether they show the download link, then close.
    void answerMessages(int count)
    {
        for (int n = 0; n < count; ++n) {
            dialogs.script.push_back([this](QDialog& dialog) {
                const auto* link = dialog.findChild<HyperLink*>(u"超级链接框1"_s);
                downloadLinkShown.push_back(link && link->isVisible());
                dialog.accept();
            });
        }
    }

    // The next message window gets its download link clicked (the version is marked new first).
    void clickDownloadInNextMessage()
    {
        state.newVersionFound.store(1);
        dialogs.script.push_back([](QDialog& dialog) {
            QTest::mouseClick(dialog.findChild<HyperLink*>(u"超级链接框1"_s), Qt::LeftButton, {}, QPoint(5, 5));
            dialog.accept();
        });
    }

    std::vector<QString> messageTexts() const
    {
        std::vector<QString> texts;
        for (const auto& seen : dialogs.seen)
            texts.push_back(seen.text);
        return texts;
    }

    QImage banner() const { return test::rgb(window->banner().image()); }

    // The links the notice put on the banner: every link there but the template.
    std::vector<HyperLink*> noticeLinks() const
    {
        std::vector<HyperLink*> links;
        for (HyperLink* link : window->banner().findChildren<HyperLink*>())
            if (link != &window->bannerLinkTemplate())
                links.push_back(link);
        return links;
    }

    std::string withBase(const std::string& text) const { return replaceAll(text, "{base}", base); }

    test::ScopedTempDir folder;
    SharedState state;
    Sites sites = test::testSites();
    Skin skin;
    test::RecordingUrlOpener browser;
    test::RecordingUrlOpener brokenBrowser{true}; // the desktop without a browser
    bool withoutBrowser = false;
    test::RecordingExit exit;
    test::ScriptedDialogs dialogs;
    test::FakeWaiter waiter;
    std::vector<bool> downloadLinkShown;
    Gate gate;
    std::unique_ptr<forumsim::ForumSim> sim;
    std::string base;
    std::unique_ptr<NoticeReader> reader;
    std::unique_ptr<MainWindow> window; // goes first: the reader must cope with a window gone
};

TEST_F(NoticeWindowTest, VersionWithEmptyValuesOnlyClearsThePlaceholder)
{
    serve("<p>$jiben[3.0]" + kEmptyValues + "$</p>");
    open();
    // Nothing the reader does reaches the window before the GUI thread gets to it.
    EXPECT_GT(countIn(banner(), QRect(125, 50, 150, 16), notWhite), 50) << "placeholder missing";
    ASSERT_TRUE(waitUntil([this] { return reader->done(); }));

    EXPECT_TRUE(boxOf(banner(), notWhite).isEmpty()) << "the banner should be plain white";
    EXPECT_TRUE(noticeLinks().empty());
    EXPECT_TRUE(window->bannerLinkTemplate().isHidden());
    EXPECT_TRUE(dialogs.seen.empty());
    EXPECT_TRUE(browser.opened().empty());
    EXPECT_EQ(state.newVersionFound.load(), 0);
    EXPECT_TRUE(reader->finished());
}

TEST_F(NoticeWindowTest, TextsAreWrittenInTheirColourAtTheirPlace)
{
    serve("$jiben[3.0]wenben[40#30#255#20#1#WWW%220#60#16711680#20#1#WWW]$");
    openAndRead();
    const QImage image = banner();
    const QRect red = boxOf(image, [](QRgb p) { return qRed(p) > 160 && qGreen(p) < 90 && qBlue(p) < 90; });
    const QRect blue = boxOf(image, [](QRgb p) { return qBlue(p) > 160 && qRed(p) < 90 && qGreen(p) < 90; });
    ASSERT_FALSE(red.isEmpty());
    ASSERT_FALSE(blue.isEmpty());
    // The text's top left corner is at the place; glyphs start a few pixels inside it.
    EXPECT_GE(red.left(), 40);
    EXPECT_LE(red.left(), 48);
    EXPECT_GE(red.top(), 30);
    EXPECT_LE(red.top(), 44);
    EXPECT_GE(blue.left(), 220);
    EXPECT_LE(blue.left(), 228);
    EXPECT_GE(blue.top(), 60);
    EXPECT_LE(blue.top(), 74);
    EXPECT_GT(countIn(image, red, [](QRgb p) { return (p & 0xFFFFFF) == (kRed & 0xFFFFFF); }), 20);
    EXPECT_GT(countIn(image, blue, [](QRgb p) { return (p & 0xFFFFFF) == (kBlue & 0xFFFFFF); }), 20);
    // Nothing else was drawn: only the smoothed edges of the glyphs lie outside the boxes.
    QImage rest = image;
    for (const QRect& drawn : {red.adjusted(-2, -2, 2, 2), blue.adjusted(-2, -2, 2, 2)})
        for (int y = drawn.top(); y <= drawn.bottom(); ++y)
            for (int x = drawn.left(); x <= drawn.right(); ++x)
                rest.setPixel(x, y, kWhite);
    EXPECT_TRUE(boxOf(rest, notWhite).isEmpty());
}

TEST_F(NoticeWindowTest, BoldFieldIsAFlag)
{
    // Rows of the same word: " 0 " and "0" plain, "00" and "no" bold.
    serve("$jiben[3.0]wenben[10#5#0#14# 0 #MMMMMM%10#30#0#14#00#MMMMMM%10#55#0#14#0#MMMMMM%10#80#0#14#no#MMMMMM]$");
    openAndRead();
    const QImage image = banner();
    auto ink = [&](int top) { return countIn(image, QRect(0, top, 351, 25), notWhite); };
    const int spacedZero = ink(5), doubleZero = ink(30), zero = ink(55), no = ink(80);
    EXPECT_GT(spacedZero, 100);
    EXPECT_EQ(spacedZero, zero);
    EXPECT_EQ(doubleZero, no);
    EXPECT_GT(doubleZero, spacedZero * 11 / 10) << "bold rows should carry more ink";
}

TEST_F(NoticeWindowTest, LinkItemsBecomeVisibleLinksThatOpenTheirAddress)
{
    serve("$jiben[3.0]lianjie[12#44#140#打开首页#{base}/a?x=1&amp;y=2%200#80#60#<b>第二</b>#{base}/b]$");
    openAndRead();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    const std::vector<HyperLink*> links = noticeLinks();
    ASSERT_EQ(links.size(), 2u);
    EXPECT_TRUE(links[0]->isVisible());
    EXPECT_EQ(links[0]->geometry(), QRect(12, 44, 140, 16));
    EXPECT_EQ(links[0]->text(), u"打开首页"_s);
    EXPECT_EQ(links[0]->target(), withBase("{base}/a?x=1&y=2"));
    EXPECT_EQ(links[1]->geometry(), QRect(200, 80, 60, 16));
    EXPECT_EQ(links[1]->text(), u"第二"_s);
    EXPECT_EQ(links[0]->font(), window->bannerLinkTemplate().font());
    EXPECT_TRUE(window->bannerLinkTemplate().isHidden());

    QTest::mouseClick(links[0], Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(browser.opened(), std::vector<std::string>{withBase("{base}/a?x=1&y=2")});
}

TEST_F(NoticeWindowTest, MessageShowsWithoutItsTags)
{
    serve("$jiben[3.0]xinxi[Hello<br>World]$");
    answerMessages(1);
    openAndRead();
    EXPECT_EQ(messageTexts(), std::vector<QString>{u"HelloWorld"_s});
    EXPECT_EQ(downloadLinkShown, std::vector<bool>{false});
}

TEST_F(NoticeWindowTest, PageToOpenIsOpenedOnceWithItsAmpDecoded)
{
    serve("$jiben[3.0]tancu[{base}/page?a=1&amp;b=2&lt;]hbfangwen[]$");
    openAndRead();
    EXPECT_EQ(browser.opened(), std::vector<std::string>{withBase("{base}/page?a=1&b=2&lt;")});
}

struct BackgroundCase {
    const char* name;
    const char* value;
    QRgb colour;
};

class NoticeBackgroundTest : public NoticeWindowTest, public ::testing::WithParamInterface<BackgroundCase> {};

TEST_P(NoticeBackgroundTest, ZeroKeepsTheBackground)
{
    serve(std::string("$jiben[3.0]yanse[") + GetParam().value + "]$");
    openAndRead();
    const QImage image = banner();
    EXPECT_EQ(image.pixel(0, 0), GetParam().colour);
    EXPECT_EQ(image.pixel(175, 55), GetParam().colour) << "the placeholder is gone";
    EXPECT_EQ(image.pixel(350, 109), GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(Colours, NoticeBackgroundTest,
                         ::testing::Values(BackgroundCase{"Zero", "0", kWhite}, BackgroundCase{"Empty", "", kWhite},
                                           BackgroundCase{"Red", "255", kRed},
                                           BackgroundCase{"Blue", "16711680", kBlue},
                                           BackgroundCase{"HighBitsBlack", "16777216", qRgb(0, 0, 0)}),
                         [](const auto& info) { return std::string(info.param.name); });

class NoticeVersionTest : public NoticeWindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(NoticeVersionTest, OtherVersionShowsTheDownloadLinkFromThenOn)
{
    serve(std::string("$jiben[") + GetParam() + "]" + kEmptyValues + "$");
    answerMessages(2);
    openAndRead();
    EXPECT_EQ(state.newVersionFound.load(), 1);
    EXPECT_EQ(messageTexts(), std::vector<QString>{u"发现新版本"_s});

    // A later message of the program shows the link as well.
    window->showMessage(gb("请先添加账号"));
    EXPECT_EQ(messageTexts(), (std::vector<QString>{u"发现新版本"_s, u"请先添加账号"_s}));
    EXPECT_EQ(downloadLinkShown, (std::vector<bool>{true, true}));
}

INSTANTIATE_TEST_SUITE_P(Versions, NoticeVersionTest, ::testing::Values("3.1#x#y#z", "3.0 "));

TEST_F(NoticeWindowTest, MessageComesBeforeTheVersionOffer)
{
    serve("$jiben[3.2]xinxi[新年快乐]wenben[10#10#0#12#0#drawn]$");
    answerMessages(2);
    openAndRead();
    EXPECT_EQ(messageTexts(), (std::vector<QString>{u"新年快乐"_s, u"发现新版本"_s}));
    EXPECT_EQ(downloadLinkShown, (std::vector<bool>{false, true}));
    EXPECT_FALSE(boxOf(banner(), notWhite).isEmpty()) << "the text between the two messages";
}

TEST_F(NoticeWindowTest, UnreachablePageGivesTheNetworkMessageAndNoVersionOffer)
{
    sites.noticePageUrl = "http://127.0.0.1:9/notice";
    answerMessages(1);
    openAndRead();
    EXPECT_EQ(messageTexts(), std::vector<QString>{u"连网失败！请检查网络连接。"_s});
    EXPECT_EQ(downloadLinkShown, std::vector<bool>{false});
    EXPECT_EQ(waiter.waits(), (std::vector<int>{1000, 1000}));
    EXPECT_EQ(state.newVersionFound.load(), 0);
    EXPECT_TRUE(boxOf(banner(), notWhite).isEmpty()) << "cleared after the message";

    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::mousePress(&window->banner(), Qt::LeftButton, {}, QPoint(100, 50));
    EXPECT_TRUE(browser.opened().empty());
}

TEST_F(NoticeWindowTest, BannerClickOpensNothingBeforeTheNoticeWasRead)
{
    serve("$jiben[3.0]hbfangwen[{base}/home]$", {}, true);
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(gate.waitForArrival());

    QTest::mousePress(&window->banner(), Qt::LeftButton, {}, QPoint(100, 50));
    QApplication::processEvents();
    EXPECT_TRUE(browser.opened().empty());

    gate.open();
    ASSERT_TRUE(waitUntil([this] { return reader->done(); }));
    QTest::mousePress(&window->banner(), Qt::LeftButton, {}, QPoint(100, 50));
    EXPECT_EQ(browser.opened(), std::vector<std::string>{withBase("{base}/home")});
}

TEST_F(NoticeWindowTest, PicturesAreStretchedWithWhiteTransparentOverTheTexts)
{
    serve("$jiben[3.0]yanse[65280]wenben[40#20#0#40#1#MM]"
          "tupian[200#10#32#32#{base}/pic/ff0000.png%1#1#9#9#{base}/notice%2#2#9#9#http://127.0.0.1:9/x.png"
          "%40#20#48#48#{base}/pic/0000ff.png%300#60#64#16#{base}/pic/ff0000.png]$");
    openAndRead();
    const QImage image = banner();

    // 16 x 16 with a 4-pixel white frame, stretched twice: frame 8 pixels, red 16 x 16 inside.
    EXPECT_EQ(image.pixel(207, 17), kGreen);
    EXPECT_EQ(image.pixel(208, 18), kRed);
    EXPECT_EQ(image.pixel(223, 33), kRed);
    EXPECT_EQ(image.pixel(224, 34), kGreen);
    EXPECT_EQ(image.pixel(200, 10), kGreen);

    // The picture's middle covers the text drawn before it; the text shows through the frame.
    EXPECT_EQ(countIn(image, QRect(52, 32, 24, 24), [](QRgb p) { return p != kBlue; }), 0);
    EXPECT_GT(countIn(image, QRect(40, 20, 100, 60), [](QRgb p) { return qGray(p) < 60; }), 50);

    // Stretched to 64 x 16: frame 16 columns wide, 4 rows high.
    EXPECT_EQ(image.pixel(315, 63), kGreen);
    EXPECT_EQ(image.pixel(316, 64), kRed);
    EXPECT_EQ(image.pixel(347, 71), kRed);
    EXPECT_EQ(image.pixel(348, 72), kGreen);

    // The page (no picture) and the unreachable address drew nothing.
    EXPECT_EQ(countIn(image, QRect(0, 0, 12, 12), [](QRgb p) { return p != kGreen; }), 0);
}

TEST_F(NoticeWindowTest, ReaderLeavesAWindowThatIsGoneAlone)
{
    serve("$jiben[3.3]xinxi[hi]hbfangwen[{base}/home]wenben[1#1#0#9#0#t]lianjie[1#1#9#a#b]$", {}, true);
    open();
    ASSERT_TRUE(gate.waitForArrival());
    window.reset();
    gate.open();

    ASSERT_TRUE(waitUntil([this] { return reader->done(); }));
    EXPECT_TRUE(dialogs.seen.empty());
    // The shared results stay for the rest of the run.
    EXPECT_EQ(state.bannerLinkUrl.get(), withBase("{base}/home"));
    EXPECT_EQ(state.newVersionFound.load(), 1);
}

TEST_F(NoticeWindowTest, StoppingTheReaderAbortsItsTransfer)
{
    forumsim::Fault stall;
    stall.targetPrefix = "/notice";
    stall.kind = forumsim::FaultKind::Stall;
    stall.milliseconds = 10 * 60 * 1000; // longer than the test may take
    serve("$jiben[3.1]xinxi[late]$", {stall});
    open();
    ASSERT_TRUE(sim->waitUntil([this] { return sim->requestCount() == 1; }, std::chrono::seconds(5)));

    reader->stop();
    EXPECT_TRUE(reader->finished());
    QApplication::processEvents();
    EXPECT_FALSE(reader->done());
    EXPECT_GT(countIn(banner(), QRect(125, 50, 150, 16), notWhite), 50) << "the placeholder stays";
    EXPECT_TRUE(dialogs.seen.empty());
    EXPECT_EQ(state.newVersionFound.load(), 0);
}

TEST_F(NoticeWindowTest, ClickOnABannerLinkOpensThatLinkOnly)
{
    serve("$jiben[3.0]hbfangwen[{base}/home]lianjie[12#44#140#link#{base}/a%200#80#60#inert#file:///etc/passwd]$");
    openAndRead();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const std::vector<HyperLink*> links = noticeLinks();
    ASSERT_EQ(links.size(), 2u);

    QTest::mouseClick(links[0], Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(browser.opened(), std::vector<std::string>{withBase("{base}/a")});
    // A link whose address is no web page opens nothing, and the banner does not take its press.
    QTest::mouseClick(links[1], Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(browser.opened(), std::vector<std::string>{withBase("{base}/a")});

    QTest::mousePress(&window->banner(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(browser.opened(), (std::vector<std::string>{withBase("{base}/a"), withBase("{base}/home")}));
    EXPECT_TRUE(dialogs.seen.empty());
}

// Each control that opens a web page, clicked with no browser on the desktop.
class NoticeWithoutBrowserTest;
struct UnopenedCase {
    const char* name;
    std::string notice;
    std::function<void(NoticeWithoutBrowserTest&, MainWindow&)> click;
    std::string address; // with {base}
};

class NoticeWithoutBrowserTest : public NoticeWindowTest, public ::testing::WithParamInterface<UnopenedCase> {
public:
    using NoticeWindowTest::clickDownloadInNextMessage;
    using NoticeWindowTest::noticeLinks;
};

TEST_P(NoticeWithoutBrowserTest, SaysSoWithTheAddress)
{
    withoutBrowser = true;
    serve(GetParam().notice);
    openAndRead();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    dialogs.seen.clear();

    GetParam().click(*this, *window);
    ASSERT_TRUE(waitUntil([this] { return !dialogs.seen.empty(); }));
    const std::string address = withBase(GetParam().address);
    EXPECT_EQ(brokenBrowser.opened().back(), address);
    const auto& last = dialogs.seen.back();
    EXPECT_EQ(last.window, u"MessageWindow"_s);
    EXPECT_EQ(last.text, toQtLines(cannotOpenText(address)));
    EXPECT_TRUE(browser.opened().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Controls, NoticeWithoutBrowserTest,
    ::testing::Values(
        UnopenedCase{"BannerLink", "$jiben[3.0]lianjie[12#44#140#link#{base}/a]$",
                     [](NoticeWithoutBrowserTest& t, MainWindow&) {
                         QTest::mouseClick(t.noticeLinks().at(0), Qt::LeftButton, {}, QPoint(5, 5));
                     },
                     "{base}/a"},
        UnopenedCase{"BannerPress", "$jiben[3.0]hbfangwen[{base}/home]$",
                     [](NoticeWithoutBrowserTest&, MainWindow& w) {
                         QTest::mousePress(&w.banner(), Qt::LeftButton, {}, QPoint(100, 50));
                     },
                     "{base}/home"},
        UnopenedCase{"Feedback", "$jiben[3.0]$",
                     [](NoticeWithoutBrowserTest&, MainWindow& w) {
                         auto* feedback = w.findChild<HyperLink*>(u"超级链接框1"_s);
                         QTest::mouseClick(feedback, Qt::LeftButton, {}, QPoint(5, 5));
                     },
                     "http://127.0.0.1:9/feedback"},
        UnopenedCase{"Download", "$jiben[3.0]$",
                     [](NoticeWithoutBrowserTest& t, MainWindow& w) {
                         t.clickDownloadInNextMessage();
                         w.showMessage(gb("请先添加账号"));
                     },
                     "http://127.0.0.1:9/download"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NoticeWindowTest, ReaderStartsOnlyOnce)
{
    serve("$jiben[3.0]tancu[{base}/once]$");
    openAndRead();
    reader->start(*window);
    QApplication::processEvents();
    EXPECT_EQ(browser.opened().size(), 1u);
    EXPECT_EQ(sim->requestCount(), 1u);
}

} // namespace
} // namespace tieba
