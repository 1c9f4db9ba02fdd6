#pragma once
#include <optional>
#include <string>
#include <utility>

namespace tieba::client {

// Why an answer of the service could not be used.
enum class AnswerFault {
    Empty,         // nothing but white space
    HtmlPage,      // a web page (a maintenance notice, an error page) instead of data
    NotJson,       // text that does not parse
    NotAnObject,   // JSON, but not an object at the top
    NotJsonp,      // no "callback(...)" around the JSON
    WrongCallback, // a JSONP answer to another callback than the one asked for
    MissingField,  // a field the answer cannot do without is absent
    WrongType,     // that field is there but is neither a number nor a text of one, or not a list
    OutOfRange,    // a number that cannot be meant (negative where only positive makes sense, too big)
    BadToken,      // a token with characters no token has, or none at all
};

struct AnswerError {
    AnswerFault fault = AnswerFault::Empty;
    std::string field; // the field concerned, when there is one

    // A short English description for logs: never carries a value of the answer.
    std::string describe() const;
};

// Either a value read from an answer or the reason it could not be read.
template <typename T>
class Parsed {
public:
    Parsed(T value) : value_(std::move(value)) {} // NOLINT(google-explicit-constructor)
    Parsed(AnswerError error) : error_(std::move(error)) {} // NOLINT(google-explicit-constructor)

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *value_; }
    T& value() { return *value_; }
    const T* operator->() const { return &*value_; }
    const AnswerError& error() const { return error_; }

private:
    std::optional<T> value_;
    AnswerError error_;
};

} // namespace tieba::client
