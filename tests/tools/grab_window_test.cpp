// GrabWindow driven by its control names on the offscreen platform.
#include "window_harness.h"

namespace tieba::test {
namespace {

using namespace Qt::StringLiterals;
using forumsim::AccountSpec;
using forumsim::CaptchaRule;
using forumsim::ForumSpec;
using forumsim::Scenario;

class GrabWindowTest : public ToolWindowFixture {
protected:
    // Opens the window, runs `script` on it and returns once it is closed.
    void withGrabWindow(const std::function<void(QDialog&)>& script)
    {
        runner_.script = script;
        tools().openGrabWindow();
        ASSERT_EQ(runner_.opened.size(), 1u);
        EXPECT_EQ(runner_.opened[0], u"GrabWindow"_s);
    }

    void storeAccounts(int count)
    {
        std::vector<std::pair<std::string, std::string>> accounts;
        for (int n = 1; n <= count; ++n)
            accounts.emplace_back("u" + std::to_string(n), "pw");
        setAccounts(accounts);
    }
};

TEST_F(GrabWindowTest, ControlsStandAtTheirPlaces)
{
    storeAccounts(3);
    withGrabWindow([&](QDialog& w) {
        EXPECT_EQ(w.size(), QSize(183, 266));
        EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
        const struct {
            QString name;
            QRect place;
        } places[] = {
            {u"皮肤"_s, {1, 1, 181, 24}},        {u"标签1"_s, {5, 30, 171, 32}},     {u"标签5"_s, {32, 60, 120, 16}},
            {u"单选框1"_s, {5, 80, 16, 16}},     {u"单选框2"_s, {5, 104, 16, 16}},   {u"单选框3"_s, {5, 128, 16, 16}},
            {u"账号标签1"_s, {24, 80, 80, 16}},  {u"账号标签2"_s, {24, 104, 80, 16}}, {u"账号标签3"_s, {24, 128, 80, 16}},
            {u"验证码图片"_s, {112, 79, 64, 33}}, {u"验证码框"_s, {112, 120, 64, 24}}, {u"标签6"_s, {8, 149, 75, 27}},
            {u"贴吧框"_s, {96, 151, 80, 25}},    {u"日志"_s, {8, 180, 80, 80}},      {u"抢"_s, {96, 180, 80, 80}},
        };
        for (const auto& p : places) {
            QWidget* widget = control(w, p.name);
            ASSERT_NE(widget, nullptr);
            EXPECT_EQ(widget->geometry(), p.place) << p.name.toStdString();
        }
        QWidget* close = control(w, u"关闭"_s);
        EXPECT_EQ(QRect(close->mapTo(&w, QPoint(0, 0)), close->size()), QRect(159, 1, 23, 17));

        EXPECT_EQ(control<QLabel>(w, u"标签1"_s)->text(), u"  0点之前点击抢之后，请等待\n   0点时它自动会刷新签到的"_s);
        EXPECT_EQ(control<QLabel>(w, u"标签6"_s)->text(), u"请输入贴吧名"_s);
        EXPECT_TRUE(control(w, u"验证码框"_s)->isHidden());
        EXPECT_FALSE(control(w, u"验证码图片"_s)->isHidden());
        EXPECT_TRUE(control<QPlainTextEdit>(w, u"日志"_s)->isReadOnly());
        EXPECT_EQ(control<PictureButton>(w, u"抢"_s)->normalPicture().toImage(), skin_.grabButton().normal.toImage());
    });
}

struct AccountsCase {
    int stored;
    std::vector<bool> enabled;
    bool firstChecked;
    std::vector<const char*> labels; // UTF-8
};

void PrintTo(const AccountsCase& c, std::ostream* out)
{
    *out << c.stored << " stored";
}

class GrabWindowAccounts : public GrabWindowTest, public testing::WithParamInterface<AccountsCase> {};

TEST_P(GrabWindowAccounts, RadioButtonsFollowTheStoredAccounts)
{
    storeAccounts(GetParam().stored);
    withGrabWindow([&](QDialog& w) {
        for (int n = 1; n <= 3; ++n) {
            const QString number = QString::number(n);
            auto* radio = control<QRadioButton>(w, u"单选框"_s + number);
            EXPECT_EQ(radio->isEnabled(), GetParam().enabled[n - 1]) << n;
            EXPECT_EQ(radio->isChecked(), n == 1 && GetParam().firstChecked) << n;
            EXPECT_EQ(control<QLabel>(w, u"账号标签"_s + number)->text(), QString::fromUtf8(GetParam().labels[n - 1]));
        }
    });
}

INSTANTIATE_TEST_SUITE_P(
    Stored, GrabWindowAccounts,
    testing::Values(AccountsCase{0, {false, false, false}, false, {"未添加账号", "未添加账号", "未添加账号"}},
                    AccountsCase{1, {true, false, false}, true, {"u1", "未添加账号", "未添加账号"}},
                    AccountsCase{2, {true, true, false}, true, {"u1", "u2", "未添加账号"}},
                    AccountsCase{3, {true, true, true}, true, {"u1", "u2", "u3"}}));

TEST_F(GrabWindowTest, TheShutdownNoteShowsOnlyWithTheOptionOn)
{
    for (const char* option : {"1", "0", ""}) {
        state_.shutdownAfterGrab.set(option);
        runner_.script = [&](QDialog& w) {
            EXPECT_EQ(control<QLabel>(w, u"标签5"_s)->text(),
                      std::string(option) == "1" ? u"完成后将自动关机"_s : QString()) << option;
        };
        tools().openGrabWindow();
    }
}

TEST_F(GrabWindowTest, GrabChecksTheForumNameThenTheAccount)
{
    storeAccounts(0);
    withGrabWindow([&](QDialog& w) {
        auto* log = control<QPlainTextEdit>(w, u"日志"_s);
        log->setPlainText(u"上次的日志"_s);
        click(control(w, u"抢"_s));
        EXPECT_EQ(w.focusWidget(), control(w, u"贴吧框"_s));
        EXPECT_EQ(log->toPlainText(), u"上次的日志"_s);

        control<QLineEdit>(w, u"贴吧框"_s)->setText(u"测试"_s);
        click(control(w, u"抢"_s));
        EXPECT_EQ(log->toPlainText(), u"上次的日志"_s);
    });
    const auto texts = presenter_.texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], gb("请输入贴吧名！注必须是已经喜欢的贴吧"));
    EXPECT_EQ(texts[1], gb("未添加任何账号"));
    EXPECT_EQ(state_.selectedAccount, 0);
    EXPECT_FALSE(state_.workerThreads.anyHandle());
}

