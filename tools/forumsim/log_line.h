#pragma once
#include <string>

#include "records.h"

namespace tieba::forumsim {

// The line forumsim --log prints for a request: method, target and body, with the values of
// every field named like a password ("login_loginpass=...") and of every cookie replaced by
// "***", so a log shown on screen or pasted into a report gives away no secret.
std::string logLine(const Request& request);

// `fields` ("a=1&b=2", as in a form body or a query) with the values of password fields masked.
std::string maskPasswordFields(const std::string& fields);

} // namespace tieba::forumsim
