#include "ui/message_window.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "core/encoding.h"
#include "ui/hyperlink.h"
#include "ui_test_support.h"

namespace tieba {
namespace {

using namespace Qt::StringLiterals;

class MessageWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<MessageWindow> open()
    {
        auto window = std::make_unique<MessageWindow>(state, sites, skin, browser);
        window->show();
        return window;
    }

    SharedState state;
    Sites sites = test::testSites();
    Skin skin;
    test::RecordingUrlOpener browser;
};

TEST_F(MessageWindowTest, ShowsTheTextOfTheMomentItWasCreated)
{
    state.messageText.set(gb("亲！你还木有添加账号啊"));
    auto window = open();
    state.messageText.set(gb("later"));
    EXPECT_EQ(test::child<QLabel>(*window, u"标签1"_s)->text(), u"亲！你还木有添加账号啊"_s);
    EXPECT_EQ(window->size(), QSize(192, 162));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(MessageWindowTest, LongTextsWrapInsideTheFixedLabel)
{
    state.messageText.set(gb(std::string(40, 'x') + "很长很长很长很长很长很长很长很长很长很长很长很长很长很长很长很长很长"));
    auto window = open();
    const QLabel* text = test::child<QLabel>(*window, u"标签1"_s);
    EXPECT_TRUE(text->wordWrap());
    EXPECT_EQ(text->geometry(), QRect(8, 38, 176, 78));
    EXPECT_EQ(window->size(), QSize(192, 162));
}

TEST_F(MessageWindowTest, DownloadLinkOnlyAfterANewVersionWasAnnounced)
{
    auto before = open();
    EXPECT_TRUE(test::child<HyperLink>(*before, u"超级链接框1"_s)->isHidden());

    state.newVersionFound = 1;
    auto after = open();
    auto* link = test::child<HyperLink>(*after, u"超级链接框1"_s);
    EXPECT_FALSE(link->isHidden());
    EXPECT_EQ(link->text(), u"点击下载"_s);
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(browser.opened(), std::vector<std::string>{sites.downloadPageUrl});
}

struct CloseCase {
    const char* name;
    std::function<void(MessageWindow&)> act;
};

class MessageWindowCloses : public MessageWindowTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(MessageWindowCloses, By)
{
    auto window = open();
    QSignalSpy finished(window.get(), &QDialog::finished);
    GetParam().act(*window);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Actions, MessageWindowCloses,
    ::testing::Values(
        CloseCase{"OkButton",
                  [](MessageWindow& w) {
                      QTest::mouseClick(test::child<QWidget>(w, u"图形按钮1"_s), Qt::LeftButton, {}, QPoint(5, 5));
                  }},
        CloseCase{"CloseButton",
                  [](MessageWindow& w) {
                      QTest::mouseClick(test::child<QWidget>(w, u"关闭"_s), Qt::LeftButton, {}, QPoint(5, 5));
                  }},
        CloseCase{"Enter", [](MessageWindow& w) { QTest::keyClick(&w, Qt::Key_Return); }},
        CloseCase{"Escape", [](MessageWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        CloseCase{"HiddenButton", [](MessageWindow& w) { test::child<QPushButton>(w, u"按钮1"_s)->click(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessageWindowTest, TheInvisibleButtonHoldsTheKeyboardFocus)
{
    auto window = open();
    auto* button = test::child<QPushButton>(*window, u"按钮1"_s);
    EXPECT_EQ(window->focusWidget(), button);
    EXPECT_EQ(button->text(), u"按钮"_s);
    EXPECT_EQ(button->geometry(), QRect(16, 128, 16, 16));
}

} // namespace
} // namespace tieba
