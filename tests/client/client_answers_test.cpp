// Typed answers of the client protocol, from well-formed and from hostile texts.
#include <gtest/gtest.h>

#include "client/client_answers.h"
#include "client/sign_outcome.h"

namespace tieba::client {
namespace {

constexpr AnswerFault kNone = AnswerFault::Empty; // unused where the parse succeeds

struct SignCase {
    const char* what;
    const char* answer;
    bool ok;
    AnswerFault fault;
    long long code;
    std::optional<int> bonus;
};

TEST(SignAnswer, ReadsCodesAsNumbersOrTextsAndSurvivesBadInput)
{
    const SignCase cases[] = {
        {"success", R"({"error_code":"0","user_info":{"sign_bonus_point":"8","user_sign_rank":12,"cont_sign_num":"3"}})",
         true, kNone, 0, 8},
        {"code as a number", R"({"error_code":160002,"error_msg":"亲，你之前已经签过了"})", true, kNone, 160002, {}},
        {"missing user_info", R"({"error_code":"0"})", true, kNone, 0, {}},
        {"negative bonus", R"({"error_code":"0","user_info":{"sign_bonus_point":-5}})", true, kNone, 0, {}},
        {"huge bonus", R"({"error_code":"0","user_info":{"sign_bonus_point":"99999999999999"}})", true, kNone, 0, {}},
        {"user_info not an object", R"({"error_code":"0","user_info":"x"})", true, kNone, 0, {}},
        {"code as words", R"({"error_code":"busy"})", false, AnswerFault::WrongType, 0, {}},
        {"code as a fraction", R"({"error_code":1.5})", false, AnswerFault::WrongType, 0, {}},
        {"no code", R"({"user_info":{}})", false, AnswerFault::MissingField, 0, {}},
        {"maintenance page", "\r\n<!DOCTYPE html><html><body>系统维护中</body></html>", false, AnswerFault::HtmlPage, 0,
         {}},
        {"broken JSON", R"({"error_code":"0",)", false, AnswerFault::NotJson, 0, {}},
        {"a list", "[1,2]", false, AnswerFault::NotAnObject, 0, {}},
        {"nothing", "", false, AnswerFault::Empty, 0, {}},
    };
    for (const SignCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Parsed<SignAnswer> sign = parseSignAnswer(c.answer);
        ASSERT_EQ(sign.ok(), c.ok) << (sign.ok() ? "" : sign.error().describe());
        if (!c.ok) {
            EXPECT_EQ(sign.error().fault, c.fault);
            continue;
        }
        EXPECT_EQ(sign->status.errorCode, c.code);
        EXPECT_EQ(sign->bonusPoints, c.bonus);
    }
    const Parsed<SignAnswer> full = parseSignAnswer(cases[0].answer);
    EXPECT_EQ(full->rank, 12);
    EXPECT_EQ(full->daysInARow, 3);
    EXPECT_EQ(parseSignAnswer(cases[1].answer)->status.errorMessage, "亲，你之前已经签过了");
}

TEST(SignOutcome, FollowsTheServiceTable)
{
    using O = SignOutcome;
    const std::pair<long long, O> cases[] = {
        {0, O::Signed},           {160002, O::AlreadySigned}, {340011, O::Transient},  {2280007, O::Transient},
        {110001, O::Transient},   {1989004, O::Transient},    {255, O::Transient},     {340006, O::Blocked},
        {2150040, O::NeedVcode},  {1, O::NotLoggedIn},        {110000, O::NotLoggedIn}, {320022, O::TbsFailed},
        {2280015, O::Banned},     {2280001, O::Banned},       {1990055, O::Banned},    {-1, O::Unknown},
        {340012, O::Unknown},
    };
    for (const auto& [code, outcome] : cases)
        EXPECT_EQ(signOutcome(code), outcome) << code;
    for (O stops : {O::NeedVcode, O::NotLoggedIn, O::Banned})
        EXPECT_TRUE(endsAccountRun(stops));
    for (O goesOn : {O::Signed, O::AlreadySigned, O::Transient, O::TbsFailed, O::Blocked, O::Unknown})
        EXPECT_FALSE(endsAccountRun(goesOn));
}

TEST(ForumList, ReadsForumGuideEntriesAndLeavesOutUnusableOnes)
{
    const Parsed<ForumListPage> page = parseForumGuidePage(R"({"error_code":"0","like_forum":[
        {"forum_id":52,"forum_name":"李毅","is_sign":1,"is_forbidden":0,"level_id":"7","cur_score":"1234"},
        {"forum_id":"9007","forum_name":"封禁吧","is_sign":"0","is_forbidden":"1","level_id":-3,"cur_score":1e30},
        {"forum_id":0,"forum_name":"零"},
        {"forum_id":"abc","forum_name":"字"},
        {"forum_id":7,"forum_name":""},
        {"forum_name":"无号"},
        "not an object"
    ],"like_forum_has_more":true})");
    ASSERT_TRUE(page.ok()) << page.error().describe();
    ASSERT_EQ(page->forums.size(), 2u);
    EXPECT_EQ(page->unusableEntries, 5);
    EXPECT_TRUE(page->hasMore);
    const FollowedForum& first = page->forums[0];
    EXPECT_EQ(first.id, "52");
    EXPECT_EQ(first.name, "李毅");
    EXPECT_TRUE(first.signedToday);
    EXPECT_FALSE(first.forbidden);
    EXPECT_EQ(first.level, 7);
    EXPECT_EQ(first.experience, 1234);
    const FollowedForum& second = page->forums[1];
    EXPECT_EQ(second.id, "9007");
    EXPECT_FALSE(second.signedToday);
    EXPECT_TRUE(second.forbidden);
    EXPECT_EQ(second.level, std::nullopt);
    EXPECT_EQ(second.experience, std::nullopt);
}

