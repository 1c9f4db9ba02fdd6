// The simulated service's mobile client protocol and QR login, driven over loopback with the
// requests the program's client library builds.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>

#include <httplib.h>

#include "client/client_answers.h"
#include "client/client_form.h"
#include "client/client_requests.h"
#include "support/local_sites.h"
#include "forumsim.h"

namespace tieba::forumsim::test {
namespace {

namespace cl = tieba::client;

const cl::Tokens kTokens{"BD-alice~1", "st-alice", {}};

// Sends the client library's requests to the simulated service, byte for byte.
class ProtocolClient {
public:
    explicit ProtocolClient(const ForumSim& sim) : base_(sim.baseUrl()), http_("127.0.0.1", sim.port())
    {
        http_.set_url_encode(false);
        http_.set_tcp_nodelay(true);
    }

    const Sites& sites() const { return sites_; }

    std::string send(const cl::ClientRequest& request, int* status = nullptr)
    {
        const std::string target = request.url.substr(base_.size());
        httplib::Headers headers;
        if (!request.cookie.empty())
            headers.emplace("Cookie", request.cookie);
        for (const std::string& line : request.headers) {
            const size_t colon = line.find(':');
            headers.emplace(line.substr(0, colon), line.substr(colon + 2));
        }
        httplib::Result result = request.method == cl::ClientRequest::Method::Post
                                     ? http_.Post(target, headers, request.body, "application/x-www-form-urlencoded")
                                     : http_.Get(target, headers);
        if (!result)
            return "<no answer>";
        if (status)
            *status = result->status;
        return result->body;
    }

    std::string get(const std::string& target)
    {
        httplib::Result result = http_.Get(target);
        return result ? result->body : "<no answer>";
    }

    int status(const std::string& target)
    {
        httplib::Result result = http_.Get(target);
        return result ? result->status : -1;
    }

    std::string tbs(const cl::Tokens& tokens)
    {
        const cl::Parsed<cl::TbsAnswer> answer = cl::parseTbsAnswer(send(cl::tbsRequest(sites_, tokens)));
        return answer.ok() && answer->loggedIn ? answer->tbs : std::string();
    }

    cl::Parsed<cl::SignAnswer> sign(const cl::Tokens& tokens, const std::string& fid, const std::string& name)
    {
        return cl::parseSignAnswer(send(cl::signRequest(sites_, tokens, tbs(tokens), fid, name)));
    }

