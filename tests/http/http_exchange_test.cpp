#include "web/http_exchange.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <strings.h>

#include <chrono>
#include <fstream>
#include <future>
#include <iterator>
#include <mutex>
#include <vector>

#include "core/encoding.h"
#include "support/temp_dir.h"
#include "test_servers.h"
#include "web/cookie_jar.h"
#include "web/http_settings.h"

namespace tieba {
namespace {

using namespace std::chrono_literals;
using test::ScriptedServer;

const std::string kFormType = "application/x-www-form-urlencoded";

const std::string kShortReply = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";

// A request as it came over the wire: cpp-httplib hides a header with an empty value.
struct RawRequest {
    explicit RawRequest(const std::string& raw)
    {
        const size_t headEnd = raw.find("\r\n\r\n");
        head = raw.substr(0, headEnd + 2);
        body = headEnd == std::string::npos ? "" : raw.substr(headEnd + 4);
        line = head.substr(0, head.find("\r\n"));
    }
    // The value of a header without its surrounding blanks; "<absent>" when it is missing.
    std::string header(const std::string& name) const
    {
        size_t at = 0;
        while ((at = head.find("\r\n", at)) != std::string::npos) {
            at += 2;
            if (strncasecmp(head.c_str() + at, (name + ":").c_str(), name.size() + 1) == 0) {
                const size_t start = head.find_first_not_of(' ', at + name.size() + 1);
                return head.substr(start, head.find("\r\n", at) - start);
            }
        }
        return "<absent>";
    }

    std::string line;
    std::string head;
    std::string body;
};

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What the server saw of one request.
struct SeenRequest {
    std::string method;
    std::string target;
    std::string body;
    httplib::Headers headers;
    int remotePort = -1;

    bool has(const std::string& name) const { return headers.count(name) > 0; }
    std::string header(const std::string& name) const
    {
        auto it = headers.find(name);
        return it == headers.end() ? std::string("<absent>") : it->second;
    }
};

// Requests as the server's handler threads record them.
class Recorder {
public:
    void record(const httplib::Request& request)
    {
        std::lock_guard lock(mutex_);
        seen_.push_back({request.method, request.target, request.body, request.headers, request.remote_port});
    }
    std::vector<SeenRequest> all() const
    {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    SeenRequest last() const
    {
        std::lock_guard lock(mutex_);
        return seen_.empty() ? SeenRequest{} : seen_.back();
    }

private:
    mutable std::mutex mutex_;
    std::vector<SeenRequest> seen_;
};

// Lowers the limits for one test and puts the program's back afterwards.
class SettingsOverride {
public:
    explicit SettingsOverride(const HttpSettings& settings) : saved_(httpSettings()) { setHttpSettings(settings); }
    ~SettingsOverride() { setHttpSettings(saved_); }

private:
    HttpSettings saved_;
};

class HttpExchangeTest : public ::testing::Test {
protected:
    // A route that records the request and answers with a fixed text.
    void answer(const std::string& path, std::string body, std::vector<std::string> setCookies = {})
    {
        server_.server().Get(path, [this, body, setCookies](const httplib::Request& req, httplib::Response& res) {
            seen_.record(req);
            for (const auto& cookie : setCookies)
                res.set_header("Set-Cookie", cookie);
            res.set_content(body, "text/html");
        });
    }

    void storeCookies(const std::string& headerText, const std::string& account)
    {
        storeSetCookies(headerText, dataFile_, account);
    }

    // Runs an exchange that must fail and checks that it left the data file as it was.
    void expectFailureLeavesDataFile(const std::string& url)
    {
        storeCookies("Set-Cookie: old=1;\r\n", "1");
        const std::string before = fileBytes(dataFile_);
        ASSERT_FALSE(before.empty());
        EXPECT_EQ(httpExchange(url, "GET", "", dataFile_, 1), "");
        EXPECT_EQ(fileBytes(dataFile_), before);
    }

