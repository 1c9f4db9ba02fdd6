#include "client/client_tokens.h"

#include "client/blanks.h"

#include <algorithm>

#include "client/client_protocol.h"

namespace tieba::client {

namespace {

// Tokens are printable ASCII without the characters that end a cookie or a form field.
bool isTokenChar(char c)
{
    return c > ' ' && c < 0x7f && c != ';' && c != ',' && c != '"' && c != '\\' && c != '&';
}

std::string withoutBlanks(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (!isBlank(c))
            out += c;
    }
    return out;
}

bool looksLikeCookieString(std::string_view text)
{
    return text.find(';') != std::string_view::npos;
}

} // namespace

Parsed<std::string> pastedToken(std::string_view text, std::string_view cookieName)
{
    std::string token = withoutBlanks(text);
    const std::string prefix = std::string(cookieName) + "=";
    if (token.starts_with(prefix))
        token.erase(0, prefix.size());
    if (token.empty())
        return AnswerError{AnswerFault::MissingField, std::string(cookieName)};
    for (char c : token) {
        if (!isTokenChar(c))
            return AnswerError{AnswerFault::BadToken, std::string(cookieName)};
    }
    return token;
}

Parsed<Tokens> tokensFromCookieString(std::string_view text)
{
    Tokens tokens;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(';', start), text.size());
        const std::string_view piece = trimmed(text.substr(start, end - start));
        start = end + 1;
        const size_t equals = piece.find('=');
        if (equals == std::string_view::npos || equals == 0)
            continue;
        const std::string name(trimmed(piece.substr(0, equals)));
        const std::string_view value = piece.substr(equals + 1);
        if (name == protocol::kBdussCookie || name == protocol::kStokenCookie) {
            const Parsed<std::string> token = pastedToken(value, name);
            if (!token)
                return token.error();
            (name == protocol::kBdussCookie ? tokens.bduss : tokens.stoken) = token.value();
        } else {
            tokens.otherCookies.emplace_back(name, std::string(trimmed(value)));
        }
    }
    if (tokens.bduss.empty())
        return AnswerError{AnswerFault::MissingField, std::string(protocol::kBdussCookie)};
    if (tokens.stoken.empty())
        return AnswerError{AnswerFault::MissingField, std::string(protocol::kStokenCookie)};
    return tokens;
}

Parsed<Tokens> tokensFromBoxes(std::string_view bdussBox, std::string_view stokenBox)
{
    if (looksLikeCookieString(bdussBox))
        return tokensFromCookieString(bdussBox);
    if (looksLikeCookieString(stokenBox))
        return tokensFromCookieString(stokenBox);
    const Parsed<std::string> bduss = pastedToken(bdussBox, protocol::kBdussCookie);
    if (!bduss)
        return bduss.error();
    const Parsed<std::string> stoken = pastedToken(stokenBox, protocol::kStokenCookie);
    if (!stoken)
        return stoken.error();
    return Tokens{bduss.value(), stoken.value(), {}};
}

} // namespace tieba::client
