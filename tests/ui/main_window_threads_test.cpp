#include <QTest>
#include <atomic>
#include <thread>

#include "main_window_fixture.h"
#include "ui/canvas.h"

namespace tieba::test {
namespace {

using namespace Qt::StringLiterals;

QString logText(MainWindow& w)
{
    return child<QPlainTextEdit>(w, u"工作日志"_s)->toPlainText();
}

// What a worker thread of the run does: call the window from off the GUI thread.
template <class F>
void fromWorker(F&& call)
{
    std::thread(std::forward<F>(call)).join();
}

TEST_F(MainWindowTest, WorkerUpdatesArriveOnTheGuiThread)
{
    open();
    fromWorker([&] {
        window->append(gb("u1开始签到\r\n"));
        window->setCaption(gb("u1 已签 1/3"));
        window->drawBar(1, 3);
        window->setRunControlsEnabled(false);
    });
    // Queued, not applied by the worker itself.
    EXPECT_TRUE(logText(*window).isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !control(u"添加账号"_s)->isEnabled(); }));
    EXPECT_EQ(logText(*window), u"u1开始签到\n"_s);
    EXPECT_EQ(labelText(u"进度标签"_s), u"u1 已签 1/3"_s);
    EXPECT_EQ(control<Canvas>(u"进度条"_s)->image().pixel(52, 5) & 0xFFFFFF, Skin::kBarBlue & 0xFFFFFF);
}

TEST_F(MainWindowTest, UpdatesOfAnEndedRunAreDropped)
{
    open();
    window->append(gb("kept\r\n"));
    fromWorker([&] {
        window->append(gb("late line of the old run\r\n"));
        window->setCaption(gb("old 3/3"));
        window->setRunControlsEnabled(false);
    });
    // The run ends (a stop or a new start) before the GUI thread got to the queued updates.
    state.workerThreads.endAllAndBegin(true);
    fromWorker([&] { window->append(gb("new run\r\n")); });

    ASSERT_TRUE(waitUntil([&] { return logText(*window).contains(u"new run"_s); }));
    QApplication::processEvents();
    EXPECT_EQ(logText(*window), u"kept\nnew run\n"_s);
    EXPECT_TRUE(labelText(u"进度标签"_s).isEmpty());
    EXPECT_TRUE(control(u"添加账号"_s)->isEnabled());
}

TEST_F(MainWindowTest, AWorkerWaitsUntilItsMessageIsClosed)
{
    open();
    std::atomic<bool> returned{false};
    bool returnedWhileOpen = true;
    dialogs.script.push_back([&](QDialog&) { returnedWhileOpen = returned.load(); });

    std::thread worker([&] {
        window->showMessage(gb("验证码错误！请重新输入"));
        returned = true;
    });
    EXPECT_TRUE(waitUntil([&] { return returned.load(); }));
    worker.join();

    EXPECT_FALSE(returnedWhileOpen);
    ASSERT_EQ(dialogs.seen.size(), 1u);
    EXPECT_EQ(dialogs.seen[0].window, u"MessageWindow"_s);
    EXPECT_EQ(dialogs.seen[0].text, u"验证码错误！请重新输入"_s);
    EXPECT_EQ(state.messageText.get(), gb("验证码错误！请重新输入"));
}

TEST_F(MainWindowTest, MessagesOnTheGuiThreadOpenDirectlyAndShowTheDownloadLinkOnceAnnounced)
{
    open();
    bool linkShown = false;
    dialogs.script.push_back([&](QDialog& d) { linkShown = !child<QWidget>(d, u"超级链接框1"_s)->isHidden(); });
    state.newVersionFound = 1;
    window->showMessage(gb("亲！你还木有添加账号啊"));
    ASSERT_EQ(dialogs.seen.size(), 1u);
    EXPECT_EQ(dialogs.seen[0].text, u"亲！你还木有添加账号啊"_s);
    EXPECT_TRUE(linkShown);
}

TEST_F(MainWindowTest, TheCaptchaPromptReturnsHowTheWindowWasLeft)
{
    open();
    dialogs.script.push_back([](QDialog& d) { child<QLineEdit>(d, u"验证码框"_s)->insert(u"验证"_s); });
    dialogs.script.push_back(
        [](QDialog& d) { QTest::mouseClick(child<QWidget>(d, u"停止输入"_s), Qt::LeftButton, {}, QPoint(5, 5)); });
    dialogs.script.push_back([](QDialog&) {}); // closed by the runner without an answer

    const CaptchaAnswer typed = window->askCaptcha("");
    EXPECT_EQ(typed.kind, CaptchaAnswer::Kind::Typed);
    EXPECT_EQ(typed.code, gb("验证"));
    EXPECT_EQ(window->askCaptcha("").kind, CaptchaAnswer::Kind::StopInput);
    EXPECT_EQ(window->askCaptcha("").kind, CaptchaAnswer::Kind::Closed);
    ASSERT_EQ(dialogs.seen.size(), 3u);
    EXPECT_EQ(dialogs.seen[0].window, u"CaptchaWindow"_s);
}

} // namespace
} // namespace tieba::test
