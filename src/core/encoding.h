#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tieba {

// The program's texts are GB18030 byte strings; source files and the network mostly speak
// UTF-8. These are the only conversions between the two.

// Strict conversions: nullopt when the input is not valid in the source encoding.
std::optional<std::string> convertStrict(std::string_view input, const char* from, const char* to);

// Lenient conversion for pages from outside: invalid bytes are dropped, the rest converted.
std::string convertLenient(std::string_view input, const char* from, const char* to);

// UTF-8 -> GB18030 and back; the empty text when the input is not valid.
std::string gbFromUtf8(std::string_view utf8);
std::string utf8FromGb(std::string_view gb);

// Every Chinese literal of the program's own texts goes through this helper: `gb("签到")`
// gives the GB18030 bytes of a UTF-8 source literal. Markers are converted on every page the
// engine reads, so the conversions are remembered per thread.
std::string gb(std::string_view utf8Literal);

// True when the bytes form valid UTF-8.
bool isValidUtf8(std::string_view bytes);

} // namespace tieba