    cl::Parsed<cl::ForumListPage> guidePage(const cl::Tokens& tokens, int page)
    {
        return cl::parseForumGuidePage(send(cl::forumGuideRequest(sites_, tokens, tbs(tokens), page)));
    }

private:
    std::string base_;
    Sites sites_ = tieba::test::sitesFor(base_);
    httplib::Client http_;
};

TokenForumSpec forum(std::string name, long long fid)
{
    TokenForumSpec f;
    f.name = std::move(name);
    f.fid = fid;
    return f;
}

TokenAccountSpec alice()
{
    TokenAccountSpec a;
    a.name = "alice";
    a.bduss = kTokens.bduss;
    a.stoken = kTokens.stoken;
    a.forums = {forum("李毅", 52), forum("已签", 53), forum("封禁", 54), forum("太快", 55), forum("黑名单", 56)};
    a.forums[0].gain = 8;
    a.forums[1].signedToday = true;
    a.forums[2].forbidden = true;
    a.forums[3].failCode = 340011;
    a.forums[3].failTimes = 1;
    a.forums[4].failCode = 2280001;
    a.forums[4].failMessage = "您已被加入黑名单";
    return a;
}

Scenario tokenScenario(std::vector<TokenAccountSpec> accounts = {alice()})
{
    Scenario s;
    s.seed = 7;
    s.tokenAccounts = std::move(accounts);
    return s;
}

long long codeOf(const cl::Parsed<cl::SignAnswer>& answer)
{
    return answer.ok() ? answer->status.errorCode : -999;
}

TEST(ClientApi, SignsAndAnswersEachForumWithItsCode)
{
    ForumSim sim(tokenScenario());
    ProtocolClient client(sim);
    struct Case {
        const char* fid;
        const char* name;
        std::vector<long long> codes; // answers to signing it again and again
    };
    const Case cases[] = {
        {"52", "李毅", {0, 160002}},
        {"53", "已签", {160002}},
        {"54", "封禁", {340006, 340006}},
        {"55", "太快", {340011, 0, 160002}},
        {"56", "黑名单", {2280001, 2280001}},
        {"52", "李毅吧", {340006}}, // a name that is not the forum's
        {"99", "李毅", {340006}},   // a forum the account does not follow
    };
    for (const Case& c : cases) {
        for (size_t i = 0; i < c.codes.size(); ++i)
            EXPECT_EQ(codeOf(client.sign(kTokens, c.fid, c.name)), c.codes[i]) << c.name << " attempt " << i + 1;
    }
    const cl::Parsed<cl::SignAnswer> blacklisted = client.sign(kTokens, "56", "黑名单");
    EXPECT_EQ(blacklisted->status.errorMessage, "您已被加入黑名单");

    const cl::Parsed<cl::ForumListPage> page = client.guidePage(kTokens, 1);
    ASSERT_TRUE(page.ok()) << page.error().describe();
    ASSERT_EQ(page->forums.size(), 5u);
    EXPECT_TRUE(page->forums[0].signedToday);
    EXPECT_EQ(page->forums[0].experience, 8);
    EXPECT_TRUE(page->forums[2].forbidden);
    EXPECT_TRUE(page->forums[3].signedToday);
    EXPECT_FALSE(page->forums[4].signedToday);
}

TEST(ClientApi, TheFirstSignGivesBonusRankAndDays)
{
    ForumSim sim(tokenScenario());
    ProtocolClient client(sim);
    const cl::Parsed<cl::SignAnswer> answer = client.sign(kTokens, "52", "李毅");
    ASSERT_TRUE(answer.ok());
    EXPECT_EQ(answer->bonusPoints, 8);
    EXPECT_EQ(answer->rank, 1);
    EXPECT_EQ(answer->daysInARow, 1);
}

// Changes a field of a built form without signing it again.
std::string replaced(std::string body, const std::string& from, const std::string& to)
{
    const size_t at = body.find(from);
    EXPECT_NE(at, std::string::npos) << from << " in " << body;
    if (at != std::string::npos)
        body.replace(at, from.size(), to);
    return body;
}

TEST(ClientApi, RefusesMalformedCallsAndSignsNothing)
{
    ForumSim sim(tokenScenario());
    ProtocolClient client(sim);
    const std::string tbs = client.tbs(kTokens);
    ASSERT_FALSE(tbs.empty());
    const cl::ClientRequest good = cl::signRequest(client.sites(), kTokens, tbs, "52", "李毅");
    const cl::ClientRequest stale = cl::signRequest(client.sites(), kTokens, "not-the-tbs", "52", "李毅");
    const std::string signField = good.body.substr(good.body.find("&sign="));

    struct Case {
        const char* what;
        std::string body;
        const char* code;
        const char* message; // part of error_msg
    };
    const Case cases[] = {
        {"a field changed after signing", replaced(good.body, "fid=52", "fid=53"), "-1", "sign mismatch"},
        {"a lower-case sign", replaced(good.body, signField, QByteArray::fromStdString(signField).toLower().toStdString()),
         "-1", "sign mismatch"},
        {"no sign", replaced(good.body, signField, ""), "-1", "missing field sign"},
        {"no tbs", cl::signRequest(client.sites(), kTokens, tbs, "52", "李毅").body.replace(
                       good.body.find("&tbs="), 5 + tbs.size(), ""),
         "-1", "missing field tbs"},
        {"no client version", replaced(good.body, "&_client_version=12.58.1.0", ""), "-1",
         "missing field _client_version"},
        {"a stale tbs, signed correctly", stale.body, "320022", "tbs"},
        {"another client type, signed correctly",
         cl::clientForm({{"_client_type", "1"}, {"fid", "52"}, {"kw", "李毅"}, {"tbs", tbs}}, kTokens), "-1",
         "unknown _client_type"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cl::ClientRequest request = good;
        request.body = c.body;
        const cl::Parsed<cl::SignAnswer> answer = cl::parseSignAnswer(client.send(request));
        ASSERT_TRUE(answer.ok());
        EXPECT_EQ(answer->status.errorCode, std::stoll(c.code));
        EXPECT_NE(answer->status.errorMessage.find(c.message), std::string::npos) << answer->status.errorMessage;
    }
    EXPECT_FALSE(client.guidePage(kTokens, 1)->forums[0].signedToday);
    EXPECT_EQ(codeOf(client.sign(kTokens, "52", "李毅")), 0);
}

TEST(ClientApi, WantsTheTokensAndTheListHeader)
{
    ForumSim sim(tokenScenario());
    ProtocolClient client(sim);
    const std::string tbs = client.tbs(kTokens);

    const cl::Tokens wrongStoken{kTokens.bduss, "st-mallory", {}};
    EXPECT_EQ(codeOf(cl::parseSignAnswer(client.send(cl::signRequest(client.sites(), wrongStoken, tbs, "52", "李毅")))),
              1);
    EXPECT_EQ(client.guidePage(wrongStoken, 1)->status.errorCode, 110000);
    EXPECT_EQ(client.tbs(cl::Tokens{"BD-unknown", kTokens.stoken, {}}), "");

    cl::ClientRequest noHeader = cl::forumGuideRequest(client.sites(), kTokens, tbs, 1);
    noHeader.headers.clear();
    EXPECT_EQ(cl::parseForumGuidePage(client.send(noHeader))->status.errorCode, -1);

    // The tokens may also come as a browser's cookies instead of fields; the sign then covers the
    // call's fields alone.
    cl::ClientRequest asCookies = cl::signRequest(client.sites(), kTokens, tbs, "52", "李毅");
    cl::FormFields fields{{"_client_type", "2"}, {"_client_version", "12.58.1.0"}, {"fid", "52"}, {"kw", "李毅"},
                          {"tbs", tbs}};
    asCookies.body = "_client_type=2&_client_version=12.58.1.0&fid=52&kw=%E6%9D%8E%E6%AF%85&tbs=" + tbs +
                     "&sign=" + cl::signOf(fields);
    asCookies.cookie = "BAIDUID=x; BDUSS=" + kTokens.bduss + "; STOKEN=" + kTokens.stoken;
    EXPECT_EQ(codeOf(cl::parseSignAnswer(client.send(asCookies))), 0);
}

TEST(ClientApi, AnExpiredSessionIsRefusedEverywhere)
{
    TokenAccountSpec gone = alice();
    gone.name = "gone";
    gone.bduss = "BD-gone";
    gone.expired = true;
    ForumSim sim(tokenScenario({alice(), gone}));
    ProtocolClient client(sim);
    const std::string tbs = client.tbs(kTokens);
    ASSERT_FALSE(tbs.empty());

    EXPECT_EQ(client.status("/admin/client/expire?account=alice"), 200);
    EXPECT_EQ(client.status("/admin/client/expire?account=nobody"), 409);
    for (const cl::Tokens& tokens : {kTokens, cl::Tokens{"BD-gone", kTokens.stoken, {}}}) {
        SCOPED_TRACE(tokens.bduss);
        const cl::Parsed<cl::TbsAnswer> tbsAnswer = cl::parseTbsAnswer(client.send(cl::tbsRequest(client.sites(), tokens)));
        ASSERT_TRUE(tbsAnswer.ok());
        EXPECT_FALSE(tbsAnswer->loggedIn);
        EXPECT_EQ(codeOf(cl::parseSignAnswer(client.send(cl::signRequest(client.sites(), tokens, tbs, "52", "李毅")))), 1);
        EXPECT_EQ(cl::parseForumGuidePage(client.send(cl::forumGuideRequest(client.sites(), tokens, tbs, 1)))
                      ->status.errorCode,
                  110000);
        EXPECT_EQ(cl::parseLoginAnswer(client.send(cl::loginRequest(client.sites(), tokens)))->status.errorCode, 1);
    }
}

TEST(ClientApi, StopsSigningWithNeedVcodeAfterTheGivenCount)
{
    TokenAccountSpec a = alice();
    a.needVcodeAfter = 1;
    ForumSim sim(tokenScenario({a}));
    ProtocolClient client(sim);
    EXPECT_EQ(codeOf(client.sign(kTokens, "52", "李毅")), 0);
    EXPECT_EQ(codeOf(client.sign(kTokens, "55", "太快")), 2150040);
    EXPECT_EQ(codeOf(client.sign(kTokens, "53", "已签")), 2150040);
}

TEST(ClientApi, PagesTheForumListAndCanNeverEndIt)
{
    TokenAccountSpec many = alice();
    many.forums.clear();
    many.extraForums = 450;
    many.pageSize = 200;
    TokenAccountSpec endless = many;
    endless.name = "endless";
    endless.bduss = "BD-endless";
    endless.extraForums = 3;
    endless.endlessList = true;
    ForumSim sim(tokenScenario({many, endless}));
    ProtocolClient client(sim);

    const std::pair<size_t, bool> pages[] = {{200, true}, {200, true}, {50, false}, {0, false}};
    std::vector<std::string> names;
    for (size_t i = 0; i < std::size(pages); ++i) {
        const cl::Parsed<cl::ForumListPage> page = client.guidePage(kTokens, static_cast<int>(i + 1));
        ASSERT_TRUE(page.ok()) << page.error().describe();
        EXPECT_EQ(page->forums.size(), pages[i].first) << "page " << i + 1;
        EXPECT_EQ(page->hasMore, pages[i].second) << "page " << i + 1;
        for (const cl::FollowedForum& f : page->forums)
            names.push_back(f.name);
    }
    ASSERT_EQ(names.size(), 450u);
    EXPECT_EQ(names.front(), "测试吧1");
    EXPECT_EQ(names.back(), "测试吧450");

    const cl::Parsed<cl::ForumListPage> older =
        cl::parseForumLikePage(client.send(cl::forumLikeRequest(client.sites(), kTokens, 3)));
    ASSERT_TRUE(older.ok());
    EXPECT_EQ(older->forums.size(), 50u);
    EXPECT_FALSE(older->hasMore);

    const cl::Tokens endlessTokens{"BD-endless", kTokens.stoken, {}};
    EXPECT_TRUE(client.guidePage(endlessTokens, 1)->hasMore);
    EXPECT_TRUE(client.guidePage(endlessTokens, 21)->hasMore);
}

TEST(ClientApi, QrLoginFromPictureToTokensAndName)
{
    TokenAccountSpec phone = alice();
    phone.name = "扫码用户";
    phone.qr = true;
    ForumSim sim(tokenScenario({phone}));
    ProtocolClient client(sim);

    const cl::Parsed<cl::QrCode> code = cl::parseQrCode(client.send(cl::qrCodeRequest(client.sites())));
    ASSERT_TRUE(code.ok()) << code.error().describe();
    const std::string picture = client.get(code->imageUrl.substr(sim.baseUrl().size()));
    const QImage image = QImage::fromData(QByteArray::fromStdString(picture), "PNG");
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), image.height());

