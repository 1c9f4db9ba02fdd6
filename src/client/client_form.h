#pragma once
#include <string>
#include <utility>
#include <vector>

#include "client/client_tokens.h"

namespace tieba::client {

// Fields of a client call, in the order they were added; values are raw UTF-8.
using FormFields = std::vector<std::pair<std::string, std::string>>;

// The `sign` field: the fields sorted by name, written name=value one after the other with their
// raw values, the fixed secret appended, MD5, 32 upper-case hex digits.
std::string signOf(FormFields fields);

// The body of a client call: the call's fields with _client_type, _client_version and the tokens
// added, sorted by name, each value percent-encoded as UTF-8, and `sign` last.
std::string clientForm(FormFields callFields, const Tokens& tokens);

// UTF-8 bytes percent-encoded for a form or a query: letters, digits and -._~ stay.
std::string percentEncoded(const std::string& value);

} // namespace tieba::client
