#pragma once
#include <string>
#include <vector>

namespace tieba::forumsim {

// A token account of the simulated service: reached through the mobile client's protocol with
// its BDUSS and STOKEN (given, or handed out by the QR login), never through the WAP passport.

// One forum such an account follows.
struct TokenForumSpec {
    std::string name;
    long long fid = 0; // 0: numbered by the service
    int level = 1;
    int experience = 0;
    bool signedToday = false;
    bool forbidden = false;  // the list marks it is_forbidden and signing it answers 340006
    long long failCode = 0;  // non-zero: sign calls answer this error code ...
    int failTimes = -1;      // ... this many times (-1: always), then the forum signs
    std::string failMessage; // the error_msg sent with failCode
    int gain = 6;
};

struct TokenAccountSpec {
    std::string name;
    std::string bduss;  // empty: the service makes one up
    std::string stoken; // empty: the service makes one up
    bool expired = false;   // the session is gone from the start
    bool qr = false;        // a QR login confirmed on the "phone" logs into this account
    int needVcodeAfter = 0; // > 0: after this many successful signs every sign answers 2150040
    int pageSize = 200;     // the forum list gives at most this many forums a page
    int extraForums = 0;    // this many more forums, named "测试吧1", "测试吧2", ...
    bool endlessList = false; // the forum list says "more" on every page
    std::vector<TokenForumSpec> forums;
};

} // namespace tieba::forumsim
