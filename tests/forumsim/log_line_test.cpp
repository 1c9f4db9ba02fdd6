// What forumsim --log shows of a request: everything but the secrets.
#include <gtest/gtest.h>

#include "log_line.h"

namespace tieba::forumsim {
namespace {

struct LogCase {
    const char* name;
    Request request;
    const char* line;
};

void PrintTo(const LogCase& c, std::ostream* out)
{
    *out << c.name;
}

class LogLine : public testing::TestWithParam<LogCase> {};

TEST_P(LogLine, ShowsTheRequestWithoutItsSecrets)
{
    EXPECT_EQ(logLine(GetParam().request), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, LogLine,
    testing::Values(
        LogCase{"PlainGet", {"GET", "/m?kw=abc", "", "", "", {}}, "GET /m?kw=abc"},
        LogCase{"LoginFormPasswordMasked",
                {"POST", "/passport/", "", "", "&login_username=demo&login_loginpass=demo123&login=yes", {}},
                "POST /passport/  &login_username=demo&login_loginpass=***&login=yes"},
        LogCase{"PasswordLastAndNamedInCapitals",
                {"POST", "/x", "", "", "user=a&PassWord=se&cr=et", {}},
                "POST /x  user=a&PassWord=***&cr=et"},
        LogCase{"PasswordInTheQuery", {"GET", "/login?pwd=hunter2&u=a", "", "", "", {}}, "GET /login?pwd=***&u=a"},
        LogCase{"CookieValuesMaskedNamesKept",
                {"GET", "/", "BDUSS=abcdef0123; uid=7", "", "", {}},
                "GET /  Cookie: BDUSS=***; uid=***"},
        LogCase{"AnEmptyPasswordIsMaskedToo",
                {"POST", "/passport/", "", "", "login_loginpass=&x=1", {}},
                "POST /passport/  login_loginpass=***&x=1"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tieba::forumsim
