// Hostile notice pages on the main window: whatever scheme the page names, only web pages reach
// the browser; pictures too large to decode are not drawn.
#include <QBuffer>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include "ui/banner_painting.h"
#include "ui/notice_reader.h"
#include "notice_server.h"
#include "support/fake_waiter.h"
#include "support/temp_dir.h"
#include "ui/canvas.h"
#include "ui/hyperlink.h"
#include "ui/main_window.h"
#include "ui/skin.h"
#include "ui/ui_test_support.h"
#include "web/http_exchange.h"
#include "web/text_helpers.h"

namespace tieba {
namespace {

using namespace Qt::StringLiterals;
using test::waitUntil;

class ForbiddenAddressTest : public ::testing::TestWithParam<const char*> {
protected:
    ~ForbiddenAddressTest() override { window.reset(); }

    test::ScopedTempDir folder;
    SharedState state;
    Sites sites = test::testSites();
    Skin skin;
    test::RecordingUrlOpener browser;
    test::RecordingExit exit;
    test::ScriptedDialogs dialogs;
    test::FakeWaiter waiter;
    std::mutex mutex;
    std::vector<std::string> fetched;
    std::unique_ptr<NoticeReader> reader;
    std::unique_ptr<MainWindow> window;
};

// The page names the address as the page to open, the banner's address, a link and a picture.
TEST_P(ForbiddenAddressTest, OnlyAWebPageReachesTheBrowserOrTheDownload)
{
    test::NoticeServer server;
    // "{base}": a web page of the test server, which must get through all four ways.
    const std::string address = replaceAll(GetParam(), "{base}", server.base());
    const bool webPage = address != GetParam();
    server.set("/notice", "$jiben[3.0]tancu[" + address + "]hbfangwen[" + address + "]lianjie[10#10#80#link#" +
                              address + "]tupian[100#10#8#8#" + address + "]$");
    sites.noticePageUrl = server.base() + "/notice";
    reader = std::make_unique<NoticeReader>(NoticeReaderServices{
        state, sites, browser, waiter, [this](const std::string& picture, std::stop_token stop) {
            std::lock_guard lock(mutex);
            fetched.push_back(picture);
            return fetchBytes(picture, stop);
        }});
    window = std::make_unique<MainWindow>(
        MainWindowServices{state, sites, skin, browser, exit, dialogs, {}, reader->starter(), {}, {}});
    ASSERT_TRUE(waitUntil([this] { return reader->done(); }));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    HyperLink* link = nullptr;
    for (HyperLink* candidate : window->banner().findChildren<HyperLink*>())
        if (candidate != &window->bannerLinkTemplate())
            link = candidate;
    ASSERT_NE(link, nullptr);
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(&window->banner(), Qt::LeftButton, {}, QPoint(300, 90));
    QApplication::processEvents();

    if (webPage) {
        EXPECT_EQ(browser.opened(), std::vector<std::string>(3, address)) << "page, link, banner";
        EXPECT_EQ(fetched, std::vector<std::string>{address});
        return;
    }
    EXPECT_TRUE(browser.opened().empty());
    EXPECT_TRUE(fetched.empty());
    EXPECT_TRUE(dialogs.seen.empty()) << "an address that is ignored is not reported";
    EXPECT_EQ(server.requested(), std::vector<std::string>{"/notice"});
}

INSTANTIATE_TEST_SUITE_P(Schemes, ForbiddenAddressTest,
                         ::testing::Values("{base}/page", "file:///etc/passwd", "smb://server/share",
                                           "javascript:alert(1)",
                                           "vscode://file/etc/passwd", "data:text/html,hello", "tieba-helper://run",
                                           "ftp://127.0.0.1/x", "/etc/passwd", "etc/passwd", "www.example.com",
                                           "//127.0.0.1/x"));

// A grey picture of the given size, encoded as PNG; rows of one colour pack small.
QByteArray greyPng(int width, int height)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(0);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST(BannerPictureDecoding, StopsAtTheSizeLimitBeforeDecoding)
{
    EXPECT_EQ(decodeBannerPicture(greyPng(kBannerPictureSideLimit, 4)).size(), QSize(kBannerPictureSideLimit, 4));
    EXPECT_TRUE(decodeBannerPicture(greyPng(kBannerPictureSideLimit + 1, 4)).isNull());
    EXPECT_TRUE(decodeBannerPicture(greyPng(4, kBannerPictureSideLimit + 1)).isNull());
    EXPECT_TRUE(decodeBannerPicture(QByteArray("not a picture")).isNull());
}

} // namespace
} // namespace tieba
