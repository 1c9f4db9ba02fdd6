#pragma once
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/synchronized.h"
#include "core/text_list.h"
#include "core/waiter.h"

namespace tieba {

// Cutting, searching and form-encoding of the program's GB18030 texts. Positions count bytes
// from 1; a search that finds nothing gives -1. Searches match only at character boundaries: a
// byte of 0x80 or above starts a two-byte character and is stepped over with its partner.

long findFirst(std::string_view text, std::string_view needle);
long findLast(std::string_view text, std::string_view needle);
inline bool contains(std::string_view text, std::string_view needle)
{
    return findFirst(text, needle) != -1;
}

std::string leftBytes(std::string_view text, long n);
std::string rightBytes(std::string_view text, long n);
std::string midBytes(std::string_view text, long start, long n);

// Every occurrence of `from` replaced by `to` ("&amp;" -> "&" for links cut from pages).
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);

inline constexpr int kForwardCut = 1;
inline constexpr int kBackwardCut = 2;

// Forward cut: the text between the first `left` and the first `right` behind it. Backward
// cut: the text between the last `right` and the last `left` before it. Empty when a marker
// is absent.
std::string textBetween(std::string_view source, std::string_view left, std::string_view right,
                        int mode = kForwardCut);

// GB18030 -> UTF-8 -> percent-encoding (letters, digits, "-", "." and "_" kept, space as "+").
std::string urlEncodeUtf8(std::string_view text);
// Percent-decoding ("+" as space) -> UTF-8 -> GB18030. A "%" without two hex digits is kept.
std::string urlDecodeUtf8(std::string_view text);

// Whether the variable holds a non-empty text: checked twice, with a 1000 ms wait after each
// failed check. The variable is read anew at each check.
bool waitForText(const std::function<std::string()>& read, Waiter& waiter, std::stop_token stop = {});
bool waitForText(const Synchronized<std::string>& variable, Waiter& waiter, std::stop_token stop = {});

// Appends capture group 1 of every match of the Perl-style pattern ("." also matches line
// breaks), left to right without overlap. A pattern that does not compile appends nothing.
void collectMatches(std::string_view text, const std::string& pattern, TextList& matches);

} // namespace tieba
