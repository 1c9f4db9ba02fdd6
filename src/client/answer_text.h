#pragma once
#include <string>
#include <string_view>

#include "client/parsed.h"

namespace tieba::client {

// The two wrappings the passport puts around its JSON, taken off before QJsonDocument reads it.

// "name(" + JSON + ")" (white space and one ";" after it allowed) -> the JSON. The callback must be
// the one the poll asked for: an answer to another poll, or to none, is refused.
Parsed<std::string> unwrapJsonp(std::string_view answer, std::string_view expectedCallback);

// The passport's JSON-like text written with single quotes: every "'" becomes '"' and every "\&"
// an "&". Values that hold quotes of their own do not survive this; the passport sends none.
std::string passportJsonText(std::string_view answer);

} // namespace tieba::client
