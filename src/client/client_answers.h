#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/parsed.h"

namespace tieba::client {

// The answers of the client protocol as typed values, each read defensively from the text the
// service sent. A parser fails only when the fields that decide what to do are unusable; counts
// shown to the user (level, points, days) are optional and stay empty when missing, negative or
// absurdly large. Every answer of a client call also carries the service's error code and text.

struct ServiceStatus {
    long long errorCode = 0; // 0: the call did what was asked
    std::string errorMessage;
};

// GET /dc/common/tbs
struct TbsAnswer {
    std::string tbs;
    bool loggedIn = false;
};
Parsed<TbsAnswer> parseTbsAnswer(std::string_view answer);

struct FollowedForum {
    std::string id;   // forum_id, digits only
    std::string name; // forum_name, UTF-8
    bool signedToday = false;
    bool forbidden = false;
    std::optional<int> level;
    std::optional<int> experience;
};

// One page of the followed forums, from forumGuide (like_forum, like_forum_has_more) or the older
// list call (forum_list, has_more). Entries without a usable id or name are left out and counted.
struct ForumListPage {
    ServiceStatus status;
    std::vector<FollowedForum> forums;
    bool hasMore = false;
    int unusableEntries = 0;
};
Parsed<ForumListPage> parseForumGuidePage(std::string_view answer);
Parsed<ForumListPage> parseForumLikePage(std::string_view answer);

// POST /c/c/forum/sign
struct SignAnswer {
    ServiceStatus status;
    std::optional<int> bonusPoints; // user_info.sign_bonus_point
    std::optional<int> rank;        // user_info.user_sign_rank
    std::optional<int> daysInARow;  // user_info.cont_sign_num
};
Parsed<SignAnswer> parseSignAnswer(std::string_view answer);

// POST /c/s/login
struct LoginAnswer {
    ServiceStatus status;
    std::string userName; // user.name; empty only when the call failed
    std::string tbs;      // anti.tbs, may be empty
};
Parsed<LoginAnswer> parseLoginAnswer(std::string_view answer);

// GET /v2/api/getqrcode
struct QrCode {
    std::string imageUrl; // always with a scheme
    std::string channel;  // the answer's `sign`, the channel to poll
};
Parsed<QrCode> parseQrCode(std::string_view answer);

// GET /channel/unicast, a JSONP answer to `callback`.
struct QrPoll {
    enum class State { Waiting, Scanned, Confirmed };
    State state = State::Waiting;
    std::optional<int> status;     // channel_v.status as sent
    std::string temporaryToken;    // channel_v.v, once confirmed
};
Parsed<QrPoll> parseQrPoll(std::string_view answer, std::string_view callback);

// GET /v3/login/main/qrbdusslogin, the passport's single-quoted text.
struct QrLogin {
    std::string bduss;
    std::string stoken; // the entry of stoken_list beginning "tb#", without it
    std::string userName;
};
Parsed<QrLogin> parseQrLogin(std::string_view answer);

} // namespace tieba::client
