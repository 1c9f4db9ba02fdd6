#pragma once
#include <string>
#include <string_view>

#include "core/text_list.h"

namespace tieba {

// How the notice page writes its values: lists of items separated by "%", items of fields
// separated by "#", decimal numbers and colours in the 0x00BBGGRR layout. Used by the directive
// parser; pure functions of GB18030 texts.

// The pieces of `text` between `separator`s, in order; an empty text has no pieces, and one
// empty piece after the last separator does not count ("a#b#" has two pieces, "a##" two).
// The separators are ASCII bytes that never occur inside a GB18030 character.
TextList splitNoticeList(std::string_view text, char separator);

// Full-width forms (A3A1..A3FE) as their ASCII characters and the ideographic space as a space;
// every other character is kept whole.
std::string foldFullWidth(std::string_view text);

// A number field: full-width characters folded, leading white space skipped, then the longest
// leading decimal number (sign, digits, fraction, exponent), truncated toward zero. A text that
// does not start with a number reads 0; values beyond the range of long long are clamped.
long long noticeNumber(std::string_view text);

// A number field as an int, clamped to int's range (places, sizes, widths).
int noticeInt(std::string_view text);

// A colour as the banner draws it.
struct NoticeColour {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const NoticeColour&, const NoticeColour&) = default;
};

// The colour of a number in the 0x00BBGGRR layout; bits above the low 24 are ignored.
NoticeColour colourFromNumber(long long value);

} // namespace tieba
