// One-click runs of token accounts against the simulated service's client protocol.
#include <algorithm>
#include <atomic>

#include "client/client_protocol.h"
#include "run_harness.h"
#include "settings/account_slots.h"

namespace tieba::test {
namespace {

using forumsim::AccountSpec;
using forumsim::Scenario;
using forumsim::TokenAccountSpec;
using forumsim::TokenForumSpec;

TokenForumSpec forum(std::string name, long long fid, int level = 3, int experience = 40)
{
    TokenForumSpec made;
    made.name = std::move(name);
    made.fid = fid;
    made.level = level;
    made.experience = experience;
    return made;
}

TokenAccountSpec tokenAccount(std::string name, std::vector<TokenForumSpec> forums = {})
{
    TokenAccountSpec made;
    made.bduss = "bd-" + name;
    made.stoken = "st-" + name;
    made.name = std::move(name);
    made.forums = std::move(forums);
    return made;
}

constexpr Pacing kNoPauses{0, 0, 0, 0, 10};

class TokenRun : public RunFixture {
protected:
    // Slots in order; a token account is stored as a login by QR leaves it: no password, its
    // tokens in the slot's cookie section.
    void setTokenAccounts(const std::vector<TokenAccountSpec>& accounts)
    {
        AccountList slots;
        for (size_t i = 0; i < accounts.size(); ++i)
            slots.push_back(stored(accounts[i], static_cast<int>(i + 1)));
        state_.accounts.set(slots);
    }

    // The account as loading the data file gives it, its tokens stored in the slot's section.
    static Account stored(const TokenAccountSpec& account, int slot)
    {
        const std::string section = "cookies" + std::to_string(slot);
        writeProfileString(dataFilePath(), section, "BDUSS", encodeStoredValue(account.bduss + ";"));
        writeProfileString(dataFilePath(), section, "STOKEN", encodeStoredValue(account.stoken + ";"));
        return Account{gb(account.name), "", {{"BDUSS", account.bduss}, {"STOKEN", account.stoken}}, slot};
    }

    void startTokenService(std::vector<TokenAccountSpec> accounts, std::vector<forumsim::Fault> faults = {})
    {
        Scenario scenario;
        scenario.tokenAccounts = accounts;
        scenario.faults = std::move(faults);
        startService(scenario);
        setTokenAccounts(accounts);
        state_.pacing.set(kNoPauses);
    }

    long requestsTo(const std::string& path, const std::string& bodyPart = {}) const
    {
        const auto requests = sim_->requests();
        return std::count_if(requests.begin(), requests.end(), [&](const forumsim::Request& r) {
            return r.target.starts_with(path) && r.body.find(bodyPart) != std::string::npos;
        });
    }