TEST(ForumList, ReadsTheMoreFlagInEveryShapeAndTheOlderCall)
{
    const std::pair<const char*, bool> flags[] = {
        {"true", true}, {"1", true}, {"\"1\"", true}, {"false", false}, {"0", false}, {"\"0\"", false}, {"null", false},
    };
    for (const auto& [flag, more] : flags) {
        const std::string text = std::string(R"({"like_forum":[],"like_forum_has_more":)") + flag + "}";
        EXPECT_EQ(parseForumGuidePage(text)->hasMore, more) << flag;
    }
    EXPECT_FALSE(parseForumGuidePage(R"({"like_forum":[]})")->hasMore);

    const Parsed<ForumListPage> older =
        parseForumLikePage(R"({"error_code":0,"forum_list":[{"forum_id":"3","forum_name":"篮球"}],"has_more":"1"})");
    ASSERT_TRUE(older.ok());
    EXPECT_EQ(older->forums.at(0).name, "篮球");
    EXPECT_TRUE(older->hasMore);
}

TEST(ForumList, AServiceErrorIsAnAnswerAndAMissingListIsNot)
{
    const Parsed<ForumListPage> loggedOut = parseForumGuidePage(R"({"error_code":"110000","error_msg":"未登录"})");
    ASSERT_TRUE(loggedOut.ok());
    EXPECT_EQ(loggedOut->status.errorCode, 110000);
    EXPECT_EQ(signOutcome(loggedOut->status.errorCode), SignOutcome::NotLoggedIn);

    const std::pair<const char*, AnswerFault> broken[] = {
        {R"({"error_code":"0"})", AnswerFault::MissingField},
        {R"({"like_forum":{"forum_id":1}})", AnswerFault::WrongType},
        {"<html>404</html>", AnswerFault::HtmlPage},
    };
    for (const auto& [text, fault] : broken)
        EXPECT_EQ(parseForumGuidePage(text).error().fault, fault) << text;
}

TEST(ForumList, TakesFiveThousandForumsOnOnePage)
{
    std::string text = R"({"like_forum":[)";
    for (int i = 1; i <= 5000; ++i)
        text += (i > 1 ? "," : "") + std::string(R"({"forum_id":)") + std::to_string(i) + R"(,"forum_name":"吧)" +
                std::to_string(i) + R"(","level_id":1})";
    text += R"(],"like_forum_has_more":false})";
    const Parsed<ForumListPage> page = parseForumGuidePage(text);
    ASSERT_TRUE(page.ok());
    ASSERT_EQ(page->forums.size(), 5000u);
    EXPECT_EQ(page->forums.back().name, "吧5000");
}

