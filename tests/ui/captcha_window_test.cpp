#include "ui/captcha_window.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

#include "core/encoding.h"
#include "ui_test_support.h"

namespace tieba {
namespace {

using namespace Qt::StringLiterals;
using Kind = CaptchaAnswer::Kind;

std::string pngBytes(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

class CaptchaWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<CaptchaWindow> open(CaptchaWindow::PictureFetch fetch = {})
    {
        auto window =
            std::make_unique<CaptchaWindow>(skin, "http://127.0.0.1:9/cgi-bin/genimage?abc", std::move(fetch));
        window->show();
        return window;
    }

    Skin skin;
};

struct TypingCase {
    const char* name;
    std::vector<const char*> pieces; // typed one after the other (UTF-8)
    bool closes;
    const char* code; // UTF-8
};

class CaptchaTyping : public CaptchaWindowTest, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(CaptchaTyping, ClosesAtTheFourthByte)
{
    auto window = open();
    auto* box = test::child<QLineEdit>(*window, u"验证码框"_s);
    for (const char* piece : GetParam().pieces)
        box->insert(QString::fromUtf8(piece));
    EXPECT_EQ(window->isVisible(), !GetParam().closes);
    if (GetParam().closes) {
        EXPECT_EQ(window->answer().kind, Kind::Typed);
        EXPECT_EQ(window->answer().code, gb(GetParam().code));
        EXPECT_EQ(window->result(), QDialog::Accepted);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CaptchaTyping,
    ::testing::Values(TypingCase{"ThreeLetters", {"a", "b", "c"}, false, ""},
                      TypingCase{"FourLetters", {"a", "b", "c", "d"}, true, "abcd"},
                      TypingCase{"TwoChineseCharacters", {"验", "证"}, true, "验证"},
                      TypingCase{"LetterAndChineseMakeThree", {"a", "验"}, false, ""},
                      TypingCase{"ThenOneMore", {"a", "验", "b"}, true, "a验b"},
                      TypingCase{"PastedAtOnce", {"x7Kp9"}, true, "x7Kp9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CaptchaWindowTest, StopInputGivesUpAndCloseLeavesWithoutACode)
{
    auto stopped = open();
    QTest::mouseClick(test::child<QWidget>(*stopped, u"停止输入"_s), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(stopped->isVisible());
    EXPECT_EQ(stopped->answer().kind, Kind::StopInput);

    auto closed = open();
    test::child<QLineEdit>(*closed, u"验证码框"_s)->insert(u"ab"_s);
    QTest::mouseClick(test::child<QWidget>(*closed, u"关闭"_s), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(closed->isVisible());
    EXPECT_EQ(closed->answer().kind, Kind::Closed);
    EXPECT_TRUE(closed->answer().code.empty());

    auto escaped = open();
    QTest::keyClick(escaped.get(), Qt::Key_Escape);
    EXPECT_FALSE(escaped->isVisible());
    EXPECT_EQ(escaped->answer().kind, Kind::Closed);
}

TEST_F(CaptchaWindowTest, ShowsTheFetchedPicture)
{
    std::atomic<bool> offGuiThread{false};
    std::string asked;
    const std::thread::id gui = std::this_thread::get_id();
    auto window = open([&](const std::string& address, std::stop_token) {
        asked = address;
        offGuiThread = std::this_thread::get_id() != gui;
        return pngBytes(QSize(100, 32));
    });
    QSignalSpy fetched(window.get(), &CaptchaWindow::pictureFetched);
    ASSERT_TRUE(test::waitUntil([&] { return fetched.count() == 1; }));
    EXPECT_TRUE(fetched.at(0).at(0).toBool());
    EXPECT_EQ(asked, "http://127.0.0.1:9/cgi-bin/genimage?abc");
    EXPECT_TRUE(offGuiThread);
    const QLabel* picture = test::child<QLabel>(*window, u"验证码图片"_s);
    EXPECT_EQ(picture->pixmap().size(), QSize(100, 32));
}

TEST_F(CaptchaWindowTest, AFailedDownloadLeavesThePictureEmptyAndTypingWorks)
{
    for (const std::string& bytes : {std::string(), std::string("<html>not a picture</html>")}) {
        auto window = open([&](const std::string&, std::stop_token) { return bytes; });
        QSignalSpy fetched(window.get(), &CaptchaWindow::pictureFetched);
        ASSERT_TRUE(test::waitUntil([&] { return fetched.count() == 1; }));
        EXPECT_FALSE(fetched.at(0).at(0).toBool());
        EXPECT_TRUE(test::child<QLabel>(*window, u"验证码图片"_s)->pixmap().isNull());
        test::child<QLineEdit>(*window, u"验证码框"_s)->insert(u"abcd"_s);
        EXPECT_EQ(window->answer().kind, Kind::Typed);
    }
}

TEST_F(CaptchaWindowTest, ClosingStopsADownloadThatHangs)
{
    std::mutex mutex;
    std::condition_variable_any wake;
    std::atomic<bool> started{false}, sawStop{false};
    auto window = open([&](const std::string&, std::stop_token stop) {
        started = true;
        std::unique_lock lock(mutex);
        wake.wait(lock, stop, [] { return false; });
        sawStop = stop.stop_requested();
        return std::string();
    });
    ASSERT_TRUE(test::waitUntil([&] { return started.load(); }));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    window.reset(); // must not wait for the download to finish
    EXPECT_TRUE(sawStop);
}

} // namespace
} // namespace tieba