    long signRequests(long long fid = 0) const
    {
        return requestsTo("/c/c/forum/sign", fid == 0 ? std::string() : "fid=" + std::to_string(fid) + "&");
    }
};

TEST_F(TokenRun, SignsListedForumsLeavesOutForbiddenAndExcludedAndRetriesTheTransient)
{
    TokenAccountSpec alice = tokenAccount("alice", {forum("李毅", 52, 7, 1234), forum("已签", 53), forum("封禁", 54),
                                                    forum("太快", 55, 1, 5), forum("不签", 56)});
    alice.forums[0].gain = 8;
    alice.forums[1].signedToday = true;
    alice.forums[2].forbidden = true;
    alice.forums[3].failCode = 340011;
    alice.forums[3].failTimes = 1;
    alice.forums[3].gain = 4;
    startTokenService({alice});
    state_.excludedForums.set({gb("不签")});

    runToEnd();

    EXPECT_EQ(log(), "alice正在获取贴吧\r\n"
                     "封禁[已封禁]\r\n"
                     "alice开始签到\r\n"
                     "李毅[等级7 经验值1234]\r\n"
                     "签到成功,经验+8\r\n"
                     "已签[等级3 经验值40]\r\n"
                     "已签到\r\n"
                     "太快[等级1 经验值5]\r\n"
                     "等待重签\r\n"
                     "---签到失败贴吧重签---\r\n"
                     "太快重签成功,经验+4\r\n"
                     "alice签到结束\r\n");
    EXPECT_EQ(signRequests(53), 0); // the list already said it was signed
    EXPECT_EQ(signRequests(54), 0);
    EXPECT_EQ(signRequests(56), 0);
    EXPECT_EQ(signRequests(55), 2);
    const std::vector<std::string> expectedCaptions = {"", gb("alice 已签 1/3"), gb("alice 已签 2/3"),
                                                       gb("alice 已签 3/3"), gb("alice 重签 1/1")};
    EXPECT_EQ(views_.captions(), expectedCaptions);
    const std::vector<std::pair<int, int>> expectedBars = {{0, 0}, {0, 0}, {1, 3}, {2, 3}, {3, 3}, {0, 0}, {1, 1}};
    EXPECT_EQ(views_.bars(), expectedBars);
    EXPECT_EQ(views_.controlsEnabled(), (std::vector<bool>{false, true}));
    EXPECT_EQ(requestsTo("/passport"), 0);
}

struct CodeCase {
    const char* name;
    long long code;
    const char* message;
    const char* forumLines; // UTF-8: what follows the failing forum's level line
    bool accountGoesOn;     // the next forum is signed and the account's end line written
};

class TokenRunCodes : public TokenRun, public testing::WithParamInterface<CodeCase> {};

TEST_P(TokenRunCodes, EachSignAnswerGivesItsLineAndRetryOrNot)
{
    const CodeCase& row = GetParam();
    TokenAccountSpec bob = tokenAccount("bob", {forum("坏", 11), forum("好", 12)});
    bob.forums[0].failCode = row.code;
    bob.forums[0].failMessage = row.message;
    startTokenService({bob});

    runToEnd();

    std::string expected = std::string("bob正在获取贴吧\r\nbob开始签到\r\n坏[等级3 经验值40]\r\n") + row.forumLines;
    if (row.accountGoesOn) {
        const std::string text = log();
        ASSERT_TRUE(text.starts_with(expected)) << text;
        EXPECT_NE(text.find("好[等级3 经验值40]\r\n签到成功,经验+6\r\n"), std::string::npos) << text;
        EXPECT_TRUE(text.ends_with("bob签到结束\r\n")) << text;
    } else {
        EXPECT_EQ(log(), expected);
        EXPECT_EQ(signRequests(12), 0);
    }
}

// Every failure of 坏 is permanent here (failTimes -1), so a queued forum fails its retry too.
INSTANTIATE_TEST_SUITE_P(
    Codes, TokenRunCodes,
    testing::Values(
        CodeCase{"too_fast", 340011, "", "等待重签\r\n", true},
        CodeCase{"busy", 2280007, "", "等待重签\r\n", true},
        CodeCase{"unknown_to_the_program", 987654, "", "等待重签\r\n", true},
        CodeCase{"tbs_refused_after_a_new_tbs", 320022, "", "等待重签\r\n", true},
        CodeCase{"already_signed", 160002, "", "已签到\r\n", true},
        CodeCase{"blocked_forum", 340006, "本吧目录出错", "签到失败：本吧目录出错\r\n", true},
        CodeCase{"need_vcode", 2150040, "need vcode", "bob签到太频繁，已暂停本账号\r\n", false},
        CodeCase{"blacklisted", 2280001, "您已被加入黑名单", "bob您已被加入黑名单\r\n", false},
        CodeCase{"not_logged_in", 110000, "", "bob登录失效，请重新扫码登录\r\n", false}),
    [](const testing::TestParamInfo<CodeCase>& info) { return std::string(info.param.name); });

TEST_F(TokenRun, TransientFailuresAreRetriedOnceAndTbsRenewedOnce)
{
    TokenAccountSpec bob = tokenAccount("bob", {forum("慢", 11), forum("旧", 12)});
    bob.forums[0].failCode = 2280007;
    bob.forums[1].failCode = 320022;
    startTokenService({bob});

    runToEnd();

    EXPECT_NE(log().find("---签到失败贴吧重签---\r\n慢签到失败\r\n旧签到失败\r\nbob签到结束\r\n"), std::string::npos)
        << log();
    EXPECT_EQ(signRequests(11), 2);
    EXPECT_EQ(signRequests(12), 4); // each pass: the sign, a new tbs, the sign again
    EXPECT_EQ(requestsTo("/dc/common/tbs"), 3);
}

TEST_F(TokenRun, NeedVcodeEndsOnlyThisAccount)
{
    TokenAccountSpec bob = tokenAccount("bob", {forum("一", 1), forum("二", 2), forum("三", 3), forum("四", 4)});
    bob.needVcodeAfter = 2;
    TokenAccountSpec carol = tokenAccount("carol", {forum("五", 5)});
    startTokenService({bob, carol});

    runToEnd();

    const std::string text = log();
    EXPECT_NE(text.find("三[等级3 经验值40]\r\nbob签到太频繁，已暂停本账号\r\ncarol正在获取贴吧\r\n"), std::string::npos)
        << text;
    EXPECT_EQ(signRequests(4), 0);
    EXPECT_TRUE(text.ends_with("carol签到结束\r\n")) << text;
    EXPECT_EQ(state_.currentAccount, 2);
}

TEST_F(TokenRun, AnExpiredSessionGoesOnToTheNextAccount)
{
    TokenAccountSpec gone = tokenAccount("gone", {forum("乙", 22)});
    gone.expired = true;
    startTokenService({gone, tokenAccount("next", {forum("甲", 21)})});

    runToEnd();

    EXPECT_EQ(log(), "gone登录失效，请重新扫码登录\r\n"
                     "next正在获取贴吧\r\nnext开始签到\r\n甲[等级3 经验值40]\r\n签到成功,经验+6\r\nnext签到结束\r\n");
    EXPECT_EQ(signRequests(22), 0);
}

TEST_F(TokenRun, MixedRunOfPasswordTokenAndExpiredTokenAccounts)
{
    AccountSpec u1;
    u1.name = "u1";
    u1.password = "pw1";
    u1.presetSession = std::string(48, 'a');
    forumsim::ForumSpec a;
    a.name = "A";
    a.level = 2;
    a.experience = 10;
    u1.forums = {a};
    TokenAccountSpec tok = tokenAccount("tok", {forum("甲", 21)});
    TokenAccountSpec gone = tokenAccount("gone", {forum("乙", 22)});
    gone.expired = true;
    Scenario scenario;
    scenario.accounts = {u1};
    scenario.tokenAccounts = {tok, gone};
    startService(scenario);
    storeSession(1, std::string(48, 'a'));
    state_.accounts.set({Account{"u1", "pw1"}, stored(tok, 2), stored(gone, 3)});
    state_.pacing.set(kNoPauses);

    runToEnd();

    EXPECT_EQ(log(), "u1正在登陆...\r\n"
                     "u1登录成功\r\n"
                     "u1正在获取贴吧\r\n"
                     "u1开始签到\r\n"
                     "A[等级2 经验值10]\r\n"
                     "签到成功,经验+6\r\n"
                     "u1签到结束\r\n"
                     "tok正在获取贴吧\r\n"
                     "tok开始签到\r\n"
                     "甲[等级3 经验值40]\r\n"
                     "签到成功,经验+6\r\n"
                     "tok签到结束\r\n"
                     "gone登录失效，请重新扫码登录\r\n");
    EXPECT_EQ(signRequests(22), 0);
    EXPECT_EQ(state_.currentAccount, 3);
    EXPECT_EQ(views_.controlsEnabled().back(), true);
}

TEST_F(TokenRun, ATokenAccountMovedUpByADeletionSignsWithItsOwnSession)
{
    AccountSpec u1;
    u1.name = "u1";
    u1.password = "pw1";
    u1.presetSession = std::string(48, 'a');
    TokenAccountSpec tok = tokenAccount("tok", {forum("甲", 21)});
    Scenario scenario;
    scenario.accounts = {u1};
    scenario.tokenAccounts = {tok};
    startService(scenario);
    storeSession(1, std::string(48, 'a')); // slot 1's section still holds the password account's session
    state_.accounts.set({Account{"u1", "pw1"}, stored(tok, 2)});
    state_.pacing.set(kNoPauses);
    ASSERT_TRUE(deleteAccount(state_, 1));

    runToEnd();

    EXPECT_EQ(log(), "tok正在获取贴吧\r\ntok开始签到\r\n甲[等级3 经验值40]\r\n签到成功,经验+6\r\ntok签到结束\r\n");
}

TEST_F(TokenRun, ReadsEveryPageOfALongList)
{
    TokenAccountSpec many = tokenAccount("many");
    many.extraForums = 450;
    startTokenService({many});

    runToEnd();

    EXPECT_EQ(requestsTo("/c/f/forum/forumGuide"), 3); // 200 + 200 + 50
    EXPECT_EQ(signRequests(), 450);
    EXPECT_EQ(views_.captions().back(), gb("many 已签 450/450"));
    EXPECT_TRUE(log().ends_with("签到成功,经验+6\r\nmany签到结束\r\n")) << log().substr(log().size() - 200);
    EXPECT_TRUE(waiter_.waits().empty());
}

TEST_F(TokenRun, AListThatNeverEndsIsReadUpToThePageBound)
{
    TokenAccountSpec endless = tokenAccount("endless", {forum("唯一", 1)});
    endless.endlessList = true;
    startTokenService({endless});

    runToEnd();

    EXPECT_EQ(requestsTo("/c/f/forum/forumGuide"), client::protocol::kMaxForumPages);
    EXPECT_TRUE(log().ends_with("endless签到结束\r\n")) << log();
}

TEST_F(TokenRun, TheOlderListCallStandsInWhenForumGuideAnswersAPage)
{
    forumsim::Fault maintenance;
    maintenance.targetPrefix = "/c/f/forum/forumGuide";
    startTokenService({tokenAccount("dora", {forum("丙", 31)})}, {maintenance});

    runToEnd();

    EXPECT_EQ(requestsTo("/c/f/forum/like"), 1);
    EXPECT_NE(log().find("丙[等级3 经验值40]\r\n签到成功,经验+6\r\n"), std::string::npos) << log();
}

struct UnreadableCase {
    const char* name;
    const char* path; // the call that answers a maintenance page, once
    const char* expectedLog;
};

class TokenRunUnreadable : public TokenRun, public testing::WithParamInterface<UnreadableCase> {};

TEST_P(TokenRunUnreadable, AMaintenancePageGivesALineAndTheRunGoesOn)
{
    forumsim::Fault maintenance;
    maintenance.targetPrefix = GetParam().path;
    maintenance.times = 1;
    maintenance.status = 200;
    maintenance.body = "<html><body>系统维护中</body></html>";
    startTokenService({tokenAccount("gus", {forum("丁", 41)}), tokenAccount("hal", {forum("戊", 42)})}, {maintenance});

    runToEnd();

    EXPECT_EQ(log(), std::string(GetParam().expectedLog) +
                         "hal正在获取贴吧\r\nhal开始签到\r\n戊[等级3 经验值40]\r\n签到成功,经验+6\r\nhal签到结束\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Calls, TokenRunUnreadable,
    testing::Values(UnreadableCase{"session_check", "/dc/common/tbs", "gus登录检查失败，服务器的回答无法识别\r\n"},
                    UnreadableCase{"sign", "/c/c/forum/sign",
                                   "gus正在获取贴吧\r\ngus开始签到\r\n丁[等级3 经验值40]\r\n等待重签\r\n"
                                   "---签到失败贴吧重签---\r\n丁重签成功,经验+6\r\ngus签到结束\r\n"}),
    [](const testing::TestParamInfo<UnreadableCase>& info) { return std::string(info.param.name); });

TEST_F(TokenRun, PausesBetweenSignRequestsWithALongerRestAfterTen)
{
    std::vector<TokenForumSpec> forums;
    for (int i = 1; i <= 13; ++i)
        forums.push_back(forum("吧" + std::to_string(i), i));
    forums[4].signedToday = true; // no request, so no pause for it
    std::vector<std::string> captionsDuringPauses;
    FakeWaiter waiter([&] { captionsDuringPauses.push_back(views_.captions().back()); });
    startTokenService({tokenAccount("eve", forums)});
    controller_ = std::make_unique<RunController>(
        RunEnvironment{state_, sites_, views_, views_, views_, views_, views_, views_, waiter});
    state_.pacing.set(Pacing{});

    runToEnd();

    const std::vector<int> waits = waiter.waits();
    ASSERT_EQ(waits.size(), 11u); // before sign requests 2..12
    for (size_t k = 0; k < waits.size(); ++k) {
        const bool rest = k == 9; // before the 11th request
        EXPECT_GE(waits[k], rest ? 5000 : 1500) << "pause " << k;
        EXPECT_LE(waits[k], rest ? 10000 : 2500) << "pause " << k;
    }
    ASSERT_EQ(captionsDuringPauses.size(), waits.size());
    EXPECT_EQ(captionsDuringPauses.front(), gb("eve 已签 2/13"));
    EXPECT_EQ(captionsDuringPauses.back(), gb("eve 已签 13/13"));
    EXPECT_EQ(signRequests(), 12);
}

// Passes every pause on to a real waiter and says when one has begun.
class ObservedWaiter final : public Waiter {
public:
    bool waitMs(int milliseconds, std::stop_token stop) override
    {
        ++pauses;
        return ThreadWaiter().waitMs(milliseconds, stop);
    }
    std::atomic<int> pauses{0};
};

TEST_F(TokenRun, AStopDuringAPauseEndsItAtOnce)
{
    ObservedWaiter waiter;
    startTokenService({tokenAccount("fay", {forum("一", 1), forum("二", 2)})});
    controller_ = std::make_unique<RunController>(
        RunEnvironment{state_, sites_, views_, views_, views_, views_, views_, views_, waiter});
    // Far longer than the harness waits for the run to come to rest.
    state_.pacing.set(Pacing{600000, 600000, 600000, 600000, 10});

    controller_->startRun();
    ASSERT_TRUE(eventually([&] { return waiter.pauses > 0; }));
    controller_->stopRun();
    driveUntilAtRest();

    EXPECT_EQ(signRequests(1), 1);
    EXPECT_EQ(signRequests(2), 0);
    EXPECT_TRUE(log().ends_with("签到已经停止\r\n")) << log();
}

} // namespace
} // namespace tieba::test