    auto poll = [&] {
        return cl::parseQrPoll(client.send(cl::qrPollRequest(client.sites(), code->channel, "tangram_guid_1")),
                               "tangram_guid_1");
    };
    const std::string channel = "channel=" + code->channel;
    using S = cl::QrPoll::State;
    EXPECT_EQ(poll()->state, S::Waiting);
    EXPECT_EQ(client.status("/admin/qr/confirm?" + channel), 409) << "confirmed before it was scanned";
    EXPECT_EQ(client.status("/admin/qr/scan?" + channel), 200);
    EXPECT_EQ(poll()->state, S::Scanned);
    EXPECT_EQ(client.status("/admin/qr/confirm?" + channel), 200);
    const cl::Parsed<cl::QrPoll> confirmed = poll();
    ASSERT_EQ(confirmed->state, S::Confirmed);

    const cl::Parsed<cl::QrLogin> login =
        cl::parseQrLogin(client.send(cl::qrLoginRequest(client.sites(), confirmed->temporaryToken)));
    ASSERT_TRUE(login.ok()) << login.error().describe();
    EXPECT_EQ(login->bduss, kTokens.bduss);
    EXPECT_EQ(login->stoken, kTokens.stoken);
    EXPECT_EQ(login->userName, "扫码用户");
    EXPECT_FALSE(cl::parseQrLogin(client.send(cl::qrLoginRequest(client.sites(), confirmed->temporaryToken))).ok())
        << "a temporary token logs in once";

