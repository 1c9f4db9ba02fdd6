#pragma once
#include <string_view>

// What the mobile client's protocol expects, gathered in one place: paths, fixed field values and
// the limits a caller keeps to. The hosts come from Sites (clientApiSite, webApiSite,
// qrPassportSite). None of this could be tried against the live service; the simulated service
// checks exactly these fields.
namespace tieba::client::protocol {

// Appended to the sorted fields before their MD5 becomes the `sign` field.
inline constexpr std::string_view kSignSecret = "tiebaclient!!!";
inline constexpr std::string_view kClientType = "2";
inline constexpr std::string_view kClientVersion = "12.58.1.0";

namespace field {
inline constexpr std::string_view kClientType = "_client_type";
inline constexpr std::string_view kClientVersion = "_client_version";
inline constexpr std::string_view kBduss = "BDUSS";
inline constexpr std::string_view kStoken = "stoken";
inline constexpr std::string_view kSign = "sign";
inline constexpr std::string_view kTbs = "tbs";
inline constexpr std::string_view kForumId = "fid";
inline constexpr std::string_view kForumName = "kw";
inline constexpr std::string_view kPageNo = "page_no";
inline constexpr std::string_view kResultCount = "res_num";
inline constexpr std::string_view kPageSize = "page_size";
inline constexpr std::string_view kSortType = "sort_type";
inline constexpr std::string_view kCallFrom = "call_from";
inline constexpr std::string_view kBdussToken = "bdusstoken";
} // namespace field

// Cookie names of a logged-in session.
inline constexpr std::string_view kBdussCookie = "BDUSS";
inline constexpr std::string_view kStokenCookie = "STOKEN";

// Paths, each on the host named beside it.
inline constexpr std::string_view kTbsPath = "/dc/common/tbs";               // webApiSite, GET, Cookie BDUSS
inline constexpr std::string_view kForumGuidePath = "/c/f/forum/forumGuide"; // webApiSite, POST
inline constexpr std::string_view kForumLikePath = "/c/f/forum/like";        // clientApiSite, POST (older list)
inline constexpr std::string_view kSignPath = "/c/c/forum/sign";             // clientApiSite, POST
inline constexpr std::string_view kLoginPath = "/c/s/login";                 // clientApiSite, POST
inline constexpr std::string_view kQrCodePath = "/v2/api/getqrcode";         // qrPassportSite, GET
inline constexpr std::string_view kQrPollPath = "/channel/unicast";          // qrPassportSite, GET, JSONP
inline constexpr std::string_view kQrLoginPath = "/v3/login/main/qrbdusslogin"; // qrPassportSite, GET

// The forum list call sends this header with this value.
inline constexpr std::string_view kSubappTypeHeader = "Subapp-Type";
inline constexpr std::string_view kSubappTypeValue = "hybrid";

inline constexpr std::string_view kForumGuideSortType = "3";
inline constexpr std::string_view kForumGuideCallFrom = "3";
inline constexpr int kForumsPerPage = 200;
// A list that keeps saying "more" is read no further than this many pages.
inline constexpr int kMaxForumPages = 20;

// The answer text of a tbs call once the session is gone, and the error codes of client calls.
inline constexpr long long kNotLoggedInCode = 1;
inline constexpr long long kNotLoggedInCodeToo = 110000;

// The QR code stops working after a few minutes; a window asks for a new one after this long.
inline constexpr int kQrLifetimeSeconds = 150;
inline constexpr int kQrPollIntervalMilliseconds = 1500;

} // namespace tieba::client::protocol
