#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scenario.h"

namespace tieba::forumsim {

// Byte-level helpers of the simulated service: form and query parsing, percent coding and the
// conversions between the UTF-8 the scenarios are written in and the bytes clients send.

// A-Z a-z 0-9 - . _ stay, a space becomes "+", every other byte "%XX" (upper-case hex).
// The value of one hexadecimal digit, -1 for any other byte.
int hexValue(char c);

std::string percentEncode(std::string_view bytes);

// "+" becomes a space, "%XX" the byte it names; anything else, a stray "%" included, is copied.
std::string percentDecode(std::string_view text);

bool isValidUtf8(std::string_view bytes);

// UTF-8 text in the page encoding of the scenario (GB18030 bytes for "gbk").
std::string toPageEncoding(std::string_view utf8, PageEncoding encoding);

// The name percent-encoded in the page encoding, as the service writes names into its links.
std::string encodeNameForLink(std::string_view utf8, PageEncoding encoding);

// Bytes a client sent, read as UTF-8 when they are valid UTF-8, else as GB18030 (invalid
// sequences dropped). Used for names and texts whose encoding the client chose.
std::string utf8FromClientBytes(std::string_view bytes);

// The readings of a client value worth trying when looking a name up: the UTF-8 reading and,
// when it differs, the GB18030 one.
std::vector<std::string> nameReadings(std::string_view percentEncodedValue);

// Pieces of "&a=1&b=2" split naively at "&" and at the first "=" of each piece, undecoded,
// the way the service reads the forms the program builds by concatenation.
using FormFields = std::vector<std::pair<std::string, std::string>>;
FormFields parseForm(std::string_view body);

// The raw value of the first field of that name; found reports whether it was there.
std::string formValue(const FormFields& fields, std::string_view name, bool* found = nullptr);

// "/m?kw=x" -> "/m" and "kw=x".
std::string_view targetPath(std::string_view target);
std::string_view targetQuery(std::string_view target);

// The value of a cookie in a request's Cookie header ("a=1;b=2;" or "a=1; b=2").
std::string cookieValue(std::string_view cookieHeader, std::string_view name);

// &, <, > and " as entities.
std::string htmlEscape(std::string_view text);

} // namespace tieba::forumsim
