// Taking the passport's wrappings off its JSON.
#include <gtest/gtest.h>

#include "client/answer_text.h"

namespace tieba::client {
namespace {

struct JsonpCase {
    const char* answer;
    const char* json;                  // expected JSON; nullptr when refused
    AnswerFault fault = AnswerFault::Empty;
};

TEST(Jsonp, UnwrapsTheAskedCallbackAndRefusesEverythingElse)
{
    const JsonpCase cases[] = {
        {"tangram_1({\"errno\":1})", "{\"errno\":1}"},
        {"  tangram_1( {\"a\":\"(x)\"} ) ;\r\n", " {\"a\":\"(x)\"} "},
        {"tangram_1()", ""},
        {"other_cb({\"errno\":0})", nullptr, AnswerFault::WrongCallback},
        {"{\"errno\":0}", nullptr, AnswerFault::NotJsonp},
        {"tangram_1({\"errno\":0}", nullptr, AnswerFault::NotJsonp},
        {"alert(1);x({})", nullptr, AnswerFault::WrongCallback},
        {"var x = y({})", nullptr, AnswerFault::NotJsonp},
        {"<html>maintenance</html>", nullptr, AnswerFault::HtmlPage},
        {" \n", nullptr, AnswerFault::Empty},
    };
    for (const JsonpCase& c : cases) {
        SCOPED_TRACE(c.answer);
        const Parsed<std::string> json = unwrapJsonp(c.answer, "tangram_1");
        ASSERT_EQ(json.ok(), c.json != nullptr);
        if (c.json)
            EXPECT_EQ(json.value(), c.json);
        else
            EXPECT_EQ(json.error().fault, c.fault);
    }
}

TEST(PassportText, TurnsSingleQuotesAndEscapedAmpersands)
{
    const std::pair<const char*, const char*> cases[] = {
        {"{'errInfo':{'no':'0'}}", "{\"errInfo\":{\"no\":\"0\"}}"},
        {"{'u':'a\\&b=1\\&c'}", "{\"u\":\"a&b=1&c\"}"},
        {"{'keep':'\\n'}", "{\"keep\":\"\\n\"}"},
        {"trailing\\", "trailing\\"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(passportJsonText(in), out) << in;
}

} // namespace
} // namespace tieba::client
