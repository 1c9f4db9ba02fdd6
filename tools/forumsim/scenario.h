#pragma once
#include <optional>
#include <string>
#include <vector>

#include "token_account.h"

namespace tieba::forumsim {

// What the simulated service knows at start: its accounts with their forums, the threads,
// the notice page and the faults to inject. Written as JSON for the demo (scenarioFromJson)
// or built directly by tests. All texts are UTF-8.

enum class PageEncoding { Utf8, Gbk };

enum class CaptchaRule {
    Never,      // no login asks for a captcha
    FirstLogin, // logins ask until one has succeeded with a captcha
    Always,     // every login asks
};

// One forum an account follows, with the account's standing in it.
struct ForumSpec {
    std::string name;
    int level = 1;
    int experience = 0;
    bool signedToday = false;
    bool liked = true;    // false: the forum page offers "喜欢本吧" instead of the sign link
    bool signable = true; // false: the forum page shows neither "已签到" nor a sign link
    int failFirst = 0;    // this many sign requests fail before one succeeds
    int gain = 6;         // experience gained by a sign-in, shown in the answer
};

struct AccountSpec {
    std::string name;
    std::string password;
    CaptchaRule captcha = CaptchaRule::Never;
    std::string presetSession;     // a BDUSS value that is valid from the start; empty for none
    std::vector<ForumSpec> forums; // none: the followed page says "你暂未关注某个吧"
};

struct ThreadSpec {
    std::string id;
    std::string title;
    std::string forum;      // the forum the thread belongs to (any name)
    bool replyForm = true;  // false: the thread page carries no reply form
    int replyFailFirst = 0; // this many valid replies fail before they succeed
};

enum class FaultKind {
    Status,                 // answer `status` with `body` instead of the page
    RedirectLoop,           // 302 back to the same address, for ever
    Stall,                  // wait `milliseconds`, then answer normally
    ResetMidBody,           // promise the whole page, send half of it, close the connection
    BigBody,                // the page followed by `megabytes` MiB of filler
    InvalidBytes,           // the page wrapped in bytes that are neither UTF-8 nor GB18030
    CookieWithoutSemicolon, // every Set-Cookie of the answer as bare name=value
    EmptyBody,              // 200 with nothing in it
};

// A fault hits requests whose target (path and query) starts with targetPrefix.
struct Fault {
    std::string targetPrefix;
    FaultKind kind = FaultKind::Status;
    int times = -1; // how many requests it hits; -1: every one
    int status = 500;
    std::string body = "<html><body>Internal Server Error</body></html>";
    int milliseconds = 0;
    int megabytes = 1;
};

struct Scenario {
    PageEncoding encoding = PageEncoding::Utf8;
    std::vector<AccountSpec> accounts;
    std::vector<ThreadSpec> threads;
    std::string notice; // served verbatim at /notice; "{base}" becomes the service's address
    std::vector<Fault> faults;
    int turnDayAfterForumPages = 0;        // > 0: the day turns whenever this many forum pages followed the last turnover
    std::vector<std::string> captchaCodes; // codes of the challenges in turn; empty: random
    std::string cookieDomain;              // empty: the host the request was sent to
    std::optional<unsigned> seed;          // for tokens and codes; unset: random
    std::vector<TokenAccountSpec> tokenAccounts; // accounts of the mobile client's protocol
};

// Parses the JSON form; throws std::runtime_error naming the offending key or value.
Scenario scenarioFromJson(const std::string& json);
Scenario scenarioFromFile(const std::string& path);

} // namespace tieba::forumsim
