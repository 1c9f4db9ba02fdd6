// The main window driving real one-click runs against the simulated service on 127.0.0.1: the
// clock runs the captcha step, the captcha window fetches its picture over HTTP, the workers'
// updates travel through the event queue.
#include <QTest>
#include <QTimer>

#include "support/local_sites.h"
#include "forumsim.h"
#include "main_window_fixture.h"
#include "signin/run_control.h"
#include "support/fake_waiter.h"
#include "ui/canvas.h"
#include "platform/ini_profile.h"
#include "web/cookie_jar.h"
#include "web/http_exchange.h"
#include "web/stored_value.h"

namespace tieba::test {
namespace {

using namespace Qt::StringLiterals;
using forumsim::AccountSpec;
using forumsim::CaptchaRule;
using forumsim::ForumSpec;
using forumsim::Scenario;

Scenario scenarioOf(std::vector<AccountSpec> accounts, std::vector<forumsim::Fault> faults = {})
{
    Scenario scenario;
    scenario.accounts = std::move(accounts);
    scenario.faults = std::move(faults);
    return scenario;
}

class MainWindowRun : public MainWindowTest {
protected:
    void startService(Scenario scenario)
    {
        sim = std::make_unique<forumsim::ForumSim>(std::move(scenario));
        sites = sitesFor(sim->baseUrl());
        fetchPicture = [](const std::string& address, std::stop_token stop) { return fetchBytes(address, stop); };
        open();
        controller = std::make_unique<RunController>(
            RunEnvironment{state, sites, *window, *window, *window, *window, *window, *window, waiter});
        runLink = driveRun(*controller);
    }

    void TearDown() override
    {
        runLink.reset();
        controller.reset(); // ends and joins the workers before the window goes
    }

    QString log() { return control<QPlainTextEdit>(u"工作日志"_s)->toPlainText(); }
    void click(const QString& name) { QTest::mouseClick(control(name), Qt::LeftButton, {}, QPoint(10, 10)); }

    std::unique_ptr<forumsim::ForumSim> sim;
    FakeWaiter waiter;
    std::unique_ptr<RunController> controller;
    std::unique_ptr<QObject> runLink; // the buttons and the clock to the controller
};

TEST_F(MainWindowRun, ACaptchaLoginThenTheSignInShowUpInTheWindow)
{
    AccountSpec u1{"u1", "pw", CaptchaRule::FirstLogin, {}, {ForumSpec{"A", 4, 40}, ForumSpec{"B", 3, 120, true}}};
    startService(scenarioOf({u1}));
    addAccounts({"u1"});

    bool pictureShown = false;
    dialogs.script.push_back([&](QDialog& captcha) {
        const QLabel* picture = child<QLabel>(captcha, u"验证码图片"_s);
        pictureShown = waitUntil([&] { return !picture->pixmap().isNull(); });
        child<QLineEdit>(captcha, u"验证码框"_s)->insert(QString::fromStdString(sim->lastCaptchaCode()));
    });

    click(u"一键签到"_s);
    EXPECT_FALSE(control(u"添加账号"_s)->isEnabled()) << "disabled while the run is on";
    ASSERT_TRUE(waitUntil([&] { return log().contains(u"u1签到结束"_s); }, 30000)) << log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return control(u"添加账号"_s)->isEnabled(); }));

    EXPECT_EQ(log(), u"u1正在登陆...\nu1登录成功\nu1正在获取贴吧\nu1开始签到\nA[等级4 经验值40]\n签到成功,经验+6\n"
                     u"B[等级3 经验值120]\n已签到\nu1签到结束\n"_s);
    ASSERT_EQ(dialogs.seen.size(), 1u);
    EXPECT_EQ(dialogs.seen[0].window, u"CaptchaWindow"_s);
    EXPECT_TRUE(pictureShown) << "the captcha picture came over HTTP";
    EXPECT_EQ(labelText(u"进度标签"_s), u"u1 已签 2/2"_s);
    EXPECT_EQ(control<Canvas>(u"进度条"_s)->image().pixel(157, 5) & 0xFFFFFF, Skin::kBarBlue & 0xFFFFFF);
}