    test::ScopedTempDir dir_;
    std::string dataFile_ = dir_.file("shuju.dat");
    Recorder seen_;
    test::LocalServer server_;
};

TEST_F(HttpExchangeTest, GetCarriesFormTypeAndAnEmptyCookieForAFreshAccount)
{
    storeCookies("Set-Cookie: other=1;\r\n", "2");
    ScriptedServer server(kShortReply, ScriptedServer::After::Close);

    EXPECT_EQ(httpExchange(server.url("/page"), "GET", "", dataFile_, 1), "ok");
    const RawRequest request(server.request());
    EXPECT_EQ(request.line, "GET /page HTTP/1.1");
    EXPECT_EQ(request.header("Content-Type"), kFormType);
    EXPECT_EQ(request.header("Cookie"), "");
    EXPECT_EQ(request.body, "");
}

TEST_F(HttpExchangeTest, SendsTheCookiesOfTheGivenAccountOnly)
{
    storeCookies("Set-Cookie: mine=1; path=/\r\n", "1");
    storeCookies("Set-Cookie: a=1;\r\nSet-Cookie: b=2;\r\n", "2");
    storeCookies("Set-Cookie: zero=0;\r\n", "0");
    answer("/page", "ok");
    server_.start();

    httpExchange(server_.url("/page"), "GET", "", dataFile_, 2);
    EXPECT_EQ(seen_.last().header("Cookie"), "a=1;b=2;");
    httpExchange(server_.url("/page"), "GET", "", dataFile_, 1);
    EXPECT_EQ(seen_.last().header("Cookie"), "mine=1;");
}

TEST_F(HttpExchangeTest, PostSendsItsBodyWithoutWaitingForContinue)
{
    ScriptedServer server(kShortReply, ScriptedServer::After::Close);
    const std::string body = "&a=1&big=" + std::string(2 << 20, 'x');

    EXPECT_EQ(httpExchange(server.url("/form"), "POST", body, dataFile_, 1), "ok");
    const RawRequest request(server.request());
    EXPECT_EQ(request.line, "POST /form HTTP/1.1");
    EXPECT_EQ(request.header("Content-Type"), kFormType);
    EXPECT_EQ(request.header("Expect"), "<absent>");
    EXPECT_TRUE(request.body == body) << "body of " << request.body.size() << " bytes";
}

TEST_F(HttpExchangeTest, ChineseInAddressAndBodyGoesOutAsUtf8)
{
    server_.server().Post(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
        seen_.record(req);
        res.set_content("ok", "text/html");
    });
    server_.start();

    const std::string url = server_.url(gb("/帖子?kw=") + gb("签到") + "&done=%41+b");
    const std::string body = "&content=" + gb("你好，世界") + "&pw=a@b";
    EXPECT_EQ(httpExchange(url, "POST", body, dataFile_, 1), "ok");
    const SeenRequest request = seen_.last();
    EXPECT_EQ(request.target, "/%E5%B8%96%E5%AD%90?kw=%E7%AD%BE%E5%88%B0&done=%41+b");
    EXPECT_EQ(request.body, "&content=你好，世界&pw=a@b");
}

TEST_F(HttpExchangeTest, StoresCookiesInTheSectionOfTheGivenAccount)
{
    answer("/login", "welcome", {"BDUSS=abc; path=/; domain=.example", "USER_RS=never;"});
    // Some servers write the header name in lower case.
    server_.server().Get("/lower", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("set-cookie", "low=1; HttpOnly");
        res.set_content("ok", "text/html");
    });
    server_.start();

    EXPECT_EQ(httpExchange(server_.url("/login"), "GET", "", dataFile_, 3), "welcome");
    EXPECT_EQ(httpExchange(server_.url("/lower"), "GET", "", dataFile_, 3), "ok");
    EXPECT_EQ(buildCookieHeader(dataFile_, "3"), "BDUSS=abc;low=1;");
    EXPECT_EQ(buildCookieHeader(dataFile_, "0"), "");
    EXPECT_EQ(buildCookieHeader(dataFile_, "1"), "");
}

TEST_F(HttpExchangeTest, WithoutAccountOrPathUsesAccountZeroInTheCurrentFolder)
{
    answer("/notice", "notice", {"seen=yes;"});
    storeSetCookies("Set-Cookie: before=0;\r\n", dataFilePath(), "0");
    server_.start();

    EXPECT_EQ(httpExchange(server_.url("/notice")), "notice");
    EXPECT_EQ(seen_.last().header("Cookie"), "before=0;");
    EXPECT_EQ(buildCookieHeader(dataFilePath(), "0"), "before=0;seen=yes;");
}

TEST_F(HttpExchangeTest, FollowsRedirectsAndStoresOnlyTheFinalResponsesCookies)
{
    server_.server().Get("/start", [this](const httplib::Request& req, httplib::Response& res) {
        seen_.record(req);
        res.set_header("Set-Cookie", "hop=1;");
        res.set_redirect("/final");
        res.set_content("moved", "text/html");
    });
    answer("/final", "final page", {"end=2;"});
    server_.start();

    EXPECT_EQ(httpExchange(server_.url("/start"), "GET", "", dataFile_, 1), "final page");
    EXPECT_EQ(buildCookieHeader(dataFile_, "1"), "end=2;");
    ASSERT_EQ(seen_.all().size(), 2u);
    EXPECT_EQ(seen_.last().header("Content-Type"), kFormType);
}

TEST_F(HttpExchangeTest, CookiesDoNotFollowARedirectToAnotherHost)
{
    storeCookies("Set-Cookie: BDUSS=secret;\r\n", "1");
    Recorder seenThere;
    test::LocalServer other;
    other.server().Get("/landing", [&seenThere](const httplib::Request& req, httplib::Response& res) {
        seenThere.record(req);
        res.set_content("landed", "text/html");
    });
    other.start();
    const std::string elsewhere = "http://localhost:" + std::to_string(other.port()) + "/landing";
    server_.server().Get("/away", [this, elsewhere](const httplib::Request& req, httplib::Response& res) {
        seen_.record(req);
        res.set_redirect(elsewhere);
    });
    server_.start();

    EXPECT_EQ(httpExchange(server_.url("/away"), "GET", "", dataFile_, 1), "landed");
    EXPECT_EQ(seen_.last().header("Cookie"), "BDUSS=secret;");
    EXPECT_FALSE(seenThere.last().has("Cookie"));
    EXPECT_EQ(seenThere.last().header("Content-Type"), kFormType);
}

TEST_F(HttpExchangeTest, ErrorStatusStillGivesItsBody)
{
    server_.server().Get("/broken", [](const httplib::Request&, httplib::Response& res) {
        res.status = 500;
        res.set_content("server error page", "text/html");
    });
    server_.start();

    EXPECT_EQ(httpExchange(server_.url("/broken"), "GET", "", dataFile_, 1), "server error page");
}

TEST_F(HttpExchangeTest, ReusesTheThreadsConnection)
{
    test::LocalServer server(1);
    server.server().Get("/page", [this](const httplib::Request& req, httplib::Response& res) {
        seen_.record(req);
        res.set_content("ok", "text/html");
    });
    server.start();

    httpExchange(server.url("/page"), "GET", "", dataFile_, 1);
    httpExchange(server.url("/page"), "GET", "", dataFile_, 2);
    const auto requests = seen_.all();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].remotePort, requests[1].remotePort);
}

