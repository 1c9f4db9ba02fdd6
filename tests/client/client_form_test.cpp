// The sign field and the form of a client call, against values worked out with md5sum.
#include <gtest/gtest.h>

#include "client/client_form.h"

namespace tieba::client {
namespace {

struct SignCase {
    const char* what;
    FormFields fields;
    const char* sign;
};

TEST(ClientSign, MatchesValuesWorkedOutByHand)
{
    // printf 'a=1b=2tiebaclient!!!' | md5sum, and so on: raw values, sorted names, upper case.
    const SignCase cases[] = {
        {"sorted by name", {{"b", "2"}, {"a", "1"}}, "42961B9881C2D7CB297E9498F9767789"},
        {"raw UTF-8, not percent-encoded", {{"tbs", "abc123"}, {"kw", "李毅"}}, "855C9AE4A2248D23F09860307BDCDE3C"},
        {"upper case sorts before the underscore",
         {{"tbs", "t"}, {"_client_type", "2"}, {"stoken", "st"}, {"BDUSS", "bd"}, {"_client_version", "12.58.1.0"}},
         "6FFBC2523A379B59ABBC9FD22CE4E529"},
    };
    for (const SignCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(signOf(c.fields), c.sign);
    }
}

TEST(ClientForm, AddsClientFieldsAndTokensEncodesValuesAndSignsLast)
{
    const std::string body = clientForm({{"tbs", "t"}}, Tokens{"bd", "st", {}});
    EXPECT_EQ(body, "BDUSS=bd&_client_type=2&_client_version=12.58.1.0&stoken=st&tbs=t"
                    "&sign=6FFBC2523A379B59ABBC9FD22CE4E529");
}

TEST(ClientForm, SignsTheRawValueWhileTheBodyCarriesItEncoded)
{
    const Tokens tokens{"b d&=", "st", {}};
    const std::string body = clientForm({{"kw", "李毅 吧"}}, tokens);
    EXPECT_NE(body.find("kw=%E6%9D%8E%E6%AF%85%20%E5%90%A7&"), std::string::npos) << body;
    EXPECT_NE(body.find("BDUSS=b%20d%26%3D&"), std::string::npos) << body;
    const std::string expected = signOf({{"kw", "李毅 吧"},
                                         {"_client_type", "2"},
                                         {"_client_version", "12.58.1.0"},
                                         {"BDUSS", "b d&="},
                                         {"stoken", "st"}});
    EXPECT_TRUE(body.ends_with("&sign=" + expected)) << body;
}

} // namespace
} // namespace tieba::client
