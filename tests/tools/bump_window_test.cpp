// BumpWindow driven by its control names on the offscreen platform.
#include <condition_variable>

#include "bump_harness.h"
#include "window_harness.h"

namespace tieba::test {
namespace {

using namespace Qt::StringLiterals;
using forumsim::CaptchaRule;
using forumsim::Scenario;

class BumpWindowTest : public ToolWindowFixture {
protected:
    void withBumpWindow(const std::function<void(QDialog&)>& script)
    {
        runner_.script = script;
        tools().openBumpWindow();
        ASSERT_FALSE(runner_.opened.empty());
        EXPECT_EQ(runner_.opened.back(), u"BumpWindow"_s);
    }

    // u1 logged in already, and the thread that takes replies.
    void startLoggedIn(forumsim::ForumSim::Options options = {})
    {
        Scenario scenario = threadScenario();
        scenario.accounts[0].presetSession = std::string(48, 'w');
        startService(scenario, std::move(options));
        setAccounts({{"u1", "pw1"}});
        storeSession(1, std::string(48, 'w'));
    }

    QString threadAddress(const std::string& rest = kThreadId) const
    {
        return toQt(sites_.threadAddressPrefix + rest);
    }

    static void fill(QDialog& w, const QString& address, const QString& reply, const QString& count = {})
    {
        control<QLineEdit>(w, u"帖子地址"_s)->setText(address);
        control<QPlainTextEdit>(w, u"回复内容"_s)->setPlainText(reply);
        control<QLineEdit>(w, u"编辑框1"_s)->setText(count);
    }

