#pragma once
#include <string>
#include <utility>
#include <vector>

#include "core/encoding.h"
#include "core/shared_state.h"
#include "platform/ini_profile.h"
#include "web/cookie_jar.h"
#include "web/stored_value.h"

namespace tieba::test {

// Accounts as UTF-8 name/password pairs, in slot order.
inline void setAccounts(SharedState& state, const std::vector<std::pair<std::string, std::string>>& accounts)
{
    AccountList list;
    for (const auto& [id, password] : accounts)
        list.push_back(Account{gb(id), gb(password)});
    state.accounts.set(list);
}

// Stores a session cookie for account n in the current folder's data file, as a login would.
inline void storeSession(int n, const std::string& token)
{
    writeProfileString(dataFilePath(), "cookies" + std::to_string(n), "BDUSS", encodeStoredValue(token + ";"));
}

} // namespace tieba::test