// u1 and u2 both logged in; only u2 follows 测试, not yet signed today.
Scenario twoAccounts(ForumSpec forU2)
{
    AccountSpec u1 = account("u1", "pw", {});
    u1.presetSession = std::string(48, '1');
    AccountSpec u2 = account("u2", "pw", {std::move(forU2)});
    u2.presetSession = std::string(48, '2');
    Scenario scenario;
    scenario.accounts = {u1, u2};
    return scenario;
}

TEST_F(GrabWindowTest, GrabSignsTheChosenAccountAndLogsInTheWindow)
{
    startService(twoAccounts(forum("测试")));
    storeAccounts(2);
    storeSession(1, std::string(48, '1'));
    storeSession(2, std::string(48, '2'));
    state_.shutdownAfterGrab.set("1");

    withGrabWindow([&](QDialog& w) {
        control<QRadioButton>(w, u"单选框2"_s)->setChecked(true);
        control<QLineEdit>(w, u"贴吧框"_s)->setText(u" 测试 "_s);
        click(control(w, u"抢"_s));
        EXPECT_TRUE(waitFor([&] { return logOf(w).endsWith(u"抢第一完成"_s); })) << logOf(w).toStdString();
        EXPECT_EQ(logOf(w), u"开始抢第一\n签到成功\n抢第一完成"_s);
    });
    EXPECT_EQ(state_.selectedAccount, 2);
    EXPECT_TRUE(sim_->forum("u2", "测试")->signedToday);
    EXPECT_EQ(powerOff_.requests(), 1);
}

