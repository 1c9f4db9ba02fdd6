#pragma once
#include <string_view>

namespace tieba::client {

// White space as answers and pasted tokens carry it around their texts: spaces, tabs, line breaks.
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

inline std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace tieba::client
