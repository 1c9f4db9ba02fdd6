// Tokens as users paste them: one in each box, or a whole cookie string.
#include <gtest/gtest.h>

#include "client/client_tokens.h"

namespace tieba::client {
namespace {

struct BoxCase {
    const char* what;
    const char* bdussBox;
    const char* stokenBox;
    const char* bduss; // nullptr: refused
    const char* stoken;
    AnswerFault fault = AnswerFault::Empty;
    const char* field = "";
};

TEST(PastedTokens, TakesTokensFromBoxesOrACookieString)
{
    const BoxCase cases[] = {
        {"plain", "AbC-d~e", "0f9e", "AbC-d~e", "0f9e"},
        {"spaces and line breaks around and inside", "  AbC\r\n-d~e \n", "\t0f9e\n", "AbC-d~e", "0f9e"},
        {"with the cookie's name", "BDUSS=AbC", "STOKEN=0f9e", "AbC", "0f9e"},
        {"a value ending in =", "QkRVU1M=", "st", "QkRVU1M=", "st"},
        {"a cookie string in the first box", "BAIDUID=X:FG=1; BDUSS=AbC;\n STOKEN=0f9e; PTOKEN=p", "", "AbC", "0f9e"},
        {"a cookie string in the second box", "", "STOKEN=0f9e;BDUSS=AbC;", "AbC", "0f9e"},
        {"empty BDUSS", " \n", "0f9e", nullptr, nullptr, AnswerFault::MissingField, "BDUSS"},
        {"empty STOKEN", "AbC", "", nullptr, nullptr, AnswerFault::MissingField, "STOKEN"},
        {"cookie string without STOKEN", "BDUSS=AbC; BAIDUID=X", "", nullptr, nullptr, AnswerFault::MissingField,
         "STOKEN"},
        {"cookie string without BDUSS", "STOKEN=1; BAIDUID=X", "", nullptr, nullptr, AnswerFault::MissingField,
         "BDUSS"},
        {"a quote in a token", "Ab\"C", "0f9e", nullptr, nullptr, AnswerFault::BadToken, "BDUSS"},
        {"Chinese text pasted by mistake", "AbC", "令牌", nullptr, nullptr, AnswerFault::BadToken, "STOKEN"},
        {"an ampersand would end the form field", "Ab&C", "0f9e", nullptr, nullptr, AnswerFault::BadToken, "BDUSS"},
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Parsed<Tokens> tokens = tokensFromBoxes(c.bdussBox, c.stokenBox);
        ASSERT_EQ(tokens.ok(), c.bduss != nullptr);
        if (c.bduss) {
            EXPECT_EQ(tokens->bduss, c.bduss);
            EXPECT_EQ(tokens->stoken, c.stoken);
        } else {
            EXPECT_EQ(tokens.error().fault, c.fault);
            EXPECT_EQ(tokens.error().field, c.field);
        }
    }
}

TEST(PastedTokens, KeepsTheOtherCookiesOfACookieString)
{
    const Parsed<Tokens> tokens = tokensFromCookieString("BAIDUID=X:FG=1; BDUSS=AbC; STOKEN=0f9e; =junk; PTOKEN=p ;");
    ASSERT_TRUE(tokens.ok());
    const std::vector<std::pair<std::string, std::string>> others{{"BAIDUID", "X:FG=1"}, {"PTOKEN", "p"}};
    EXPECT_EQ(tokens->otherCookies, others);
}

} // namespace
} // namespace tieba::client
