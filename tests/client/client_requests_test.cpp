// Each call of the client protocol goes to its own host of Sites with the fields it needs.
#include <gtest/gtest.h>

#include "client/client_requests.h"

namespace tieba::client {
namespace {

Sites sites()
{
    Sites s;
    s.clientApiSite = "https://client.example";
    s.webApiSite = "https://web.example";
    s.qrPassportSite = "https://qr.example";
    return s;
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(ClientRequests, GoToTheirHostsWithTheirFields)
{
    const Tokens tokens{"BD", "ST", {}};
    using M = ClientRequest::Method;
    struct Case {
        const char* what;
        ClientRequest request;
        M method;
        const char* url;
        std::vector<std::string> bodyParts;
    };
    const Case cases[] = {
        {"tbs", tbsRequest(sites(), tokens), M::Get, "https://web.example/dc/common/tbs", {}},
        {"forum guide", forumGuideRequest(sites(), tokens, "T", 2), M::Post, "https://web.example/c/f/forum/forumGuide",
         {"BDUSS=BD&", "stoken=ST&", "sort_type=3&", "call_from=3&", "page_no=2&", "res_num=200&", "tbs=T&"}},
        {"older list", forumLikeRequest(sites(), tokens, 1), M::Post, "https://client.example/c/f/forum/like",
         {"page_no=1&", "page_size=200&"}},
        {"sign", signRequest(sites(), tokens, "T", "52", "李毅"), M::Post, "https://client.example/c/c/forum/sign",
         {"fid=52&", "kw=%E6%9D%8E%E6%AF%85&", "tbs=T&", "_client_type=2&", "_client_version=12.58.1.0&"}},
        {"login", loginRequest(sites(), tokens), M::Post, "https://client.example/c/s/login",
         {"bdusstoken=BD%7Cnull&"}},
        {"QR code", qrCodeRequest(sites()), M::Get, "https://qr.example/v2/api/getqrcode?lp=pc", {}},
        {"QR poll", qrPollRequest(sites(), "ch 1", "cb_1"), M::Get,
         "https://qr.example/channel/unicast?channel_id=ch%201&tpl=mn&_sdkFrom=1&callback=cb_1&apiver=v3", {}},
        {"QR login", qrLoginRequest(sites(), "v&1"), M::Get, "https://qr.example/v3/login/main/qrbdusslogin?bduss=v%261",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.request.method, c.method);
        EXPECT_EQ(c.request.url, c.url);
        for (const std::string& part : c.bodyParts)
            EXPECT_TRUE(has(c.request.body, part)) << part << " in " << c.request.body;
        if (c.method == M::Post)
            EXPECT_TRUE(has(c.request.body, "&sign=")) << c.request.body;
        else
            EXPECT_TRUE(c.request.body.empty());
    }
    EXPECT_EQ(tbsRequest(sites(), tokens).cookie, "BDUSS=BD");
    const std::vector<std::string> hybrid{"Subapp-Type: hybrid"};
    EXPECT_EQ(forumGuideRequest(sites(), tokens, "T", 1).headers, hybrid);
    EXPECT_TRUE(signRequest(sites(), tokens, "T", "1", "x").cookie.empty());
}

} // namespace
} // namespace tieba::client
