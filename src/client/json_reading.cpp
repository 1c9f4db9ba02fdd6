#include "client/json_reading.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <climits>

namespace tieba::client {

namespace {

constexpr double kLargestExactWhole = 9007199254740992.0; // 2^53

std::string_view withoutBlanks(std::string_view text)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

Parsed<QJsonObject> jsonObject(std::string_view answer)
{
    const std::string_view text = withoutBlanks(answer);
    if (text.empty())
        return AnswerError{AnswerFault::Empty, {}};
    if (text.front() == '<')
        return AnswerError{AnswerFault::HtmlPage, {}};
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
    if (error.error != QJsonParseError::NoError)
        return AnswerError{AnswerFault::NotJson, {}};
    if (!document.isObject())
        return AnswerError{AnswerFault::NotAnObject, {}};
    return document.object();
}

std::optional<long long> wholeNumber(const QJsonValue& value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (d != static_cast<double>(static_cast<long long>(d)) || d > kLargestExactWhole || d < -kLargestExactWhole)
            return std::nullopt;
        return static_cast<long long>(d);
    }
    if (value.isString()) {
        bool ok = false;
        const long long n = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return n;
    }
    return std::nullopt;
}

std::optional<int> countField(const QJsonObject& object, const char* key)
{
    const std::optional<long long> n = wholeNumber(object.value(QLatin1String(key)));
    if (!n || *n < 0 || *n > INT_MAX)
        return std::nullopt;
    return static_cast<int>(*n);
}

std::optional<std::string> textField(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isString())
        return value.toString().toStdString();
    if (const std::optional<long long> n = value.isDouble() ? wholeNumber(value) : std::nullopt)
        return std::to_string(*n);
    return std::nullopt;
}

bool flagField(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isBool())
        return value.toBool();
    if (value.isString()) {
        const QString text = value.toString().trimmed();
        return text == QLatin1String("1") || text == QLatin1String("true");
    }
    return value.isDouble() && value.toDouble() == 1.0;
}

Parsed<long long> errorCodeField(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return 0LL;
    const std::optional<long long> code = wholeNumber(value);
    if (!code)
        return AnswerError{AnswerFault::WrongType, key};
    return *code;
}

} // namespace tieba::client
