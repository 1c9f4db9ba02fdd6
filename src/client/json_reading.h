#pragma once
#include <QJsonObject>
#include <QJsonValue>

#include <optional>
#include <string>
#include <string_view>

#include "client/parsed.h"

namespace tieba::client {

// Reading the service's JSON defensively: it writes numbers now as numbers, now as texts, and
// leaves fields out. Used by the answer parsers of this folder.

// The answer as a JSON object: an empty answer, a web page and broken JSON each give their fault.
Parsed<QJsonObject> jsonObject(std::string_view answer);

// A whole number written as a JSON number or as a text of digits; nullopt for anything else,
// fractions and numbers beyond 2^53 included.
std::optional<long long> wholeNumber(const QJsonValue& value);

// A count shown to the user (a level, points, days): nullopt when missing, not a number, negative
// or beyond what an int holds.
std::optional<int> countField(const QJsonObject& object, const char* key);

// A text field; a number is written as its digits. Nullopt when missing or of another type.
std::optional<std::string> textField(const QJsonObject& object, const char* key);

// A yes/no field: true, 1, "1" or "true" are yes; missing or anything else is no.
bool flagField(const QJsonObject& object, const char* key);

// The service's error code, absent meaning 0; an error when it is there but is no whole number.
Parsed<long long> errorCodeField(const QJsonObject& object, const char* key = "error_code");

} // namespace tieba::client
