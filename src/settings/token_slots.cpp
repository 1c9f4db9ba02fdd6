#include "settings/token_slots.h"

#include <array>
#include <string_view>

#include "client/client_protocol.h"
#include "web/stored_value.h"

namespace tieba {
namespace {

constexpr std::array kSessionCookieNames = {client::protocol::kBdussCookie, client::protocol::kStokenCookie};

std::string cookieSection(int slot)
{
    return "cookies" + std::to_string(slot);
}

std::string valueOf(const CookieList& cookies, std::string_view name)
{
    for (const auto& [cookie, value] : cookies)
        if (cookie == name)
            return value;
    return {};
}

} // namespace

CookieList sessionCookiesIn(const IniDocument& file, int slot)
{
    CookieList cookies;
    const std::string section = cookieSection(slot);
    for (std::string_view name : kSessionCookieNames) {
        const std::optional<std::string_view> stored = file.value(section, name);
        if (!stored)
            continue;
        // A stored cookie keeps the ";" that ended it in the Set-Cookie line.
        std::string value = decodeStoredValue(*stored);
        if (!value.empty() && value.back() == ';')
            value.pop_back();
        if (!value.empty())
            cookies.emplace_back(std::string(name), std::move(value));
    }
    if (valueOf(cookies, client::protocol::kBdussCookie).empty())
        cookies.clear();
    return cookies;
}

bool isTokenAccount(const Account& account)
{
    return account.password.empty() && !account.id.empty() &&
           !valueOf(account.sessionCookies, client::protocol::kBdussCookie).empty();
}

client::Tokens tokensOf(const Account& account)
{
    client::Tokens tokens;
    tokens.bduss = valueOf(account.sessionCookies, client::protocol::kBdussCookie);
    tokens.stoken = valueOf(account.sessionCookies, client::protocol::kStokenCookie);
    return tokens;
}

void addSessionCookieEdits(const AccountList& accounts, std::vector<ProfileEdit>& edits)
{
    auto heldByTokenAccount = [&](int slot) {
        return slot >= 1 && slot <= static_cast<int>(accounts.size()) &&
               isTokenAccount(accounts[static_cast<size_t>(slot - 1)]);
    };
    for (size_t i = 0; i < accounts.size(); ++i) {
        const Account& account = accounts[i];
        const int slot = static_cast<int>(i + 1);
        if (!isTokenAccount(account) || account.sessionSlot == slot)
            continue;
        if (account.sessionSlot != 0 && !heldByTokenAccount(account.sessionSlot))
            for (std::string_view name : kSessionCookieNames)
                edits.push_back(ProfileEdit{cookieSection(account.sessionSlot), std::string(name), {}});
    }
    for (size_t i = 0; i < accounts.size(); ++i) {
        const Account& account = accounts[i];
        // Written whatever slot they came from: a value the file already holds changes nothing.
        if (!isTokenAccount(account))
            continue;
        const int slot = static_cast<int>(i + 1);
        for (const auto& [name, value] : account.sessionCookies)
            edits.push_back(ProfileEdit{cookieSection(slot), name, encodeStoredValue(value + ";")});
    }
}

} // namespace tieba