TEST_F(HttpExchangeTest, StoredLineBreaksNeverReachTheRequestHead)
{
    // A Set-Cookie without ";" runs on into the next line, and the jar keeps what it captured.
    storeCookies("Set-Cookie: a=x\r\nX-Injected: 1;\r\n", "1");
    answer("/page", "ok");
    server_.start();

    EXPECT_EQ(httpExchange(server_.url("/page"), "GET", "", dataFile_, 1), "ok");
    const SeenRequest request = seen_.last();
    EXPECT_FALSE(request.has("X-Injected"));
    EXPECT_EQ(request.header("Cookie"), "a=xX-Injected: 1;");
}

// --- Failures: the empty text, and the data file exactly as it was. ---

TEST_F(HttpExchangeTest, NetworkDownFails)
{
    expectFailureLeavesDataFile("http://127.0.0.1:" + std::to_string(test::closedPort()) + "/");
}

TEST_F(HttpExchangeTest, RedirectLoopFails)
{
    server_.server().Get("/loop", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "loop=1;");
        res.set_redirect("/loop");
    });
    server_.start();
    expectFailureLeavesDataFile(server_.url("/loop"));
}

TEST_F(HttpExchangeTest, BodyOverTheLimitFails)
{
    const size_t tooBig = 33u << 20;
    server_.server().Get("/sized", [tooBig](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "big=1;");
        res.set_content(std::string(tooBig, 'a'), "text/html");
    });
    // Without a length up front the limit must still hold while the bytes arrive.
    server_.server().Get("/chunked", [tooBig](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "big=1;");
        res.set_chunked_content_provider("text/html", [tooBig](size_t offset, httplib::DataSink& sink) {
            if (offset >= tooBig) {
                sink.done();
                return true;
            }
            const std::string chunk(1 << 20, 'a');
            return sink.write(chunk.data(), chunk.size());
        });
    });
    server_.start();
    expectFailureLeavesDataFile(server_.url("/sized"));
    expectFailureLeavesDataFile(server_.url("/chunked"));
}

class BrokenResponseTest : public HttpExchangeTest, public ::testing::WithParamInterface<ScriptedServer::After> {};

TEST_P(BrokenResponseTest, ConnectionLostMidBodyFails)
{
    const ScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nSet-Cookie: lost=1;\r\n\r\nfirst bytes",
                                GetParam());
    expectFailureLeavesDataFile(server.url("/"));
}

INSTANTIATE_TEST_SUITE_P(ResetOrClosed, BrokenResponseTest,
                         ::testing::Values(ScriptedServer::After::Reset, ScriptedServer::After::Close));

