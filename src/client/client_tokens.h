#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "client/parsed.h"

namespace tieba::client {

// A token account's session: the two cookies every client call carries, plus whatever else the
// cookie string the user pasted held (BAIDUID and the like), to be stored with them.
struct Tokens {
    std::string bduss;
    std::string stoken;
    std::vector<std::pair<std::string, std::string>> otherCookies;
};

// One pasted token: white space and line breaks anywhere in it are dropped (a long value wraps
// when copied), and a leading "BDUSS=" or "STOKEN=" is taken off. Refused when nothing is left or
// it holds a character no token has.
Parsed<std::string> pastedToken(std::string_view text, std::string_view cookieName);

// A whole Cookie header copied from a browser ("BDUSS=...; STOKEN=...; BAIDUID=..."): both tokens
// must be there.
Parsed<Tokens> tokensFromCookieString(std::string_view text);

// What the paste window's two boxes hold: either one token in each, or a whole cookie string in the
// first (the second then empty or the same).
Parsed<Tokens> tokensFromBoxes(std::string_view bdussBox, std::string_view stokenBox);

} // namespace tieba::client
