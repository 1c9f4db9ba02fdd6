#pragma once
#include <stop_token>
#include <string>
#include <string_view>

namespace tieba {

// Removes the HTML tags of a notice block the way the notice format defines it: every text
// matching "<.*?>" (a "<" up to the next ">") is collected first, left to right, and then each
// collected text, in that order, has every occurrence at a character boundary removed in one
// pass over what the earlier removals left. Removals can join text into new occurrences, which
// a later collected text then removes; the result is exactly that of the collect-and-remove
// loop, in time about linear in the block. A stop request gives up and returns the empty text.
std::string stripTags(std::string_view block, std::stop_token stop = {});

} // namespace tieba