TEST(TbsAnswer, TellsALiveSessionFromAGoneOne)
{
    EXPECT_EQ(parseTbsAnswer(R"({"tbs":"a1b2","is_login":1})")->tbs, "a1b2");
    EXPECT_TRUE(parseTbsAnswer(R"({"tbs":"a1b2","is_login":"1"})")->loggedIn);
    EXPECT_FALSE(parseTbsAnswer(R"({"tbs":"a1b2","is_login":0})")->loggedIn);
    EXPECT_FALSE(parseTbsAnswer(R"({"is_login":0})")->loggedIn);
    EXPECT_EQ(parseTbsAnswer(R"({"tbs":"a1"})").error().fault, AnswerFault::MissingField);
    EXPECT_EQ(parseTbsAnswer(R"({"is_login":1})").error().fault, AnswerFault::MissingField);
    EXPECT_EQ(parseTbsAnswer("<html></html>").error().fault, AnswerFault::HtmlPage);
}

TEST(LoginAnswer, ReadsTheNameAndTbs)
{
    const Parsed<LoginAnswer> login =
        parseLoginAnswer(R"({"error_code":"0","user":{"id":"1","name":"演示用户"},"anti":{"tbs":"t9"}})");
    ASSERT_TRUE(login.ok());
    EXPECT_EQ(login->userName, "演示用户");
    EXPECT_EQ(login->tbs, "t9");
    EXPECT_EQ(parseLoginAnswer(R"({"error_code":"1","error_msg":"用户未登录"})")->status.errorCode, 1);
    EXPECT_EQ(parseLoginAnswer(R"({"error_code":"0","user":{}})").error().fault, AnswerFault::MissingField);
}

TEST(QrAnswers, ReadTheCodeThePollAndTheLogin)
{
    const Parsed<QrCode> bare = parseQrCode(R"({"imgurl":"passport.example/qr/x.png","sign":"ch1","errno":0})");
    ASSERT_TRUE(bare.ok());
    EXPECT_EQ(bare->imageUrl, "https://passport.example/qr/x.png");
    EXPECT_EQ(bare->channel, "ch1");
    EXPECT_EQ(parseQrCode(R"({"imgurl":"http://127.0.0.1:9/qr/x.png","sign":"c"})")->imageUrl,
              "http://127.0.0.1:9/qr/x.png");
    EXPECT_EQ(parseQrCode(R"({"imgurl":"x"})").error().fault, AnswerFault::MissingField);

    using S = QrPoll::State;
    const std::pair<const char*, S> polls[] = {
        {R"(cb({"errno":1,"channel_id":"ch1"}))", S::Waiting},
        {R"(cb({"errno":0,"channel_v":"{\"status\":1}"}))", S::Scanned},
        {R"(cb({"errno":0,"channel_v":"{\"status\":0,\"v\":\"tmp\"}"}))", S::Confirmed},
        {R"(cb({"errno":"0"}))", S::Waiting},
    };
    for (const auto& [text, state] : polls) {
        const Parsed<QrPoll> poll = parseQrPoll(text, "cb");
        ASSERT_TRUE(poll.ok()) << text << ": " << poll.error().describe();
        EXPECT_EQ(poll->state, state) << text;
    }
    EXPECT_EQ(parseQrPoll(R"(cb({"errno":0,"channel_v":"{\"status\":0,\"v\":\"tmp\"}"}))", "cb")->temporaryToken, "tmp");
    EXPECT_EQ(parseQrPoll(R"(other({"errno":1}))", "cb").error().fault, AnswerFault::WrongCallback);
    EXPECT_EQ(parseQrPoll(R"(cb({"errno":0,"channel_v":"{broken"}))", "cb").error().field, "channel_v");

    const char* passport = "{'errInfo':{'no':'0'},'data':{'session':{'bduss':'BD~1-x',"
                           "'stoken_list':['pp#P1','tb#ST42']},'user':{'username':'扫码用户'},"
                           "'u':'https://x.example/?a=1\\&b=2'}}";
    const Parsed<QrLogin> login = parseQrLogin(passport);
    ASSERT_TRUE(login.ok()) << login.error().describe();
    EXPECT_EQ(login->bduss, "BD~1-x");
    EXPECT_EQ(login->stoken, "ST42");
    EXPECT_EQ(login->userName, "扫码用户");
    EXPECT_EQ(parseQrLogin("{'data':{'session':{'bduss':'B','stoken_list':['tb#S']},'user':'名'}}")->stoken, "S");
    EXPECT_EQ(parseQrLogin("{'data':{'session':{'bduss':'B','stoken_list':['pp#S']},'user':'名'}}").error().fault,
              AnswerFault::MissingField);
    EXPECT_EQ(parseQrLogin("{'data':{}}").error().field, "data.session.bduss");
}

} // namespace
} // namespace tieba::client
