#include "settings/token_slots.h"

#include "client/client_protocol.h"
#include "platform/ini_profile.h"
#include "web/stored_value.h"

namespace tieba {
namespace {

// A stored cookie keeps the ";" that ended it in the Set-Cookie line.
std::string cookieValue(const IniDocument& file, const std::string& section, std::string_view name)
{
    const std::optional<std::string_view> stored = file.value(section, name);
    if (!stored)
        return {};
    std::string value = decodeStoredValue(*stored);
    if (!value.empty() && value.back() == ';')
        value.pop_back();
    return value;
}

} // namespace

std::optional<client::Tokens> storedTokens(const std::string& dataFile, int slot)
{
    const IniDocument file = readProfile(dataFile);
    const std::string section = "cookies" + std::to_string(slot);
    client::Tokens tokens;
    tokens.bduss = cookieValue(file, section, client::protocol::kBdussCookie);
    if (tokens.bduss.empty())
        return std::nullopt;
    tokens.stoken = cookieValue(file, section, client::protocol::kStokenCookie);
    return tokens;
}

bool isTokenAccount(const std::string& dataFile, int slot, const Account& account)
{
    return account.password.empty() && !account.id.empty() && storedTokens(dataFile, slot).has_value();
}

} // namespace tieba
