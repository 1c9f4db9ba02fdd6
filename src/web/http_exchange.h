#pragma once
#include <cstddef>
#include <stop_token>
#include <string>

#include "web/cookie_jar.h"

namespace tieba {

// One synchronous HTTP request as an account: the Cookie header is built from the account's
// section of the data file and every cookie the final response sets is stored back there.
// Returns the body as GB18030 text, or the empty text when the exchange failed in any way (the
// data file is then untouched). A stop request aborts a transfer in flight at once.
// Connections are kept alive between exchanges of the same thread.
std::string httpExchange(const std::string& url, const std::string& method = "GET", const std::string& body = {},
                         const std::string& dataFile = dataFilePath(), int account = 0, std::stop_token stop = {});

// A plain GET of a resource's raw bytes, without the program's cookies (captcha and banner
// pictures). Empty on failure, and when the body would pass `maxBytes` (0: the usual cap).
std::string fetchBytes(const std::string& url, std::stop_token stop = {}, std::size_t maxBytes = 0);

} // namespace tieba