TEST_F(MainWindowRun, AWrongCodeShowsTheMessageOnTopOfTheNextCaptcha)
{
    ModalDialogs modal; // real modal loops: the clock's ticks must reach the captcha window's own loop
    dialogRunner = &modal;
    AccountSpec u1{"u1", "pw", CaptchaRule::FirstLogin, {}, {ForumSpec{"A", 4, 40}}};
    startService(scenarioOf({u1}));
    addAccounts({"u1"});

    auto type = [](QDialog& captcha, const std::string& code) {
        child<QLineEdit>(captcha, u"验证码框"_s)->insert(QString::fromStdString(code));
    };
    auto giveUp = [](QDialog& window, ModalDialogs&) {
        if (auto* stop = window.findChild<PictureButton*>(u"停止输入"_s))
            stop->click();
        else
            window.reject();
    };
    modal.script.push_back([&](QDialog& captcha, ModalDialogs&) { type(captcha, "!!!!"); });
    // The next captcha waits for the message; should none come, it gives up after a while.
    modal.script.push_back([&](QDialog& captcha, ModalDialogs& runner) {
        QTimer::singleShot(5000, &captcha, [&captcha, &runner, giveUp] { giveUp(captcha, runner); });
    });
    QString message;
    modal.script.push_back([&](QDialog& window, ModalDialogs& runner) {
        if (const auto* text = window.findChild<QLabel*>(u"标签1"_s))
            message = text->text();
        window.accept();
        if (runner.open.size() > 1 && runner.open.front()->objectName() == u"CaptchaWindow"_s)
            type(*runner.open.front(), sim->lastCaptchaCode());
    });
    modal.fallback = giveUp;

    click(u"一键签到"_s);
    ASSERT_TRUE(waitUntil([&] { return control(u"添加账号"_s)->isEnabled(); }, 30000)) << log().toStdString();

    EXPECT_EQ(modal.seen.join(u" | "_s).toStdString(), "CaptchaWindow | CaptchaWindow | CaptchaWindow > MessageWindow");
    EXPECT_EQ(message, u"验证码错误！请重新输入"_s);
    EXPECT_TRUE(log().endsWith(u"u1签到结束\n"_s)) << "the code typed after the message signs in: "
                                                    << log().toStdString();
}

TEST_F(MainWindowRun, StartWithoutAccountsOnlyShowsTheMessage)
{
    startService(scenarioOf({}));
    window->append(gb("earlier\r\n"));
    click(u"一键签到"_s);
    ASSERT_EQ(dialogs.seen.size(), 1u);
    EXPECT_EQ(dialogs.seen[0].text, u"亲！你还木有添加账号啊"_s);
    EXPECT_EQ(log(), u"earlier\n"_s);
    EXPECT_TRUE(control(u"添加账号"_s)->isEnabled());
}

TEST_F(MainWindowRun, StopEndsTheRunAndNothingOfItArrivesLater)
{
    AccountSpec u1{"u1", "pw", CaptchaRule::Never, std::string(48, 's'), {}};
    for (const char* name : {"A", "B", "C", "D"})
        u1.forums.push_back(ForumSpec{name, 1, 1});
    forumsim::Fault stall;
    stall.targetPrefix = "/m?kw=C";
    stall.kind = forumsim::FaultKind::Stall;
    stall.milliseconds = 60000;
    stall.times = 1;
    startService(scenarioOf({u1}, {stall}));
    addAccounts({"u1"});
    writeProfileString(dataFilePath(), "cookies1", "BDUSS", encodeStoredValue(std::string(48, 's') + ";"));

    click(u"一键签到"_s);
    ASSERT_TRUE(sim->waitUntil(
        [&] {
            for (const auto& request : sim->requests())
                if (request.target.starts_with("/m?kw=C"))
                    return true;
            return false;
        },
        std::chrono::seconds(30)));
    click(u"停止签到"_s);
    EXPECT_TRUE(log().endsWith(u"签到已经停止\n"_s)) << log().toStdString();
    EXPECT_TRUE(control(u"添加账号"_s)->isEnabled());

    state.workerThreads.joinAll(); // the stalled transfer is aborted by the stop
    QApplication::processEvents(); // whatever the old workers queued arrives now, and is dropped
    EXPECT_TRUE(log().endsWith(u"签到已经停止\n"_s)) << log().toStdString();
    EXPECT_FALSE(log().contains(u"签到结束"_s));
}

} // namespace
} // namespace tieba::test