    bool bumpAtRest() { return waitFor([this] { return !tools().bumpWorkers().busy(); }); }
};

TEST_F(BumpWindowTest, ControlsStandAtTheirPlaces)
{
    sites_ = sitesFor("http://127.0.0.1:18080");
    setAccounts({{"u1", "pw"}, {"u2", "pw"}});
    withBumpWindow([&](QDialog& w) {
        EXPECT_EQ(w.size(), QSize(264, 262));
        EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
        const struct {
            QString name;
            QRect place;
        } places[] = {
            {u"皮肤"_s, {1, 1, 262, 23}},         {u"标签3"_s, {8, 27, 252, 40}},       {u"标签1"_s, {8, 76, 60, 16}},
            {u"帖子地址"_s, {8, 98, 160, 24}},    {u"单选框1"_s, {173, 82, 16, 16}},    {u"单选框2"_s, {173, 99, 16, 16}},
            {u"单选框3"_s, {173, 116, 16, 16}},   {u"账号标签1"_s, {188, 77, 72, 24}},  {u"账号标签2"_s, {188, 98, 72, 16}},
            {u"账号标签3"_s, {188, 115, 64, 16}}, {u"标签2"_s, {8, 131, 56, 16}},       {u"标签4"_s, {83, 129, 24, 16}},
            {u"编辑框1"_s, {112, 128, 32, 20}},   {u"标签5"_s, {150, 129, 16, 16}},     {u"回复内容"_s, {8, 152, 160, 105}},
            {u"验证码图片"_s, {176, 130, 80, 28}}, {u"验证码框"_s, {176, 154, 80, 20}}, {u"刷帖"_s, {176, 176, 80, 80}},
        };
        for (const auto& p : places) {
            QWidget* widget = control(w, p.name);
            ASSERT_NE(widget, nullptr);
            EXPECT_EQ(widget->geometry(), p.place) << p.name.toStdString();
        }
        auto* close = control(w, u"关闭"_s);
        EXPECT_EQ(close->parentWidget(), control(w, u"皮肤"_s));
        EXPECT_EQ(close->geometry(), QRect(239, 0, 23, 17));

        EXPECT_EQ(control<QLabel>(w, u"标签3"_s)->text(), u"         刷帖反应会慢，请稍等\n"
                                                          u"只支持不要验证码的贴吧一次回五贴。贴子地址\n"
                                                          u"   (例如http://127.0.0.1:18080/p/数字)"_s);
        EXPECT_EQ(control<QLabel>(w, u"标签1"_s)->text(), u"贴子地址"_s);
        EXPECT_EQ(control<QLabel>(w, u"标签2"_s)->text(), u"回复内容:"_s);
        EXPECT_EQ(control<QLabel>(w, u"标签4"_s)->text(), u"回复"_s);
        EXPECT_EQ(control<QLabel>(w, u"标签5"_s)->text(), u"次"_s);
        EXPECT_EQ(control<QLabel>(w, u"账号标签2"_s)->text(), u"u2"_s);
        EXPECT_EQ(control<QLabel>(w, u"账号标签3"_s)->text(), u"未添加账号"_s);
        EXPECT_TRUE(control<QRadioButton>(w, u"单选框1"_s)->isChecked());
        EXPECT_FALSE(control<QRadioButton>(w, u"单选框3"_s)->isEnabled());
        EXPECT_TRUE(control(w, u"验证码框"_s)->isHidden());
        EXPECT_TRUE(control(w, u"刷帖"_s)->isEnabled());
        EXPECT_EQ(control<PictureButton>(w, u"刷帖"_s)->normalPicture().toImage(), skin_.bumpButton().normal.toImage());

        // The count takes whole numbers only.
        auto* count = control<QLineEdit>(w, u"编辑框1"_s);
        QTest::keyClicks(count, u"1a.5"_s);
        EXPECT_EQ(count->text(), u"15"_s);
    });
}

struct CheckCase {
    const char* name;
    bool address;
    bool reply;
    int accounts;
    const char* message; // UTF-8; "{prefix}" stands for the thread address prefix
    const char* focus;   // UTF-8 control name, empty: not checked
};

void PrintTo(const CheckCase& c, std::ostream* out)
{
    *out << c.name;
}

class BumpWindowChecks : public BumpWindowTest, public testing::WithParamInterface<CheckCase> {};

TEST_P(BumpWindowChecks, RefuseInTheirOrder)
{
    const CheckCase& c = GetParam();
    sites_ = sitesFor("http://127.0.0.1:18080");
    setAccounts(c.accounts ? std::vector<std::pair<std::string, std::string>>{{"u1", "pw"}}
                           : std::vector<std::pair<std::string, std::string>>{});
    withBumpWindow([&](QDialog& w) {
        fill(w, c.address ? threadAddress() : QString(), c.reply ? u"顶"_s : QString());
        click(control(w, u"刷帖"_s));
        EXPECT_TRUE(control(w, u"刷帖"_s)->isEnabled());
        if (*c.focus) {
            EXPECT_EQ(w.focusWidget(), control(w, QString::fromUtf8(c.focus)));
        }
    });
    std::string message = c.message;
    if (const size_t at = message.find("{prefix}"); at != std::string::npos)
        message.replace(at, 8, sites_.threadAddressPrefix);
    EXPECT_EQ(presenter_.texts(), std::vector<std::string>{gb(message)});
    EXPECT_FALSE(tools().bumpWorkers().busy());
    EXPECT_EQ(state_.selectedAccount, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BumpWindowChecks,
    testing::Values(
        CheckCase{"NoAddress", false, false, 1, "请输入帖子地址！注必须是:({prefix}数字)这种格式的", "帖子地址"},
        CheckCase{"NoReply", true, false, 1, "请输入回复内容！", "回复内容"},
        CheckCase{"NoAccount", true, true, 0, "未添加任何账号", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BumpWindowTest, BumpPostsTheSeriesAndEnablesBumpWhenItEnds)
{
    startLoggedIn();
    withBumpWindow([&](QDialog& w) {
        fill(w, threadAddress(), u"第一行\n第二行"_s, u"2"_s);
        auto* bump = control(w, u"刷帖"_s);
        click(bump);
        EXPECT_FALSE(bump->isEnabled());
        EXPECT_TRUE(waitFor([&] { return bump->isEnabled(); }));
    });
    EXPECT_EQ(takeMessage(), "刷帖成功");
    EXPECT_EQ(state_.selectedAccount, 1);
    EXPECT_EQ(state_.bumpThreadId.get(), kThreadId);
    EXPECT_EQ(state_.replyText.get(), gb("第一行\r\n第二行"));
    ASSERT_EQ(sim_->replies().size(), 2u);
    EXPECT_EQ(sim_->replies()[0].text, "第一行\r\n第二行");
}

TEST_F(BumpWindowTest, TheThreadNumberIsWhateverFollowsThePrefixesLength)
{
    startLoggedIn();
    const std::string other(sites_.threadAddressPrefix.size(), 'x');
    const struct {
        QString address;
        std::string threadId;
    } cases[] = {
        {threadAddress(), kThreadId},
        {threadAddress(kThreadId + "?pn=2"), kThreadId + "?pn=2"},
        {toQt(other + kThreadId), kThreadId}, // the prefix itself is not compared
        {u"abc"_s, ""},
    };
    for (const auto& c : cases) {
        withBumpWindow([&](QDialog& w) {
            fill(w, c.address, u"顶"_s, u"0"_s);
            click(control(w, u"刷帖"_s));
            EXPECT_TRUE(waitFor([&] { return control(w, u"刷帖"_s)->isEnabled(); }));
        });
        EXPECT_EQ(state_.bumpThreadId.get(), c.threadId) << c.address.toStdString();
    }
}

TEST_F(BumpWindowTest, TheCaptchaIsAnsweredInsideTheWindow)
{
    Scenario scenario = threadScenario();
    scenario.accounts[0].captcha = CaptchaRule::FirstLogin;
    scenario.captchaCodes = {"ABCD", "EFGH"};
    startService(scenario);
    setAccounts({{"u1", "pw1"}});

    withBumpWindow([&](QDialog& w) {
        fill(w, threadAddress(), u"顶"_s, u"1"_s);
        auto* bump = control(w, u"刷帖"_s);
        auto* box = control<QLineEdit>(w, u"验证码框"_s);
        click(bump);
        ASSERT_TRUE(waitFor([&] { return !box->isHidden(); }));
        EXPECT_FALSE(control<QLabel>(w, u"验证码图片"_s)->pixmap().isNull());
        EXPECT_FALSE(bump->isEnabled());

        box->setText(u"WXYZ"_s);
        ASSERT_TRUE(waitFor([&] { return state_.messagePending == 1 && box->text().isEmpty(); }));
        EXPECT_EQ(takeMessage(), "验证码错误！请重新输入");

        box->setText(u"EFGH"_s);
        EXPECT_TRUE(waitFor([&] { return bump->isEnabled(); }));
    });
    EXPECT_EQ(takeMessage(), "刷帖成功");
    EXPECT_EQ(sim_->replies().size(), 1u);
}

TEST_F(BumpWindowTest, ARefusedPasswordEnablesBumpAgain)
{
    startService(threadScenario());
    setAccounts({{"u1", "wrong"}});
    withBumpWindow([&](QDialog& w) {
        fill(w, threadAddress(), u"顶"_s);
        auto* bump = control(w, u"刷帖"_s);
        click(bump);
        EXPECT_TRUE(waitFor([&] { return bump->isEnabled(); }));
    });
    EXPECT_EQ(takeMessage(), "u1密码错误登录失败");
    EXPECT_TRUE(sim_->replies().empty());
}

TEST_F(BumpWindowTest, ClosingDuringASeriesStillShowsItsResult)
{
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    bool released = false;
    forumsim::ForumSim::Options options;
    // Holds the first reply on the server until the window has gone.
    options.onRequest = [&](const forumsim::Request& request) {
        if (request.method != "POST")
            return;
        std::unique_lock lock(mutex);
        if (held)
            return;
        held = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
    };
    startLoggedIn(options);

    withBumpWindow([&](QDialog& w) {
        fill(w, threadAddress(), u"顶"_s, u"2"_s);
        click(control(w, u"刷帖"_s));
        {
            std::unique_lock lock(mutex);
            ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(20), [&] { return held; }));
        }
        click(control(w, u"关闭"_s));
        EXPECT_FALSE(w.isVisible());
    });
    // The window is gone; the series goes on.
    {
        std::lock_guard lock(mutex);
        released = true;
    }
    changed.notify_all();
    ASSERT_TRUE(bumpAtRest());
    QApplication::processEvents();

    EXPECT_EQ(sim_->replies().size(), 2u);
    EXPECT_EQ(takeMessage(), "刷帖成功");
}

} // namespace
} // namespace tieba::test
