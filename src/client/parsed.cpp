#include "client/parsed.h"

namespace tieba::client {

std::string AnswerError::describe() const
{
    const char* text = "unusable answer";
    switch (fault) {
    case AnswerFault::Empty: text = "empty answer"; break;
    case AnswerFault::HtmlPage: text = "a web page instead of data"; break;
    case AnswerFault::NotJson: text = "answer is not JSON"; break;
    case AnswerFault::NotAnObject: text = "answer is not a JSON object"; break;
    case AnswerFault::NotJsonp: text = "answer is not wrapped in a callback"; break;
    case AnswerFault::WrongCallback: text = "answer names another callback"; break;
    case AnswerFault::MissingField: text = "missing field"; break;
    case AnswerFault::WrongType: text = "field of the wrong type"; break;
    case AnswerFault::OutOfRange: text = "number out of range"; break;
    case AnswerFault::BadToken: text = "not a token"; break;
    }
    return field.empty() ? std::string(text) : std::string(text) + " (" + field + ")";
}

} // namespace tieba::client
