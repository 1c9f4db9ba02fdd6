#include "client/client_form.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QUrl>

#include <algorithm>

#include "client/client_protocol.h"

namespace tieba::client {

namespace {

void sortByName(FormFields& fields)
{
    std::stable_sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
}

} // namespace

std::string signOf(FormFields fields)
{
    sortByName(fields);
    QByteArray text;
    for (const auto& [name, value] : fields) {
        text.append(name.data(), static_cast<qsizetype>(name.size()));
        text.append('=');
        text.append(value.data(), static_cast<qsizetype>(value.size()));
    }
    text.append(protocol::kSignSecret.data(), static_cast<qsizetype>(protocol::kSignSecret.size()));
    return QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex().toUpper().toStdString();
}

std::string percentEncoded(const std::string& value)
{
    return QUrl::toPercentEncoding(QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())))
        .toStdString();
}

std::string clientForm(FormFields callFields, const Tokens& tokens)
{
    callFields.emplace_back(protocol::field::kClientType, protocol::kClientType);
    callFields.emplace_back(protocol::field::kClientVersion, protocol::kClientVersion);
    callFields.emplace_back(protocol::field::kBduss, tokens.bduss);
    callFields.emplace_back(protocol::field::kStoken, tokens.stoken);
    sortByName(callFields);
    const std::string sign = signOf(callFields);
    std::string body;
    for (const auto& [name, value] : callFields)
        body += name + "=" + percentEncoded(value) + "&";
    body += std::string(protocol::field::kSign) + "=" + sign;
    return body;
}

} // namespace tieba::client