    const cl::Tokens tokens{login->bduss, login->stoken, {}};
    const cl::Parsed<cl::LoginAnswer> named = cl::parseLoginAnswer(client.send(cl::loginRequest(client.sites(), tokens)));
    ASSERT_TRUE(named.ok());
    EXPECT_EQ(named->userName, "扫码用户");
    EXPECT_EQ(named->tbs, client.tbs(tokens));

    EXPECT_EQ(client.status("/qr/unknown.png"), 404);
    EXPECT_EQ(cl::parseQrPoll(client.send(cl::qrPollRequest(client.sites(), "unknown", "cb")), "cb")->state, S::Waiting);
}

TEST(ClientApi, ANewDaySignsAgain)
{
    ForumSim sim(tokenScenario());
    ProtocolClient client(sim);
    EXPECT_EQ(codeOf(client.sign(kTokens, "52", "李毅")), 0);
    sim.turnDay();
    EXPECT_FALSE(client.guidePage(kTokens, 1)->forums[0].signedToday);
    EXPECT_EQ(codeOf(client.sign(kTokens, "52", "李毅")), 0);
}

TEST(ClientApi, ReadsTokenAccountsFromJsonAndRefusesMistakes)
{
    const Scenario s = scenarioFromJson(R"({"tokenAccounts":[{"name":"t","bduss":"B","stoken":"S","expired":true,
        "needVcodeAfter":3,"pageSize":50,"extraForums":2,"endlessList":true,
        "forums":[{"name":"吧","fid":9,"forbidden":true,"failCode":340011,"failTimes":2,"failMessage":"太快"}]}]})");
    ASSERT_EQ(s.tokenAccounts.size(), 1u);
    const TokenAccountSpec& t = s.tokenAccounts[0];
    EXPECT_TRUE(t.expired);
    EXPECT_TRUE(t.endlessList);
    EXPECT_EQ(t.needVcodeAfter, 3);
    EXPECT_EQ(t.pageSize, 50);
    EXPECT_EQ(t.extraForums, 2);
    ASSERT_EQ(t.forums.size(), 1u);
    EXPECT_EQ(t.forums[0].fid, 9);
    EXPECT_EQ(t.forums[0].failCode, 340011);
    EXPECT_EQ(t.forums[0].failTimes, 2);
    EXPECT_EQ(t.forums[0].failMessage, "太快");

    const char* mistakes[] = {
        R"({"tokenAccounts":[{"name":"t","bdus":"B"}]})",
        R"({"tokenAccounts":[{"bduss":"B"}]})",
        R"({"tokenAccounts":[{"name":"t","pageSize":0}]})",
        R"({"tokenAccounts":[{"name":"t","forums":[{"name":"x","failCode":"busy"}]}]})",
        R"({"tokenAccounts":{"name":"t"}})",
    };
    for (const char* text : mistakes)
        EXPECT_THROW(scenarioFromJson(text), std::runtime_error) << text;
}

