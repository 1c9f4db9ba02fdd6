#include "client/answer_text.h"

#include "client/blanks.h"

namespace tieba::client {

namespace {

bool isCallbackChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
           c == '.';
}

} // namespace

Parsed<std::string> unwrapJsonp(std::string_view answer, std::string_view expectedCallback)
{
    std::string_view text = trimmed(answer);
    if (text.empty())
        return AnswerError{AnswerFault::Empty, {}};
    if (text.front() == '<')
        return AnswerError{AnswerFault::HtmlPage, {}};
    if (text.back() == ';')
        text = trimmed(text.substr(0, text.size() - 1));
    const size_t open = text.find('(');
    if (open == std::string_view::npos || open == 0 || text.back() != ')')
        return AnswerError{AnswerFault::NotJsonp, {}};
    const std::string_view name = trimmed(text.substr(0, open));
    for (char c : name) {
        if (!isCallbackChar(c))
            return AnswerError{AnswerFault::NotJsonp, {}};
    }
    if (name != expectedCallback)
        return AnswerError{AnswerFault::WrongCallback, std::string(name)};
    return std::string(text.substr(open + 1, text.size() - open - 2));
}

std::string passportJsonText(std::string_view answer)
{
    std::string out;
    out.reserve(answer.size());
    for (size_t i = 0; i < answer.size(); ++i) {
        const char c = answer[i];
        if (c == '\'') {
            out += '"';
        } else if (c == '\\' && i + 1 < answer.size() && answer[i + 1] == '&') {
            out += '&';
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace tieba::client