TEST_F(GrabWindowTest, TheCaptchaIsAnsweredInsideTheWindow)
{
    ForumSpec wanted = forum("测试");
    Scenario scenario = twoAccounts(wanted);
    scenario.accounts[0] = account("u1", "pw", {wanted});
    scenario.accounts[0].captcha = CaptchaRule::FirstLogin;
    scenario.captchaCodes = {"ABCD", "EFGH"};
    startService(scenario);
    storeAccounts(1);

    withGrabWindow([&](QDialog& w) {
        auto* picture = control<QLabel>(w, u"验证码图片"_s);
        auto* box = control<QLineEdit>(w, u"验证码框"_s);
        control<QLineEdit>(w, u"贴吧框"_s)->setText(u"测试"_s);
        click(control(w, u"抢"_s));
        ASSERT_TRUE(waitFor([&] { return !box->isHidden(); }));
        EXPECT_FALSE(picture->pixmap().isNull());

        box->setText(u"ZZZ"_s); // three bytes: nothing yet
        EXPECT_FALSE(state_.workerThreads.busy());
        box->setText(u"ZZZZ"_s);
        ASSERT_TRUE(waitFor([&] { return state_.messagePending == 1 && box->text().isEmpty(); }));
        EXPECT_EQ(takeMessage(), "验证码错误！请重新输入");
        EXPECT_FALSE(box->isHidden());

        box->setText(u"EFGH"_s);
        EXPECT_TRUE(waitFor([&] { return logOf(w).endsWith(u"抢第一完成"_s); })) << logOf(w).toStdString();
        EXPECT_EQ(logOf(w), u"开始抢第一\n签到成功\n抢第一完成"_s);
    });
    EXPECT_EQ(takeMessage(), "");
}

TEST_F(GrabWindowTest, ClosingDuringTheWatchEndsItAndNothingArrivesAfterwards)
{
    ForumSpec wanted = forum("测试");
    wanted.signedToday = true; // the day never turns
    startService(twoAccounts(wanted));
    storeAccounts(2);
    storeSession(2, std::string(48, '2'));
    state_.shutdownAfterGrab.set("1");

    withGrabWindow([&](QDialog& w) {
        control<QRadioButton>(w, u"单选框2"_s)->setChecked(true);
        control<QLineEdit>(w, u"贴吧框"_s)->setText(u"测试"_s);
        click(control(w, u"抢"_s));
        ASSERT_TRUE(waitFor([&] { return logOf(w) == u"还不能签到\n正在刷新,请稍后！"_s && sim_->requestCount() > 5; }));
        click(control(w, u"关闭"_s));
        EXPECT_FALSE(w.isVisible());
    });
    ASSERT_TRUE(grabAtRest());
    const size_t requests = sim_->requestCount();
    QApplication::processEvents();
    EXPECT_EQ(sim_->requestCount(), requests);
    EXPECT_EQ(powerOff_.requests(), 0);
    EXPECT_EQ(countRequests([](const auto& r) { return r.target.starts_with("/sign"); }), 0u);
}

TEST_F(GrabWindowTest, PressingGrabAgainStartsOverWithAnEmptyLog)
{
    ForumSpec wanted = forum("测试");
    wanted.signedToday = true;
    startService(twoAccounts(wanted));
    storeAccounts(2);
    storeSession(2, std::string(48, '2'));

    withGrabWindow([&](QDialog& w) {
        control<QRadioButton>(w, u"单选框2"_s)->setChecked(true);
        control<QLineEdit>(w, u"贴吧框"_s)->setText(u"测试"_s);
        click(control(w, u"抢"_s));
        ASSERT_TRUE(waitFor([&] { return logOf(w).startsWith(u"还不能签到"_s); }));
        // The watch is stopped and a new one begins: its first line replaces what was shown.
        control<QLineEdit>(w, u"贴吧框"_s)->setText(u"没有这个吧"_s);
        click(control(w, u"抢"_s));
        EXPECT_TRUE(waitFor([&] { return logOf(w) == u"开始抢第一\n暂未喜欢本吧\n"_s; })) << logOf(w).toStdString();
        ASSERT_TRUE(grabAtRest());
        QApplication::processEvents();
        EXPECT_EQ(logOf(w), u"开始抢第一\n暂未喜欢本吧\n"_s);
    });
}

} // namespace
} // namespace tieba::test
