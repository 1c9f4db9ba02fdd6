#pragma once
#include <string>
#include <string_view>

#include "platform/ini_profile.h"

namespace tieba {

// The data file in the current directory, recomputed at every call.
std::string dataFilePath();

// Cookies live only in the data file, one section "cookies<account>" per account ("0" for
// exchanges made without an account).

// The Cookie request header for an account: name=value; pairs in file order, no spaces.
std::string buildCookieHeader(const std::string& dataFile, const std::string& accountKey);

// One account's section holds at most this many cookies, each value at most this many bytes
// (what a browser keeps for one site): a response that would go beyond either has its extra
// cookies dropped, and what the section held stays.
inline constexpr size_t kMaxCookiesPerSection = 100;
inline constexpr size_t kMaxCookieValueBytes = 4096;

// Stores every "Set-Cookie: name=value;" of a response's header text into the account's
// section, replacing same-named entries in place, all in one write of the data file. Names
// containing "USER_RS" are never stored. Not ok (with the reason) when the file could not be
// written; it then holds what it held before.
ProfileWrite storeSetCookies(std::string_view headerText, const std::string& dataFile, const std::string& accountKey);

} // namespace tieba
