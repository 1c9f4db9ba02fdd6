#pragma once
#include <string>
#include <string_view>

namespace tieba {

// The data file in the current directory, recomputed at every call.
std::string dataFilePath();

// Cookies live only in the data file, one section "cookies<account>" per account ("0" for
// exchanges made without an account).

// The Cookie request header for an account: name=value; pairs in file order, no spaces.
std::string buildCookieHeader(const std::string& dataFile, const std::string& accountKey);

// Stores every "Set-Cookie: name=value;" of a response's header text into the account's
// section, replacing same-named entries in place. Names containing "USER_RS" are never stored.
void storeSetCookies(std::string_view headerText, const std::string& dataFile, const std::string& accountKey);

} // namespace tieba