TEST(ClientApi, TheDemoHasATokenAccountReachableByQr)
{
    const Scenario demo = scenarioFromFile(FORUMSIM_DEMO_SCENARIO);
    ASSERT_FALSE(demo.tokenAccounts.empty());
    EXPECT_TRUE(demo.tokenAccounts[0].qr);
    ForumSim sim(demo);
    ProtocolClient client(sim);
    const cl::Parsed<cl::QrCode> code = cl::parseQrCode(client.send(cl::qrCodeRequest(client.sites())));
    ASSERT_TRUE(code.ok());
    EXPECT_EQ(client.status("/admin/qr/scan?channel=" + code->channel), 200);
    EXPECT_EQ(client.status("/admin/qr/confirm?channel=" + code->channel), 200);
    const cl::Parsed<cl::QrPoll> poll =
        cl::parseQrPoll(client.send(cl::qrPollRequest(client.sites(), code->channel, "cb")), "cb");
    const cl::Parsed<cl::QrLogin> login =
        cl::parseQrLogin(client.send(cl::qrLoginRequest(client.sites(), poll->temporaryToken)));
    ASSERT_TRUE(login.ok());
    const cl::Parsed<cl::ForumListPage> page = client.guidePage(cl::Tokens{login->bduss, login->stoken, {}}, 1);
    ASSERT_TRUE(page.ok());
    EXPECT_GE(page->forums.size(), 10u);
}

} // namespace
} // namespace tieba::forumsim::test