TEST_F(HttpExchangeTest, StallLongerThanTheTimeOutFails)
{
    HttpSettings quick;
    quick.stallSeconds = 1;
    const SettingsOverride override(quick);
    // The head stops short: curl has seen the cookie line but the response never completes.
    const ScriptedServer server("HTTP/1.1 200 OK\r\nSet-Cookie: slow=1;\r\n", ScriptedServer::After::Hold);
    expectFailureLeavesDataFile(server.url("/"));
}

TEST_F(HttpExchangeTest, StopEndsAStalledTransferPromptly)
{
    storeCookies("Set-Cookie: old=1;\r\n", "1");
    const std::string before = fileBytes(dataFile_);
    ScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nSet-Cookie: slow=1;\r\n\r\nfirst bytes",
                                ScriptedServer::After::Hold);
    std::stop_source stop;
    auto result = std::async(std::launch::async, [&] {
        return httpExchange(server.url("/"), "GET", "", dataFile_, 1, stop.get_token());
    });
    ASSERT_TRUE(server.waitForRequest(10s));

    stop.request_stop();
    // The stall itself would last 30 s; the stop must end it long before.
    ASSERT_EQ(result.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(result.get(), "");
    EXPECT_EQ(fileBytes(dataFile_), before);
}

TEST_F(HttpExchangeTest, StopBeforeTheCallSendsNothing)
{
    const test::SilentListener listener;
    std::stop_source stop;
    stop.request_stop();

    EXPECT_EQ(httpExchange(listener.url("/"), "GET", "", dataFile_, 1, stop.get_token()), "");
    EXPECT_EQ(fetchBytes(listener.url("/"), stop.get_token()), "");
    EXPECT_FALSE(listener.hasPendingConnection());
}

// --- The page text by the charset the response declares. ---

struct CharsetCase {
    const char* name;
    std::string contentType;
    std::string body;
    std::string expected;
};

void PrintTo(const CharsetCase& c, std::ostream* out)
{
    *out << c.name;
}

class PageCharsetTest : public HttpExchangeTest, public ::testing::WithParamInterface<CharsetCase> {};

TEST_P(PageCharsetTest, BodyBecomesGbText)
{
    const CharsetCase& c = GetParam();
    server_.server().Get("/page", [&c](const httplib::Request&, httplib::Response& res) {
        res.set_content(c.body, c.contentType.c_str());
    });
    server_.start();

    EXPECT_EQ(httpExchange(server_.url("/page"), "GET", "", dataFile_, 1), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Charsets, PageCharsetTest,
    ::testing::Values(
        CharsetCase{"Utf8Declared", "text/html; charset=utf-8", "签到成功", gb("签到成功")},
        CharsetCase{"Utf8QuotedUpperCase", "text/html; charset=\"UTF-8\"", "签到成功", gb("签到成功")},
        CharsetCase{"Utf8BrokenByteDropped", "text/html; charset=utf-8", "签\xFF到", gb("签到")},
        CharsetCase{"GbkDeclared", "text/html; charset=GBK", gb("签到成功"), gb("签到成功")},
        CharsetCase{"Gb2312Declared", "text/html;charset=gb2312", gb("已签到"), gb("已签到")},
        CharsetCase{"NoneButUtf8", "text/html", "签到成功", gb("签到成功")},
        CharsetCase{"NoneAndGbk", "text/html", gb("签到成功"), gb("签到成功")},
        CharsetCase{"OtherCharsetKept", "text/html; charset=iso-8859-1", "caf\xE9", "caf\xE9"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Plain fetches of pictures. ---

TEST_F(HttpExchangeTest, FetchBytesGivesRawBytesAndLeavesCookiesAlone)
{
    storeCookies("Set-Cookie: zero=0;\r\n", "0");
    const std::string before = fileBytes(dataFile_);
    const std::string picture("\x89PNG\r\n\x1A\n\0\0\xFF\xFE", 12);
    server_.server().Get("/pic", [this, picture](const httplib::Request& req, httplib::Response& res) {
        seen_.record(req);
        res.set_header("Set-Cookie", "pic=1;");
        res.set_content(picture, "image/png");
    });
    server_.server().Get("/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/pic"); });
    server_.start();

    EXPECT_EQ(fetchBytes(server_.url("/moved")), picture);
    EXPECT_FALSE(seen_.last().has("Cookie"));
    EXPECT_EQ(fileBytes(dataFile_), before);
}

TEST_F(HttpExchangeTest, FetchBytesFailsOnErrorStatusOrNetwork)
{
    server_.server().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("not found", "text/html");
    });
    server_.start();

    EXPECT_EQ(fetchBytes(server_.url("/missing")), "");
    EXPECT_EQ(fetchBytes("http://127.0.0.1:" + std::to_string(test::closedPort()) + "/pic"), "");
}

} // namespace
} // namespace tieba
